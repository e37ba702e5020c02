#include "testbench.h"

#include "engine/portcatalog.h"
#include "workbench/toolwindows.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

QRect TestBench::desktop(0, 0, 1920, 1080);

TestBench::TestBench(const QStringList& portLabels, bool builtInSimulator)
    : TestBench(std::make_shared<PortCatalog>(
                    [this] {
                        QList<PortEntry> entries;
                        for (const QString& label : std::as_const(m_portLabels))
                            entries.append({label, QStringLiteral("COM") + label});
                        return entries;
                    },
                    [this](const QString& name) {
                        return std::make_unique<RecordingLink>(m_line, name);
                    }),
                builtInSimulator) {
    m_portLabels = portLabels;
}

TestBench::TestBench(std::shared_ptr<PortCatalog> catalog, bool builtInSimulator)
    : m_clock(std::make_shared<ManualClock>())
    , m_dialogs(std::make_shared<ScriptedDialogs>()) {
    m_main = std::make_unique<frmMainMDI>(frmMainMDI::Services{m_clock, m_dialogs,
                                                               std::move(catalog), builtInSimulator,
                                                               [area = desktop] { return area; }});
    m_main->show();
}

TestBench::~TestBench() = default;

QProgressBar& TestBench::progressBar() {
    return *m_main->findChild<QProgressBar*>(QStringLiteral("ProgressBar1"));
}

QWidget* TestBench::open(const QString& windowName) {
    return m_main->toolWindows().show(windowName);
}

QWidget* TestBench::window(const QString& windowName) {
    return m_main->toolWindows().find(windowName);
}

QStringList TestBench::captionMismatches(const QString& windowName,
                                         std::initializer_list<const char*> namesAndCaptions) {
    QStringList mismatches;
    for (const char* item : namesAndCaptions) {
        const QString nameAndCaption = QString::fromLatin1(item);
        const qsizetype colon = nameAndCaption.indexOf(QLatin1Char(':'));
        const QString name = nameAndCaption.left(colon);
        const QString wanted = nameAndCaption.mid(colon + 1);
        auto* widget = find<QWidget>(windowName, name);
        const auto* frame = qobject_cast<QGroupBox*>(widget);
        const QString found = !widget ? QStringLiteral("(missing)")
                              : frame ? frame->title()
                                      : widget->property("text").toString();
        if (found != wanted)
            mismatches.append(name + QStringLiteral(": \"") + found +
                              QStringLiteral("\" instead of \"") + wanted + QLatin1Char('"'));
    }
    return mismatches;
}

bool TestBench::startUpload(const QString& description, const QByteArray& write) {
    UploadPlan plan;
    plan.name = plan.description = description;
    plan.blocks.push_back({WriteList{write}, WriteList{write}});
    return engine().startUpload(std::move(plan), nullptr) == Uploader::Start::Started;
}

void TestBench::connectBoard() {
    open(QStringLiteral("frmSettings"));
    click(find<QAbstractButton>(QStringLiteral("frmSettings"), QStringLiteral("cmd_conecta")));
    m_line.takeWrites();
    m_line.answer("100");
    clock().advanceToTick(engine(), QStringLiteral("Timer4"));
}

void TestBench::connectSimulator() {
    open(QStringLiteral("frmSettings"));
    auto* ports = find<QComboBox>(QStringLiteral("frmSettings"), QStringLiteral("cbo_mostraporta"));
    ports->setCurrentIndex(ports->findText(QStringLiteral("Simulator")));
    click(find<QAbstractButton>(QStringLiteral("frmSettings"), QStringLiteral("cmd_conecta")));
    clock().advanceToTick(engine(), QStringLiteral("Timer4"));
}

void TestBench::poll(const QByteArray& arrived) {
    m_line.answer(arrived);
    clock().advanceToTick(engine(), QStringLiteral("Timer2"));
}

void TestBench::settle() {
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

void click(QAbstractButton* button) {
    QVERIFY2(button, "button not found");
    button->click();
}
