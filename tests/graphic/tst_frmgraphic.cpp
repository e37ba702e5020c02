#include "engine/colorvalue.h"
#include "engine/session.h"
#include "engineparts.h"
#include "graphic/frmgraphic.h"
#include "graphic/pictureloading.h"
#include "graphic/screencanvas.h"
#include "picturefiles.h"
#include "testbench.h"
#include "workbench/updown.h"
#include "workbench/userdialogs.h"

#include <algorithm>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
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
    QImage shown() {
        return child<QLabel>("picBox")->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    }
    QComboBox* size() { return child<QComboBox>("cboSize"); }
    QComboBox* dither() { return child<QComboBox>("cboDither"); }
    QCheckBox* boardColors() { return child<QCheckBox>("chkBoardColors"); }
    QString messages() {
        TestBench::settle();
        QStringList texts;
        for (const auto& message : bench.dialogs().messages)
            texts.append(message.text);
        return texts.join(QLatin1Char('\n'));
    }
    int pollInterval() { return EngineParts::receivePollMs(bench.engine()); }
    QProgressBar& progress() { return bench.progressBar(); }
    // The receive poll and the progress bar as they are between transfers.
    bool idle() {
        return !bench.engine().uploadBusy() && pollInterval() == 250 && progress().value() == 0 &&
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
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }
    void controlsAndClosedPort();
    void uploadSendsBlocksPacedByTheBoard_data();
    void uploadSendsBlocksPacedByTheBoard();
    void transferStopsCleanly_data();
    void transferStopsCleanly();
    void closingTheWindowFinishesTheBoardsPicture();
    void aBoardSilentWhileFinishingIsGivenUpAfterTwoSeconds();
    void openKeepsThePictureUnlessANewOneLoads();
    void fitOptionsShapeWhatIsShownAndSent();
    void largePhotoDecodesAgainForAsIs();
    void saveAsPngWritesTheBoardColours();
    void transfersLeaveTheFocusWhereItWas();
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
    const qint64 startedMs = f.bench.clock().elapsedMs();
    click(f.child(qPrintable(button)));
    QCOMPARE(f.bench.line().takeWrites(),
             QList<QByteArray>{header} +
                 (save ? QList<QByteArray>() : pixelWrites(picture, 0, blockSize)));
    QCOMPARE(f.bench.engine().session().controllerResponse(), QString());
    for (const char* name : {"cmdPreview", "cmdSave", "cmdLoad"})
        QVERIFY2(!f.child(name)->isEnabled(), name);
    // Reached without the buttons, the other transfer is refused and Load would land in the
    // middle of the picture; the running one goes on undisturbed.
    QVERIFY(QMetaObject::invokeMethod(f.window, save ? "previewOnBoard" : "saveInSlot"));
    QVERIFY(QMetaObject::invokeMethod(f.window, "showStoredPicture"));
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
        if (block == blocks / 2) {
            // Half the picture is out: the status bar tells, and how long the rest takes.
            f.bench.clock().advance(3000);
            f.bench.poll();
            f.bench.poll("!");
            f.bench.line().takeWrites();
            ++block;
            // The rest takes as long again as the half so far.
            const qint64 halfSeconds = (f.bench.clock().elapsedMs() - startedMs) / 1000;
            const QRegularExpressionMatch note =
                QRegularExpression(QStringLiteral("^(Preview|Save): 5\\d %, (\\d+) s left$"))
                    .match(f.bench.main().statusNote());
            QVERIFY2(note.hasMatch() && qAbs(note.captured(2).toLongLong() - halfSeconds) <= 1,
                     qPrintable(f.bench.main().statusNote()));
        }
    }
    f.bench.poll("ok");
    QVERIFY(f.idle());
    // At the end the status bar tells what went and how fast.
    const double seconds = double(f.bench.clock().elapsedMs() - startedMs) / 1000.0;
    const qint64 sent = save ? 76803 : 76802;
    QCOMPARE(f.bench.main().statusNote(),
             QStringLiteral("%1: %2 bytes in %3 s (%4 kB/s)")
                 .arg(save ? QStringLiteral("Save") : QStringLiteral("Preview"),
                      QLocale().toString(sent), QLocale().toString(seconds, 'f', 1),
                      QLocale().toString(double(sent) / seconds / 1000.0, 'f', 1)));
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
    QVERIFY(f.bench.engine().uploadBusy());
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
    QVERIFY(f.bench.engine().uploadBusy());
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
    // The filter chosen at first shows pictures of every kind, whatever the case of their
    // names; the board's tools' own filter is still offered.
    const QStringList filters = QtUserDialogs::qtFilter(f.bench.dialogs().fileRequests[1].filter)
                                    .split(QStringLiteral(";;"));
    const QString chosen = filters.constFirst();
    const QStringList patterns =
        chosen.mid(chosen.lastIndexOf(QLatin1Char('(')) + 1).chopped(1).split(QLatin1Char(' '));
    for (const QString& file : {QStringLiteral("x.png"), QStringLiteral("X.PNG"),
                                QStringLiteral("photo.jpg"), QStringLiteral("OLD.BMP")}) {
        QVERIFY2(
            std::any_of(patterns.begin(), patterns.end(),
                        [&file](const QString& pattern) {
                            return QRegularExpression(
                                       QRegularExpression::wildcardToRegularExpression(pattern))
                                .match(file)
                                .hasMatch();
                        }),
            qPrintable(file));
    }
    QVERIFY(filters.constLast().startsWith(QStringLiteral("Image Files(*.BMP;*.JPG;*.GIF) (")));

    // Not a picture: the picture stays, no message box, and a note names the file.
    const QString notes = f.folder.filePath(QStringLiteral("notes.bmp"));
    QFile file(notes);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("no picture in here") > 0);
    file.close();
    f.open(notes);
    QCOMPARE(f.shown(), shown);
    QCOMPARE(f.messages(), QString());
    QVERIFY(f.bench.main().statusNote().contains(QDir::toNativeSeparators(notes)));

    // Cut short: the same silence. Too large to decode: a warning that names the file
    // and its size.
    const QString cut = f.folder.filePath(QStringLiteral("cut.jpg"));
    const QByteArray photo = jpegData(noisePicture(200, 150));
    QVERIFY(writeFile(cut, photo.left(photo.size() / 2)));
    f.open(cut);
    QCOMPARE(f.shown(), shown);
    QCOMPARE(f.messages(), QString());
    QVERIFY(f.bench.main().statusNote().contains(QDir::toNativeSeparators(cut)));
    const QString huge = f.folder.filePath(QStringLiteral("huge.png"));
    QVERIFY(writeFile(huge, pngDeclaring(30000, 30000)));
    f.open(huge);
    QCOMPARE(f.shown(), shown);
    QCOMPARE(f.bench.dialogs().messages.size(), 1);
    const auto warning = f.bench.dialogs().messages.first();
    QCOMPARE(warning.title, QStringLiteral("Warning"));
    QCOMPARE(warning.icon, UserDialogs::Icon::Warning);
    QVERIFY2(warning.text.contains(QDir::toNativeSeparators(huge)) &&
                 warning.text.contains(QStringLiteral("30000 x 30000")),
             qPrintable(warning.text));
}

void tst_frmGraphic::fitOptionsShapeWhatIsShownAndSent() {
    GraphicFixture f;
    QCOMPARE(f.bench.captionMismatches(Graphic, {"Frame3:Fit", "lblSize:Size", "lblDither:Dither",
                                                 "chkBoardColors:Board colours",
                                                 "cmdSavePng:Save as PNG..."}),
             QStringList());
    const auto items = [](QComboBox* box) {
        QStringList texts;
        for (int i = 0; i < box->count(); ++i)
            texts.append(box->itemText(i));
        return texts.join(QLatin1Char(','));
    };
    QCOMPARE(items(f.size()), QStringLiteral("As is,Fit,Fill,Stretch"));
    QCOMPARE(items(f.dither()), QStringLiteral("None,Error diffusion,Ordered"));
    QCOMPARE(f.size()->currentIndex(), 0);
    QCOMPARE(f.dither()->currentIndex(), 0);
    QVERIFY(!f.boardColors()->isChecked());
    // The new frame stands beside the others, inside the window.
    const QRect frame = f.child<QGroupBox>("Frame3")->geometry();
    QVERIFY(f.window->rect().contains(frame));
    for (const char* other : {"Frame1", "Frame2", "picBox", "txtGraphic"})
        QVERIFY2(!frame.intersects(f.child<QWidget>(other)->geometry()), other);

    // A gradient: every option shows in the picture box at once.
    QImage gradient(640, 480, QImage::Format_RGB32);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < 640; ++x)
            gradient.setPixel(x, y, qRgb(x * 255 / 639, y * 255 / 479, 128));
    }
    f.open(gradient);
    const QImage asIs = f.shown();
    QCOMPARE(asIs, gradient.copy(0, 0, 320, 240));
    f.size()->setCurrentIndex(1);
    QCOMPARE(f.shown(), placedPicture(gradient, PictureFit::Fit, Qt::white).image());
    f.dither()->setCurrentIndex(1);
    QCOMPARE(f.shown(), placedPicture(gradient, PictureFit::Fit, Qt::white).image());
    f.boardColors()->setChecked(true);
    const QImage boardShown = f.shown();
    QCOMPARE(boardShown,
             boardColours(boardPixels(gradient, {PictureFit::Fit, PictureDither::Diffusion})));

    // What the box shows is exactly what goes out, Preview and Save alike.
    // The picture's colour values, reduced as every picture is.
    const QByteArray shownValues = screenPixels(ScreenCanvas(boardShown, Qt::white));
    const auto sent = [&](const char* button) {
        click(f.child(button));
        QByteArray pixels;
        for (int block = 0; f.bench.engine().uploadBusy() && block < 400; ++block) {
            for (const QByteArray& write : f.bench.line().takeWrites())
                pixels += write;
            f.bench.poll("!");
        }
        for (const QByteArray& write : f.bench.line().takeWrites())
            pixels += write;
        return pixels;
    };
    QCOMPARE(sent("cmdPreview"), QByteArray("WS") + shownValues);
    f.child<UpDown>("udScreenNumber")->setValue(3);
    QCOMPARE(sent("cmdSave"), QByteArray("SP" + bytes({3})) + shownValues);

    // Back to the defaults, the box shows what it did before any option.
    f.boardColors()->setChecked(false);
    f.dither()->setCurrentIndex(0);
    f.size()->setCurrentIndex(0);
    QCOMPARE(f.shown(), asIs);
    // The options apply to pictures opened later too.
    f.size()->setCurrentIndex(3);
    f.open(noisePicture(100, 400));
    QCOMPARE(f.shown(),
             placedPicture(noisePicture(100, 400), PictureFit::Stretch, Qt::white).image());
}

void tst_frmGraphic::largePhotoDecodesAgainForAsIs() {
    GraphicFixture f;
    // A photo large enough to decode at an eighth for the scaling fits.
    const QImage photo = noisePicture(2560, 1920);
    const QString path = f.folder.filePath(QStringLiteral("photo.jpg"));
    QVERIFY(photo.save(path, "JPG", 90));
    f.size()->setCurrentIndex(1);
    f.open(path);
    QCOMPARE(f.shown(),
             placedPicture(loadPicture(path, PictureFit::Fit).image, PictureFit::Fit, Qt::white)
                 .image());
    // "As is" shows the photo's own top-left pixels, not the reduced decode's.
    f.size()->setCurrentIndex(0);
    const QImage natural = QImageReader(path).read().convertToFormat(QImage::Format_RGB32);
    QCOMPARE(f.shown(), natural.copy(0, 0, 320, 240));

    // The file is gone before the other decode was needed: the fit stays as it was.
    f.size()->setCurrentIndex(1);
    f.open(path);
    const QImage fitted = f.shown();
    QVERIFY(QFile::remove(path));
    f.size()->setCurrentIndex(0);
    QCOMPARE(f.size()->currentIndex(), 1);
    QCOMPARE(f.shown(), fitted);
    QVERIFY(f.bench.main().statusNote().contains(QDir::toNativeSeparators(path)));
    QCOMPARE(f.messages(), QString());
}

void tst_frmGraphic::saveAsPngWritesTheBoardColours() {
    GraphicFixture f(false);
    const QString path = f.open(noisePicture(400, 100));
    f.size()->setCurrentIndex(1);
    f.dither()->setCurrentIndex(2);
    const QString png = f.folder.filePath(QStringLiteral("board.png"));
    f.bench.dialogs().fileAnswers.append(png);
    click(f.child("cmdSavePng"));
    const ScriptedDialogs::FileRequest request = f.bench.dialogs().fileRequests.last();
    QVERIFY(request.save);
    QCOMPARE(request.initialFolder, f.folder.filePath(QStringLiteral("picture on the board.png")));
    // Whether or not the box shows board colours, the file has them.
    f.boardColors()->setChecked(true);
    QCOMPARE(QImage(png).convertToFormat(QImage::Format_RGB32), f.shown());
    QVERIFY(f.bench.main().statusNote().contains(QDir::toNativeSeparators(png)));

    // Cancelled: nothing written. Unwritable: a warning naming the file.
    QVERIFY(QFile::remove(png));
    click(f.child("cmdSavePng"));
    QVERIFY(!QFile::exists(png));
    const QString nowhere = f.folder.filePath(QStringLiteral("missing/board.png"));
    f.bench.dialogs().fileAnswers.append(nowhere);
    click(f.child("cmdSavePng"));
    QCOMPARE(f.bench.dialogs().messages.size(), 1);
    QCOMPARE(f.bench.dialogs().messages.first().title, QStringLiteral("Warning"));
    QVERIFY(f.messages().contains(QDir::toNativeSeparators(nowhere)));
}

void tst_frmGraphic::transfersLeaveTheFocusWhereItWas() {
    GraphicFixture f;
    f.bench.main().activateWindow();
    TestBench::settle();
    QVERIFY(f.bench.main().isActiveWindow());
    f.open(noisePicture(10, 10));
    QVERIFY(!f.child<QLineEdit>("txtGraphic")->isVisibleTo(f.window));
    for (const char* name : {"cmdPreview", "cmdSave"}) {
        QPushButton* button = f.child(name);
        button->setFocus();
        click(button);
        QVERIFY(f.bench.engine().uploadBusy());
        QVERIFY2(QApplication::focusWidget() == f.window, name);
        for (int answer = 0; answer < 400 && f.bench.engine().uploadBusy(); ++answer)
            f.bench.poll("!");
        QVERIFY(f.idle());
        QVERIFY2(QApplication::focusWidget() == button, name);
    }
}

QTEST_MAIN(tst_frmGraphic)
#include "tst_frmgraphic.moc"
