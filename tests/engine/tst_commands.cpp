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
    void eachCommandHasItsBytesAndGrouping();
    void writeListSlicesAndCompares();
    void lineSettingsFollowTheRateIndex();
    void expandedColoursReduceToThemselves();
    void portsSortByNumberAndComeFromTheEnvironment();
};

void tst_Commands::eachCommandHasItsBytesAndGrouping() {
    // What no command-line request makes (those are checked as they leave it).
    const QList<QPair<WriteList, QList<QByteArray>>> cases{
        {identifyController(), {"ID"}},
        {setControllerBaudRate(6), {bytes({'B', 'R', 6})}},
        {fontUploadBegin(FontSlot::Font1), {"SF1"}},
        {fontUploadBegin(FontSlot::Font2), {"SF2"}},
        {setBacklight(true), {bytes({'B', 'L', 1})}},
        {touchCoordinatesOn(), {"TE"}},
        {touchKeypadOn(), {"KP"}},
        {touchOff(), {"TD"}},
        {fontGlyph({9, 2}, bytes({0x83, 0x01})), {bytes({9, 2}), bytes({0x83}), bytes({0x01})}},
        {writeText(255, 1, QByteArray()), {bytes({'W', 'T', 255, 1}), bytes({13})}},
    };
    for (const auto& [writes, expected] : cases)
        QCOMPARE(writes.toList(), expected);
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
