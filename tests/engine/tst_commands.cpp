#include "engine/colorvalue.h"
#include "engine/commands.h"
#include "engine/linesettings.h"
#include "engine/portcatalog.h"
#include "recordinglink.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Commands;

class tst_Commands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitsXAtWholeMultiplesOf256();
    void eachCommandHasItsBytesAndGrouping();
    void textFormsEndWithCarriageReturn();
    void picturesAndFontsSendEachPixelByteAlone();
    void writeListSlicesAndCompares();
    void lineSettingsFollowTheRateIndex();
    void expandedColoursReduceToThemselves();
    void portsSortByNumberAndComeFromTheEnvironment();
};

void tst_Commands::splitsXAtWholeMultiplesOf256() {
    for (const auto& [x, high, low] : {std::tuple{255, 0, 255}, {256, 1, 0}, {65535, 255, 255}}) {
        QCOMPARE(splitX(quint16(x)).high, high);
        QCOMPARE(splitX(quint16(x)).low, low);
    }
}

void tst_Commands::eachCommandHasItsBytesAndGrouping() {
    // Bytes above 127 (colours 200, 224, 255) must reach the list unchanged.
    const QList<QPair<WriteList, QList<QByteArray>>> cases{
        {drawPixel({300, 10}, 224), {"WP", bytes({1, 44, 10, 224})}},
        {drawLine({300, 5}, {10, 200}, 255), {"DL", bytes({1, 44, 5}), bytes({0, 10, 200, 255})}},
        {drawRectangle({300, 0}, {310, 239}, 7), {"DR", bytes({1, 44, 0}), bytes({1, 54, 239, 7})}},
        {fillRectangle({0, 0}, {319, 239}, 0), {"FR", bytes({0, 0, 0}), bytes({1, 63, 239, 0})}},
        {drawCircle({160, 120}, 50, 0), {"DC", bytes({0, 160, 120, 50, 0})}},
        {fillCircle({160, 120}, 50, 0), {"FC", bytes({0, 160, 120, 50, 0})}},
        {setTextCursor({319, 239}), {"SC", bytes({1, 63, 239})}},
        {showScreenPicture(12), {"LP", bytes({12})}},
        {identifyController(), {"ID"}},
        {setControllerBaudRate(6), {bytes({'B', 'R', 6})}},
        {fontUploadBegin(FontSlot::Font1), {"SF1"}},
        {fontUploadBegin(FontSlot::Font2), {"SF2"}},
        {clearScreen(200), {bytes({'C', 'S', 200})}},
        {rotateScreen(), {"RS"}},
        {setBacklight(false), {bytes({'B', 'L', 0})}},
        {setBacklight(true), {bytes({'B', 'L', 1})}},
        {beep(), {"BP"}},
        {setBeepOnTouch(true), {bytes({'B', 'T', 1})}},
        {touchCoordinatesOn(), {"TE"}},
        {touchKeypadOn(), {"KP"}},
        {touchOff(), {"TD"}},
        {touchCalibrate(), {"TC"}},
        {restoreCalibration(), {"RC"}},
    };
    for (const auto& [writes, expected] : cases)
        QCOMPARE(writes.toList(), expected);
}

void tst_Commands::textFormsEndWithCarriageReturn() {
    QCOMPARE(
        writeText(224, 2, QByteArray("Hx\bi")).toList(),
        (QList<QByteArray>{bytes({'W', 'T', 224, 2}), "H", "x", bytes({8}), "i", bytes({13})}));
    QCOMPARE(writeText(255, 1, QByteArray()).toList(),
             (QList<QByteArray>{bytes({'W', 'T', 255, 1}), bytes({13})}));

    // The font test: 16 bytes in 14 writes, no font number.
    QList<QByteArray> fontTest{bytes({'W', 'T', 255})};
    for (int code = 33; code <= 44; ++code)
        fontTest.append(bytes({code}));
    fontTest.append(bytes({13}));
    QCOMPARE(writeText(255, std::nullopt, "!\"#$%&'()*+,").toList(), fontTest);
}

void tst_Commands::picturesAndFontsSendEachPixelByteAlone() {
    QByteArray pixels(76800, '\0');
    for (int i = 0; i < pixels.size(); ++i)
        pixels[i] = char(i % 251);
    const WriteList screen = writeScreen(pixels);
    QCOMPARE(screen.count(), 76801);
    QCOMPARE(screen.at(0).toByteArray(), QByteArray("WS"));
    QCOMPARE(screen.at(76800).toByteArray(), bytes({76799 % 251}));

    const WriteList save = saveScreenPicture(12, pixels);
    QCOMPARE(save.count(), 76801);
    QCOMPARE(save.at(0).toByteArray(), bytes({'S', 'P', 12}));
    QCOMPARE(save.bytes().mid(3), pixels);

    const WriteList table = fontSizeTable(QList<GlyphSize>(94, GlyphSize{9, 12}));
    QCOMPARE(table.count(), 94);
    QCOMPARE(table.at(93).toByteArray(), bytes({9, 12}));
    QCOMPARE(fontGlyph({9, 2}, bytes({0x83, 0x01})).toList(),
             (QList<QByteArray>{bytes({9, 2}), bytes({0x83}), bytes({0x01})}));
}

void tst_Commands::writeListSlicesAndCompares() {
    WriteList writes{"AB", "C"};
    writes.appendEachByte("DEF");
    QCOMPARE(writes.mid(1, 3).toList(), (QList<QByteArray>{"C", "D", "E"}));
    QCOMPARE(writes.mid(4, 10).toList(), QList<QByteArray>{"F"});
    QVERIFY(writes.mid(5, 1).isEmpty());
    // Same bytes, other grouping: not the same command.
    QVERIFY((WriteList{"AB", "C"}) != (WriteList{"A", "BC"}));
}

void tst_Commands::lineSettingsFollowTheRateIndex() {
    QCOMPARE(LineSettings::forIndex(0), QStringLiteral("9600,N,8,1"));
    QCOMPARE(LineSettings::forIndex(6), QStringLiteral("115200,N,8,1"));
    QVERIFY(LineSettings::forIndex(7).isEmpty());
    QCOMPARE(LineSettings::baudRateOf(QStringLiteral("28800,N,8,1")), std::optional<int>(28800));
    QCOMPARE(LineSettings::baudRateOf(QStringLiteral("12345,N,8,1")), std::nullopt);
    QCOMPARE(LineSettings::baudRateOf(QStringLiteral("9600,E,8,1")), std::nullopt);
}

void tst_Commands::expandedColoursReduceToThemselves() {
    for (int value = 0; value < 256; ++value)
        QCOMPARE(int(ColorValue::reduce(ColorValue::expand(quint8(value)))), value);
    QCOMPARE(ColorValue::expand(255), 0xFFFFFFFFu);
    QCOMPARE(int(ColorValue::levelsOf(-1, 40, -7).red), 0);
}

void tst_Commands::portsSortByNumberAndComeFromTheEnvironment() {
    QStringList names{QStringLiteral("COM10"), QStringLiteral("COM2"), QStringLiteral("COM17"),
                      QStringLiteral("COM1")};
    std::sort(names.begin(), names.end(), PortCatalog::lessByNumber);
    QCOMPARE(names, (QStringList{QStringLiteral("COM1"), QStringLiteral("COM2"),
                                 QStringLiteral("COM10"), QStringLiteral("COM17")}));

    const QChar separator = QDir::listSeparator();
    const QList<PortEntry> fromEnvironment = PortCatalog::entriesFromEnvironment(
        QStringLiteral("/dev/pts/3") + separator + separator + QStringLiteral("/tmp/board "));
    QCOMPARE(fromEnvironment,
             (QList<PortEntry>{{QStringLiteral("/dev/pts/3"), QStringLiteral("/dev/pts/3")},
                               {QStringLiteral("/tmp/board"), QStringLiteral("/tmp/board")}}));
    QVERIFY(PortCatalog::entriesFromEnvironment(QString()).isEmpty());

    // A device path is listed while it is there; a plain port name always.
    QTemporaryDir folder;
    const QString there = folder.filePath(QStringLiteral("board"));
    const QString gone = folder.filePath(QStringLiteral("unplugged"));
    QVERIFY(QFile(there).open(QIODevice::WriteOnly));
    const QList<PortEntry> named{
        {there, there}, {gone, gone}, {QStringLiteral("COM7"), QStringLiteral("COM7")}};
    QCOMPARE(PortCatalog::presentDevices(named),
             (QList<PortEntry>{{there, there}, {QStringLiteral("COM7"), QStringLiteral("COM7")}}));

#ifdef Q_OS_WIN
    QCOMPARE(PortCatalog::entryForSystemPort(QStringLiteral("COM17")),
             (PortEntry{QStringLiteral("17"), QStringLiteral("COM17")}));
#else
    QCOMPARE(PortCatalog::entryForSystemPort(QStringLiteral("ttyUSB0")),
             (PortEntry{QStringLiteral("ttyUSB0"), QStringLiteral("ttyUSB0")}));
#endif
}

QTEST_GUILESS_MAIN(tst_Commands)
#include "tst_commands.moc"
