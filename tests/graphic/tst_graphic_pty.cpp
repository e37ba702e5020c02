#include "app/session.h"
#include "app/updown.h"
#include "board/pty/pseudoterminalboard.h"
#include "serial/colorvalue.h"
#include "serial/commands.h"
#include "serial/msserial.h"
#include "serial/portcatalog.h"
#include "serial/qtseriallink.h"
#include "testbench.h"

#include <QPushButton>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Graphic = QStringLiteral("frmGraphic");

// Drives the receive poll by hand until the transfer is over: the serial data needs
// only a moment each time, far less than the real poll's 50 or 70 ms.
bool finishTransfer(TestBench& bench) {
    for (int tick = 0; tick < 20000 && bench.main().session().transferRunning(); ++tick) {
        QTest::qWait(1);
        bench.main().Timer2_Timer();
    }
    return !bench.main().session().transferRunning();
}

} // namespace

// The graphic window through a real serial port to the board simulator.
class tst_GraphicPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void previewSaveAndLoadReachTheBoard();
};

void tst_GraphicPty::previewSaveAndLoadReachTheBoard() {
    PseudoTerminalBoard board;
    QVERIFY2(board.isOpen(), qPrintable(board.errorString()));
    const QString path = board.devicePath();
    auto catalog = std::make_shared<PortCatalog>(
        [path] {
            return QList<PortEntry>{{path, path}};
        },
        [](const QString& name) { return std::make_unique<QtSerialLink>(name); });
    TestBench bench(catalog);
    bench.open(QStringLiteral("frmSettings"));
    click(bench.find<QPushButton>(QStringLiteral("frmSettings"), QStringLiteral("cmd_conecta")));
    QTRY_VERIFY(bench.main().statusText().startsWith(QStringLiteral("Connected: ")));

    // A picture a little larger than the screen, every pixel random.
    QImage picture(330, 250, QImage::Format_RGB32);
    QRandomGenerator random(7);
    QByteArray expected;
    for (int y = 0; y < picture.height(); ++y) {
        for (int x = 0; x < picture.width(); ++x) {
            picture.setPixel(x, y, random.generate() | 0xFF000000u);
            if (x < 320 && y < 240)
                expected.append(char(ColorValue::reduce(picture.pixel(x, y))));
        }
    }
    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("noise.bmp"));
    QVERIFY(picture.save(file));

    bench.open(Graphic);
    bench.dialogs().fileAnswers.append(file);
    click(bench.find<QPushButton>(Graphic, QStringLiteral("cmdOpen")));

    click(bench.find<QPushButton>(Graphic, QStringLiteral("cmdPreview")));
    QVERIFY(bench.main().session().transferRunning());
    QVERIFY(finishTransfer(bench));
    QCOMPARE(board.emulator().screen(), expected);

    bench.find<UpDown>(Graphic, QStringLiteral("udScreenNumber"))->setValue(12);
    click(bench.find<QPushButton>(Graphic, QStringLiteral("cmdSave")));
    QVERIFY(finishTransfer(bench));
    QTRY_COMPARE(board.emulator().picture(12), expected);

    bench.main().port().output(Commands::clearScreen(0));
    QTRY_COMPARE(board.emulator().screen(), QByteArray(76800, char(0)));
    click(bench.find<QPushButton>(Graphic, QStringLiteral("cmdLoad")));
    QTRY_COMPARE(board.emulator().screen(), expected);

    QCOMPARE(board.emulator().errorCount(), 0);
    QVERIFY(bench.dialogs().messages.isEmpty());
}

QTEST_MAIN(tst_GraphicPty)
#include "tst_graphic_pty.moc"
