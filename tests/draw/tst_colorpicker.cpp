#include "engine/colorvalue.h"
#include "engine/session.h"
#include "testbench.h"
#include "workbench/colorswatch.h"

#include <QAction>
#include <QFrame>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

namespace {

const QString Picker = QStringLiteral("frmColor");
const QString Text = QStringLiteral("frmText");
const QString Coordinates = QStringLiteral("frmCoordinates");

QString boxText(TestBench& bench, const QString& window, const char* name) {
    QLineEdit* box = bench.find<QLineEdit>(window, QLatin1String(name));
    return box ? box->text() : QStringLiteral("(closed)");
}

// The palette box: 8 rows of 32 swatches, 12 x 18 pixels each.
QFrame* palette(TestBench& bench) {
    return bench.find<QFrame>(Picker, QStringLiteral("picBox"));
}

// The pointer moving over the palette, or pressing a button there, at (x, y) of its picture.
void hover(TestBench& bench, int x, int y) {
    const QPointF at = palette(bench)->contentsRect().topLeft() + QPoint(x, y);
    QMouseEvent move(QEvent::MouseMove, at, palette(bench)->mapToGlobal(at), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(palette(bench), &move);
}
void press(TestBench& bench, int x, int y, Qt::MouseButton button = Qt::LeftButton) {
    QTest::mouseClick(palette(bench), button, {},
                      palette(bench)->contentsRect().topLeft() + QPoint(x, y));
}

// The colour under the pointer as 8:8:8, as 3:3:2 levels and as the board's value.
QString readouts(TestBench& bench) {
    return QStringList{boxText(bench, Picker, "Text1"), boxText(bench, Picker, "Text2"),
                       boxText(bench, Picker, "Text3")}
        .join(QLatin1Char(' '));
}

void pickColor(TestBench& bench, const QString& window) {
    click(bench.find<QPushButton>(window, QStringLiteral("cmdColor")));
}

void setColor(TestBench& bench) {
    click(bench.find<QPushButton>(Picker, QStringLiteral("cmdSetColor")));
    TestBench::settle();
}

} // namespace

// The colour picker, driven through its widgets.
class tst_ColorPicker : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readoutsFollowThePointer();
    void clickSelectsAndCloseHandsNothingOver();
    void setColorWithoutAClickHandsOver255_data();
    void setColorWithoutAClickHandsOver255();
    void swatchesShowTheColoursBesideTheirNumbers();
};

void tst_ColorPicker::readoutsFollowThePointer() {
    TestBench bench;
    bench.main().findChild<QAction*>(QStringLiteral("mnuColorPic"))->trigger();
    QCOMPARE(bench.window(Picker)->windowTitle(), QStringLiteral(" Color Picker "));
    QCOMPARE(bench.captionMismatches(Picker, {"Label1:Available Colors", "Label2: RGB(8:8:8)",
                                              "Label3: RGB(3:3:2)", "Label4:Palette Color",
                                              "Label5:Selected Color", "cmdSetColor:Set Color"}),
             QStringList());

    // Corners of swatches, where an off-by-one in the swatch size would show.
    const struct {
        int x, y;
        const char* shown;
    } points[] = {{0, 0, "0:0:0 0:0:0 0"},
                  {383, 143, "255:255:255 7:7:3 255"},
                  {371, 143, "252:252:162 7:7:2 254"},
                  {48, 0, "28:0:0 0:0:0 0"},
                  {47, 17, "0:0:255 0:0:3 3"},
                  {275, 107, "172:172:162 5:5:2 182"}};
    for (const auto& point : points) {
        hover(bench, point.x, point.y);
        QCOMPARE(readouts(bench), QLatin1String(point.shown));
    }
    // The frame around the palette reads nothing: the last colour stays.
    hover(bench, -1, -1);
    QCOMPARE(readouts(bench), QStringLiteral("172:172:162 5:5:2 182"));
}

void tst_ColorPicker::clickSelectsAndCloseHandsNothingOver() {
    TestBench bench;
    bench.open(Text);
    bench.open(Coordinates);
    pickColor(bench, Text);
    press(bench, 342, 9);
    QCOMPARE(boxText(bench, Picker, "Text4"), QStringLiteral("224"));
    // Later moves read, but only a left click selects.
    hover(bench, 30, 81);
    QCOMPARE(readouts(bench), QStringLiteral("0:134:162 0:4:2 18"));
    press(bench, 383, 143, Qt::RightButton);
    setColor(bench);
    QCOMPARE(bench.engine().session().selectedColor(), 224);
    QCOMPARE(boxText(bench, Text, "txtColor"), QStringLiteral("224"));
    QVERIFY(!bench.window(Picker));

    // The close box of its frame hands nothing over, and the next opening starts afresh.
    pickColor(bench, Coordinates);
    press(bench, 0, 0);
    bench.window(Picker)->parentWidget()->close();
    TestBench::settle();
    QVERIFY(!bench.window(Picker));
    QCOMPARE(bench.engine().session().selectedColor(), 224);
    QCOMPARE(boxText(bench, Coordinates, "txtColor"), QStringLiteral("255"));
    pickColor(bench, Coordinates);
    QCOMPARE(readouts(bench), QStringLiteral("  "));
    QCOMPARE(boxText(bench, Picker, "Text4"), QStringLiteral("Default: 255"));
}

void tst_ColorPicker::setColorWithoutAClickHandsOver255_data() {
    QTest::addColumn<QString>("openedBy"); // the window whose Pick Color opened the picker
    QTest::addColumn<QString>("colors");   // then in the Text and Coordinates windows
    QTest::newRow("Coordinates") << Coordinates << "7 255";
    QTest::newRow("Text") << Text << "255 7";
    QTest::newRow("the menu after a Pick Color") << "menu"
                                                 << "7 7";
    QTest::newRow("Text, closed meanwhile") << "Text closed"
                                            << "(closed) 7";
}

void tst_ColorPicker::setColorWithoutAClickHandsOver255() {
    QFETCH(QString, openedBy);
    QFETCH(QString, colors);
    TestBench bench;
    for (const QString& name : {Text, Coordinates}) {
        bench.open(name);
        bench.find<QLineEdit>(name, QStringLiteral("txtColor"))->setText(QStringLiteral("7"));
    }
    bench.engine().session().setSelectedColor(3);
    if (openedBy == QLatin1String("menu")) {
        pickColor(bench, Coordinates);
        bench.main().findChild<QAction*>(QStringLiteral("mnuColorPic"))->trigger();
    } else if (openedBy == QLatin1String("Text closed")) {
        pickColor(bench, Text);
        bench.window(Text)->parentWidget()->close();
        TestBench::settle();
    } else {
        pickColor(bench, openedBy);
    }
    setColor(bench);
    QCOMPARE(bench.engine().session().selectedColor(), 255);
    QVERIFY(!bench.window(Picker));
    QCOMPARE(boxText(bench, Text, "txtColor") + QLatin1Char(' ') +
                 boxText(bench, Coordinates, "txtColor"),
             colors);
}

void tst_ColorPicker::swatchesShowTheColoursBesideTheirNumbers() {
    TestBench bench;
    const QString Utilities = QStringLiteral("frmUtilities");
    for (const QString& name : {Text, Coordinates, Utilities})
        bench.open(name);
    bench.engine().session().setSelectedColor(255);
    // What a swatch shows: its value, and the board's colour for it where it is painted.
    auto shows = [&bench](const QString& window, const char* name) -> QString {
        auto* swatch = bench.find<ColorSwatch>(window, QLatin1String(name));
        if (!swatch)
            return QStringLiteral("(missing)");
        if (!swatch->value())
            return QStringLiteral("none");
        const QColor painted = swatch->grab().toImage().pixelColor(swatch->rect().center());
        if (painted.rgb() != QColor::fromRgb(ColorValue::expand(quint8(*swatch->value()))).rgb())
            return QStringLiteral("wrongly painted");
        return QString::number(*swatch->value());
    };
    QCOMPARE(shows(Text, "shpColor"), QStringLiteral("255"));
    QCOMPARE(shows(Coordinates, "shpColor"), QStringLiteral("255"));
    QCOMPARE(shows(Utilities, "shpClearColor"), QStringLiteral("255"));

    // Typed numbers show as they are typed; what is no colour shows none.
    auto* typed = bench.find<QLineEdit>(Coordinates, QStringLiteral("txtColor"));
    for (const auto& [text, shown] :
         {std::pair{"28", "28"}, {"256", "none"}, {"abc", "none"}, {"-1", "none"}, {" 3", "3"}}) {
        typed->setText(QLatin1String(text));
        QCOMPARE(shows(Coordinates, "shpColor"), QLatin1String(shown));
    }

    // In the picker: the hovered colour beside its number, the selected one beside its box.
    pickColor(bench, Text);
    QCOMPARE(shows(Picker, "shpPaletteColor"), QStringLiteral("none"));
    QCOMPARE(shows(Picker, "shpSelectedColor"), QStringLiteral("255"));
    hover(bench, 12 * 4 + 2, 18 * 2 + 2);
    const QString hovered = boxText(bench, Picker, "Text3");
    QCOMPARE(shows(Picker, "shpPaletteColor"), hovered);
    QCOMPARE(shows(Picker, "shpSelectedColor"), QStringLiteral("255"));
    press(bench, 12 * 4 + 2, 18 * 2 + 2);
    QCOMPARE(shows(Picker, "shpSelectedColor"), hovered);
    setColor(bench);
    QCOMPARE(shows(Text, "shpColor"), hovered);
    QCOMPARE(shows(Utilities, "shpClearColor"), hovered);
}

QTEST_MAIN(tst_ColorPicker)
#include "tst_colorpicker.moc"
