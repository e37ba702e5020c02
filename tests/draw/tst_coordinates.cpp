#include "app/session.h"
#include "testbench.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

const QString Coordinates = QStringLiteral("frmCoordinates");

using Writes = QList<QByteArray>;

} // namespace

// The shape drawing window: what each "Send" puts on the line, and what it refuses.
class tst_Coordinates : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensWithItsDesignState();
    void shapeOptionsSwitchFramesAndKeepValues();
    void sendsEachShape_data();
    void sendsEachShape();
    void closedPortSendsNothingAndReadsNoBox();
    void badEntriesAreRefusedWithNothingSent_data();
    void badEntriesAreRefusedWithNothingSent();
    void pickColorOpensThePickerForThisWindow();

private:
    QLineEdit* box(TestBench& bench, const QString& name) {
        return bench.find<QLineEdit>(Coordinates, name);
    }
    QRadioButton* option(TestBench& bench, const QString& name) {
        return bench.find<QRadioButton>(Coordinates, name);
    }
    bool shows(TestBench& bench, const char* frame) {
        return bench.find<QGroupBox>(Coordinates, QLatin1String(frame))->isVisible();
    }
    // Selects the options (each by a click, as the user would) and presses the Send
    // of the frame that shows.
    void send(TestBench& bench, const QStringList& options) {
        for (const QString& name : options)
            click(option(bench, name));
        for (const char* button : {"Command23", "cmdCircle", "cmdPixel"}) {
            auto* send = bench.find<QPushButton>(Coordinates, QLatin1String(button));
            if (send->isVisible())
                click(send);
        }
    }
};

void tst_Coordinates::opensWithItsDesignState() {
    TestBench bench;
    QWidget* window = bench.open(Coordinates);
    QCOMPARE(window->windowTitle(), QStringLiteral(" Coordinates "));
    QCOMPARE(bench.find<QGroupBox>(Coordinates, QStringLiteral("Frame34"))->title(),
             QStringLiteral("Line/Rectangle/Circle/Pixel"));
    QCOMPARE(bench.find<QGroupBox>(Coordinates, QStringLiteral("Frame4"))->title(),
             QStringLiteral("Color"));
    QVERIFY(option(bench, QStringLiteral("optLine"))->isChecked());
    QVERIFY(shows(bench, "frmLR"));
    QVERIFY(!shows(bench, "frmCircle"));
    QVERIFY(!shows(bench, "frmPixel"));
    QVERIFY(option(bench, QStringLiteral("optEmpty"))->isChecked());
    QVERIFY(!option(bench, QStringLiteral("optEmpty"))->isEnabled());
    QVERIFY(!option(bench, QStringLiteral("optFilled"))->isEnabled());
    QCOMPARE(box(bench, QStringLiteral("txtColor"))->text(), QStringLiteral("255"));
    for (const char* name :
         {"txtX0", "txtY0", "txtX1", "txtY1", "txtCX", "txtCY", "txtRadius", "txtPX", "txtPY"})
        QCOMPARE(box(bench, QLatin1String(name))->text(), QStringLiteral("0"));
    for (const char* name : {"Command23", "cmdCircle", "cmdPixel"})
        QCOMPARE(bench.find<QPushButton>(Coordinates, QLatin1String(name))->text(),
                 QStringLiteral("Send"));
}

void tst_Coordinates::shapeOptionsSwitchFramesAndKeepValues() {
    TestBench bench;
    bench.open(Coordinates);
    QRadioButton* empty = option(bench, QStringLiteral("optEmpty"));
    QRadioButton* filled = option(bench, QStringLiteral("optFilled"));
    box(bench, QStringLiteral("txtX0"))->setText(QStringLiteral("12"));

    click(option(bench, QStringLiteral("optRectangle")));
    QVERIFY(shows(bench, "frmLR") && !shows(bench, "frmCircle") && !shows(bench, "frmPixel"));
    QVERIFY(empty->isEnabled() && filled->isEnabled());
    click(filled);

    click(option(bench, QStringLiteral("optPixel")));
    QVERIFY(!shows(bench, "frmLR") && !shows(bench, "frmCircle") && shows(bench, "frmPixel"));
    QVERIFY(!empty->isEnabled() && !filled->isEnabled());
    // Disabled, the choice is kept.
    QVERIFY(filled->isChecked());
    box(bench, QStringLiteral("txtPX"))->setText(QStringLiteral("34"));

    click(option(bench, QStringLiteral("optCircle")));
    QVERIFY(!shows(bench, "frmLR") && shows(bench, "frmCircle") && !shows(bench, "frmPixel"));
    QVERIFY(empty->isEnabled() && filled->isEnabled() && filled->isChecked());

    click(option(bench, QStringLiteral("optLine")));
    QVERIFY(shows(bench, "frmLR") && !shows(bench, "frmCircle") && !shows(bench, "frmPixel"));
    QVERIFY(!empty->isEnabled() && !filled->isEnabled() && filled->isChecked());
    QCOMPARE(box(bench, QStringLiteral("txtX0"))->text(), QStringLiteral("12"));
    QCOMPARE(box(bench, QStringLiteral("txtPX"))->text(), QStringLiteral("34"));
}

void tst_Coordinates::sendsEachShape_data() {
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("entries"); // box, text, box, text ...
    QTest::addColumn<Writes>("writes");

    const auto entries = [](std::initializer_list<const char*> pairs) {
        QStringList list;
        for (const char* text : pairs)
            list.append(QLatin1String(text));
        return list;
    };
    QTest::newRow("pixel") << QStringList{QStringLiteral("optPixel")}
                           << entries({"txtPX", "300", "txtPY", "10", "txtColor", "224"})
                           << Writes{"WP", bytes({1, 44, 10, 224})};
    QTest::newRow("pixel x 255") << QStringList{QStringLiteral("optPixel")}
                                 << entries({"txtPX", "255", "txtPY", "0", "txtColor", "1"})
                                 << Writes{"WP", bytes({0, 255, 0, 1})};
    QTest::newRow("pixel x 256") << QStringList{QStringLiteral("optPixel")}
                                 << entries({"txtPX", "256", "txtPY", "239", "txtColor", "0"})
                                 << Writes{"WP", bytes({1, 0, 239, 0})};
    QTest::newRow("pixel largest x")
        << QStringList{QStringLiteral("optPixel")}
        << entries({"txtPX", " 32767 ", "txtPY", "255", "txtColor", "255"})
        << Writes{"WP", bytes({127, 255, 255, 255})};
    QTest::newRow("line") << QStringList{}
                          << entries({"txtX0", "300", "txtY0", "5", "txtX1", "10", "txtY1", "200"})
                          << Writes{"DL", bytes({1, 44, 5}), bytes({0, 10, 200, 255})};
    // With "Line" the Empty/Filled choice has no say.
    QTest::newRow("line after filled")
        << QStringList{QStringLiteral("optRectangle"), QStringLiteral("optFilled"),
                       QStringLiteral("optLine")}
        << entries({"txtX0", "1", "txtY0", "2", "txtX1", "3", "txtY1", "4", "txtColor", "28"})
        << Writes{"DL", bytes({0, 1, 2}), bytes({0, 3, 4, 28})};
    QTest::newRow("empty rectangle")
        << QStringList{QStringLiteral("optRectangle")}
        << entries({"txtX0", "300", "txtY0", "0", "txtX1", "310", "txtY1", "239"})
        << Writes{"DR", bytes({1, 44, 0}), bytes({1, 54, 239, 255})};
    QTest::newRow("filled rectangle")
        << QStringList{QStringLiteral("optRectangle"), QStringLiteral("optFilled")}
        << entries({"txtX0", "0", "txtY0", "0", "txtX1", "319", "txtY1", "239", "txtColor", "3"})
        << Writes{"FR", bytes({0, 0, 0}), bytes({1, 63, 239, 3})};
    QTest::newRow("filled circle")
        << QStringList{QStringLiteral("optCircle"), QStringLiteral("optFilled")}
        << entries({"txtCX", "160", "txtCY", "120", "txtRadius", "50", "txtColor", "0"})
        << Writes{"FC", bytes({0, 160, 120, 50, 0})};
    QTest::newRow("empty circle") << QStringList{QStringLiteral("optCircle")}
                                  << entries({"txtCX", "300", "txtCY", "100", "txtRadius", "255",
                                              "txtColor", "224"})
                                  << Writes{"DC", bytes({1, 44, 100, 255, 224})};
    QTest::newRow("circle back to empty")
        << QStringList{QStringLiteral("optCircle"), QStringLiteral("optFilled"),
                       QStringLiteral("optEmpty")}
        << entries({"txtCX", "5", "txtCY", "6", "txtRadius", "7"})
        << Writes{"DC", bytes({0, 5, 6, 7, 255})};
}

void tst_Coordinates::sendsEachShape() {
    QFETCH(QStringList, options);
    QFETCH(QStringList, entries);
    QFETCH(Writes, writes);
    TestBench bench;
    bench.connectBoard();
    bench.open(Coordinates);
    bench.line().takeWrites();
    for (qsizetype i = 0; i + 1 < entries.size(); i += 2)
        box(bench, entries[i])->setText(entries[i + 1]);

    send(bench, options);
    QCOMPARE(bench.line().takeWrites(), writes);
    QVERIFY(bench.dialogs().messages.isEmpty());
    // The boxes keep what was typed: the same shape goes out again.
    send(bench, {});
    QCOMPARE(bench.line().takeWrites(), writes);
}

void tst_Coordinates::closedPortSendsNothingAndReadsNoBox() {
    TestBench bench;
    bench.open(Coordinates);
    // Entries that would be refused if they were read.
    for (const char* name : {"txtX0", "txtCX", "txtPX", "txtColor"})
        box(bench, QLatin1String(name))->setText(QStringLiteral("nonsense"));
    for (const QStringList& options :
         {QStringList{}, QStringList{QStringLiteral("optRectangle")},
          QStringList{QStringLiteral("optCircle")}, QStringList{QStringLiteral("optPixel")}})
        send(bench, options);
    QVERIFY(bench.line().writes.isEmpty());
    QVERIFY(bench.dialogs().messages.isEmpty());
}

void tst_Coordinates::badEntriesAreRefusedWithNothingSent_data() {
    QTest::addColumn<QString>("shape");
    QTest::addColumn<QString>("boxName");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("message");

    const auto row = [](const char* name, const char* shape, const char* box, const char* text,
                        const char* message) {
        QTest::newRow(name) << QString::fromLatin1(shape) << QString::fromLatin1(box)
                            << QString::fromUtf8(text) << QString::fromUtf8(message);
    };
    row("pixel x empty", "optPixel", "txtPX", "",
        "Pixel X is empty. Enter a whole number from 0 to 32767.");
    row("pixel y too large", "optPixel", "txtPY", "256",
        "Pixel Y 256 is out of range. Enter a whole number from 0 to 255.");
    row("line start x not a number", "optLine", "txtX0", "1O",
        "Start X \"1O\" is not a whole number. Enter a whole number from 0 to 32767.");
    row("line start y negative", "optLine", "txtY0", "-1",
        "Start Y -1 is out of range. Enter a whole number from 0 to 255.");
    row("line end x beyond 16 bits", "optLine", "txtX1", "32768",
        "End X 32768 is out of range. Enter a whole number from 0 to 32767.");
    row("line end y decimal", "optLine", "txtY1", "2.5",
        "End Y \"2.5\" is not a whole number. Enter a whole number from 0 to 255.");
    // The colour is read last: nothing of the command may have gone out before it.
    row("rectangle colour too large", "optRectangle", "txtColor", "300",
        "Color 300 is out of range. Enter a whole number from 0 to 255.");
    row("circle centre x huge", "optCircle", "txtCX", "99999999999999999999",
        "Center X 99999999999999999999 is out of range. Enter a whole number from 0 to 32767.");
    row("circle centre y blank", "optCircle", "txtCY", "   ",
        "Center Y is empty. Enter a whole number from 0 to 255.");
    row("circle radius too large", "optCircle", "txtRadius", "256",
        "Radius 256 is out of range. Enter a whole number from 0 to 255.");
    row("circle colour word", "optCircle", "txtColor", "red",
        "Color \"red\" is not a whole number. Enter a whole number from 0 to 255.");
}

void tst_Coordinates::badEntriesAreRefusedWithNothingSent() {
    QFETCH(QString, shape);
    QFETCH(QString, boxName);
    QFETCH(QString, text);
    QFETCH(QString, message);
    TestBench bench;
    bench.connectBoard();
    bench.open(Coordinates);
    bench.line().takeWrites();
    // Every other box holds a good value.
    for (const char* name :
         {"txtX0", "txtY0", "txtX1", "txtY1", "txtCX", "txtCY", "txtRadius", "txtPX", "txtPY"})
        box(bench, QLatin1String(name))->setText(QStringLiteral("10"));
    box(bench, boxName)->setText(text);

    send(bench, {shape});
    QVERIFY(bench.line().writes.isEmpty());
    QCOMPARE(bench.dialogs().messages.size(), 1);
    const ScriptedDialogs::Message shown = bench.dialogs().messages.first();
    QCOMPARE(shown.title, QStringLiteral("Warning"));
    QCOMPARE(shown.icon, UserDialogs::Icon::Warning);
    QCOMPARE(shown.text, message);
    // The entry stays for the user to correct; the board line stays in step.
    QCOMPARE(box(bench, boxName)->text(), text);
    QVERIFY(bench.window(Coordinates));

    box(bench, boxName)->setText(QStringLiteral("10"));
    send(bench, {});
    QVERIFY(!bench.line().takeWrites().isEmpty());
    QCOMPARE(bench.dialogs().messages.size(), 1);
}

void tst_Coordinates::pickColorOpensThePickerForThisWindow() {
    TestBench bench;
    bench.open(Coordinates);
    click(bench.find<QPushButton>(Coordinates, QStringLiteral("cmdColor")));
    QCOMPARE(bench.main().session().colorRequester(), QStringLiteral("Coordinates"));
    QVERIFY(bench.window(QStringLiteral("frmColor")));

    // The picker's colour lands in the colour box, and a typed colour is used as it is.
    click(bench.find<QPushButton>(QStringLiteral("frmColor"), QStringLiteral("cmdSetColor")));
    QCOMPARE(box(bench, QStringLiteral("txtColor"))->text(), QStringLiteral("255"));
    bench.connectBoard();
    bench.line().takeWrites();
    box(bench, QStringLiteral("txtColor"))->setText(QStringLiteral("17"));
    send(bench, {QStringLiteral("optPixel")});
    QCOMPARE(bench.line().takeWrites(), (Writes{"WP", bytes({0, 0, 0, 17})}));
}

QTEST_MAIN(tst_Coordinates)
#include "tst_coordinates.moc"
