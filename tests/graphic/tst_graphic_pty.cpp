#include "engine/clock.h"
#include "engine/colorvalue.h"
#include "engine/commands.h"
#include "engine/uploader.h"
#include "graphic/pictureconversion.h"
#include "graphic/screencanvas.h"
#include "picturefiles.h"
#include "pseudoterminalbench.h"
#include "workbench/updown.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The graphic window through a real serial port to the board simulator.
class tst_GraphicPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void previewSaveAndLoadReachTheBoard();
    void fittedDitheredPreviewReachesTheBoard();
    void fastPreviewsAndAStoppedOne();
};

void tst_GraphicPty::previewSaveAndLoadReachTheBoard() {
    PseudoTerminalBench line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    QVERIFY(line.connectBoard());
    TestBench& bench = line.bench();
    BoardEmulator& board = line.board();
    const QString graphic = QStringLiteral("frmGraphic");
    const auto button = [&](const char* name) {
        return bench.find<QPushButton>(graphic, QLatin1String(name));
    };

    // A picture a little larger than the screen, every pixel random.
    const QImage picture = noisePicture(330, 250);
    const QByteArray expected = screenPixels(ScreenCanvas(picture, Qt::white));
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("noise.bmp"));
    QVERIFY(picture.save(file));
    bench.open(graphic);
    bench.dialogs().fileAnswers.append(file);
    click(button("cmdOpen"));

    click(button("cmdPreview"));
    QVERIFY(line.finishTransfer());
    QCOMPARE(board.screen(), expected);

    bench.find<UpDown>(graphic, QStringLiteral("udScreenNumber"))->setValue(12);
    click(button("cmdSave"));
    QVERIFY(line.finishTransfer());
    QTRY_COMPARE(board.picture(12), expected);

    bench.engine().send(Commands::clearScreen(0));
    QTRY_COMPARE(board.screen(), QByteArray(76800, char(0)));
    click(button("cmdLoad"));
    QTRY_COMPARE(board.screen(), expected);
    QCOMPARE(board.errorCount(), 0);
    QVERIFY(bench.dialogs().messages.isEmpty());
}

void tst_GraphicPty::fittedDitheredPreviewReachesTheBoard() {
    PseudoTerminalBench line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    QVERIFY(line.connectBoard());
    TestBench& bench = line.bench();
    const QString graphic = QStringLiteral("frmGraphic");
    bench.open(graphic);

    // A wide gradient, fitted between white bars and diffused to the board's colours.
    QImage gradient(900, 300, QImage::Format_RGB32);
    for (int y = 0; y < gradient.height(); ++y) {
        for (int x = 0; x < gradient.width(); ++x)
            gradient.setPixel(x, y, qRgb(x * 255 / 899, 90, y * 255 / 299));
    }
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("gradient.png"));
    QVERIFY(gradient.save(file));
    bench.find<QComboBox>(graphic, QStringLiteral("cboSize"))->setCurrentIndex(1);
    bench.find<QComboBox>(graphic, QStringLiteral("cboDither"))->setCurrentIndex(1);
    bench.find<QCheckBox>(graphic, QStringLiteral("chkBoardColors"))->setChecked(true);
    bench.dialogs().fileAnswers.append(file);
    click(bench.find<QPushButton>(graphic, QStringLiteral("cmdOpen")));
    click(bench.find<QPushButton>(graphic, QStringLiteral("cmdPreview")));
    QVERIFY(line.finishTransfer());

    const QByteArray expected = boardPixels(gradient, {PictureFit::Fit, PictureDither::Diffusion});
    QCOMPARE(line.board().screen(), expected);
    // The picture box showed the board's screen before the upload.
    const QImage shown = bench.find<QLabel>(graphic, QStringLiteral("picBox"))->pixmap().toImage();
    // The picture's colour values, reduced as every picture is.
    const QByteArray shownValues = screenPixels(ScreenCanvas(shown, Qt::white));
    QCOMPARE(shownValues, expected);
    QCOMPARE(line.board().errorCount(), 0);
}

void tst_GraphicPty::fastPreviewsAndAStoppedOne() {
    PseudoTerminalBench line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    QVERIFY(line.connectBoard());
    TestBench& bench = line.bench();
    BoardEmulator& board = line.board();
    BoardEngine& engine = bench.engine();
    QSignalSpy finished(&engine, &BoardEngine::uploadFinished);
    // The board's answers alone set the pace: the receive poll is not running.
    bench.main().findChild<QAction*>(QStringLiteral("mnuFastTransfers"))->trigger();
    QCOMPARE(engine.pacing(), Pacing::AnswerDriven);
    bench.engine().findChild<ClockTimer*>(QStringLiteral("Timer2"))->stop();

    const QString graphic = QStringLiteral("frmGraphic");
    QTemporaryDir folder;
    const auto preview = [&](const QImage& picture) {
        const QString file = folder.filePath(QStringLiteral("%1.bmp").arg(picture.cacheKey()));
        picture.save(file);
        bench.open(graphic);
        bench.dialogs().fileAnswers.append(file);
        click(bench.find<QPushButton>(graphic, QStringLiteral("cmdOpen")));
        click(bench.find<QPushButton>(graphic, QStringLiteral("cmdPreview")));
        return screenPixels(ScreenCanvas(picture, Qt::white));
    };
    const QByteArray first = preview(noisePicture(320, 240));
    QTRY_VERIFY_WITH_TIMEOUT(!engine.uploadBusy(), 20000);
    QCOMPARE(board.screen(), first);

    // Closed in the middle of its rows, a preview still leaves the board a whole
    // picture, ending in white; the next preview is taken as a picture of its own.
    QImage dark(320, 240, QImage::Format_RGB32);
    dark.fill(Qt::black);
    const auto closeAtRow20 = QObject::connect(
        &engine, &BoardEngine::uploadProgress, [&](const UploadProgress& progress) {
            if (progress.block == 20)
                bench.window(graphic)->parentWidget()->close();
        });
    preview(dark);
    QTRY_VERIFY_WITH_TIMEOUT(!engine.uploadBusy(), 20000);
    QCOMPARE(finished.last()[0].value<UploadOutcome>().cause, UploadOutcome::Cause::WindowClosed);
    QVERIFY(finished.last()[0].value<UploadOutcome>().boardReady);
    QVERIFY(!board.midCommand());
    QCOMPARE(board.screen().right(320), QByteArray(320, char(255)));
    QCOMPARE(board.screen().left(320), QByteArray(320, char(0)));
    QObject::disconnect(closeAtRow20);

    const QByteArray third = preview(noisePicture(300, 200));
    QTRY_VERIFY_WITH_TIMEOUT(!engine.uploadBusy(), 20000);
    QVERIFY(finished.last()[0].value<UploadOutcome>().completed());
    QCOMPARE(board.screen(), third);
    QCOMPARE(board.errorCount(), 0);
}

QTEST_MAIN(tst_GraphicPty)
#include "tst_graphic_pty.moc"
