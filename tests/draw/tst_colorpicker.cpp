#include "app/session.h"
#include "app/toolwindows.h"
#include "app/updown.h"
#include "testbench.h"

#include <QAction>
#include <QFrame>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

namespace {

const QString Picker = QStringLiteral("frmColor");
const QString Text = QStringLiteral("frmText");
const QString Coordinates = QStringLiteral("frmCoordinates");

struct Readouts {
    QString rgb;
    QString levels;
    QString value;
};

} // namespace

// The colour picker, driven through its widgets.
class tst_ColorPicker : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensWithItsDesignState();
    void readoutsFollowTheMouse();
    void clickSelectsAndLaterMovesDoNot();
    void setColorWithoutAClickHandsOver255_data();
    void setColorWithoutAClickHandsOver255();
    void closingOtherwiseChangesNothingAndEachOpeningIsFresh();

private:
    QLineEdit* box(TestBench& bench, const char* name) {
        return bench.find<QLineEdit>(Picker, QLatin1String(name));
    }
    QFrame* palette(TestBench& bench) {
        return bench.find<QFrame>(Picker, QStringLiteral("picBox"));
    }
    // The middle of a swatch, in the palette box's own coordinates.
    QPoint swatch(TestBench& bench, int row, int column) {
        return palette(bench)->contentsRect().topLeft() + QPoint(column * 12 + 6, row * 18 + 9);
    }
    // A pixel of the palette picture, in the palette box's own coordinates.
    QPoint pixel(TestBench& bench, int x, int y) {
        return palette(bench)->contentsRect().topLeft() + QPoint(x, y);
    }
    // The pointer moving over the palette, delivered at once.
    void hover(TestBench& bench, QPoint at) {
        QFrame* box = palette(bench);
        QMouseEvent move(QEvent::MouseMove, QPointF(at), box->mapToGlobal(QPointF(at)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(box, &move);
    }
    Readouts readouts(TestBench& bench) {
        return {box(bench, "Text1")->text(), box(bench, "Text2")->text(),
                box(bench, "Text3")->text()};
    }
    void openFromMenu(TestBench& bench) {
        bench.main().findChild<QAction*>(QStringLiteral("mnuColorPic"))->trigger();
        QVERIFY(bench.window(Picker));
    }
};

#define COMPARE_READOUTS(bench, rgbText, levelsText, valueText)                                    \
    do {                                                                                           \
        const Readouts shown = readouts(bench);                                                    \
        QCOMPARE(shown.rgb, QStringLiteral(rgbText));                                              \
        QCOMPARE(shown.levels, QStringLiteral(levelsText));                                        \
        QCOMPARE(shown.value, QStringLiteral(valueText));                                          \
    } while (false)

void tst_ColorPicker::opensWithItsDesignState() {
    TestBench bench;
    openFromMenu(bench);
    QWidget* picker = bench.window(Picker);
    QCOMPARE(picker->windowTitle(), QStringLiteral(" Color Picker "));
    QCOMPARE(picker->size(), QSize(604, 456));
    QCOMPARE(palette(bench)->geometry(), QRect(112, 32, 387, 146));
    QVERIFY(palette(bench)->contentsRect().width() >= 384);
    QVERIFY(palette(bench)->contentsRect().height() >= 144);
    QCOMPARE(bench.find<QPushButton>(Picker, QStringLiteral("cmdSetColor"))->text(),
             QStringLiteral("Set Color"));
    QCOMPARE(bench.find<QPushButton>(Picker, QStringLiteral("cmdSetColor"))->geometry(),
             QRect(248, 264, 105, 25));
    COMPARE_READOUTS(bench, "", "", "");
    QCOMPARE(box(bench, "Text4")->text(), QStringLiteral("Default: 255"));
    QCOMPARE(box(bench, "Text4")->font().family(), QStringLiteral("Arial"));
    for (const char* name : {"Text1", "Text2", "Text3", "Text4"})
        QVERIFY(box(bench, name)->isReadOnly());
    auto* hovered = bench.find<UpDown>(Picker, QStringLiteral("UpDown1"));
    auto* selected = bench.find<UpDown>(Picker, QStringLiteral("UpDown2"));
    QCOMPARE(hovered->value(), 0);
    QCOMPARE(selected->value(), 255);
    QCOMPARE(hovered->maximum(), 319);
    QCOMPARE(selected->maximum(), 319);
    // Opened from the menu, the picker serves no tool window.
    QCOMPARE(bench.main().session().colorRequester(), QString());
}

void tst_ColorPicker::readoutsFollowTheMouse() {
    TestBench bench;
    openFromMenu(bench);

    hover(bench, swatch(bench, 0, 0));
    COMPARE_READOUTS(bench, "0:0:0", "0:0:0", "0");
    hover(bench, swatch(bench, 7, 31));
    COMPARE_READOUTS(bench, "255:255:255", "7:7:3", "255");
    hover(bench, swatch(bench, 7, 30));
    COMPARE_READOUTS(bench, "252:252:162", "7:7:2", "254");
    QCOMPARE(bench.find<UpDown>(Picker, QStringLiteral("UpDown1"))->value(), 254);
    hover(bench, swatch(bench, 0, 4));
    COMPARE_READOUTS(bench, "28:0:0", "0:0:0", "0");
    hover(bench, swatch(bench, 3, 9));
    COMPARE_READOUTS(bench, "61:97:74", "1:3:1", "45");

    // The outermost pixels of the picture belong to their swatches.
    hover(bench, pixel(bench, 383, 143));
    COMPARE_READOUTS(bench, "255:255:255", "7:7:3", "255");
    hover(bench, pixel(bench, 0, 0));
    COMPARE_READOUTS(bench, "0:0:0", "0:0:0", "0");
    // The frame around the picture reads nothing: the last colour stays.
    hover(bench, QPoint(0, 0));
    COMPARE_READOUTS(bench, "0:0:0", "0:0:0", "0");
    // Text boxes stay as they were selected.
    QCOMPARE(box(bench, "Text4")->text(), QStringLiteral("Default: 255"));
}

void tst_ColorPicker::clickSelectsAndLaterMovesDoNot() {
    TestBench bench;
    bench.open(Text);
    bench.main().session().setColorRequester(QStringLiteral("Text"));
    bench.open(Picker);

    QTest::mouseClick(palette(bench), Qt::LeftButton, {}, swatch(bench, 0, 28));
    COMPARE_READOUTS(bench, "252:0:0", "7:0:0", "224");
    QCOMPARE(box(bench, "Text4")->text(), QStringLiteral("224"));
    QCOMPARE(bench.find<UpDown>(Picker, QStringLiteral("UpDown2"))->value(), 224);

    hover(bench, swatch(bench, 4, 2));
    COMPARE_READOUTS(bench, "0:134:162", "0:4:2", "18");
    QCOMPARE(box(bench, "Text4")->text(), QStringLiteral("224"));
    // Other buttons than the left one take nothing.
    QTest::mouseClick(palette(bench), Qt::RightButton, {}, swatch(bench, 7, 31));
    QCOMPARE(box(bench, "Text4")->text(), QStringLiteral("224"));

    click(bench.find<QPushButton>(Picker, QStringLiteral("cmdSetColor")));
    QCOMPARE(bench.main().session().selectedColor(), 224);
    QCOMPARE(bench.find<QLineEdit>(Text, QStringLiteral("txtColor"))->text(),
             QStringLiteral("224"));
    QVERIFY(!bench.window(Picker));
    TestBench::settle();
    QVERIFY(bench.window(Text));
}

void tst_ColorPicker::setColorWithoutAClickHandsOver255_data() {
    QTest::addColumn<QString>("requester");
    QTest::addColumn<bool>("textOpen");
    QTest::addColumn<bool>("coordinatesOpen");
    QTest::addColumn<QString>("textColor");
    QTest::addColumn<QString>("coordinatesColor");

    const QString untouched = QStringLiteral("7");
    const QString handed = QStringLiteral("255");
    QTest::newRow("Coordinates") << "Coordinates" << true << true << untouched << handed;
    QTest::newRow("Text") << "Text" << true << true << handed << untouched;
    QTest::newRow("from the menu") << "" << true << true << untouched << untouched;
    QTest::newRow("unknown") << "Graphic" << true << true << untouched << untouched;
    QTest::newRow("other case") << "text" << true << true << untouched << untouched;
    QTest::newRow("text window closed") << "Text" << false << true << QString() << untouched;
    QTest::newRow("coordinates closed") << "Coordinates" << true << false << untouched << QString();
}

void tst_ColorPicker::setColorWithoutAClickHandsOver255() {
    QFETCH(QString, requester);
    QFETCH(bool, textOpen);
    QFETCH(bool, coordinatesOpen);
    QFETCH(QString, textColor);
    QFETCH(QString, coordinatesColor);

    TestBench bench;
    for (const QString& name : {Text, Coordinates}) {
        if (name == Text ? textOpen : coordinatesOpen) {
            bench.open(name);
            bench.find<QLineEdit>(name, QStringLiteral("txtColor"))->setText(QStringLiteral("7"));
        }
    }
    bench.main().session().setSelectedColor(3);
    bench.main().session().setColorRequester(requester);
    bench.open(Picker);
    click(bench.find<QPushButton>(Picker, QStringLiteral("cmdSetColor")));

    QCOMPARE(bench.main().session().selectedColor(), 255);
    QVERIFY(!bench.window(Picker));
    if (textOpen)
        QCOMPARE(bench.find<QLineEdit>(Text, QStringLiteral("txtColor"))->text(), textColor);
    if (coordinatesOpen)
        QCOMPARE(bench.find<QLineEdit>(Coordinates, QStringLiteral("txtColor"))->text(),
                 coordinatesColor);
}

void tst_ColorPicker::closingOtherwiseChangesNothingAndEachOpeningIsFresh() {
    TestBench bench;
    bench.open(Coordinates);
    bench.find<QLineEdit>(Coordinates, QStringLiteral("txtColor"))->setText(QStringLiteral("7"));
    bench.main().session().setSelectedColor(9);
    bench.main().session().setColorRequester(QStringLiteral("Coordinates"));
    bench.open(Picker);
    QTest::mouseClick(palette(bench), Qt::LeftButton, {}, swatch(bench, 0, 28));
    QCOMPARE(box(bench, "Text4")->text(), QStringLiteral("224"));

    // The close box of its frame: no hand-over.
    qobject_cast<QMdiSubWindow*>(bench.window(Picker)->parentWidget())->close();
    TestBench::settle();
    QVERIFY(!bench.window(Picker));
    QCOMPARE(bench.main().session().selectedColor(), 9);
    QCOMPARE(bench.find<QLineEdit>(Coordinates, QStringLiteral("txtColor"))->text(),
             QStringLiteral("7"));

    bench.open(Picker);
    COMPARE_READOUTS(bench, "", "", "");
    QCOMPARE(box(bench, "Text4")->text(), QStringLiteral("Default: 255"));
    QCOMPARE(bench.find<UpDown>(Picker, QStringLiteral("UpDown1"))->value(), 0);
    QCOMPARE(bench.find<UpDown>(Picker, QStringLiteral("UpDown2"))->value(), 255);
    click(bench.find<QPushButton>(Picker, QStringLiteral("cmdSetColor")));
    QCOMPARE(bench.main().session().selectedColor(), 255);
    QCOMPARE(bench.find<QLineEdit>(Coordinates, QStringLiteral("txtColor"))->text(),
             QStringLiteral("255"));
}

QTEST_MAIN(tst_ColorPicker)
#include "tst_colorpicker.moc"
