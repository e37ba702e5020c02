// Renders the desk a user sees after connecting to the built-in simulator: the main
// window with the Coordinates window open, the board drawn through it, and the Board
// window beside it, each under a title bar drawn by the style, as one PNG picture.
//
//   lumaret_deskpicture FILE.png
//
// It renders offscreen on a desk of its own size, whatever display there is, so that
// the picture is the same on every machine and needs no display.

#include "app/frmmainmdi.h"
#include "engine/boardengine.h"
#include "engine/commands.h"
#include "engine/connectioncontroller.h"
#include "workbench/toolwindows.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLayout>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionTitleBar>
#include <QTemporaryFile>
#include <QTextStream>
#include <QTimer>

#include <cstdio>
#include <initializer_list>
#include <utility>

namespace {

constexpr int ConnectTimeoutMs = 10000;
constexpr int DeskMargin = 16;
const QColor DeskColor(0x3b, 0x4a, 0x5c);

// A desk the size of a common laptop screen, where the board fits beside the main
// window at twice its size.
constexpr char DeskConfiguration[] = R"({ "windowFrameMargins": false, "screens": [
    { "name": "desk", "x": 0, "y": 0, "width": 1366, "height": 768,
      "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1 } ] })";

int fail(const QString& message) {
    QTextStream(stderr) << "lumaret_deskpicture: " << message << Qt::endl;
    return 1;
}

template <typename T> T* child(QWidget* window, const char* name) {
    return window ? window->findChild<T*>(QLatin1String(name)) : nullptr;
}

// Fills the Coordinates window's boxes and clicks a button, as a user does.
class CoordinatesHand {
public:
    explicit CoordinatesHand(QWidget* window)
        : m_window(window) {}

    bool click(const char* name) {
        auto* button = child<QAbstractButton>(m_window, name);
        if (button)
            button->click();
        return button;
    }
    bool type(std::initializer_list<std::pair<const char*, int>> boxes) {
        for (const auto& [name, value] : boxes) {
            auto* box = child<QLineEdit>(m_window, name);
            if (!box)
                return false;
            box->setText(QString::number(value));
        }
        return true;
    }

private:
    QWidget* m_window;
};

// Board colours as 3-3-2 bytes.
namespace Rgb332 {
constexpr int Navy = 0x06, Red = 0xE0, Green = 0x1C, Blue = 0x03, White = 0xFF, Yellow = 0xFC;
}

// Draws the board's scene through the Coordinates window; false when a control is missing.
bool drawScene(BoardEngine& engine, QWidget* coordinates) {
    if (!engine.send(Commands::clearScreen(Rgb332::Navy)) ||
        !engine.send(Commands::setTextCursor({16, 14})) ||
        !engine.send(Commands::writeText(Rgb332::White, 1, "Hello from Lumaret")))
        return false;
    CoordinatesHand hand(coordinates);
    bool drawn = hand.click("optRectangle") &&
                 hand.type({{"txtX0", 8},
                            {"txtY0", 40},
                            {"txtX1", 311},
                            {"txtY1", 231},
                            {"txtColor", Rgb332::Yellow}}) &&
                 hand.click("Command23");
    drawn = drawn && hand.click("optCircle") && hand.click("optFilled");
    for (const auto& [x, color] :
         {std::pair{95, Rgb332::Red}, std::pair{160, Rgb332::Green}, std::pair{225, Rgb332::Blue}})
        drawn = drawn &&
                hand.type({{"txtCX", x}, {"txtCY", 130}, {"txtRadius", 48}, {"txtColor", color}}) &&
                hand.click("cmdCircle");
    // The window is left showing the last shape it drew.
    return drawn && hand.click("optEmpty") &&
           hand.type(
               {{"txtCX", 160}, {"txtCY", 130}, {"txtRadius", 75}, {"txtColor", Rgb332::White}}) &&
           hand.click("cmdCircle");
}

// Lays out what changed since the last pass of the event loop (a status text that grew),
// as the next pass would, so that the picture shows each text at its full width.
void layOut(QWidget& window) {
    for (QWidget* widget : window.findChildren<QWidget*>()) {
        if (widget->layout())
            widget->layout()->activate();
    }
    if (window.layout())
        window.layout()->activate();
}

// The window as the desk shows it: under a title bar the style draws, framed.
QImage framed(QWidget& window, bool active) {
    layOut(window);
    QStyleOptionTitleBar bar;
    bar.initFrom(&window);
    bar.text = window.windowTitle();
    bar.icon = window.windowIcon();
    bar.subControls = QStyle::SC_TitleBarLabel | QStyle::SC_TitleBarSysMenu |
                      QStyle::SC_TitleBarMinButton | QStyle::SC_TitleBarCloseButton;
    bar.titleBarFlags = Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;
    // Drawn as the desk's active window or as one behind it, whatever the offscreen
    // platform thinks of the focus.
    bar.state.setFlag(QStyle::State_Active, active);
    bar.titleBarState = int(window.windowState()) | (active ? int(QStyle::State_Active) : 0);
    bar.palette.setCurrentColorGroup(active ? QPalette::Active : QPalette::Inactive);
    const int titleHeight = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, &bar, &window);
    const QImage content = window.grab().toImage();
    QImage picture(content.width() + 2, content.height() + titleHeight + 2, QImage::Format_RGB32);
    picture.fill(window.palette().color(QPalette::Dark));
    QPainter painter(&picture);
    bar.rect = QRect(1, 1, content.width(), titleHeight);
    window.style()->drawComplexControl(QStyle::CC_TitleBar, &bar, &painter, &window);
    painter.drawImage(1, titleHeight + 1, content);
    return picture;
}

// The windows where they stand on the desk, on the desk's colour.
QImage desk(const QList<std::pair<QWidget*, bool>>& windows) {
    QRect bounds;
    QList<std::pair<QPoint, QImage>> pictures;
    for (const auto& [window, active] : windows) {
        pictures.append({window->pos(), framed(*window, active)});
        bounds |= QRect(pictures.last().first, pictures.last().second.size());
    }
    QImage picture(bounds.size() + QSize(2 * DeskMargin, 2 * DeskMargin), QImage::Format_RGB32);
    picture.fill(DeskColor);
    QPainter painter(&picture);
    for (const auto& [topLeft, image] : pictures)
        painter.drawImage(topLeft - bounds.topLeft() + QPoint(DeskMargin, DeskMargin), image);
    return picture;
}

} // namespace

int main(int argc, char* argv[]) {
    QTemporaryFile configuration;
    if (!configuration.open() || configuration.write(DeskConfiguration) < 0 ||
        !configuration.flush())
        return fail(QStringLiteral("cannot write the desk's configuration"));
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + configuration.fileName().toLocal8Bit());
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() != 2 ||
        !arguments[1].endsWith(QLatin1String(".png"), Qt::CaseInsensitive)) {
        std::fputs("usage: lumaret_deskpicture FILE.png\n", stderr);
        return 2;
    }
    const QString output = arguments[1];
    QApplication::setApplicationName(QStringLiteral("Lumaret"));

    frmMainMDI window;
    window.move(24, 24);
    window.show();
    BoardEngine& engine = window.engine();

    QWidget* settings = window.toolWindows().show(QStringLiteral("frmSettings"));
    auto* ports = child<QComboBox>(settings, "cbo_mostraporta");
    auto* connectButton = child<QAbstractButton>(settings, "cmd_conecta");
    if (!ports || ports->findText(QStringLiteral("Simulator")) < 0 || !connectButton)
        return fail(QStringLiteral("the settings window offers no simulator to connect to"));
    ports->setCurrentIndex(ports->findText(QStringLiteral("Simulator")));

    int status = 0;
    auto finish = [&status](int code) {
        status = code;
        QApplication::exit(code);
    };
    auto render = [&] {
        auto* board = window.findChild<QWidget*>(QStringLiteral("frmBoard"));
        if (!board || !board->isVisible())
            return finish(fail(QStringLiteral("the Board window did not open")));
        if (!desk({{&window, true}, {board, false}}).save(output, "PNG"))
            return finish(fail(QStringLiteral("cannot write ") + output));
        finish(0);
    };
    QObject::connect(&engine, &BoardEngine::connectionStateChanged, &window,
                     [&](ConnectionController::State state) {
                         if (state != ConnectionController::State::Connected)
                             return;
                         window.toolWindows().closeAll();
                         QWidget* coordinates =
                             window.toolWindows().show(QStringLiteral("frmCoordinates"));
                         if (!drawScene(engine, coordinates))
                             return finish(fail(QStringLiteral("could not draw on the board")));
                         // The simulator draws inside each write; the windows show it
                         // once the events the drawing posted have run.
                         QTimer::singleShot(0, &window, render);
                     });
    QTimer::singleShot(ConnectTimeoutMs, &window,
                       [&] { finish(fail(QStringLiteral("no answer from the simulator"))); });
    connectButton->click();
    QApplication::exec();
    return status;
}
