#include "engine/msserial.h"
#include "engine/uploader.h"
#include "testbench.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

const QString Coordinates = QStringLiteral("frmCoordinates");

using Writes = QList<QByteArray>;

QLineEdit* box(TestBench& bench, const QString& name) {
    return bench.find<QLineEdit>(Coordinates, name);
}

QRadioButton* option(TestBench& bench, const char* name) {
    return bench.find<QRadioButton>(Coordinates, QLatin1String(name));
}

// Clicks the options as the user would, then the Send of the frame that shows.
void send(TestBench& bench, const QStringList& options) {
    for (const QString& name : options)
        click(option(bench, qPrintable(name)));
    for (const char* button : {"Command23", "cmdCircle", "cmdPixel"}) {
        auto* send = bench.find<QPushButton>(Coordinates, QLatin1String(button));
        if (send->isVisible())
            click(send);
    }
}

// The window connected, with these entries typed: box, text, box, text ...
void openWith(TestBench& bench, const QStringList& entries) {
    bench.connectBoard();
    bench.open(Coordinates);
    bench.line().takeWrites();
    for (qsizetype i = 0; i + 1 < entries.size(); i += 2)
        box(bench, entries[i])->setText(entries[i + 1]);
}

} // namespace

// The shape drawing window: what each "Send" puts on the line, and what it refuses.
class tst_Coordinates : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sendsEachShape_data();
    void sendsEachShape();
    void controlsAndClosedPortOrAnUploadSendNothing();
    void badEntriesAreRefusedWithNothingSent_data();
    void badEntriesAreRefusedWithNothingSent();
};

void tst_Coordinates::sendsEachShape_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("entries"); // box, text, box, text ...; the colour is 255 unless set
    QTest::addColumn<Writes>("writes");
    const auto row = [](const char* name, const char* options, const char* entries,
                        const Writes& writes) {
        QTest::newRow(name) << QString::fromLatin1(options).split(QLatin1Char(' '),
                                                                  Qt::SkipEmptyParts)
                            << QString::fromLatin1(entries) << writes;
    };
    row("pixel", "optPixel", "txtPX 300 txtPY 10 txtColor 224", {"WP", bytes({1, 44, 10, 224})});
    // With "Line" the Empty/Filled choice has no say.
    row("line", "optRectangle optFilled optLine", "txtX0 300 txtY0 5 txtX1 10 txtY1 200",
        {"DL", bytes({1, 44, 5}), bytes({0, 10, 200, 255})});
    row("empty rectangle", "optRectangle", "txtX0 300 txtY0 0 txtX1 310 txtY1 239",
        {"DR", bytes({1, 44, 0}), bytes({1, 54, 239, 255})});
    row("filled rectangle", "optRectangle optFilled", "txtX1 319 txtY1 239 txtColor 3",
        {"FR", bytes({0, 0, 0}), bytes({1, 63, 239, 3})});
    // Disabled for a pixel, Empty/Filled keeps its choice for the next circle.
    row("filled circle", "optCircle optFilled optPixel optCircle",
        "txtCX 160 txtCY 120 txtRadius 50 txtColor 0", {"FC", bytes({0, 160, 120, 50, 0})});
    row("empty circle", "optCircle", "txtCX 300 txtCY 100 txtRadius 255 txtColor 224",
        {"DC", bytes({1, 44, 100, 255, 224})});
}

void tst_Coordinates::sendsEachShape() {
    QFETCH(QStringList, options);
    QFETCH(QString, entries);
    QFETCH(Writes, writes);
    TestBench bench;
    openWith(bench, entries.split(QLatin1Char(' ')));
    send(bench, options);
    QCOMPARE(bench.line().takeWrites(), writes);
    QVERIFY(bench.dialogs().messages.isEmpty());
    // The boxes keep what was typed: the same shape goes out again.
    send(bench, {});
    QCOMPARE(bench.line().takeWrites(), writes);
}

void tst_Coordinates::controlsAndClosedPortOrAnUploadSendNothing() {
    TestBench bench;
    QCOMPARE(bench.open(Coordinates)->windowTitle(), QStringLiteral(" Coordinates "));
    QCOMPARE(bench.captionMismatches(
                 Coordinates,
                 {"Frame34:Line/Rectangle/Circle/Pixel", "optLine:Line", "optRectangle:Rectangle",
                  "optCircle:Circle", "optPixel:Pixel", "Frame4:Color", "cmdColor:Pick Color",
                  "optEmpty:Empty", "optFilled:Filled", "Command23:Send", "cmdCircle:Send",
                  "cmdPixel:Send", "lblStart:Start", "lblEnd:End", "lblCenter:Center",
                  "lblRadius:Radius", "lblPixel:Pixel"}),
             QStringList());
    QVERIFY(option(bench, "optLine")->isChecked() && !option(bench, "optFilled")->isEnabled());

    // Closed port: nothing goes out and entries that would be refused are never read.
    const auto everyShapeSendsNothing = [&bench] {
        for (const char* shape : {"optLine", "optRectangle", "optCircle", "optPixel"})
            send(bench, {QLatin1String(shape)});
        return bench.line().writes.isEmpty() && bench.dialogs().messages.isEmpty();
    };
    for (const char* name : {"txtX0", "txtCX", "txtPX", "txtColor"})
        box(bench, QLatin1String(name))->setText(QStringLiteral("nonsense"));
    QVERIFY(everyShapeSendsNothing());

    // A shape drawn during an upload would land in the middle of the font going out.
    bench.connectBoard();
    QVERIFY(bench.startUpload(QStringLiteral("The font upload"), "SF1"));
    bench.line().takeWrites();
    QVERIFY(everyShapeSendsNothing());
    QCOMPARE(bench.main().statusNote(),
             QStringLiteral("The font upload is still running: nothing was sent."));
}

void tst_Coordinates::badEntriesAreRefusedWithNothingSent_data() {
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QString>("boxName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");
    const auto row = [](const char* name, const char* shape, const char* box, const char* text,
                        const char* message) {
        QTest::newRow(name) << QString::fromLatin1(shape) << QString::fromLatin1(box)
                            << QString::fromLatin1(text) << QString::fromLatin1(message);
    };
    row("empty", "optPixel", "txtPX", "",
        "Pixel X is empty. Enter a whole number from 0 to 32767.");
    row("not a number", "optLine", "txtX0", "1O",
        "Start X \"1O\" is not a whole number. Enter a whole number from 0 to 32767.");
    row("negative", "optLine", "txtY1", "-1",
        "End Y -1 is out of range. Enter a whole number from 0 to 255.");
    // The colour is read last: nothing of the command may have gone out before it.
    row("colour too large", "optRectangle", "txtColor", "300",
        "Color 300 is out of range. Enter a whole number from 0 to 255.");
    row("radius too large", "optCircle", "txtRadius", "256",
        "Radius 256 is out of range. Enter a whole number from 0 to 255.");
}

void tst_Coordinates::badEntriesAreRefusedWithNothingSent() {
    QFETCH(QString, shape);
    QFETCH(QString, boxName);
    QFETCH(QString, text);
    QFETCH(QString, message);
    TestBench bench;
    openWith(bench, {boxName, text});
    send(bench, {shape});
    QVERIFY(bench.line().writes.isEmpty());
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Warning"));
    QCOMPARE(bench.dialogs().messages[0].icon, UserDialogs::Icon::Warning);
    QCOMPARE(bench.dialogs().messages[0].text, message);
    // The entry stays for the user to correct; the board line stays in step.
    QCOMPARE(box(bench, boxName)->text(), text);
    box(bench, boxName)->setText(QStringLiteral("10"));
    send(bench, {});
    QVERIFY(!bench.line().takeWrites().isEmpty());
    QCOMPARE(bench.dialogs().messages.size(), 1);
}

QTEST_MAIN(tst_Coordinates)
#include "tst_coordinates.moc"
