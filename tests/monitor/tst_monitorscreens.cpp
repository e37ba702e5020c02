#include "board/boardmirror.h"
#include "board/frmboardmirror.h"
#include "board/mirrorimage.h"
#include "board/mirrorview.h"
#include "board/traceplayback.h"
#include "engine/commands.h"
#include "engine/conversation.h"
#include "engine/tracereader.h"
#include "engine/uploadplan.h"
#include "monitor/conversationmodel.h"
#include "testbench.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Monitor = QStringLiteral("frmMonitor");
constexpr QRgb Red = 0xffff0000;

struct ScreensBench {
    ScreensBench() {
        bench.connectBoard();
        bench.open(Monitor);
    }
    template <typename T> T* find(const char* name) {
        return bench.find<T>(Monitor, QLatin1String(name));
    }
    QTableView& table() { return *find<QTableView>("tblConversation"); }
    // Selects the first row whose meaning starts so; false when there is none.
    bool select(const QString& meaning) {
        bench.clock().advance(ConversationModel::BatchMs);
        QAbstractItemModel& model = *table().model();
        for (int row = 0; row < model.rowCount(); ++row) {
            if (model.index(row, ConversationModel::MeaningColumn)
                    .data()
                    .toString()
                    .startsWith(meaning)) {
                table().setCurrentIndex(model.index(row, 0));
                return true;
            }
        }
        return false;
    }
    QImage screen() { return find<MirrorView>("picEventScreen")->image(); }
    QString screenNote() { return find<QLabel>("lblEventScreen")->text(); }

    TestBench bench;
};

} // namespace

// The board's screen beside the Monitor's rows, saved traces opened again, and the
// Board window of a real port: all from the mirror of what was sent.
class tst_MonitorScreens : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachRowShowsItsScreen();
    void aRowBeyondTheKeptBytesSaysSo();
    void savedTracesReplayToTheSameScreen();
    void theBoardWindowOfARealPort();
};

// A clear's row shows the cleared screen, a later fill's the fill; the rows before
// any drawing know nothing. "Save Screen..." writes the row's screen as PNG.
void tst_MonitorScreens::eachRowShowsItsScreen() {
    ScreensBench monitor;
    BoardEngine& engine = monitor.bench.engine();
    engine.send(Commands::clearScreen(0x1C));
    engine.send(Commands::fillRectangle({0, 0}, {9, 9}, 0xE0));

    QVERIFY(monitor.select(QStringLiteral("IdentifyController")));
    QCOMPARE(monitor.screen().pixel(100, 100), monitor.screen().pixel(101, 101));
    QVERIFY(monitor.screen().pixel(100, 100) != monitor.screen().pixel(100, 104));
    QVERIFY(monitor.select(QStringLiteral("ClearScreen")));
    QCOMPARE(monitor.screen().pixel(5, 5), qRgb(0, 0xFF, 0));
    QVERIFY(monitor.screenNote().startsWith(QStringLiteral("The screen just after this event")));
    QVERIFY(monitor.select(QStringLiteral("FillRectangle")));
    QCOMPARE(monitor.screen().pixel(5, 5), Red);
    QCOMPARE(monitor.screen().pixel(10, 10), qRgb(0, 0xFF, 0));

    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("row"));
    monitor.bench.dialogs().fileAnswers = {file};
    click(monitor.find<QPushButton>("cmdSaveScreen"));
    const QImage saved(file + QStringLiteral(".png"));
    QCOMPARE(saved.size(), QSize(320, 240));
    QCOMPARE(saved.pixel(9, 9), Red);
    QCOMPARE(saved.pixel(319, 239), qRgb(0, 0xFF, 0));
}

// Rows whose bytes went with older events say so and offer nothing to save.
void tst_MonitorScreens::aRowBeyondTheKeptBytesSaysSo() {
    ScreensBench monitor;
    BoardEngine& engine = monitor.bench.engine();
    engine.send(Commands::clearScreen(3));
    const QByteArray screen = Commands::writeScreen(QByteArray(76800, char(0xE0))).bytes();
    const qsizetype screens = Conversation::DefaultByteBudget / screen.size() + 2;
    for (qsizetype i = 0; i < screens; ++i)
        engine.send(WriteList{screen});
    engine.send(Commands::drawPixel({1, 1}, 3));

    QVERIFY(monitor.select(QStringLiteral("ClearScreen")));
    QVERIFY(monitor.screenNote().startsWith(QStringLiteral("This event is older")));
    QVERIFY(monitor.screen().isNull());
    QVERIFY(!monitor.find<QPushButton>("cmdSaveScreen")->isEnabled());
    QVERIFY(monitor.select(QStringLiteral("DrawPixel")));
    QCOMPARE(monitor.screen().pixel(1, 1), qRgb(0, 0, 0xFF));
    QCOMPARE(monitor.screen().pixel(2, 2), Red);
}

// The Monitor's saved trace (upload blocks hidden in the rows) holds every byte: it
// replays to the mirror's screen, and opens read only with a screen for each row. A
// trace cut short is refused with its line named.
void tst_MonitorScreens::savedTracesReplayToTheSameScreen() {
    ScreensBench monitor;
    BoardEngine& engine = monitor.bench.engine();
    engine.send(Commands::fillRectangle({0, 0}, {9, 9}, 0xE0));
    QByteArray pixels(76800, Qt::Uninitialized);
    for (int i = 0; i < pixels.size(); ++i)
        pixels[i] = char(i % 251);
    QCOMPARE(engine.startUpload(UploadPlans::preview(pixels, 0), nullptr),
             Uploader::Start::Started);
    for (int row = 0; row < 240; ++row)
        monitor.bench.poll("!");
    QVERIFY(!engine.uploadBusy());
    engine.send(Commands::drawCircle({160, 120}, 40, 3));
    monitor.bench.clock().advance(ConversationModel::BatchMs);

    QTemporaryDir folder;
    const QString trace = folder.filePath(QStringLiteral("trace.txt"));
    monitor.bench.dialogs().fileAnswers = {trace};
    click(monitor.find<QPushButton>("cmdSave"));
    const TraceReader::Result read = TraceReader::readFile(trace);
    QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
    const MirrorScreen replayed = TracePlayback::screenAt(read.events);
    const MirrorScreen mirrored = BoardMirror::attachedTo(engine).screen();
    QCOMPARE(replayed.known, QByteArray(76800, char(1)));
    QCOMPARE(replayed.pixels, mirrored.pixels);
    QCOMPARE(TracePlayback::screenAt(read.events, 0).known, QByteArray(76800, '\0'));

    // The Monitor with the row of the drawing before the preview selected, for the README.
    QVERIFY(monitor.select(QStringLiteral("FillRectangle")));
    QWidget* window = monitor.bench.window(Monitor);
    window->parentWidget()->resize(940, 560);
    QVERIFY(QDir().mkpath(QStringLiteral("screenshots")));
    QVERIFY(window->grab().save(QStringLiteral("screenshots/monitor-screen.png")));

    monitor.bench.dialogs().fileAnswers = {trace};
    click(monitor.find<QPushButton>("cmdOpen"));
    auto* opened = monitor.bench.window(Monitor)->findChild<QWidget*>(QStringLiteral("frmTrace"));
    QVERIFY(opened && opened->isVisible());
    auto* rows = opened->findChild<QTableView*>(QStringLiteral("tblConversation"));
    QCOMPARE(rows->model()->rowCount(), read.events.size() - 1);
    rows->setCurrentIndex(rows->model()->index(rows->model()->rowCount() - 1, 0));
    QCOMPARE(opened->findChild<MirrorView*>(QStringLiteral("picEventScreen"))->image(),
             MirrorImage::hatched(mirrored));
    opened->close();

    QFile file(trace);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray whole = file.readAll();
    QFile cut(folder.filePath(QStringLiteral("cut.txt")));
    QVERIFY(cut.open(QIODevice::WriteOnly));
    cut.write(whole.left(whole.indexOf("  + ") + 18));
    cut.close();
    monitor.bench.dialogs().fileAnswers = {cut.fileName()};
    click(monitor.find<QPushButton>("cmdOpen"));
    QCOMPARE(monitor.bench.dialogs().messages.size(), 1);
    QVERIFY2(monitor.bench.dialogs().messages.at(0).text.contains(
                 QStringLiteral(": line %1: the trace stops in the block of line")
                     .arg(whole.left(whole.indexOf("  + ")).count('\n') + 1)),
             qPrintable(monitor.bench.dialogs().messages.at(0).text));
}

// Window > Board on a real port: the mirror, named after the port, hatched where
// unknown, deaf to clicks; its PNG leaves the unknown pixels transparent.
void tst_MonitorScreens::theBoardWindowOfARealPort() {
    TestBench bench;
    auto* item = bench.main().findChild<QAction*>(QStringLiteral("mnuBoardMirror"));
    QVERIFY(item && !item->isVisible());
    bench.connectBoard();
    QVERIFY(item->isVisible());
    item->trigger();
    auto* window = bench.main().findChild<frmBoardMirror*>(QStringLiteral("frmBoardMirror"));
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->windowTitle(), QStringLiteral("Board (mirror of COM1)"));
    QVERIFY(window->findChild<QLabel*>(QStringLiteral("lblMirror"))
                ->text()
                .contains(QStringLiteral("since connecting")));

    bench.engine().send(Commands::fillRectangle({0, 0}, {1, 1}, 0xE0));
    auto* view = window->findChild<MirrorView*>(QStringLiteral("picScreen"));
    QVERIFY(view->image().pixel(0, 0) != Red);
    bench.clock().advance(100);
    QCOMPARE(view->image().pixel(1, 1), Red);
    QVERIFY(view->image().pixel(2, 2) != Red);
    bench.line().takeWrites();
    QTest::mouseClick(view, Qt::LeftButton, {}, QPoint(50, 50));
    QVERIFY(bench.line().takeWrites().isEmpty());

    QTemporaryDir folder;
    const QString file = folder.filePath(QStringLiteral("mirror.png"));
    bench.dialogs().fileAnswers = {file};
    window->findChild<QAction*>(QStringLiteral("mnuSaveScreen"))->trigger();
    const QImage saved(file);
    QCOMPARE(saved.pixel(1, 1), Red);
    QCOMPARE(qAlpha(saved.pixel(2, 2)), 0);
    window->close();
}

QTEST_MAIN(tst_MonitorScreens)
#include "tst_monitorscreens.moc"
