#include "engine/commanddecoder.h"
#include "engine/commandlog.h"
#include "engine/commands.h"
#include "recordinglink.h"

#include <QTest>

namespace {

constexpr int Pixels = 320 * 240;

// The lines the log writes for the bytes, fed in pieces of the given size.
QStringList describe(QByteArrayView bytes, qsizetype piece) {
    QStringList lines;
    CommandLog log([&lines](const QString& line) { lines.append(line); });
    CommandDecoder decoder(log);
    for (qsizetype i = 0; i < bytes.size(); i += piece)
        decoder.feed(bytes.sliced(i, std::min(piece, bytes.size() - i)));
    return lines;
}

QByteArray pixels() {
    QByteArray bytes(Pixels, Qt::Uninitialized);
    for (int i = 0; i < Pixels; ++i)
        bytes[i] = char(i % 253);
    return bytes;
}

} // namespace

class tst_CommandDecoder : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void describesEveryCommandFromItsEncoder_data();
    void describesEveryCommandFromItsEncoder();
    void describesTransfersBlockByBlock();
    void reportsWhatIsNoCommand_data();
    void reportsWhatIsNoCommand();
    void tellsTheCommandInProgress();
};

void tst_CommandDecoder::describesEveryCommandFromItsEncoder_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    const auto row = [](const char* name, const WriteList& command, const QString& line) {
        QTest::newRow(name) << command.bytes() << QStringList{line};
    };
    using namespace Commands;
    row("IdentifyController", identifyController(), QStringLiteral("IdentifyController"));
    row("SetControllerBaudRate", setControllerBaudRate(6),
        QStringLiteral("SetControllerBaudRate rate=6 (115200 baud)"));
    row("WriteText, text window", writeText(224, 2, "Hi \"x\"\b\\"),
        QStringLiteral("WriteText color=224 font=2 \"Hi \\\"x\\\"<8>\\\\\""));
    row("WriteText, font test", writeText(255, std::nullopt, "!\"#$%&'()*+,"),
        QStringLiteral("WriteText color=255 \"!\\\"#$%&'()*+,\""));
    row("SetTextCursor", setTextCursor({300, 10}), QStringLiteral("SetTextCursor x=300 y=10"));
    row("ShowScreenPicture", showScreenPicture(12), QStringLiteral("ShowScreenPicture slot=12"));
    row("DrawPixel", drawPixel({300, 10}, 224), QStringLiteral("DrawPixel x=300 y=10 color=224"));
    row("DrawLine", drawLine({300, 5}, {10, 200}, 7),
        QStringLiteral("DrawLine x0=300 y0=5 x1=10 y1=200 color=7"));
    row("DrawRectangle", drawRectangle({0, 0}, {319, 239}, 0),
        QStringLiteral("DrawRectangle x0=0 y0=0 x1=319 y1=239 color=0"));
    row("FillRectangle", fillRectangle({65535, 255}, {256, 1}, 255),
        QStringLiteral("FillRectangle x0=65535 y0=255 x1=256 y1=1 color=255"));
    row("DrawCircle", drawCircle({160, 120}, 50, 3),
        QStringLiteral("DrawCircle x=160 y=120 r=50 color=3"));
    row("FillCircle", fillCircle({311, 7}, 255, 28),
        QStringLiteral("FillCircle x=311 y=7 r=255 color=28"));
    row("ClearScreen", clearScreen(255), QStringLiteral("ClearScreen color=255"));
    row("RotateScreen", rotateScreen(), QStringLiteral("RotateScreen"));
    row("SetBacklight", setBacklight(false), QStringLiteral("SetBacklight off"));
    row("Beep", beep(), QStringLiteral("Beep"));
    row("SetBeepOnTouch", setBeepOnTouch(true), QStringLiteral("SetBeepOnTouch on"));
    row("TouchCoordinatesOn", touchCoordinatesOn(), QStringLiteral("TouchCoordinatesOn"));
    row("TouchKeypadOn", touchKeypadOn(), QStringLiteral("TouchKeypadOn"));
    row("TouchOff", touchOff(), QStringLiteral("TouchOff"));
    row("TouchCalibrate", touchCalibrate(), QStringLiteral("TouchCalibrate"));
    row("RestoreCalibration", restoreCalibration(), QStringLiteral("RestoreCalibration"));
}

void tst_CommandDecoder::describesEveryCommandFromItsEncoder() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(describe(bytes, bytes.size()), lines);
    QCOMPARE(describe(bytes, 1), lines);
    // Twice in a row: nothing of the first is left over for the second.
    QCOMPARE(describe(bytes.repeated(2), 3), lines + lines);
}

void tst_CommandDecoder::describesTransfersBlockByBlock() {
    const QByteArray picture = pixels();
    // A screen write: a line per row the board answers.
    QStringList rows;
    for (int row = 0; row < 240; ++row)
        rows.append(QStringLiteral("WriteScreen row=%1").arg(row));
    rows.last() += QStringLiteral(" (picture complete)");
    const QByteArray screen = Commands::writeScreen(picture).bytes();
    QCOMPARE(describe(screen, screen.size()), rows);
    QCOMPARE(describe(screen, 1), rows);

    // A stored picture: its slot, then a line per chunk of 256.
    QStringList chunks{QStringLiteral("SaveScreenPicture slot=3")};
    for (int chunk = 1; chunk <= 300; ++chunk)
        chunks.append(QStringLiteral("SaveScreenPicture slot=3 chunk=%1/300").arg(chunk));
    chunks.last() += QStringLiteral(" (picture stored)");
    const QByteArray stored = Commands::saveScreenPicture(3, picture).bytes();
    QCOMPARE(describe(stored, 1000), chunks);
    QCOMPARE(describe(stored, 1), chunks);

    // A font: the slot, the size table, then a line per glyph.
    QList<Commands::GlyphSize> sizes;
    WriteList upload = Commands::fontUploadBegin(Commands::FontSlot::Font2);
    for (int code = Commands::FirstGlyphCode; code <= Commands::LastGlyphCode; ++code)
        sizes.append({quint8(code == 'W' ? 17 : code % 9), quint8(code == 'g' ? 24 : 12)});
    upload.append(Commands::fontSizeTable(sizes));
    for (const Commands::GlyphSize& size : sizes)
        upload.append(Commands::fontGlyph(
            size, QByteArray(size.height * ((size.width + 7) / 8), char(size.width))));
    const QStringList font = describe(upload.bytes(), upload.bytes().size());
    QCOMPARE(font.size(), 2 + 94);
    QCOMPARE(font.mid(0, 4),
             (QStringList{QStringLiteral("FontUploadBegin slot=2"),
                          QStringLiteral("FontSizeTable sizes=94 widest=17 tallest=24"),
                          QStringLiteral("FontGlyph \"!\" w=6 h=12 bytes=12"),
                          QStringLiteral("FontGlyph \"\\\"\" w=7 h=12 bytes=12")}));
    QCOMPARE(font.at(2 + 'W' - 33), QStringLiteral("FontGlyph \"W\" w=17 h=12 bytes=36"));
    QCOMPARE(font.last(), QStringLiteral("FontGlyph \"~\" w=0 h=12 bytes=0 (font 2 complete)"));
    QCOMPARE(describe(upload.bytes(), 1), font);
}

void tst_CommandDecoder::reportsWhatIsNoCommand_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("lines");
    QTest::newRow("junk, then a command") << QByteArray("hello 123 ID")
                                          << QStringList{QStringLiteral("Unknown byte \"h\" (104)"),
                                                         QStringLiteral("IdentifyController")};
    QTest::newRow("unknown opcode whose second letter starts one")
        << QByteArray("IXID")
        << QStringList{QStringLiteral("Unknown opcode \"I\" (73) \"X\" (88)"),
                       QStringLiteral("IdentifyController")};
    QTest::newRow("bad slot that starts the next command")
        << bytes({'L', 'P', 'C', 'S', 5})
        << QStringList{QStringLiteral("Malformed LP: picture slot 67 is not 1 to 12"),
                       QStringLiteral("ClearScreen color=5")};
    QTest::newRow("bad rate") << bytes({'B', 'R', 9})
                              << QStringList{QStringLiteral(
                                     "Malformed BR: baud-rate index 9 is not 0 to 6")};
    QTest::newRow("bad font slot, then junk")
        << QByteArray("SFZQQQ")
        << QStringList{QStringLiteral("Malformed SF: font slot \"Z\" (90) is not \"1\" or \"2\"")};
    QTest::newRow("bad state") << bytes({'B', 'L', 2, 'B', 'P'})
                               << QStringList{QStringLiteral(
                                                  "Malformed BL: backlight state 2 is not 0 or 1"),
                                              QStringLiteral("Beep")};
    QTest::newRow("a long run of junk counts once")
        << QByteArray(5000, char(200)).append("RS")
        << QStringList{QStringLiteral("Unknown byte 200"), QStringLiteral("RotateScreen")};
}

void tst_CommandDecoder::reportsWhatIsNoCommand() {
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, lines);
    QCOMPARE(describe(bytes, bytes.size()), lines);
    QCOMPARE(describe(bytes, 1), lines);
}

void tst_CommandDecoder::tellsTheCommandInProgress() {
    QStringList lines;
    CommandLog log([&lines](const QString& line) { lines.append(line); });
    CommandDecoder decoder(log);
    QCOMPARE(log.pending(), QString());

    decoder.feed(Commands::writeText(224, 1, "Hello").bytes().first(7));
    QCOMPARE(log.pending(), QStringLiteral("WriteText color=224 font=1 \"Hel\"..."));
    decoder.feed("lo\r");
    QCOMPARE(lines, QStringList{QStringLiteral("WriteText color=224 font=1 \"Hello\"")});
    QCOMPARE(log.pending(), QString());

    decoder.feed(Commands::writeScreen(pixels()).bytes().first(1000));
    QCOMPARE(log.pending(), QStringLiteral("WriteScreen ..."));
    // The sender went away: the command is dropped and said so.
    decoder.abandon();
    QCOMPARE(lines.last(), QStringLiteral("Command cut short: its partial data is dropped"));
    QCOMPARE(log.pending(), QString());
    QVERIFY(!decoder.midCommand());
}

QTEST_GUILESS_MAIN(tst_CommandDecoder)
#include "tst_commanddecoder.moc"
