#include "linebench.h"
#include "graphic/screencanvas.h"

#include "app/frmmainmdi.h"
#include "engine/boardengine.h"
#include "engine/clock.h"
#include "engine/colorvalue.h"
#include "engine/connectioncontroller.h"
#include "engine/portcatalog.h"
#include "engine/qtseriallink.h"
#include "workbench/toolwindows.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>

#include <cstdio>

UserDialogs::Answer BenchDialogs::message(QWidget*, const QString& title, const QString& text, Icon,
                                          Buttons) {
    messages.append(text);
    if (!title.isEmpty())
        std::fprintf(stderr, "message \"%s\": %s\n", qPrintable(title), qPrintable(text));
    return Answer::Ok;
}

QString BenchDialogs::openFileName(QWidget*, const QString&, const QString&) {
    return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
}

std::optional<UserDialogs::FontChoice> BenchDialogs::chooseFont(QWidget*, const QString&,
                                                                const FontChoice&) {
    return FontChoice{font, Qt::black};
}

LineBench::LineBench()
    : m_dialogs(std::make_shared<BenchDialogs>()) {}

LineBench::~LineBench() {
    m_main.reset();
}

bool LineBench::start() {
    if (!m_board.start())
        return false;
    const QString device = m_board.device();
    auto ports = std::make_shared<PortCatalog>(
        [device] {
            return QList<PortEntry>{{device, device}};
        },
        [](const QString& name) { return std::make_unique<QtSerialLink>(name); });
    m_main = std::make_unique<frmMainMDI>(
        frmMainMDI::Services{std::make_shared<SystemClock>(), m_dialogs, ports, false, {}});
    m_main->show();
    BoardEngine& board = engine();
    board.connectTo(device, QStringLiteral("115200,N,8,1"));
    if (!waitUntil(
            [&board] { return board.connectionState() == ConnectionController::State::Connected; },
            5000)) {
        std::fprintf(stderr, "not connected: %s\n", qPrintable(m_main->statusText()));
        return false;
    }
    return true;
}

BoardEngine& LineBench::engine() {
    return m_main->engine();
}

QWidget* LineBench::open(const QString& window) {
    return m_main->toolWindows().show(window);
}

QByteArray LineBench::boardScreen() {
    const QImage shot = m_board.screen();
    // Its colour values, reduced as every picture is.
    return shot.isNull() ? QByteArray() : screenPixels(ScreenCanvas(shot, Qt::white));
}

bool LineBench::waitUntil(const std::function<bool()>& done, int timeoutMs) {
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer look;
    look.callOnTimeout([&] {
        if (done() || deadline.hasExpired())
            loop.quit();
    });
    look.start(5);
    if (!done())
        loop.exec();
    return done();
}
