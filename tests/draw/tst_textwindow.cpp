#include "app/session.h"
#include "app/updown.h"
#include "testbench.h"

#include <QFocusEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>

namespace {

const QString Text = QStringLiteral("frmText");

QByteArray header(int color, int font) {
    return QByteArray("WT") + bytes({color, font});
}

} // namespace

// The text window: the cursor command and the keys sent line by line, as they
// leave the port.
class tst_TextWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensWithItsDesignState();
    void setSendsTheUpDownValues_data();
    void setSendsTheUpDownValues();
    void upDownsAndTheirBoxesAgree();
    void enterSendsTheKeysAsTyped();
    void controlKeysAreCollectedKeysWithoutACharacterAreNot();
    void characterBeyondAByteIsRefused();
    void closedPortSendsAndCollectsNothing();
    void pickColorAsksForTheTextWindow();

private:
    QPlainTextEdit* textBox(TestBench& bench) {
        return bench.find<QPlainTextEdit>(Text, QStringLiteral("Text2"));
    }
    QLineEdit* box(TestBench& bench, const char* name) {
        return bench.find<QLineEdit>(Text, QLatin1String(name));
    }
    UpDown* upDown(TestBench& bench, const char* name) {
        return bench.find<UpDown>(Text, QLatin1String(name));
    }
    void type(QLineEdit* box, const QString& text) {
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    // A key as the platform delivers it: its code and the text it produces.
    void press(QWidget* widget, Qt::Key key, const QString& text) {
        QTest::sendKeyEvent(QTest::Click, widget, key, text, Qt::NoModifier);
    }
    // The program connected, with the text window open.
    void openConnected(TestBench& bench) {
        bench.connectBoard();
        bench.open(Text);
        bench.line().takeWrites();
    }
};

void tst_TextWindow::opensWithItsDesignState() {
    TestBench bench;
    QWidget* window = bench.open(Text);
    QCOMPARE(window->windowTitle(), QStringLiteral(" Text "));
    QCOMPARE(window->size(), QSize(617, 362));
    QCOMPARE(bench.find<QGroupBox>(Text, QStringLiteral("Frame2"))->title(),
             QStringLiteral("Cursor"));
    QCOMPARE(bench.find<QGroupBox>(Text, QStringLiteral("Frame1"))->geometry(),
             QRect(24, 104, 545, 193));
    QCOMPARE(textBox(bench)->geometry(), QRect(8, 16, 529, 169));
    QCOMPARE(bench.find<QPushButton>(Text, QStringLiteral("cmdSet"))->geometry(),
             QRect(136, 48, 73, 25));
    QCOMPARE(bench.find<QPushButton>(Text, QStringLiteral("cmdColor"))->text(),
             QStringLiteral("Pick Color"));

    QCOMPARE(box(bench, "txtXCoordinate")->text(), QStringLiteral("0"));
    QCOMPARE(box(bench, "txtYCoordinate")->text(), QStringLiteral("0"));
    QCOMPARE(upDown(bench, "udXCoordinate")->maximum(), 319);
    QCOMPARE(upDown(bench, "udYCoordinate")->maximum(), 239);
    QCOMPARE(upDown(bench, "udXCoordinate")->toolTip(), QStringLiteral("Change X Coordinate"));
    QCOMPARE(upDown(bench, "udYCoordinate")->toolTip(), QStringLiteral("Change Y Coordinate"));
    QCOMPARE(box(bench, "txtColor")->text(), QStringLiteral("255"));
    QVERIFY(box(bench, "txtColor")->isReadOnly());
    auto* font1 = bench.find<QRadioButton>(Text, QStringLiteral("Option1"));
    auto* font2 = bench.find<QRadioButton>(Text, QStringLiteral("Option2"));
    QCOMPARE(font1->text(), QStringLiteral("Font 1"));
    QCOMPARE(font2->text(), QStringLiteral("Font 2"));
    QVERIFY(font1->isChecked());
    QVERIFY(!font2->isChecked());
}

void tst_TextWindow::setSendsTheUpDownValues_data() {
    QTest::addColumn<QString>("x");
    QTest::addColumn<QString>("y");
    QTest::addColumn<QByteArray>("position");
    QTest::newRow("origin") << "0"
                            << "0" << bytes({0, 0, 0});
    QTest::newRow("far corner") << "319"
                                << "239" << bytes({1, 63, 239});
    QTest::newRow("x 255") << "255"
                           << "7" << bytes({0, 255, 7});
    QTest::newRow("x 256") << "256"
                           << "7" << bytes({1, 0, 7});
}

void tst_TextWindow::setSendsTheUpDownValues() {
    QFETCH(QString, x);
    QFETCH(QString, y);
    QFETCH(QByteArray, position);
    TestBench bench;
    openConnected(bench);
    type(box(bench, "txtXCoordinate"), x);
    type(box(bench, "txtYCoordinate"), y);
    QCOMPARE(upDown(bench, "udXCoordinate")->value(), x.toInt());
    click(bench.find<QPushButton>(Text, QStringLiteral("cmdSet")));
    QCOMPARE(bench.line().takeWrites(), (QList<QByteArray>{"SC", position}));
}

void tst_TextWindow::upDownsAndTheirBoxesAgree() {
    TestBench bench;
    openConnected(bench);
    UpDown* x = upDown(bench, "udXCoordinate");
    QLineEdit* xBox = box(bench, "txtXCoordinate");
    auto* up = x->findChild<QToolButton*>(QStringLiteral("up"));
    auto* down = x->findChild<QToolButton*>(QStringLiteral("down"));

    click(down);
    QCOMPARE(x->value(), 0);
    click(up);
    click(up);
    QCOMPARE(x->value(), 2);
    QCOMPARE(xBox->text(), QStringLiteral("2"));

    type(xBox, QStringLiteral("255"));
    click(up);
    QCOMPARE(xBox->text(), QStringLiteral("256"));
    QTest::keyClick(xBox, Qt::Key_Up);
    QCOMPARE(x->value(), 257);
    QTest::keyClick(xBox, Qt::Key_Down);
    QCOMPARE(x->value(), 256);

    // The box takes no number beyond the range: "400" stops at "40".
    type(xBox, QStringLiteral("400"));
    QCOMPARE(xBox->text(), QStringLiteral("40"));
    QCOMPARE(x->value(), 40);
    type(xBox, QStringLiteral("-5"));
    QCOMPARE(x->value(), 5);
    type(xBox, QStringLiteral("319"));
    click(up);
    QCOMPARE(x->value(), 319);

    // Emptied and left, the box shows the value again.
    xBox->selectAll();
    QTest::keyClick(xBox, Qt::Key_Delete);
    QCOMPARE(xBox->text(), QString());
    QFocusEvent leave(QEvent::FocusOut);
    QCoreApplication::sendEvent(xBox, &leave);
    QCOMPARE(xBox->text(), QStringLiteral("319"));

    // Y has its own range.
    type(box(bench, "txtYCoordinate"), QStringLiteral("240"));
    QCOMPARE(upDown(bench, "udYCoordinate")->value(), 24);
    click(bench.find<QPushButton>(Text, QStringLiteral("cmdSet")));
    QCOMPARE(bench.line().takeWrites(), (QList<QByteArray>{"SC", bytes({1, 63, 24})}));
}

void tst_TextWindow::enterSendsTheKeysAsTyped() {
    TestBench bench;
    openConnected(bench);
    QPlainTextEdit* text = textBox(bench);

    bench.main().session().setSelectedColor(224);
    click(bench.find<QRadioButton>(Text, QStringLiteral("Option2")));
    QTest::keyClicks(text, QStringLiteral("Hi"));
    QVERIFY(bench.line().takeWrites().isEmpty());
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(bench.line().takeWrites(), (QList<QByteArray>{header(224, 2), "H", "i", "\r"}));

    // Backspace goes out as typed; the box's edited text is not what is sent.
    QTest::keyClicks(text, QStringLiteral("Hx"));
    QTest::keyClick(text, Qt::Key_Backspace);
    QTest::keyClick(text, Qt::Key_I, Qt::NoModifier);
    QTest::keyClick(text, Qt::Key_Enter);
    QCOMPARE(bench.line().takeWrites(),
             (QList<QByteArray>{header(224, 2), "H", "x", bytes({8}), "i", "\r"}));
    // The box handled each key as usual.
    QCOMPARE(text->toPlainText(), QStringLiteral("Hi\nHi\n"));

    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(bench.line().takeWrites(), (QList<QByteArray>{header(224, 2), "\r"}));

    // Colour and font are those in force at Enter.
    click(bench.find<QRadioButton>(Text, QStringLiteral("Option1")));
    QTest::keyClicks(text, QStringLiteral("ok"));
    bench.main().session().setSelectedColor(3);
    click(bench.find<QRadioButton>(Text, QStringLiteral("Option2")));
    press(text, Qt::Key_M, QStringLiteral("\r")); // Ctrl+M: a carriage return too
    QCOMPARE(bench.line().takeWrites(), (QList<QByteArray>{header(3, 2), "o", "k", "\r"}));
}

void tst_TextWindow::controlKeysAreCollectedKeysWithoutACharacterAreNot() {
    TestBench bench;
    openConnected(bench);
    QPlainTextEdit* text = textBox(bench);

    QTest::keyClick(text, Qt::Key_A, Qt::NoModifier);
    QTest::keyClick(text, Qt::Key_Tab);
    press(text, Qt::Key_Escape, QStringLiteral("\x1b"));
    press(text, Qt::Key_B, QStringLiteral("\x02")); // Ctrl+B
    press(text, Qt::Key_Eacute, QString(QChar(0xE9)));
    press(text, Qt::Key_Left, QString());
    press(text, Qt::Key_F5, QString());
    press(text, Qt::Key_Shift, QString());
    press(text, Qt::Key_Delete, QStringLiteral("\x7f"));
    press(text, Qt::Key_Home, QString());
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(bench.line().takeWrites(), (QList<QByteArray>{header(255, 1), "a", "\t", bytes({27}),
                                                           bytes({2}), bytes({0xE9}), "\r"}));
}

void tst_TextWindow::characterBeyondAByteIsRefused() {
    TestBench bench;
    openConnected(bench);
    QPlainTextEdit* text = textBox(bench);

    QTest::keyClick(text, Qt::Key_A, Qt::NoModifier);
    press(text, Qt::Key_unknown, QString(QChar(0x20AC)));
    const QString note = bench.main().statusBar()->currentMessage();
    QVERIFY2(note.contains(QChar(0x20AC)) && note.contains(QStringLiteral("255")),
             qPrintable(note));
    // The box still shows it; the board never gets it.
    QVERIFY(text->toPlainText().contains(QChar(0x20AC)));
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(bench.line().takeWrites(), (QList<QByteArray>{header(255, 1), "a", "\r"}));
    QVERIFY(bench.main().statusText().startsWith(QStringLiteral("Connected: ")));
}

void tst_TextWindow::closedPortSendsAndCollectsNothing() {
    TestBench bench;
    bench.open(Text);
    QPlainTextEdit* text = textBox(bench);
    QTest::keyClicks(text, QStringLiteral("lost"));
    press(text, Qt::Key_unknown, QString(QChar(0x20AC)));
    QTest::keyClick(text, Qt::Key_Return);
    type(box(bench, "txtXCoordinate"), QStringLiteral("100"));
    click(bench.find<QPushButton>(Text, QStringLiteral("cmdSet")));
    QVERIFY(bench.line().writes.isEmpty());
    QCOMPARE(bench.main().statusBar()->currentMessage(), QString());
    QCOMPARE(text->toPlainText(), QStringLiteral("lost") + QChar(0x20AC) + QLatin1Char('\n'));

    // Typed while closed, never sent later.
    QTest::keyClicks(text, QStringLiteral("more"));
    bench.connectBoard();
    bench.line().takeWrites();
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(bench.line().takeWrites(), (QList<QByteArray>{header(255, 1), "\r"}));
}

void tst_TextWindow::pickColorAsksForTheTextWindow() {
    TestBench bench;
    bench.open(Text);
    click(bench.find<QPushButton>(Text, QStringLiteral("cmdColor")));
    QCOMPARE(bench.main().session().colorRequester(), QStringLiteral("Text"));
    QVERIFY(bench.window(QStringLiteral("frmColor")));
    QVERIFY(bench.line().writes.isEmpty());
}

QTEST_MAIN(tst_TextWindow)
#include "tst_textwindow.moc"
