#include "engine/session.h"
#include "pseudoterminalbench.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <algorithm>

namespace {

const QString Text = QStringLiteral("frmText");
const QString Coordinates = QStringLiteral("frmCoordinates");

qsizetype pixelsOf(const BoardEmulator& board, quint8 color) {
    return std::count(board.screen().begin(), board.screen().end(), char(color));
}

// Types the entries (box, text, box, text ...), chooses the options and presses Send.
void draw(TestBench& bench, const QString& entries, const QStringList& options,
          const char* button) {
    const QStringList words = entries.split(QLatin1Char(' '));
    for (qsizetype i = 0; i + 1 < words.size(); i += 2)
        bench.find<QLineEdit>(Coordinates, words[i])->setText(words[i + 1]);
    for (const QString& option : options)
        click(bench.find<QRadioButton>(Coordinates, option));
    click(bench.find<QPushButton>(Coordinates, QLatin1String(button)));
}

} // namespace

// The drawing tools against the board simulator on a pseudo-terminal, through the
// program's real serial port.
class tst_DrawPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void drawsEachShape();
    void writesALineOfTextAtTheCursor();
};

void tst_DrawPty::drawsEachShape() {
    PseudoTerminalBench line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    QVERIFY(line.connectBoard());
    TestBench& bench = line.bench();
    const BoardEmulator& screen = line.board();
    bench.open(Coordinates);

    draw(bench, QStringLiteral("txtPX 10 txtPY 20 txtColor 224"), {QStringLiteral("optPixel")},
         "cmdPixel");
    QTRY_COMPARE(screen.pixel(10, 20), quint8(224));
    QCOMPARE(pixelsOf(screen, 224), 1);

    draw(bench, QStringLiteral("txtX0 300 txtY0 5 txtX1 10 txtY1 200 txtColor 28"),
         {QStringLiteral("optLine")}, "Command23");
    // One pixel per step along the longer side, both ends included.
    QTRY_COMPARE(pixelsOf(screen, 28), 291);
    QCOMPARE(screen.pixel(300, 5), quint8(28));
    QCOMPARE(screen.pixel(10, 200), quint8(28));

    draw(bench, QStringLiteral("txtX0 305 txtY0 0 txtX1 315 txtY1 239 txtColor 3"),
         {QStringLiteral("optRectangle")}, "Command23");
    QTRY_COMPARE(pixelsOf(screen, 3), 2 * 11 + 2 * 238);
    QCOMPARE(screen.pixel(315, 239), quint8(3));
    QCOMPARE(screen.pixel(310, 120), quint8(0));

    draw(bench, QStringLiteral("txtCX 160 txtCY 120 txtRadius 50 txtColor 254"),
         {QStringLiteral("optCircle"), QStringLiteral("optFilled")}, "cmdCircle");
    QTRY_COMPARE(screen.pixel(160, 120), quint8(254));
    QCOMPARE(screen.pixel(210, 120), quint8(254));
    QCOMPARE(screen.pixel(211, 120), quint8(0));
    QCOMPARE(screen.errorCount(), 0);
}

void tst_DrawPty::writesALineOfTextAtTheCursor() {
    PseudoTerminalBench line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    QVERIFY(line.connectBoard());
    TestBench& bench = line.bench();
    const BoardEmulator& screen = line.board();
    bench.open(Text);

    // Typed, as the up-downs take their values from their boxes.
    for (const auto& [name, value] :
         {std::pair{"txtXCoordinate", "20"}, std::pair{"txtYCoordinate", "100"}}) {
        auto* box = bench.find<QLineEdit>(Text, QLatin1String(name));
        box->selectAll();
        QTest::keyClicks(box, QLatin1String(value));
    }
    click(bench.find<QPushButton>(Text, QStringLiteral("cmdSet")));
    QTRY_COMPARE(screen.textCursor(), QPoint(20, 100));

    // A typing slip taken back with Backspace leaves "Hi" on the board.
    bench.engine().session().setSelectedColor(224);
    auto* text = bench.find<QPlainTextEdit>(Text, QStringLiteral("Text2"));
    QTest::keyClicks(text, QStringLiteral("Hx"));
    QTest::keyClick(text, Qt::Key_Backspace);
    QTest::keyClicks(text, QStringLiteral("i"));
    QTest::keyClick(text, Qt::Key_Return);

    QTRY_COMPARE(screen.textCursor(), QPoint(20, 100 + screen.font(1).lineHeight() + 1));
    // The screen of a board told "Hi" there directly: the slip left nothing behind.
    BoardEmulator told;
    const QByteArray hi = QByteArray("SC") + bytes({0, 20, 100}) + "WT" + bytes({224, 1}) + "Hi\r";
    told.feed(hi);
    QVERIFY(pixelsOf(told, 224) > 0);
    QCOMPARE(screen.screen(), told.screen());
    QCOMPARE(screen.errorCount(), 0);
}

QTEST_MAIN(tst_DrawPty)
#include "tst_draw_pty.moc"
