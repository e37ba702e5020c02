#include "engine/session.h"
#include "workbench/updown.h"
#include "graphic/frmgraphic.h"
#include "testbench.h"

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString Graphic = QStringLiteral("frmGraphic");

// What the board should get for a picture on the white picture box, a write per pixel.
QList<QByteArray> pixelWrites(const QImage& picture, int first, int count) {
    QList<QByteArray> writes;
    for (char pixel : screenPixels(ScreenCanvas(picture, Qt::white)).mid(first, count))
        writes.append(QByteArray(1, pixel));
    return writes;
}

class GraphicFixture {
public:
    explicit GraphicFixture(bool connected = true) {
        if (connected)
            bench.connectBoard();
        window = qobject_cast<frmGraphic*>(bench.open(Graphic));
        bench.line().takeWrites();
    }

    template <typename T = QPushButton> T* child(const char* name) {
        return bench.find<T>(Graphic, QLatin1String(name));
    }
    // Opens the file through the window's Open; an empty path cancels the dialog.
    void open(const QString& path) {
        bench.dialogs().fileAnswers.append(path);
        click(child("cmdOpen"));
    }
    QString open(const QImage& picture) {
        const QString path = folder.filePath(QStringLiteral("picture.png"));
        picture.save(path);
        open(path);
        return path;
    }
    QImage shown() { return child<QLabel>("picBox")->pixmap().toImage(); }
    QString messages() {
        TestBench::settle();
        QStringList texts;
        for (const auto& message : bench.dialogs().messages)
            texts.append(message.text);
        return texts.join(QLatin1Char('\n'));
    }
    int pollInterval() { return bench.engine().connection().receivePoll().interval(); }
    QProgressBar& progress() { return bench.progressBar(); }
    // The receive poll and the progress bar as they are between transfers.
    bool idle() {
        return !bench.engine().uploader().isBusy() && pollInterval() == 250 &&
               progress().value() == 0 && progress().maximum() == 100;
    }

    TestBench bench;
    QTemporaryDir folder;
    frmGraphic* window = nullptr;
};

} // namespace

class tst_frmGraphic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void controlsAndClosedPort();
    void uploadSendsBlocksPacedByTheBoard_data();
    void uploadSendsBlocksPacedByTheBoard();
    void transferStopsCleanly_data();
    void transferStopsCleanly();
    void closingTheWindowFinishesTheBoardsPicture();
    void aBoardSilentWhileFinishingIsGivenUpAfterTwoSeconds();
    void openKeepsThePictureUnlessANewOneLoads();
};

void tst_frmGraphic::controlsAndClosedPort() {
    GraphicFixture f(false);
    QCOMPARE(f.window->windowTitle(), QStringLiteral(" Graphic "));
    QCOMPARE(
        f.bench.captionMismatches(Graphic, {"Frame2:File ", "Frame1:Picture", "cmdOpen:Open",
                                            "cmdPreview:Preview", "cmdSave:Save", "cmdLoad:Load"}),
        QStringList());
    const QRect inside = f.child<QLabel>("picBox")->contentsRect();
    QVERIFY(inside.width() >= 320 && inside.height() >= 240);
    // The read-only box shows the screen number, 1 to 12.
    f.child<UpDown>("udScreenNumber")->setValue(13);
    QCOMPARE(f.child<QLineEdit>("txtScreenNumber")->text(), QStringLiteral("12"));

    // The port is closed: nothing goes out, the poll and the progress bar stay as they are.
    f.open(noisePicture(100, 100));
    for (const char* name : {"cmdPreview", "cmdSave", "cmdLoad"})
        click(f.child(name));
    QVERIFY(f.bench.line().writes.isEmpty());
    QVERIFY(f.idle());
    QCOMPARE(f.messages(), QString());
}

void tst_frmGraphic::uploadSendsBlocksPacedByTheBoard_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QByteArray>("header");
    QTest::addColumn<int>("blockSize");
    QTest::addColumn<int>("pollMs");
    QTest::addColumn<QString>("lastAnswer"); // left for whoever reads the board next
    // The preview's header goes out with the first row, unanswered; the box's white
    // surrounds a small picture.
    QTest::newRow("preview by rows")
        << "cmdPreview" << QSize(100, 100) << QByteArray("WS") << 320 << 50 << "ok";
    // The save header is answered before the chunks; chunks run across rows.
    QTest::newRow("save by chunks")
        << "cmdSave" << QSize(640, 480) << QByteArray("SP" + bytes({12})) << 256 << 70 << "";
}

void tst_frmGraphic::uploadSendsBlocksPacedByTheBoard() {
    QFETCH(QString, button);
    QFETCH(QSize, size);
    QFETCH(QByteArray, header);
    QFETCH(int, blockSize);
    QFETCH(int, pollMs);
    QFETCH(QString, lastAnswer);
    GraphicFixture f;
    const QImage picture = noisePicture(size.width(), size.height());
    f.open(picture);
    f.child<UpDown>("udScreenNumber")->setValue(12);
    const bool save = button == QLatin1String("cmdSave");
    const int blocks = 76800 / blockSize;

    // An answer read before the upload is no go-ahead for its first block.
    f.bench.poll("early");
    click(f.child(qPrintable(button)));
    QCOMPARE(f.bench.line().takeWrites(),
             QList<QByteArray>{header} +
                 (save ? QList<QByteArray>() : pixelWrites(picture, 0, blockSize)));
    QCOMPARE(f.bench.engine().session().controllerResponse(), QString());
    for (const char* name : {"cmdPreview", "cmdSave", "cmdLoad"})
        QVERIFY2(!f.child(name)->isEnabled(), name);
    // Reached without the buttons, the other transfer is refused and Load would land in the
    // middle of the picture; the running one goes on undisturbed.
    const auto other = save ? &frmGraphic::cmdPreview_Click : &frmGraphic::cmdSave_Click;
    (f.window->*other)();
    f.window->cmdLoad_Click();
    QVERIFY(f.bench.line().writes.isEmpty());
    QVERIFY(f.messages().contains(QStringLiteral(" is still running.")));
    f.bench.dialogs().messages.clear();
    for (int block = save ? 0 : 1; block < blocks; ++block) {
        f.bench.poll();
        QVERIFY(f.bench.line().takeWrites().isEmpty());
        f.bench.poll("!");
        QCOMPARE(f.bench.line().takeWrites(), pixelWrites(picture, block * blockSize, blockSize));
        QCOMPARE(f.pollInterval(), pollMs);
        QCOMPARE(f.progress().maximum(), blocks - 1);
        QCOMPARE(f.progress().value(), qMax(0, block - 1));
        if (save)
            QCOMPARE(f.child<QLineEdit>("txtGraphic")->text(), QString::number(block));
    }
    f.bench.poll("ok");
    QVERIFY(f.idle());
    QCOMPARE(f.bench.engine().session().controllerResponse(), lastAnswer);
    f.bench.poll("!");
    QVERIFY(f.bench.line().writes.isEmpty());
    QCOMPARE(f.messages(), QString());
    click(f.child("cmdLoad"));
    QCOMPARE(f.bench.line().takeWrites(), (QList<QByteArray>{"LP", bytes({12})}));
}

void tst_frmGraphic::transferStopsCleanly_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("message");
    // Nothing would ever answer a chunk that was not written.
    QTest::newRow("write failed") << "cmdSave"
                                  << "write"
                                  << "Saving the picture stopped: the board could not be "
                                     "written to (Write failed).";
    QTest::newRow("adapter unplugged")
        << "cmdPreview"
        << "unplug"
        << "The picture preview stopped: the connection to the board was lost.";
}

void tst_frmGraphic::transferStopsCleanly() {
    QFETCH(QString, button);
    QFETCH(QString, fault);
    QFETCH(QString, message);
    GraphicFixture f;
    click(f.child(qPrintable(button)));
    f.bench.poll("!");
    f.bench.line().takeWrites();
    if (fault == QLatin1String("write")) {
        f.bench.line().writesFail = true;
    } else {
        f.bench.line().unplug({9, QStringLiteral("The device was removed")});
    }
    f.bench.poll("!");
    QVERIFY(f.idle());
    QVERIFY2(f.messages().contains(message), qPrintable(f.messages()));
    f.bench.line().writesFail = false;
    f.bench.poll("!");
    QVERIFY(f.bench.line().writes.isEmpty());
    for (const char* name : {"cmdOpen", "cmdPreview", "cmdSave", "cmdLoad"})
        QVERIFY2(f.child(name)->isEnabled(), name);
}

void tst_frmGraphic::closingTheWindowFinishesTheBoardsPicture() {
    GraphicFixture f;
    f.open(noisePicture(320, 240));
    click(f.child("cmdSave"));
    f.bench.poll("!");
    f.bench.line().takeWrites();
    f.window->parentWidget()->close();
    TestBench::settle();
    QVERIFY(!f.bench.window(Graphic));
    // The board has one chunk of 300: the rest of its picture goes out in the box's white,
    // a chunk each time the board answers, and the line is free after the last answer.
    QCOMPARE(f.bench.main().statusNote(), QStringLiteral("Finishing the board's picture..."));
    for (int answer = 0; answer < 299; ++answer)
        f.bench.line().answer("!");
    QVERIFY(f.bench.engine().uploader().isBusy());
    QCOMPARE(f.bench.line().takeWrites(), QList<QByteArray>(299 * 256, bytes({255})));
    f.bench.line().answer("!");
    QVERIFY(f.idle());
    QCOMPARE(f.messages(), QStringLiteral("Saving the picture stopped: the window was closed."));
    QCOMPARE(f.bench.main().statusNote(), QString());
}

void tst_frmGraphic::aBoardSilentWhileFinishingIsGivenUpAfterTwoSeconds() {
    GraphicFixture f;
    click(f.child("cmdPreview"));
    f.bench.poll("!");
    f.bench.line().takeWrites();
    f.window->parentWidget()->close();
    TestBench::settle();
    f.bench.line().answer("!");
    QCOMPARE(f.bench.line().takeWrites().size(), 320);
    // Answers keep it going; silence for 2 s ends it.
    f.bench.clock().advance(1999);
    f.bench.line().answer("!");
    f.bench.clock().advance(1999);
    QVERIFY(f.bench.engine().uploader().isBusy());
    f.bench.clock().advance(1);
    QVERIFY(f.idle());
    QCOMPARE(f.bench.line().takeWrites().size(), 320);
    QVERIFY2(f.messages().contains(QStringLiteral("reset the board")), qPrintable(f.messages()));
}

void tst_frmGraphic::openKeepsThePictureUnlessANewOneLoads() {
    GraphicFixture f;
    const QImage picture = noisePicture(100, 100);
    const QString path = f.open(picture);
    const QImage shown = f.shown();
    QCOMPARE(shown.copy(0, 0, 100, 100).convertToFormat(QImage::Format_RGB32), picture);
    QCOMPARE(shown.pixel(100, 0), qRgb(255, 255, 255));

    // Cancel: the picture stays, nothing is said, and the next dialog opens where it was.
    f.open(QString());
    QCOMPARE(f.shown(), shown);
    QCOMPARE(f.bench.dialogs().fileRequests[1].initialFolder, QFileInfo(path).absolutePath());

    // Not a picture: the picture stays, no message box, and a note names the file.
    const QString notes = f.folder.filePath(QStringLiteral("notes.bmp"));
    QFile file(notes);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("no picture in here") > 0);
    file.close();
    f.open(notes);
    QCOMPARE(f.shown(), shown);
    QCOMPARE(f.messages(), QString());
    QVERIFY(f.bench.main().statusNote().contains(QDir::toNativeSeparators(notes)));
}

QTEST_MAIN(tst_frmGraphic)
#include "tst_frmgraphic.moc"
