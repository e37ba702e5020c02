#include "engine/session.h"
#include "testbench.h"
#include "workbench/updown.h"

#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

namespace {

const QString Text = QStringLiteral("frmText");

using Writes = QList<QByteArray>;

QByteArray header(int color, int font) {
    return QByteArray("WT") + bytes({color, font});
}

QLineEdit* box(TestBench& bench, const char* name) {
    return bench.find<QLineEdit>(Text, QLatin1String(name));
}

void type(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClicks(box, text);
}

// A key as the platform delivers it: its code and the text it produces.
void press(QWidget* widget, Qt::Key key, const QString& text) {
    QTest::sendKeyEvent(QTest::Click, widget, key, text, Qt::NoModifier);
}

// Characters an input method composed, as it hands them to the box.
void commit(QWidget* widget, const QString& text) {
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(widget, &event);
}

void setCursor(TestBench& bench) {
    click(bench.find<QPushButton>(Text, QStringLiteral("cmdSet")));
}

void chooseFont(TestBench& bench, int font) {
    click(bench.find<QRadioButton>(Text, QStringLiteral("Option%1").arg(font)));
}

// The text window open, the program connected or not; returns the text box.
QPlainTextEdit* openText(TestBench& bench, bool connected = true) {
    if (connected)
        bench.connectBoard();
    bench.open(Text);
    bench.line().takeWrites();
    return bench.find<QPlainTextEdit>(Text, QStringLiteral("Text2"));
}

} // namespace

// The text window: the cursor command and the keys sent line by line, as they
// leave the port.
class tst_TextWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void setSendsTheCursorFromTheUpDowns();
    void enterSendsTheKeysAsTheirCharacterCodes();
    void closedPortOrAnUploadHoldsTheCommandsBack();
};

void tst_TextWindow::setSendsTheCursorFromTheUpDowns() {
    TestBench bench;
    openText(bench);
    QCOMPARE(bench.window(Text)->windowTitle(), QStringLiteral(" Text "));
    QCOMPARE(bench.captionMismatches(Text, {"Frame2:Cursor", "Label2:X", "Label1:Y", "cmdSet:Set",
                                            "Frame4:Color", "cmdColor:Pick Color", "Frame3:Font",
                                            "Option1:Font 1", "Option2:Font 2", "Frame1:Text"}),
             QStringList());
    QLineEdit* xBox = box(bench, "txtXCoordinate");
    QLineEdit* yBox = box(bench, "txtYCoordinate");
    // X beyond a byte goes out as two; Y has its own range: "240" stops at "24".
    for (const auto& [typedX, typedY, position] :
         {std::tuple{"319", "7", bytes({1, 63, 7})}, std::tuple{"255", "7", bytes({0, 255, 7})},
          std::tuple{"256", "240", bytes({1, 0, 24})}}) {
        type(xBox, QLatin1String(typedX));
        type(yBox, QLatin1String(typedY));
        setCursor(bench);
        QCOMPARE(bench.line().takeWrites(), (Writes{"SC", position}));
    }

    // The box and its up-down agree; neither goes beyond the range.
    auto* x = bench.find<UpDown>(Text, QStringLiteral("udXCoordinate"));
    click(x->findChild<QToolButton*>(QStringLiteral("up")));
    QCOMPARE(xBox->text(), QStringLiteral("257"));
    type(xBox, QStringLiteral("400"));
    QCOMPARE(x->value(), 40);
    type(xBox, QStringLiteral("319"));
    click(x->findChild<QToolButton*>(QStringLiteral("up")));
    QCOMPARE(x->value(), 319);
    // Emptied and left, the box shows the value again.
    xBox->selectAll();
    QTest::keyClick(xBox, Qt::Key_Delete);
    QFocusEvent leave(QEvent::FocusOut);
    QCoreApplication::sendEvent(xBox, &leave);
    QCOMPARE(xBox->text(), QStringLiteral("319"));
}

void tst_TextWindow::enterSendsTheKeysAsTheirCharacterCodes() {
    TestBench bench;
    QPlainTextEdit* text = openText(bench);
    bench.engine().session().setSelectedColor(224);
    chooseFont(bench, 2);
    QTest::keyClicks(text, QStringLiteral("Hi"));
    QVERIFY(bench.line().takeWrites().isEmpty());
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(bench.line().takeWrites(), (Writes{header(224, 2), "H", "i", "\r"}));

    // Backspace goes out as typed; the box's edited text is not what is sent.
    QTest::keyClicks(text, QStringLiteral("Hx"));
    QTest::keyClick(text, Qt::Key_Backspace);
    QTest::keyClick(text, Qt::Key_I, Qt::NoModifier);
    QTest::keyClick(text, Qt::Key_Enter);
    QCOMPARE(bench.line().takeWrites(), (Writes{header(224, 2), "H", "x", bytes({8}), "i", "\r"}));
    QCOMPARE(text->toPlainText(), QStringLiteral("Hi\nHi\n"));

    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(bench.line().takeWrites(), (Writes{header(224, 2), "\r"}));

    // Colour and font are those in force at Enter.
    chooseFont(bench, 1);
    QTest::keyClicks(text, QStringLiteral("ok"));
    bench.engine().session().setSelectedColor(3);
    chooseFont(bench, 2);
    press(text, Qt::Key_M, QStringLiteral("\r")); // Ctrl+M: a carriage return too
    QCOMPARE(bench.line().takeWrites(), (Writes{header(3, 2), "o", "k", "\r"}));

    // Control characters and Latin-1 letters go out; keys without a character do not.
    QTest::keyClick(text, Qt::Key_Tab);
    press(text, Qt::Key_Escape, QStringLiteral("\x1b"));
    press(text, Qt::Key_B, QStringLiteral("\x02")); // Ctrl+B
    press(text, Qt::Key_Eacute, QString(QChar(0xE9)));
    commit(text, QString(QChar(0xFC)));
    for (Qt::Key key : {Qt::Key_Left, Qt::Key_Shift})
        press(text, key, QString());
    press(text, Qt::Key_Delete, QStringLiteral("\x7f"));
    // Beyond a byte: the user is told, the board never gets it.
    press(text, Qt::Key_unknown, QString(QChar(0x20AC)));
    const QString note = bench.main().statusNote();
    QVERIFY2(note.contains(QChar(0x20AC)) && note.contains(QStringLiteral("255")),
             qPrintable(note));
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(bench.line().takeWrites(), (Writes{header(3, 2), "\t", bytes({27}), bytes({2}),
                                                bytes({0xE9}), bytes({0xFC}), "\r"}));
}

void tst_TextWindow::closedPortOrAnUploadHoldsTheCommandsBack() {
    TestBench bench;
    QPlainTextEdit* text = openText(bench, false);
    QTest::keyClicks(text, QStringLiteral("lost"));
    press(text, Qt::Key_unknown, QString(QChar(0x20AC)));
    QTest::keyClick(text, Qt::Key_Return);
    type(box(bench, "txtXCoordinate"), QStringLiteral("100"));
    setCursor(bench);
    QVERIFY(bench.line().writes.isEmpty());
    QCOMPARE(bench.main().statusNote(), QString());
    // Typed while closed: never sent later.
    QTest::keyClicks(text, QStringLiteral("more"));

    bench.connectBoard();
    QVERIFY(bench.startUpload(QStringLiteral("The picture preview"), "WS"));
    bench.line().takeWrites();
    // Neither the cursor nor the typed line cuts into the picture; the user is told.
    setCursor(bench);
    QTest::keyClicks(text, QStringLiteral("Hi"));
    QTest::keyClick(text, Qt::Key_Return);
    QVERIFY(bench.line().takeWrites().isEmpty());
    QCOMPARE(bench.main().statusNote(),
             QStringLiteral("The picture preview is still running: nothing was sent."));

    // Once the board has the picture, the held line goes out with the next Enter.
    bench.poll("!");
    QVERIFY(!bench.engine().uploadBusy());
    // The note that held the line back is gone with the upload.
    QVERIFY(!bench.main().statusNote().contains(QStringLiteral("still running")));
    QTest::keyClick(text, Qt::Key_Return);
    QCOMPARE(bench.line().takeWrites(), (Writes{header(255, 1), "H", "i", "\r"}));
}

QTEST_MAIN(tst_TextWindow)
#include "tst_textwindow.moc"
