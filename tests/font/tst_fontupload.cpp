#include "app/boardtransfer.h"
#include "app/session.h"
#include "font/fontcapture.h"
#include "font/frmfont.h"
#include "fontfixture.h"
#include "serial/connectioncontroller.h"
#include "serial/msserial.h"
#include "testbench.h"

#include <QLabel>
#include <QMdiSubWindow>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

const QString Font = QStringLiteral("frmFont");

// The program connected to the recording line, with the font window open on this font.
struct Upload {
    explicit Upload(const QFont& font, bool connect = true) {
        if (connect)
            bench.connectBoard();
        bench.dialogs().fontAnswers.append(fontChoice(font));
        bench.open(Font);
        bench.line().takeWrites();
    }

    frmFont* window() { return qobject_cast<frmFont*>(bench.window(Font)); }
    QPushButton* button(const char* name) {
        return bench.find<QPushButton>(Font, QLatin1String(name));
    }
    QProgressBar& progress() { return bench.main().progressBar(); }
    int pollInterval() { return bench.main().receiveTimer().interval(); }
    bool running() { return bench.main().session().transferRunning(); }

    TestBench bench;
};

QList<QByteArray> glyphWrites(const CapturedGlyph& glyph) {
    QList<QByteArray> writes{bytes({glyph.width, glyph.height})};
    for (const char byte : glyph.bitmap)
        writes.append(QByteArray(1, byte));
    return writes;
}

} // namespace

class tst_FontUpload : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void closedPortSendsNothing();
    void uploadsSizesThenEachGlyphAfterAnAnswer();
    void refusesAFontTheBoardCannotTake();
    void waitsForAnotherTransfer();
    void closingTheWindowOrTheConnectionStopsIt();
    void testWritesTheFirstTwelveCharacters();
};

void tst_FontUpload::initTestCase() {
    QVERIFY2(loadDejaVuSans(), "DejaVuSans.ttf is missing (package fonts-dejavu-core)");
}

void tst_FontUpload::closedPortSendsNothing() {
    Upload upload(dejaVuSans(12), false);
    upload.bench.main().session().setControllerResponse(QStringLiteral("stale"));
    click(upload.button("cmdCapture"));
    QVERIFY(upload.bench.line().writes.isEmpty());
    QCOMPARE(upload.progress().maximum(), 93);
    QCOMPARE(upload.progress().value(), 0);
    QVERIFY(upload.bench.main().session().controllerResponse().isEmpty());
    QVERIFY(!upload.running());
    QVERIFY(upload.bench.dialogs().messages.isEmpty());
}

void tst_FontUpload::uploadsSizesThenEachGlyphAfterAnAnswer() {
    const QFont font = dejaVuSans(12);
    Upload upload(font);
    const FontCapture expected = FontCapture::capture(font, font);
    upload.bench.find<QRadioButton>(Font, QStringLiteral("optFont2"))->setChecked(true);
    upload.bench.main().session().setControllerResponse(QStringLiteral("stale"));

    click(upload.button("cmdCapture"));
    QVERIFY(upload.running());
    // The line belongs to the upload: neither Capture nor Test can be clicked meanwhile.
    QVERIFY(!upload.button("cmdCapture")->isEnabled());
    QVERIFY(!upload.button("cmdTest")->isEnabled());
    QVERIFY(upload.button("cmdFont")->isEnabled());
    QVERIFY(upload.bench.main().session().controllerResponse().isEmpty());

    // The start and the 94 sizes, 3 + 188 bytes, before any wait.
    QList<QByteArray> sizeTable{QByteArray("SF2")};
    for (const CapturedGlyph& glyph : expected.sizePass)
        sizeTable.append(bytes({glyph.width, glyph.height}));
    QCOMPARE(upload.bench.line().takeWrites(), sizeTable);
    QCOMPARE(sizeTable.join().size(), 3 + 188);
    QCOMPARE(upload.progress().maximum(), 93);
    QCOMPARE(upload.progress().value(), 93);
    QCOMPARE(upload.pollInterval(), 250);

    // A quiet poll is no answer; any text is.
    upload.bench.poll();
    QVERIFY(upload.bench.line().writes.isEmpty());
    upload.bench.poll("?");
    QCOMPARE(upload.pollInterval(), 130);

    for (int i = 0; i < 94; ++i) {
        const CapturedGlyph& glyph = expected.glyphPass[i];
        QCOMPARE(upload.bench.line().takeWrites(), glyphWrites(glyph));
        QCOMPARE(upload.progress().value(), i);
        QCOMPARE(upload.pollInterval(), 130);
        upload.bench.poll();
        QVERIFY(upload.bench.line().writes.isEmpty());
        QVERIFY(upload.bench.dialogs().messages.isEmpty());
        upload.bench.poll("!");
    }
    QVERIFY(upload.bench.line().writes.isEmpty());
    QVERIFY(!upload.running());
    QCOMPARE(upload.pollInterval(), 250);
    QCOMPARE(upload.progress().value(), 0);
    QVERIFY(upload.bench.main().session().controllerResponse().isEmpty());
    QCOMPARE(upload.bench.dialogs().messages.size(), 1);
    const ScriptedDialogs::Message& done = upload.bench.dialogs().messages[0];
    QCOMPARE(done.text, QStringLiteral("   Done."));
    QVERIFY(done.title.isEmpty());
    QCOMPARE(done.icon, UserDialogs::Icon::None);
    QVERIFY(upload.button("cmdCapture")->isEnabled());
    QVERIFY(upload.button("cmdTest")->isEnabled());
    // The canvas and the label keep the last character.
    QCOMPARE(upload.bench.find<QLabel>(Font, QStringLiteral("lbl"))->text(), QStringLiteral("~"));
}

void tst_FontUpload::refusesAFontTheBoardCannotTake() {
    Upload upload(dejaVuSans(250));
    click(upload.button("cmdCapture"));
    QVERIFY(upload.bench.line().writes.isEmpty());
    QVERIFY(!upload.running());
    QCOMPARE(upload.bench.dialogs().messages.size(), 1);
    const ScriptedDialogs::Message& warning = upload.bench.dialogs().messages[0];
    QCOMPARE(warning.title, QStringLiteral("Warning"));
    QCOMPARE(warning.icon, UserDialogs::Icon::Warning);
    QVERIFY2(warning.text.contains(QStringLiteral(" W ")), qPrintable(warning.text));
    QVERIFY(warning.text.contains(QStringLiteral("smaller size")));
    QVERIFY(warning.text.contains(QStringLiteral("Nothing was sent")));
    QCOMPARE(upload.pollInterval(), 250);
    QVERIFY(upload.button("cmdCapture")->isEnabled());
}

void tst_FontUpload::waitsForAnotherTransfer() {
    Upload upload(dejaVuSans(12));
    QObject owner;
    BoardTransfer picture(upload.bench.main(), QStringLiteral("The picture preview"), &owner);
    QVERIFY(picture.start({2, [&upload](int) { upload.bench.main().port().output("WS"); }, {}}));
    upload.bench.line().takeWrites();
    QVERIFY(!upload.button("cmdCapture")->isEnabled());
    QVERIFY(!upload.button("cmdTest")->isEnabled());

    // Called all the same, Capture is refused and the user told why.
    upload.window()->cmdCapture_Click();
    upload.window()->cmdTest_Click();
    QVERIFY(upload.bench.line().writes.isEmpty());
    QCOMPARE(upload.bench.dialogs().messages.size(), 1);
    QVERIFY(upload.bench.dialogs().messages[0].text.startsWith(
        QStringLiteral("The picture preview is still running")));

    upload.bench.poll("!");
    upload.bench.poll("!");
    QVERIFY(!picture.isRunning());
    upload.bench.line().takeWrites();
    QVERIFY(upload.button("cmdCapture")->isEnabled());
    QVERIFY(upload.button("cmdTest")->isEnabled());
    click(upload.button("cmdCapture"));
    QVERIFY(upload.running());
    QCOMPARE(upload.bench.line().takeWrites().first(), QByteArray("SF1"));
}

void tst_FontUpload::closingTheWindowOrTheConnectionStopsIt() {
    Upload upload(dejaVuSans(12));
    click(upload.button("cmdCapture"));
    upload.bench.poll("!");
    upload.bench.poll("!");
    QCOMPARE(upload.pollInterval(), 130);
    QVERIFY(upload.progress().value() > 0);

    auto* frame = qobject_cast<QMdiSubWindow*>(upload.window()->parentWidget());
    QVERIFY(frame);
    frame->close();
    TestBench::settle();
    QVERIFY(!upload.bench.window(Font));
    QVERIFY(!upload.running());
    QCOMPARE(upload.pollInterval(), 250);
    QCOMPARE(upload.progress().value(), 0);
    QCOMPARE(upload.bench.dialogs().messages.size(), 1);
    QCOMPARE(upload.bench.dialogs().messages[0].text,
             QStringLiteral("The font upload stopped: the window was closed."));
    upload.bench.line().takeWrites();
    upload.bench.poll("!");
    QVERIFY(upload.bench.line().writes.isEmpty());

    // Again, and this time the connection goes.
    upload.bench.dialogs().messages.clear();
    upload.bench.dialogs().fontAnswers.append(fontChoice(dejaVuSans(12)));
    upload.bench.open(Font);
    click(upload.button("cmdCapture"));
    upload.bench.poll("!");
    upload.bench.main().connection().disconnect();
    QVERIFY(!upload.running());
    QCOMPARE(upload.pollInterval(), 250);
    QCOMPARE(upload.progress().value(), 0);
    TestBench::settle();
    QCOMPARE(upload.bench.dialogs().messages.size(), 1);
    QCOMPARE(upload.bench.dialogs().messages[0].text,
             QStringLiteral("The font upload stopped: the connection to the board was closed."));
    QVERIFY(upload.button("cmdCapture")->isEnabled());
}

void tst_FontUpload::testWritesTheFirstTwelveCharacters() {
    Upload upload(dejaVuSans(12), false);
    Session& session = upload.bench.main().session();
    click(upload.button("cmdTest"));
    QVERIFY(upload.bench.line().writes.isEmpty());
    QCOMPARE(session.fontLoopIndex(), 0);

    upload.bench.connectBoard();
    session.setControllerResponse(QStringLiteral("!"));
    click(upload.button("cmdTest"));
    QList<QByteArray> expected{QByteArray("WT\xFF")};
    for (char c = '!'; c <= ','; ++c)
        expected.append(QByteArray(1, c));
    expected.append(QByteArray("\r"));
    const QList<QByteArray> writes = upload.bench.line().takeWrites();
    QCOMPARE(writes, expected);
    QCOMPARE(writes.size(), 14);
    QCOMPARE(writes.join().size(), 16);
    QCOMPARE(session.fontLoopIndex(), 45);
    // No answer is awaited or cleared.
    QCOMPARE(session.controllerResponse(), QStringLiteral("!"));
}

QTEST_MAIN(tst_FontUpload)
#include "tst_fontupload.moc"
