#include "engine/session.h"
#include "engineparts.h"
#include "font/fontcapture.h"
#include "font/frmfont.h"
#include "fontfixture.h"
#include "testbench.h"

#include <QLabel>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

const QString Font = QStringLiteral("frmFont");

// The program, connected to the recording line or not, with the font window open; the
// font dialog that opens with the window answers with this choice (none: cancelled).
struct FontBench {
    explicit FontBench(const std::optional<UserDialogs::FontChoice>& choice, bool connect = true) {
        if (connect)
            bench.connectBoard();
        bench.dialogs().fontAnswers.append(choice);
        bench.open(Font);
        bench.line().takeWrites();
    }
    template <typename T = QPushButton> T* child(const char* name) {
        return bench.find<T>(Font, QLatin1String(name));
    }
    QPlainTextEdit* specimen() { return child<QPlainTextEdit>("txtInfo"); }
    // Picks a font in the dialog that "Select Font" opens.
    void select(const std::optional<UserDialogs::FontChoice>& choice) {
        bench.dialogs().fontAnswers.append(choice);
        click(child("cmdFont"));
    }
    // The messages shown since the last call, each as "title|text".
    QStringList messages() {
        QStringList texts;
        for (const ScriptedDialogs::Message& message : bench.dialogs().messages)
            texts.append(message.title + QLatin1Char('|') + message.text);
        bench.dialogs().messages.clear();
        return texts;
    }
    Session& session() { return bench.engine().session(); }
    QProgressBar& progress() { return bench.progressBar(); }
    int pollInterval() { return EngineParts::receivePollMs(bench.engine()); }
    QList<QByteArray> writes() { return bench.line().takeWrites(); }

    TestBench bench;
};

// DejaVu Sans at 14 points in a style such as "bi": bold, italic, underline, strikeout.
QFont styled(const QString& style) {
    QFont font = dejaVuSans(14);
    font.setBold(style.contains(QLatin1Char('b')));
    font.setItalic(style.contains(QLatin1Char('i')));
    font.setUnderline(style.contains(QLatin1Char('u')));
    font.setStrikeOut(style.contains(QLatin1Char('s')));
    return font;
}

} // namespace

// The font window: choosing the font, capturing and uploading it, and the Test line.
class tst_FontWindow : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void appliesTheChosenFont_data();
    void appliesTheChosenFont();
    void cancelKeepsAndANamelessFontDisablesCapture();
    void uploadsSizesThenEachGlyphAfterAnAnswer();
    void refusesAFontTheBoardCannotTake_data();
    void refusesAFontTheBoardCannotTake();
    void waitsForAnotherTransfer();
    void closingTheWindowFinishesTheBoardsFont();
    void closedPortSendsNothingAndTestWritesTwelveCharacters();
};

void tst_FontWindow::initTestCase() {
    QVERIFY2(loadDejaVuSans(), "DejaVuSans.ttf is missing (package fonts-dejavu-core)");
}

void tst_FontWindow::appliesTheChosenFont_data() {
    QTest::addColumn<QString>("style");
    QTest::addColumn<QColor>("color");
    QTest::addColumn<QString>("message"); // "title|text", or none
    QTest::addColumn<QString>("applied"); // the style the window takes
    const auto row = [](const char* name, const char* style, QColor color, const char* message,
                        const char* applied) {
        QTest::newRow(name) << QString::fromLatin1(style) << color << QString::fromLatin1(message)
                            << QString::fromLatin1(applied);
    };
    row("italic, underline and strikeout", "ius", Qt::black,
        "Information|Underline and Strikeout effects are not supported with Italic font style.",
        "i");
    row("italic and underline", "iu", Qt::black,
        "Information|Underline effect is not supported with Italic font style.", "i");
    row("italic and strikeout", "is", Qt::black,
        "Information|Strikeout effect is not supported with Italic font style.", "i");
    row("italic alone", "i", Qt::black, "", "i");
    row("bold underline", "bu", Qt::black, "", "bu");
    row("red", "", Qt::red, "Information|Changing font color has no effeect on LCD font.", "");
}

void tst_FontWindow::appliesTheChosenFont() {
    QFETCH(QString, style);
    QFETCH(QColor, color);
    QFETCH(QString, message);
    QFETCH(QString, applied);
    FontBench window(fontChoice(styled(style), color));
    if (!message.isEmpty())
        QCOMPARE(window.bench.dialogs().messages.value(0).icon, UserDialogs::Icon::Information);
    QCOMPARE(window.messages().join(QLatin1Char('\n')), message);
    // The font goes to the specimen, the canvas and the measuring label alike.
    for (const char* name : {"txtInfo", "Picture1", "lbl"})
        QCOMPARE(window.child<QWidget>(name)->font(), styled(applied));
    // The colour tints the specimen only: the canvas draws in black.
    QCOMPARE(window.specimen()->palette().color(QPalette::Text), color);
    QCOMPARE(window.child<QLabel>("Picture1")->palette().color(QPalette::WindowText),
             QColor(Qt::black));
    QVERIFY(window.child("cmdCapture")->isEnabled());
}

void tst_FontWindow::cancelKeepsAndANamelessFontDisablesCapture() {
    // The dialog that opens with the window is cancelled: the window stays as designed.
    FontBench window(std::nullopt);
    QCOMPARE(window.bench.window(Font)->windowTitle(), QStringLiteral(" Font "));
    QCOMPARE(window.bench.dialogs().fontTitles, QStringList{QStringLiteral("Select Font")});
    QVERIFY(window.messages().isEmpty());
    QVERIFY(window.child("cmdCapture")->isEnabled());
    QVERIFY(window.specimen()->toPlainText().isEmpty());
    QVERIFY(window.child<QRadioButton>("optFont1")->isChecked());
    QCOMPARE(window.child<QLabel>("lbl")->font(), window.child<QLabel>("Picture1")->font());

    // Once a font is in place, cancelling changes nothing.
    window.select(fontChoice(dejaVuSans(20)));
    QCOMPARE(window.specimen()->toPlainText().split(QLatin1Char('\n')),
             (QStringList{QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
                          QStringLiteral("abcdefghijklmnopqrstuvwxyz"),
                          QStringLiteral("0123456789)!#$%^&*("),
                          QStringLiteral("-=[]\\;',./`_+{}|:\"<>?~")}));
    window.select(std::nullopt);
    QCOMPARE(window.child<QLabel>("Picture1")->font().pointSizeF(), 20.0);
    QVERIFY(!window.specimen()->toPlainText().isEmpty());

    // A nameless font empties the specimen and disables Capture; a named one brings
    // them back. The canvas keeps the last font that had a name.
    QFont nameless;
    nameless.setFamilies({});
    window.select(fontChoice(nameless));
    QCOMPARE(window.bench.dialogs().messages.value(0).icon, UserDialogs::Icon::Warning);
    QCOMPARE(window.messages(), QStringList{QStringLiteral("Warning|Plese select font.")});
    QVERIFY(!window.child("cmdCapture")->isEnabled());
    QVERIFY(window.specimen()->toPlainText().isEmpty());
    QCOMPARE(window.child<QLabel>("Picture1")->font().family(), QStringLiteral("DejaVu Sans"));
    window.select(fontChoice(dejaVuSans(12)));
    QVERIFY(window.child("cmdCapture")->isEnabled());
}

void tst_FontWindow::uploadsSizesThenEachGlyphAfterAnAnswer() {
    const QFont font = dejaVuSans(12);
    FontBench upload(fontChoice(font));
    const FontCapture expected = FontCapture::capture(font, font);
    upload.child<QRadioButton>("optFont2")->setChecked(true);
    upload.session().setControllerResponse(QStringLiteral("stale"));
    click(upload.child("cmdCapture"));
    QVERIFY(upload.bench.engine().uploadBusy());
    // The line belongs to the upload: neither Capture nor Test can be clicked meanwhile.
    QVERIFY(!upload.child("cmdCapture")->isEnabled());
    QVERIFY(!upload.child("cmdTest")->isEnabled());
    QVERIFY(upload.session().controllerResponse().isEmpty());

    // The start and the 94 sizes, 3 + 188 bytes, before any wait.
    QList<QByteArray> sizeTable{QByteArray("SF2")};
    for (const CapturedGlyph& glyph : expected.sizePass)
        sizeTable.append(bytes({glyph.width, glyph.height}));
    QCOMPARE(upload.writes(), sizeTable);
    QCOMPARE(sizeTable.join().size(), 3 + 188);
    QCOMPARE(upload.progress().value(), 93);
    // A quiet poll is no answer; any text is.
    upload.bench.poll();
    QVERIFY(upload.writes().isEmpty());
    upload.bench.poll("?");

    // "Done." shows with the poll back at 250 ms and the bar still full; it empties after.
    QString stateAtDone;
    upload.bench.dialogs().onMessage = [&upload, &stateAtDone](const ScriptedDialogs::Message&) {
        stateAtDone = QStringLiteral("%1 ms, %2 of %3")
                          .arg(upload.pollInterval())
                          .arg(upload.progress().value())
                          .arg(upload.progress().maximum());
    };

    // Each glyph: its size, then its bitmap a byte a write, then a wait for an answer.
    for (int i = 0; i < 94; ++i) {
        const CapturedGlyph& glyph = expected.glyphPass[i];
        QList<QByteArray> group{bytes({glyph.width, glyph.height})};
        for (const char byte : glyph.bitmap)
            group.append(QByteArray(1, byte));
        QCOMPARE(upload.writes(), group);
        QCOMPARE(upload.progress().value(), i);
        QCOMPARE(upload.pollInterval(), 130);
        upload.bench.poll();
        QVERIFY(upload.writes().isEmpty());
        upload.bench.poll("!");
    }
    QVERIFY(!upload.bench.engine().uploadBusy());
    QCOMPARE(upload.pollInterval(), 250);
    QCOMPARE(upload.progress().value(), 0);
    QVERIFY(upload.session().controllerResponse().isEmpty());
    QCOMPARE(upload.bench.dialogs().messages.value(0).icon, UserDialogs::Icon::None);
    QCOMPARE(upload.messages(), QStringList{QStringLiteral("|   Done.")});
    QCOMPARE(stateAtDone, QStringLiteral("250 ms, 93 of 93"));
    QVERIFY(upload.child("cmdCapture")->isEnabled() && upload.child("cmdTest")->isEnabled());
    // The label keeps the last character.
    QCOMPARE(upload.child<QLabel>("lbl")->text(), QStringLiteral("~"));
}

void tst_FontWindow::refusesAFontTheBoardCannotTake_data() {
    QTest::addColumn<QFont>("font");
    QTest::addColumn<QString>("reason");
    QTest::newRow("too large") << dejaVuSans(250) << QStringLiteral("smaller size");
    QFont tiny = dejaVuSans(1);
    tiny.setPixelSize(1);
    QTest::newRow("no ink") << tiny << QStringLiteral("leave no ink");
}

void tst_FontWindow::refusesAFontTheBoardCannotTake() {
    QFETCH(QFont, font);
    QFETCH(QString, reason);
    FontBench upload(fontChoice(font));
    click(upload.child("cmdCapture"));
    QVERIFY(upload.writes().isEmpty());
    QVERIFY(!upload.bench.engine().uploadBusy());
    const QString warning = upload.messages().value(0);
    QVERIFY2(warning.startsWith(QStringLiteral("Warning|")) && warning.contains(reason) &&
                 warning.contains(QStringLiteral("Nothing was sent")),
             qPrintable(warning));
    QCOMPARE(upload.pollInterval(), 250);
    QVERIFY(upload.child("cmdCapture")->isEnabled());
}

void tst_FontWindow::waitsForAnotherTransfer() {
    FontBench upload(fontChoice(dejaVuSans(12)));
    QVERIFY(upload.bench.startUpload(QStringLiteral("The picture preview"), "WS"));
    upload.writes();
    QVERIFY(!upload.child("cmdCapture")->isEnabled() && !upload.child("cmdTest")->isEnabled());
    // Reached all the same, Test does not write into the other transfer.
    QVERIFY(QMetaObject::invokeMethod(upload.bench.window(Font), "sendTestText"));
    QVERIFY(upload.writes().isEmpty());
    upload.bench.poll("!");
    QVERIFY(!upload.bench.engine().uploadBusy());
    click(upload.child("cmdCapture"));
    QCOMPARE(upload.writes().value(0), QByteArray("SF1"));
}

void tst_FontWindow::closingTheWindowFinishesTheBoardsFont() {
    FontBench upload(fontChoice(dejaVuSans(12)));
    click(upload.child("cmdCapture"));
    upload.bench.poll("!");
    upload.bench.poll("!");
    upload.writes();
    qobject_cast<QMdiSubWindow*>(upload.bench.window(Font)->parentWidget())->close();
    TestBench::settle();
    // The board has two glyphs of 94 and takes the next bytes as the rest of its font: the
    // 92 others go out as empty glyphs, each the moment the board answered the one before.
    QVERIFY(upload.bench.engine().uploadBusy());
    QCOMPARE(upload.bench.main().statusNote(), QStringLiteral("Finishing the board's font..."));
    for (int answer = 0; answer < 93; ++answer)
        upload.bench.line().answer("!");
    QCOMPARE(upload.writes(), QList<QByteArray>(92, bytes({0, 0})));
    QVERIFY(!upload.bench.engine().uploadBusy());
    QCOMPARE(upload.pollInterval(), 250);
    QCOMPARE(upload.progress().value(), 0);
    TestBench::settle();
    QCOMPARE(upload.messages(), QStringList{QStringLiteral(
                                    "Warning|The font upload stopped: the window was closed.")});
    upload.bench.poll("!");
    QVERIFY(upload.writes().isEmpty());
}

void tst_FontWindow::closedPortSendsNothingAndTestWritesTwelveCharacters() {
    FontBench window(fontChoice(dejaVuSans(12)), false);
    window.session().setControllerResponse(QStringLiteral("!"));
    click(window.child("cmdCapture"));
    click(window.child("cmdTest"));
    QVERIFY(window.writes().isEmpty());
    QCOMPARE(window.progress().value(), 0);
    QVERIFY(window.session().controllerResponse().isEmpty());
    QVERIFY(!window.bench.engine().uploadBusy());
    QVERIFY(window.messages().isEmpty());

    // Test: "W" "T" 255, "!" to "," a write each, then CR: 16 bytes in 14 writes.
    window.bench.connectBoard();
    window.writes();
    window.session().setControllerResponse(QStringLiteral("!"));
    click(window.child("cmdTest"));
    QList<QByteArray> expected{QByteArray("WT\xFF")};
    for (char c = '!'; c <= ','; ++c)
        expected.append(QByteArray(1, c));
    expected.append(QByteArray("\r"));
    QCOMPARE(window.writes(), expected);
    // No answer is awaited or cleared.
    QCOMPARE(window.session().controllerResponse(), QStringLiteral("!"));
}

QTEST_MAIN(tst_FontWindow)
#include "tst_fontwindow.moc"
