#include "app/boardtransfer.h"
#include "app/session.h"
#include "app/updown.h"
#include "graphic/frmgraphic.h"
#include "serial/colorvalue.h"
#include "serial/connectioncontroller.h"
#include "serial/msserial.h"
#include "testbench.h"

#include <QAction>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QToolButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString Graphic = QStringLiteral("frmGraphic");
const QString SpecFilter = QStringLiteral("Image Files(*.BMP;*.JPG;*.GIF)|*.BMP;*.JPG;*.GIF|");

// A picture whose pixels differ from their neighbours, so that any shift shows.
QImage noise(int width, int height) {
    QRandomGenerator random(42);
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, random.generate() | 0xFF000000u);
    }
    return image;
}

// What the board should get for a picture on the white picture box.
QByteArray expectedPixels(const QImage& picture) {
    QByteArray pixels(76800, char(255));
    for (int y = 0; y < qMin(240, picture.height()); ++y) {
        for (int x = 0; x < qMin(320, picture.width()); ++x)
            pixels[y * 320 + x] = char(ColorValue::reduce(picture.pixel(x, y)));
    }
    return pixels;
}

QList<QByteArray> eachByte(const QByteArray& bytes) {
    QList<QByteArray> writes;
    for (char byte : bytes)
        writes.append(QByteArray(1, byte));
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
        if (!picture.save(path))
            qWarning("could not write %s", qPrintable(path));
        return path;
    }
    QString writeBytes(const QString& name, const QByteArray& bytes) {
        const QString path = folder.filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        return path;
    }
    void open(const QString& path) {
        bench.dialogs().fileAnswers.append(path);
        click(button("cmdOpen"));
    }
    QImage shown() { return child<QLabel>("picBox")->pixmap().toImage(); }

    // Answers every block of the running transfer; returns what it sent after the header.
    QByteArray answerAll() {
        QByteArray sent;
        for (int poll = 0; poll < 400 && session().transferRunning(); ++poll) {
            bench.poll("!");
            for (const QByteArray& write : bench.line().takeWrites())
                sent += write;
        }
        return sent;
    }

    Session& session() { return bench.main().session(); }
    int pollInterval() { return bench.main().receiveTimer().interval(); }
    QProgressBar& progress() { return bench.main().progressBar(); }

    TestBench bench;
    QTemporaryDir folder;
    frmGraphic* window = nullptr;
};

} // namespace

class tst_frmGraphic : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void windowControlsAndScreenNumber();
    void closedPortSendsNothing();
    void previewSendsRowsPacedByTheBoard();
    void saveSendsChunksAfterTheHeaderIsAnswered();
    void loadShowsAStoredScreen();
    void oneTransferAtATime();
    void transferStopsCleanly();
    void openKeepsThePictureUnlessANewOneLoads();
};

void tst_frmGraphic::windowControlsAndScreenNumber() {
    GraphicFixture f(false);
    QVERIFY(f.window);
    QCOMPARE(f.window->windowTitle(), QStringLiteral(" Graphic "));
    QCOMPARE(f.window->size(), QSize(635, 326));
    QCOMPARE(f.child<QLabel>("picBox")->geometry(), QRect(24, 40, 325, 245));
    QVERIFY(f.child<QLabel>("picBox")->contentsRect().width() >= 320);
    QVERIFY(f.child<QLabel>("picBox")->contentsRect().height() >= 240);
    QCOMPARE(f.child<QGroupBox>("Frame2")->title(), QStringLiteral("File "));
    QCOMPARE(f.child<QGroupBox>("Frame1")->title(), QStringLiteral("Picture"));
    QCOMPARE(f.child<QGroupBox>("Frame1")->geometry(), QRect(392, 176, 169, 105));
    QCOMPARE(f.button("cmdOpen")->text(), QStringLiteral("Open"));
    QCOMPARE(f.button("cmdOpen")->geometry(), QRect(24, 24, 81, 25));
    QCOMPARE(f.button("cmdPreview")->text(), QStringLiteral("Preview"));
    QCOMPARE(f.button("cmdSave")->text(), QStringLiteral("Save"));
    QCOMPARE(f.button("cmdLoad")->text(), QStringLiteral("Load"));
    QCOMPARE(f.button("cmdLoad")->geometry(), QRect(8, 64, 89, 25));
    QCOMPARE(f.button("cmdSave")->parentWidget()->objectName(), QStringLiteral("Frame1"));
    QCOMPARE(f.button("cmdPreview")->parentWidget()->objectName(), QStringLiteral("Frame2"));

    // The chunk index is in view, within the window.
    auto* txtGraphic = f.child<QLineEdit>("txtGraphic");
    QVERIFY(txtGraphic->isVisible());
    QVERIFY(f.window->rect().contains(txtGraphic->geometry()));
    QCOMPARE(txtGraphic->text(), QString());

    // The screen number runs from 1 to 12; the text box shows it.
    auto* number = f.child<UpDown>("udScreenNumber");
    auto* text = f.child<QLineEdit>("txtScreenNumber");
    QCOMPARE(number->toolTip(), QStringLiteral("Change Screen Number"));
    QCOMPARE(number->value(), 1);
    QCOMPARE(text->text(), QStringLiteral("1"));
    auto* up = number->findChild<QToolButton*>(QStringLiteral("up"));
    number->findChild<QToolButton*>(QStringLiteral("down"))->click();
    QCOMPARE(number->value(), 1);
    for (int step = 0; step < 15; ++step)
        up->click();
    QCOMPARE(number->value(), 12);
    QCOMPARE(text->text(), QStringLiteral("12"));
    number->setValue(5);
    QCOMPARE(text->text(), QStringLiteral("5"));
    QVERIFY(text->isReadOnly());

    // Reopened, the window starts afresh; the menu and the toolbar both reach it.
    f.window->parentWidget()->close();
    QVERIFY(!f.bench.window(Graphic));
    f.bench.main().findChild<QAction*>(QStringLiteral("mnuGraphic"))->trigger();
    QVERIFY(f.bench.window(Graphic));
    QCOMPARE(f.child<UpDown>("udScreenNumber")->value(), 1);
    f.bench.window(Graphic)->parentWidget()->close();
    auto* toolbarButton = f.bench.main().findChild<QAction*>(QStringLiteral("Graphic"));
    QVERIFY(toolbarButton->isEnabled());
    toolbarButton->trigger();
    QVERIFY(f.bench.window(Graphic));
}

void tst_frmGraphic::closedPortSendsNothing() {
    GraphicFixture f(false);
    f.open(f.write(QStringLiteral("small.png"), noise(100, 100)));
    click(f.button("cmdPreview"));
    click(f.button("cmdSave"));
    click(f.button("cmdLoad"));
    QVERIFY(f.bench.line().writes.isEmpty());
    QCOMPARE(f.pollInterval(), 250);
    QCOMPARE(f.progress().maximum(), 100);
    QCOMPARE(f.progress().value(), 0);
    QVERIFY(!f.session().transferRunning());
    QVERIFY(f.bench.dialogs().messages.isEmpty());
}

void tst_frmGraphic::previewSendsRowsPacedByTheBoard() {
    GraphicFixture f;
    // 100 x 100: the rest of the screen is the picture box's white.
    const QImage picture = noise(100, 100);
    f.open(f.write(QStringLiteral("small.bmp"), picture));
    const QByteArray expected = expectedPixels(picture);

    click(f.button("cmdPreview"));
    QList<QByteArray> writes = f.bench.line().takeWrites();
    QCOMPARE(writes.size(), 1 + 320);
    QCOMPARE(writes.first(), QByteArray("WS"));
    QCOMPARE(writes.mid(1), eachByte(expected.left(320)));
    QCOMPARE(f.pollInterval(), 50);
    QCOMPARE(f.progress().maximum(), 239);
    QVERIFY(!f.button("cmdPreview")->isEnabled());

    // Nothing more until the board answers the row.
    f.bench.poll();
    f.bench.poll();
    QVERIFY(f.bench.line().takeWrites().isEmpty());

    QByteArray sent = expected.left(320);
    for (int row = 1; row < 240; ++row) {
        f.bench.poll("!");
        QCOMPARE(f.progress().value(), row - 1);
        writes = f.bench.line().takeWrites();
        QCOMPARE(writes.size(), 320);
        for (const QByteArray& write : writes) {
            QCOMPARE(write.size(), 1);
            sent += write;
        }
    }
    QVERIFY(f.session().transferRunning());
    QCOMPARE(f.pollInterval(), 50);
    f.bench.poll("ok");
    QCOMPARE(sent, expected);
    QCOMPARE(quint8(sent.at(150 * 320 + 150)), quint8(255));

    QVERIFY(!f.session().transferRunning());
    QCOMPARE(f.pollInterval(), 250);
    QCOMPARE(f.progress().value(), 0);
    QCOMPARE(f.progress().maximum(), 100);
    // The last row's answer stays for whoever reads it next.
    QCOMPARE(f.session().controllerResponse(), QStringLiteral("ok"));
    QVERIFY(f.button("cmdPreview")->isEnabled());
    f.bench.poll("!");
    QVERIFY(f.bench.line().writes.isEmpty());
    TestBench::settle();
    QVERIFY(f.bench.dialogs().messages.isEmpty());
}

void tst_frmGraphic::saveSendsChunksAfterTheHeaderIsAnswered() {
    GraphicFixture f;
    // 640 x 480: only the top-left 320 x 240 is stored.
    const QImage picture = noise(640, 480);
    f.open(f.write(QStringLiteral("large.png"), picture));
    const QByteArray expected = expectedPixels(picture);
    f.child<UpDown>("udScreenNumber")->setValue(12);

    // An answer read before the header is no go-ahead for the chunks.
    f.bench.poll("early");
    click(f.button("cmdSave"));
    QCOMPARE(f.bench.line().takeWrites(), QList<QByteArray>{QByteArray("SP") + bytes({12})});
    QCOMPARE(f.session().controllerResponse(), QString());
    QCOMPARE(f.progress().maximum(), 299);
    QCOMPARE(f.pollInterval(), 250);
    f.bench.poll();
    QVERIFY(f.bench.line().takeWrites().isEmpty());

    f.bench.poll("!");
    QCOMPARE(f.pollInterval(), 70);
    QCOMPARE(f.child<QLineEdit>("txtGraphic")->text(), QStringLiteral("0"));
    QCOMPARE(f.session().controllerResponse(), QString());
    QList<QByteArray> writes = f.bench.line().takeWrites();
    QCOMPARE(writes, eachByte(expected.left(256)));

    f.bench.poll();
    QVERIFY(f.bench.line().takeWrites().isEmpty());
    f.bench.poll("!");
    QCOMPARE(f.progress().value(), 0);
    QCOMPARE(f.child<QLineEdit>("txtGraphic")->text(), QStringLiteral("1"));
    writes = f.bench.line().takeWrites();
    QCOMPARE(writes.size(), 256);
    // Chunks run across rows: chunk 1 begins at (256, 0) and ends at (191, 1).
    QCOMPARE(writes.first(), QByteArray(1, expected.at(256)));
    QCOMPARE(writes.last(), QByteArray(1, expected.at(320 + 191)));

    QByteArray sent = expected.left(256);
    for (const QByteArray& write : writes)
        sent += write;
    for (int chunk = 2; chunk < 300; ++chunk) {
        f.bench.poll("!");
        QCOMPARE(f.progress().value(), chunk - 1);
        QCOMPARE(f.child<QLineEdit>("txtGraphic")->text(), QString::number(chunk));
        QCOMPARE(f.pollInterval(), 70);
        writes = f.bench.line().takeWrites();
        QCOMPARE(writes.size(), 256);
        for (const QByteArray& write : writes)
            sent += write;
    }
    QCOMPARE(sent, expected);
    QVERIFY(f.session().transferRunning());
    f.bench.poll("!");
    QVERIFY(!f.session().transferRunning());
    QCOMPARE(f.child<QLineEdit>("txtGraphic")->text(), QStringLiteral("299"));
    QCOMPARE(f.pollInterval(), 250);
    QCOMPARE(f.progress().value(), 0);
    QCOMPARE(f.progress().maximum(), 100);
    QCOMPARE(f.session().controllerResponse(), QString());
    TestBench::settle();
    QVERIFY(f.bench.dialogs().messages.isEmpty());
}

void tst_frmGraphic::loadShowsAStoredScreen() {
    GraphicFixture f;
    click(f.button("cmdLoad"));
    QCOMPARE(f.bench.line().takeWrites(), (QList<QByteArray>{"LP", bytes({1})}));
    f.child<UpDown>("udScreenNumber")->setValue(12);
    click(f.button("cmdLoad"));
    QCOMPARE(f.bench.line().takeWrites(), (QList<QByteArray>{"LP", bytes({12})}));
    // Load awaits nothing and leaves the poll and the progress bar alone.
    QVERIFY(!f.session().transferRunning());
    QCOMPARE(f.pollInterval(), 250);
    QCOMPARE(f.progress().maximum(), 100);
}

void tst_frmGraphic::oneTransferAtATime() {
    GraphicFixture f;
    click(f.button("cmdPreview"));
    f.bench.line().takeWrites();
    for (const char* name : {"cmdPreview", "cmdSave", "cmdLoad"})
        QVERIFY2(!f.button(name)->isEnabled(), name);
    QVERIFY(f.button("cmdOpen")->isEnabled());

    // Reached without the buttons, a second transfer is refused and so is Load; the running
    // preview goes on undisturbed.
    f.window->cmdSave_Click();
    f.window->cmdPreview_Click();
    f.window->cmdLoad_Click();
    QVERIFY(f.bench.line().writes.isEmpty());
    QCOMPARE(f.bench.dialogs().messages.size(), 1);
    QCOMPARE(f.bench.dialogs().messages[0].title, QStringLiteral("Warning"));
    QVERIFY(f.bench.dialogs().messages[0].text.startsWith(
        QStringLiteral("The picture preview is still running.")));
    QCOMPARE(f.progress().maximum(), 239);
    QCOMPARE(f.pollInterval(), 50);

    QCOMPARE(f.answerAll().size(), 239 * 320);
    for (const char* name : {"cmdPreview", "cmdSave", "cmdLoad"})
        QVERIFY2(f.button(name)->isEnabled(), name);

    // Another window's upload holds the line: opened meanwhile, this window waits for it too.
    f.window->parentWidget()->close();
    QObject otherWindow;
    BoardTransfer fontUpload(f.bench.main(), QStringLiteral("The font upload"), &otherWindow);
    QVERIFY(fontUpload.start({1, [](int) {}, nullptr}));
    f.bench.open(Graphic);
    QVERIFY(!f.button("cmdSave")->isEnabled());
    f.bench.poll("!");
    QVERIFY(!f.session().transferRunning());
    QVERIFY(f.button("cmdSave")->isEnabled());
    click(f.button("cmdSave"));
    QCOMPARE(f.bench.line().takeWrites().size(), 1);
}

void tst_frmGraphic::transferStopsCleanly() {
    // The window closes while the board has not answered (it never will).
    {
        GraphicFixture f;
        click(f.button("cmdSave"));
        f.bench.poll("!");
        f.bench.poll("!");
        for (int poll = 0; poll < 20; ++poll)
            f.bench.poll();
        f.bench.line().takeWrites();
        QCOMPARE(f.pollInterval(), 70);
        f.window->parentWidget()->close();
        TestBench::settle();
        QVERIFY(!f.bench.window(Graphic));
        QVERIFY(!f.session().transferRunning());
        QCOMPARE(f.pollInterval(), 250);
        QCOMPARE(f.progress().value(), 0);
        QCOMPARE(f.progress().maximum(), 100);
        QCOMPARE(f.bench.dialogs().messages.size(), 1);
        QCOMPARE(f.bench.dialogs().messages[0].text,
                 QStringLiteral("Saving the picture stopped: the window was closed."));
        f.bench.poll("!");
        QVERIFY(f.bench.line().writes.isEmpty());
    }
    // The user disconnects.
    {
        GraphicFixture f;
        click(f.button("cmdPreview"));
        f.bench.poll("!");
        f.bench.main().connection().disconnect();
        QVERIFY(!f.session().transferRunning());
        QCOMPARE(f.pollInterval(), 250);
        QCOMPARE(f.progress().maximum(), 100);
        QVERIFY(f.button("cmdPreview")->isEnabled());
        TestBench::settle();
        QCOMPARE(f.bench.dialogs().messages.size(), 1);
        QCOMPARE(
            f.bench.dialogs().messages[0].text,
            QStringLiteral("The picture preview stopped: the connection to the board was closed."));
    }
    // The adapter is unplugged.
    {
        GraphicFixture f;
        click(f.button("cmdPreview"));
        f.bench.line().unplug({9, QStringLiteral("Device removed")});
        QVERIFY(!f.session().transferRunning());
        QCOMPARE(f.pollInterval(), 250);
        QCOMPARE(f.progress().maximum(), 100);
        TestBench::settle();
        QStringList texts;
        for (const auto& message : f.bench.dialogs().messages)
            texts.append(message.text);
        QVERIFY2(texts.contains(QStringLiteral(
                     "The picture preview stopped: the connection to the board was closed.")),
                 qPrintable(texts.join(QLatin1Char('\n'))));
    }
    // The port takes no more bytes: nothing would ever answer, so the transfer ends.
    {
        GraphicFixture f;
        click(f.button("cmdSave"));
        f.bench.line().takeWrites();
        f.bench.line().writesFail = true;
        f.bench.poll("!");
        QVERIFY(!f.session().transferRunning());
        QCOMPARE(f.pollInterval(), 250);
        QCOMPARE(f.progress().maximum(), 100);
        TestBench::settle();
        QCOMPARE(f.bench.dialogs().messages.size(), 1);
        QCOMPARE(f.bench.dialogs().messages[0].text,
                 QStringLiteral("Saving the picture stopped: the board could not be written to "
                                "(Write failed)."));
    }
}

void tst_frmGraphic::openKeepsThePictureUnlessANewOneLoads() {
    GraphicFixture f;
    const QImage empty = f.shown();
    QCOMPARE(empty.size(), QSize(320, 240));
    QCOMPARE(empty.pixel(0, 0), qRgb(255, 255, 255));

    const QImage picture = noise(100, 100);
    const QString path = f.write(QStringLiteral("picture.png"), picture);
    f.open(path);
    QCOMPARE(f.bench.dialogs().fileRequests.size(), 1);
    QVERIFY(f.bench.dialogs().fileRequests[0].filter.startsWith(SpecFilter));
    QVERIFY(f.bench.dialogs().fileRequests[0].filter.contains(QLatin1String("*.PNG")));
    QCOMPARE(f.bench.dialogs().fileRequests[0].initialFolder, QString());
    const QImage shown = f.shown();
    QCOMPARE(shown.copy(0, 0, 100, 100).convertToFormat(QImage::Format_RGB32),
             picture.convertToFormat(QImage::Format_RGB32));
    QCOMPARE(shown.pixel(100, 0), qRgb(255, 255, 255));

    // Cancel: the picture stays, and nothing is said.
    f.open(QString());
    QCOMPARE(f.shown(), shown);
    QCOMPARE(f.bench.dialogs().fileRequests[1].initialFolder, QFileInfo(path).absolutePath());

    // Not a picture, or not there: the picture stays and the user learns why.
    const QString text = f.writeBytes(QStringLiteral("notes.bmp"), "no picture in here");
    const QString missing = f.folder.filePath(QStringLiteral("gone.jpg"));
    for (const QString& bad : {text, missing}) {
        f.bench.dialogs().messages.clear();
        f.open(bad);
        QCOMPARE(f.shown(), shown);
        QCOMPARE(f.bench.dialogs().messages.size(), 1);
        QCOMPARE(f.bench.dialogs().messages[0].title, QStringLiteral("Warning"));
        QCOMPARE(f.bench.dialogs().messages[0].icon, UserDialogs::Icon::Warning);
        QVERIFY2(f.bench.dialogs().messages[0].text.contains(QDir::toNativeSeparators(bad)),
                 qPrintable(f.bench.dialogs().messages[0].text));
    }

    // JPG and GIF load as well; a transparent GIF pixel shows the box's white.
    QImage red(330, 250, QImage::Format_RGB32);
    red.fill(qRgb(255, 0, 0));
    f.open(f.write(QStringLiteral("red.jpg"), red));
    QCOMPARE(ColorValue::reduce(f.shown().pixel(319, 239)), quint8(224));
    // 2 x 1 pixels: a blue one, then a transparent one.
    const QByteArray gif = QByteArray::fromHex("474946383961020001008000000000ff000000"
                                               "21f9040100000100"
                                               "2c000000000200010000"
                                               "0202440a003b");
    f.bench.dialogs().messages.clear();
    f.open(f.writeBytes(QStringLiteral("dot.GIF"), gif));
    QVERIFY(f.bench.dialogs().messages.isEmpty());
    QCOMPARE(f.shown().pixel(0, 0), qRgb(0, 0, 255));
    QCOMPARE(f.shown().pixel(1, 0), qRgb(255, 255, 255));
    QCOMPARE(f.shown().pixel(2, 0), qRgb(255, 255, 255));
    QCOMPARE(f.shown().pixel(0, 1), qRgb(255, 255, 255));
}

QTEST_MAIN(tst_frmGraphic)
#include "tst_frmgraphic.moc"
