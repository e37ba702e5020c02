#include "serial/colorvalue.h"
#include "serial/commands.h"
#include "serial/linesettings.h"
#include "serial/portcatalog.h"
#include "testbench.h"

#include <QDir>
#include <QTest>

using namespace Commands;

class tst_Commands : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void splitsXAtWholeMultiplesOf256();
    void drawingCommandsGroupTheirWrites();
    void shortCommandsAreOneWrite();
    void textFormsEndWithCarriageReturn();
    void picturesAndFontsSendEachPixelByteAlone();
    void bytesAbove127ReachTheWireUnchanged();
    void writeListSlicesAndCompares();
    void lineSettingsFollowTheRateIndex();
    void expandedColoursReduceToThemselves();
    void portsSortByNumberAndComeFromTheEnvironment();
};

void tst_Commands::splitsXAtWholeMultiplesOf256() {
    const QList<QPair<quint16, QPair<int, int>>> cases{
        {0, {0, 0}},    {255, {0, 255}},     {256, {1, 0}},       {300, {1, 44}},
        {319, {1, 63}}, {32767, {127, 255}}, {65535, {255, 255}},
    };
    for (const auto& [x, parts] : cases) {
        const XParts split = splitX(x);
        QCOMPARE(split.high, parts.first);
        QCOMPARE(split.low, parts.second);
    }
}

void tst_Commands::drawingCommandsGroupTheirWrites() {
    QCOMPARE(drawPixel({300, 10}, 224).toList(),
             (QList<QByteArray>{"WP", bytes({1, 44, 10, 224})}));
    QCOMPARE(drawLine({300, 5}, {10, 200}, 255).toList(),
             (QList<QByteArray>{"DL", bytes({1, 44, 5}), bytes({0, 10, 200, 255})}));
    QCOMPARE(drawRectangle({300, 0}, {310, 239}, 7).toList(),
             (QList<QByteArray>{"DR", bytes({1, 44, 0}), bytes({1, 54, 239, 7})}));
    QCOMPARE(fillRectangle({0, 0}, {319, 239}, 0).toList(),
             (QList<QByteArray>{"FR", bytes({0, 0, 0}), bytes({1, 63, 239, 0})}));
    QCOMPARE(drawCircle({160, 120}, 50, 0).toList(),
             (QList<QByteArray>{"DC", bytes({0, 160, 120, 50, 0})}));
    QCOMPARE(fillCircle({160, 120}, 50, 0).toList(),
             (QList<QByteArray>{"FC", bytes({0, 160, 120, 50, 0})}));
    QCOMPARE(setTextCursor({319, 239}).toList(), (QList<QByteArray>{"SC", bytes({1, 63, 239})}));
    QCOMPARE(showScreenPicture(12).toList(), (QList<QByteArray>{"LP", bytes({12})}));
}

void tst_Commands::shortCommandsAreOneWrite() {
    const QList<QPair<WriteList, QByteArray>> cases{
        {identifyController(), "ID"},
        {setControllerBaudRate(0), QByteArray("BR") + bytes({0})},
        {setControllerBaudRate(6), QByteArray("BR") + bytes({6})},
        {fontUploadBegin(FontSlot::Font1), "SF1"},
        {fontUploadBegin(FontSlot::Font2), "SF2"},
        {clearScreen(255), QByteArray("CS") + bytes({255})},
        {rotateScreen(), "RS"},
        {setBacklight(false), QByteArray("BL") + bytes({0})},
        {setBacklight(true), QByteArray("BL") + bytes({1})},
        {beep(), "BP"},
        {setBeepOnTouch(true), QByteArray("BT") + bytes({1})},
        {touchCoordinatesOn(), "TE"},
        {touchKeypadOn(), "KP"},
        {touchOff(), "TD"},
        {touchCalibrate(), "TC"},
        {restoreCalibration(), "RC"},
    };
    for (const auto& [writes, expected] : cases)
        QCOMPARE(writes.toList(), QList<QByteArray>{expected});
}

void tst_Commands::textFormsEndWithCarriageReturn() {
    QCOMPARE(writeText(224, 2, "Hi").toList(),
             (QList<QByteArray>{QByteArray("WT") + bytes({224, 2}), "H", "i", bytes({13})}));
    QCOMPARE(writeText(224, 1, QByteArray("Hx\bi")).toList(),
             (QList<QByteArray>{QByteArray("WT") + bytes({224, 1}), "H", "x", bytes({8}), "i",
                                bytes({13})}));
    QCOMPARE(writeText(255, 1, QByteArray()).toList(),
             (QList<QByteArray>{QByteArray("WT") + bytes({255, 1}), bytes({13})}));

    // The font test: 16 bytes in 14 writes, no font number.
    const WriteList test = writeText(255, std::nullopt, "!\"#$%&'()*+,");
    QCOMPARE(test.count(), 14);
    QCOMPARE(test.bytes().size(), 16);
    QCOMPARE(test.at(0).toByteArray(), QByteArray("WT") + bytes({255}));
    for (int code = 33; code <= 44; ++code)
        QCOMPARE(test.at(code - 32).toByteArray(), bytes({code}));
    QCOMPARE(test.at(13).toByteArray(), bytes({13}));
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
    QCOMPARE(save.at(0).toByteArray(), QByteArray("SP") + bytes({12}));
    QCOMPARE(save.bytes().mid(3), pixels);

    const QList<GlyphSize> sizes(94, GlyphSize{9, 12});
    const WriteList table = fontSizeTable(sizes);
    QCOMPARE(table.count(), 94);
    QCOMPARE(table.at(93).toByteArray(), bytes({9, 12}));

    QCOMPARE(fontGlyph({9, 2}, bytes({0x83, 0x01, 0xff, 0x00})).toList(),
             (QList<QByteArray>{bytes({9, 2}), bytes({0x83}), bytes({0x01}), bytes({0xff}),
                                bytes({0x00})}));
}

void tst_Commands::bytesAbove127ReachTheWireUnchanged() {
    const WriteList writes = clearScreen(200);
    QCOMPARE(quint8(writes.at(0).at(2)), quint8(200));
    QCOMPARE(quint8(drawPixel({0, 255}, 128).at(1).at(3)), quint8(128));
}

void tst_Commands::writeListSlicesAndCompares() {
    WriteList writes{"AB", "C"};
    writes.appendEachByte("DEF");
    QCOMPARE(writes.count(), 5);
    QCOMPARE(writes.mid(1, 3).toList(), (QList<QByteArray>{"C", "D", "E"}));
    QCOMPARE(writes.mid(4, 10).toList(), QList<QByteArray>{"F"});
    QVERIFY(writes.mid(5, 1).isEmpty());
    // Same bytes, other grouping: not the same command.
    QVERIFY((WriteList{"AB", "C"}) != (WriteList{"A", "BC"}));
}

void tst_Commands::lineSettingsFollowTheRateIndex() {
    QCOMPARE(LineSettings::forIndex(0), QStringLiteral("9600,N,8,1"));
    QCOMPARE(LineSettings::forIndex(6), QStringLiteral("115200,N,8,1"));
    QVERIFY(LineSettings::forIndex(-1).isEmpty());
    QVERIFY(LineSettings::forIndex(7).isEmpty());
    QCOMPARE(LineSettings::baudRateOf(QStringLiteral("28800,N,8,1")), std::optional<int>(28800));
    QCOMPARE(LineSettings::baudRateOf(QStringLiteral("12345,N,8,1")), std::nullopt);
    QCOMPARE(LineSettings::baudRateOf(QStringLiteral("9600,E,8,1")), std::nullopt);
    QCOMPARE(LineSettings::baudRateOf(QStringLiteral("9600")), std::nullopt);
}

void tst_Commands::expandedColoursReduceToThemselves() {
    for (int value = 0; value < 256; ++value)
        QCOMPARE(int(ColorValue::reduce(ColorValue::expand(quint8(value)))), value);
    QCOMPARE(ColorValue::expand(255), qRgb(255, 255, 255));
    QCOMPARE(ColorValue::expand(0), qRgb(0, 0, 0));
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
