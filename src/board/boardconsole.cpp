#include "board/boardconsole.h"

#include "board/boardemulator.h"
#include "board/boardimage.h"

#include <QImageWriter>
#include <QMetaEnum>
#include <QStringList>

namespace {

QString error(const QString& text) {
    return QStringLiteral("error: ") + text;
}

} // namespace

BoardConsole::BoardConsole(BoardEmulator& board, QString screenshotFile)
    : m_board(board)
    , m_screenshotFile(std::move(screenshotFile)) {}

QString BoardConsole::help() {
    return QStringLiteral(
        "touch X Y       press the touch screen at (X, Y)\n"
        "key K           press key K of the on-screen keypad (keypad mode)\n"
        "screenshot [F]  write the screen as PNG to F (or the --screenshot file)\n"
        "state           show the board's settings\n"
        "help            this list");
}

QString BoardConsole::execute(const QString& line) {
    const QStringList words = line.simplified().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty())
        return {};
    const QString command = words.first().toLower();
    if (command == QLatin1String("touch")) {
        bool xOk = false;
        bool yOk = false;
        const int x = words.value(1).toInt(&xOk);
        const int y = words.value(2).toInt(&yOk);
        if (words.size() != 3 || !xOk || !yOk || x < 0 || x >= BoardGeometry::Width || y < 0 ||
            y >= BoardGeometry::Height)
            return error(QStringLiteral("touch X Y takes X 0 to 319 and Y 0 to 239"));
        m_board.touch(QPoint(x, y));
        return {};
    }
    if (command == QLatin1String("key")) {
        if (words.size() != 2 || words.at(1).size() != 1)
            return error(QStringLiteral("key K takes one of 0-9, A-D, * and #"));
        if (m_board.touchMode() != BoardEmulator::TouchMode::Keypad)
            return error(QStringLiteral("the board is not in keypad mode"));
        if (!m_board.pressKey(words.at(1).at(0).toUpper().toLatin1()))
            return error(QStringLiteral("the keypad has no key %1").arg(words.at(1)));
        return {};
    }
    if (command == QLatin1String("screenshot")) {
        const QString file =
            words.size() > 1 ? words.mid(1).join(QLatin1Char(' ')) : m_screenshotFile;
        if (file.isEmpty())
            return error(QStringLiteral("name a file (or start with --screenshot FILE)"));
        QString why;
        if (!saveScreenshot(m_board, file, &why))
            return error(why);
        return QStringLiteral("screenshot written to ") + file;
    }
    if (command == QLatin1String("state"))
        return state();
    if (command == QLatin1String("help"))
        return help();
    return error(QStringLiteral("unknown command \"%1\"; try help").arg(words.first()));
}

bool BoardConsole::saveScreenshot(const BoardEmulator& board, const QString& file, QString* why) {
    QImageWriter writer(file, "png");
    if (writer.write(BoardImage::panel(board)))
        return true;
    if (why)
        *why = QStringLiteral("cannot write %1: %2").arg(file, writer.errorString());
    return false;
}

QString BoardConsole::state() const {
    const auto onOff = [](bool on) { return on ? QStringLiteral("on") : QStringLiteral("off"); };
    const char* mode =
        QMetaEnum::fromType<BoardEmulator::TouchMode>().valueToKey(int(m_board.touchMode()));
    return QStringLiteral("baud %1, backlight %2, rotated %3, touch %4, beep on touch %5, "
                          "text cursor (%6, %7), beeps %8, errors %9")
        .arg(QString::number(m_board.baudRate()), onOff(m_board.backlight()),
             onOff(m_board.rotated()), QLatin1String(mode), onOff(m_board.beepOnTouch()),
             QString::number(m_board.textCursor().x()), QString::number(m_board.textCursor().y()),
             QString::number(m_board.beepCount()), QString::number(m_board.errorCount()));
}
