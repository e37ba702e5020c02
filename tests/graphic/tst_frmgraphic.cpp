#include "app/session.h"
#include "app/updown.h"
#include "graphic/frmgraphic.h"
#include "testbench.h"

#include <QGroupBox>
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
    const QByteArray pixels = screenPixels(ScreenCanvas(picture, Qt::white)).mid(first, count);
    QList<QByteArray> writes;
    for (char pixel : pixels)
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

    template <typename T> T* child(const char* name) {
        return bench.find<T>(Graphic, QLatin1String(name));
    }
    QPushButton* button(const char* name) { return child<QPushButton>(name); }
    QString write(const QString& name, const QImage& picture) {
        const QString path = folder.filePath(name);
        picture.save(path);
        return path;
    }
    void open(const QString& path) {
        bench.dialogs().fileAnswers.append(path);
        click(button("cmdOpen"));
    }
    QImage shown() { return child<QLabel>("picBox")->pixmap().toImage(); }
    QString messages() {
        TestBench::settle();
        QStringList texts;
        for (const auto& message : bench.dialogs().messages)
            texts.append(message.text);
        return texts.join(QLatin1Char('\n'));
    }

    Session& session() { return bench.main().session(); }
    int pollInterval() { return bench.main().receiveTimer().interval(); }
    QProgressBar& progress() { return bench.main().progressBar(); }
    // The receive poll and the progress bar as they are between transfers.
    bool idle() {
        return !session().transferRunning() && pollInterval() == 250 && progress().value() == 0 &&
               progress().maximum() == 100;
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
    void loadAndOneTransferAtATime();
    void closedWindowLostPortOrFailedWriteStopsTheTransfer();
    void openKeepsThePictureUnlessANewOneLoads();
};

void tst_frmGraphic::controlsAndClosedPort() {
    GraphicFixture f(false);
    QCOMPARE(f.window->windowTitle(), QStringLiteral(" Graphic "));
    QCOMPARE(f.child<QGroupBox>("Frame2")->title(), QStringLiteral("File "));
    QCOMPARE(f.child<QGroupBox>("Frame1")->title(), QStringLiteral("Picture"));
    for (const char* name : {"cmdOpen", "cmdPreview", "cmdSave", "cmdLoad"})
        QCOMPARE(f.button(name)->text(), QString::fromLatin1(name).mid(3));
    const QRect inside = f.child<QLabel>("picBox")->contentsRect();
    QVERIFY(inside.width() >= 320 && inside.height() >= 240);
    // The screen number runs from 1 to 12; the read-only box shows it.
    auto* number = f.child<UpDown>("udScreenNumber");
    QCOMPARE(number->toolTip(), QStringLiteral("Change Screen Number"));
    number->setValue(0);
    QCOMPARE(f.child<QLineEdit>("txtScreenNumber")->text(), QStringLiteral("1"));
    number->setValue(13);
    QCOMPARE(f.child<QLineEdit>("txtScreenNumber")->text(), QStringLiteral("12"));

    // The port is closed: nothing goes out, the poll and the progress bar stay as they are.
    f.open(f.write(QStringLiteral("small.png"), noisePicture(100, 100)));
    for (const char* name : {"cmdPreview", "cmdSave", "cmdLoad"})
        click(f.button(name));
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
    f.open(f.write(QStringLiteral("picture.png"), picture));
    f.child<UpDown>("udScreenNumber")->setValue(12);
    const bool save = button == QLatin1String("cmdSave");
    const int blocks = 76800 / blockSize;

    // An answer read before the upload is no go-ahead for its first block.
    f.bench.poll("early");
    click(f.button(qPrintable(button)));
    QCOMPARE(f.bench.line().takeWrites(),
             QList<QByteArray>{header} +
                 (save ? QList<QByteArray>() : pixelWrites(picture, 0, blockSize)));
    QCOMPARE(f.session().controllerResponse(), QString());
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
        QVERIFY(!f.button("cmdPreview")->isEnabled());
    }
    f.bench.poll("ok");
    QVERIFY(f.idle());
    QCOMPARE(f.session().controllerResponse(), lastAnswer);
    QVERIFY(f.button("cmdPreview")->isEnabled());
    f.bench.poll("!");
    QVERIFY(f.bench.line().writes.isEmpty());
    QCOMPARE(f.messages(), QString());
}

void tst_frmGraphic::loadAndOneTransferAtATime() {
    GraphicFixture f;
    click(f.button("cmdLoad"));
    f.child<UpDown>("udScreenNumber")->setValue(12);
    click(f.button("cmdLoad"));
    QCOMPARE(f.bench.line().takeWrites(), (QList<QByteArray>{"LP", bytes({1}), "LP", bytes({12})}));
    QVERIFY(f.idle());

    click(f.button("cmdPreview"));
    f.bench.line().takeWrites();
    for (const char* name : {"cmdPreview", "cmdSave", "cmdLoad"})
        QVERIFY2(!f.button(name)->isEnabled(), name);
    // Reached without the buttons, a second transfer is refused and Load would land in the
    // middle of the picture; the running preview goes on undisturbed.
    f.window->cmdSave_Click();
    f.window->cmdLoad_Click();
    QVERIFY(f.bench.line().writes.isEmpty());
    QVERIFY(f.messages().startsWith(QStringLiteral("The picture preview is still running.")));
    QCOMPARE(f.progress().maximum(), 239);
    QCOMPARE(f.pollInterval(), 50);
    for (int row = 1; row <= 240; ++row)
        f.bench.poll("!");
    QVERIFY(f.idle());
    QVERIFY(f.button("cmdLoad")->isEnabled());
}

void tst_frmGraphic::closedWindowLostPortOrFailedWriteStopsTheTransfer() {
    {
        // The board has answered the header and a chunk, then falls silent.
        GraphicFixture f;
        click(f.button("cmdSave"));
        f.bench.poll("!");
        f.bench.poll("!");
        f.bench.poll();
        f.bench.line().takeWrites();
        f.window->parentWidget()->close();
        TestBench::settle();
        QVERIFY(!f.bench.window(Graphic));
        QVERIFY(f.idle());
        QCOMPARE(f.messages(),
                 QStringLiteral("Saving the picture stopped: the window was closed."));
        f.bench.poll("!");
        QVERIFY(f.bench.line().writes.isEmpty());
    }
    {
        // Nothing would ever answer a chunk that was not written.
        GraphicFixture f;
        click(f.button("cmdSave"));
        f.bench.line().writesFail = true;
        f.bench.poll("!");
        QVERIFY(f.idle());
        QCOMPARE(f.messages(), QStringLiteral("Saving the picture stopped: the board could not "
                                              "be written to (Write failed)."));
    }
    {
        // The adapter is pulled out while the preview's rows go out.
        GraphicFixture f;
        click(f.button("cmdPreview"));
        f.bench.poll("!");
        f.bench.line().unplug({9, QStringLiteral("The device was removed")});
        QVERIFY(f.idle());
        QVERIFY(f.messages().contains(QStringLiteral(
            "The picture preview stopped: the connection to the board was closed.")));
        for (const char* name : {"cmdOpen", "cmdPreview", "cmdSave", "cmdLoad"})
            QVERIFY2(f.button(name)->isEnabled(), name);
    }
}

void tst_frmGraphic::openKeepsThePictureUnlessANewOneLoads() {
    GraphicFixture f;
    const QImage picture = noisePicture(100, 100);
    const QString path = f.write(QStringLiteral("picture.png"), picture);
    f.open(path);
    QVERIFY(f.bench.dialogs().fileRequests[0].filter.startsWith(
        QStringLiteral("Image Files(*.BMP;*.JPG;*.GIF)|*.BMP;*.JPG;*.GIF|")));
    const QImage shown = f.shown();
    QCOMPARE(shown.copy(0, 0, 100, 100).convertToFormat(QImage::Format_RGB32), picture);
    QCOMPARE(shown.pixel(100, 0), qRgb(255, 255, 255));

    // Cancel: the picture stays, nothing is said, and the next dialog opens where it was.
    f.open(QString());
    QCOMPARE(f.shown(), shown);
    QCOMPARE(f.bench.dialogs().fileRequests[1].initialFolder, QFileInfo(path).absolutePath());
    QCOMPARE(f.messages(), QString());

    // Not a picture: the picture stays, no message box, and a note names the file.
    const QString notes = f.folder.filePath(QStringLiteral("notes.bmp"));
    QFile file(notes);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("no picture in here") > 0);
    file.close();
    f.open(notes);
    QCOMPARE(f.shown(), shown);
    QCOMPARE(f.messages(), QString());
    const QString note = f.bench.main().statusNote();
    QVERIFY2(note.contains(QDir::toNativeSeparators(notes)), qPrintable(note));
}

QTEST_MAIN(tst_frmGraphic)
#include "tst_frmgraphic.moc"
