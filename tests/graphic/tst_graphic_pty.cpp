#include "workbench/updown.h"
#include "graphic/screencanvas.h"
#include "pseudoterminalbench.h"
#include "engine/commands.h"
#include "engine/msserial.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

// The graphic window through a real serial port to the board simulator.
class tst_GraphicPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void previewSaveAndLoadReachTheBoard();
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

    bench.engine().port().output(Commands::clearScreen(0));
    QTRY_COMPARE(board.screen(), QByteArray(76800, char(0)));
    click(button("cmdLoad"));
    QTRY_COMPARE(board.screen(), expected);
    QCOMPARE(board.errorCount(), 0);
    QVERIFY(bench.dialogs().messages.isEmpty());
}

QTEST_MAIN(tst_GraphicPty)
#include "tst_graphic_pty.moc"
