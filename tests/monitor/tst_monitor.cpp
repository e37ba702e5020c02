#include "engine/commands.h"
#include "engine/conversation.h"
#include "engine/tracetext.h"
#include "engine/uploadplan.h"
#include "engineparts.h"
#include "monitor/conversationmodel.h"
#include "testbench.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Monitor = QStringLiteral("frmMonitor");

// The monitor on a connected board (the line's opening, the identification and its answer).
struct MonitorBench {
    MonitorBench() {
        bench.connectBoard();
        bench.open(Monitor);
    }

    template <typename T> T* find(const char* name) {
        return bench.find<T>(Monitor, QLatin1String(name));
    }
    QAbstractItemModel& model() { return *find<QTableView>("tblConversation")->model(); }
    QString cell(int row, int column) { return model().index(row, column).data().toString(); }
    // The meaning column, top to bottom.
    QStringList meanings() {
        QStringList texts;
        for (int row = 0; row < model().rowCount(); ++row)
            texts.append(cell(row, ConversationModel::MeaningColumn));
        return texts;
    }
    // Past the monitor's batch of new rows.
    void nextBatch() { bench.clock().advance(ConversationModel::BatchMs); }
    QString counts() { return find<QLabel>("lblCounts")->text(); }

    TestBench bench;
};

const QStringList Connected{QStringLiteral("Port COM1 opened at 115200,N,8,1"),
                            QStringLiteral("IdentifyController"),
                            QStringLiteral("IdentifyAnswer \"100\"")};

} // namespace

class tst_Monitor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheConversationInBatches();
    void foldsUploadsAndFilters();
    void pausesAndClears();
    void savesTheRowsAsTraceOrCsv();
    void showsTheSelectedEventInFull();
    void followsTheRingsBound();
};

void tst_Monitor::showsTheConversationInBatches() {
    MonitorBench monitor;
    // Opened late, it shows what went before.
    QCOMPARE(monitor.meanings(), Connected);
    QCOMPARE(monitor.cell(0, ConversationModel::DirectionColumn), QStringLiteral("line"));
    QCOMPARE(monitor.cell(1, ConversationModel::DirectionColumn), QStringLiteral("to board"));
    QCOMPARE(monitor.cell(1, ConversationModel::BytesColumn), QStringLiteral("49 44"));
    QCOMPARE(monitor.cell(2, ConversationModel::DirectionColumn), QStringLiteral("from board"));
    QVERIFY(monitor.cell(2, ConversationModel::LatencyColumn).endsWith(QStringLiteral(" ms")));
    QCOMPARE(monitor.cell(1, ConversationModel::LatencyColumn), QString());

    // New events wait for the batch.
    BoardEngine& engine = monitor.bench.engine();
    // Just before a receive poll, so that the answer comes within the batch.
    monitor.bench.poll();
    monitor.bench.clock().advance(EngineParts::receivePollMs(monitor.bench.engine()) - 1);
    engine.send(Commands::drawPixel({300, 10}, 224));
    monitor.bench.poll("!");
    QCOMPARE(monitor.model().rowCount(), 3);
    monitor.bench.clock().advance(ConversationModel::BatchMs - 2);
    QCOMPARE(monitor.model().rowCount(), 3);
    monitor.bench.clock().advance(1);
    QCOMPARE(monitor.meanings(), (Connected + QStringList{QStringLiteral("DrawPixel x=300 y=10 "
                                                                         "color=224"),
                                                          QStringLiteral("Acknowledge")}));
    QCOMPARE(monitor.cell(3, ConversationModel::BytesColumn), QStringLiteral("57 50 01 2C 0A E0"));
    QCOMPARE(monitor.counts(), QStringLiteral("5 events recorded"));
}

void tst_Monitor::foldsUploadsAndFilters() {
    MonitorBench monitor;
    TestBench& bench = monitor.bench;
    QVERIFY(bench.startUpload(QStringLiteral("Probe"), Commands::clearScreen(9).bytes()));
    bench.poll("!");
    bench.engine().send(Commands::beep());
    monitor.nextBatch();
    // Folded, the upload is its summary.
    QStringList rows = monitor.meanings();
    QCOMPARE(rows.size(), 5);
    QVERIFY2(rows.at(3).startsWith(QStringLiteral("Probe: 3 bytes in 1 blocks, ")),
             qPrintable(rows.at(3)));
    QCOMPARE(rows.at(4), QStringLiteral("Beep"));
    QCOMPARE(monitor.cell(3, ConversationModel::DirectionColumn), QStringLiteral("upload"));

    // Unfolded, its block and answer come before the summary.
    monitor.find<QCheckBox>("chkUploadBlocks")->setChecked(true);
    rows = monitor.meanings();
    QCOMPARE(rows.mid(3, 2),
             (QStringList{QStringLiteral("ClearScreen color=9"), QStringLiteral("Acknowledge")}));
    QVERIFY(rows.at(5).startsWith(QStringLiteral("Probe: ")));

    // Without answers; without commands.
    monitor.find<QCheckBox>("chkAnswers")->setChecked(false);
    rows = monitor.meanings();
    QCOMPARE(rows.size(), 5);
    QVERIFY(!rows.contains(QStringLiteral("Acknowledge")));
    QVERIFY(!rows.contains(QStringLiteral("IdentifyAnswer \"100\"")));
    QCOMPARE(monitor.counts(), QStringLiteral("7 events recorded, 5 shown"));
    monitor.find<QCheckBox>("chkCommands")->setChecked(false);
    rows = monitor.meanings();
    QCOMPARE(rows.size(), 2);
    QCOMPARE(rows.at(0), Connected.at(0));
    QVERIFY(rows.at(1).startsWith(QStringLiteral("Probe: ")));
}

void tst_Monitor::pausesAndClears() {
    MonitorBench monitor;
    auto* pause = monitor.find<QPushButton>("cmdPause");
    click(pause);
    QCOMPARE(pause->text(), QStringLiteral("Resume"));
    monitor.bench.engine().send(Commands::rotateScreen());
    monitor.bench.engine().send(Commands::beep());
    monitor.nextBatch();
    QCOMPARE(monitor.meanings(), Connected);
    QCOMPARE(monitor.counts(), QStringLiteral("5 events recorded, 3 shown; paused: 2 new events "
                                              "not shown"));
    // A change of filter while paused keeps the rows where the pause left them.
    monitor.find<QCheckBox>("chkAnswers")->setChecked(false);
    monitor.find<QCheckBox>("chkAnswers")->setChecked(true);
    QCOMPARE(monitor.meanings(), Connected);

    click(pause);
    QCOMPARE(pause->text(), QStringLiteral("Pause"));
    QCOMPARE(monitor.meanings(),
             (Connected + QStringList{QStringLiteral("RotateScreen"), QStringLiteral("Beep")}));

    click(monitor.find<QPushButton>("cmdClear"));
    QCOMPARE(monitor.model().rowCount(), 0);
    QCOMPARE(monitor.bench.engine().conversation().size(), 0);
    QCOMPARE(monitor.counts(), QStringLiteral("0 events recorded"));
    monitor.bench.engine().send(Commands::touchOff());
    monitor.nextBatch();
    QCOMPARE(monitor.meanings(), QStringList{QStringLiteral("TouchOff")});
}

void tst_Monitor::savesTheRowsAsTraceOrCsv() {
    MonitorBench monitor;
    monitor.bench.engine().send(Commands::writeText(3, 1, "a,b"));
    monitor.nextBatch();
    QTemporaryDir folder;
    const QString trace = folder.filePath(QStringLiteral("trace.txt"));
    const QString csv = folder.filePath(QStringLiteral("trace.CSV"));
    ScriptedDialogs& dialogs = monitor.bench.dialogs();
    dialogs.fileAnswers = {trace, csv, folder.filePath(QStringLiteral("missing/trace.txt")), {}};
    auto* save = monitor.find<QPushButton>("cmdSave");
    click(save);
    click(save);
    QVERIFY(dialogs.fileRequests.at(0).save);

    // One line per row, as the trace writes it: the row's time, its meaning, its bytes.
    QFile traceFile(trace);
    QVERIFY(traceFile.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(traceFile.readAll()).split(u'\n');
    QCOMPARE(lines.size(), monitor.model().rowCount() + 1);
    QCOMPARE(lines.last(), QString());
    QCOMPARE(lines.at(3), monitor.cell(3, ConversationModel::TimeColumn) +
                              QStringLiteral(" > WriteText color=3 font=1 \"a,b\" | "
                                             "57 54 03 01 61 2C 62 0D"));

    QFile csvFile(csv);
    QVERIFY(csvFile.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(csvFile.readAll()).split(u'\n');
    QCOMPARE(rows.at(0), TraceText::csvHeader());
    QCOMPARE(rows.size(), monitor.model().rowCount() + 2);
    QVERIFY2(
        rows.at(4).endsWith(QStringLiteral(",to board,\"WriteText color=3 font=1 \"\"a,b\"\"\","
                                           ",8,5,57 54 03 01 61 2C 62 0D")),
        qPrintable(rows.at(4)));

    // A file that cannot be written is told; a cancelled dialog does nothing.
    click(save);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.messages.at(0).title, QStringLiteral("Warning"));
    QVERIFY(dialogs.messages.at(0).text.startsWith(QStringLiteral("Not saved: ")));
    click(save);
    QCOMPARE(dialogs.messages.size(), 1);
    QCOMPARE(dialogs.fileRequests.size(), 4);
}

void tst_Monitor::showsTheSelectedEventInFull() {
    MonitorBench monitor;
    monitor.find<QCheckBox>("chkUploadBlocks")->setChecked(true);
    QByteArray pixels(76800, Qt::Uninitialized);
    for (int i = 0; i < pixels.size(); ++i)
        pixels[i] = char(i % 256);
    QCOMPARE(monitor.bench.engine().startUpload(UploadPlans::preview(pixels, 0), nullptr),
             Uploader::Start::Started);
    monitor.nextBatch();
    QCOMPARE(monitor.cell(3, ConversationModel::BytesColumn),
             QStringLiteral("57 53 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D ... (322 bytes)"));

    auto* table = monitor.find<QTableView>("tblConversation");
    table->setCurrentIndex(monitor.model().index(3, 0));
    const QString details = monitor.find<QPlainTextEdit>("txtDetails")->toPlainText();
    QVERIFY2(details.startsWith(TraceText::line(monitor.bench.engine().conversation().at(3))),
             qPrintable(details));
    QVERIFY(details.contains(QStringLiteral("322 bytes in 321 writes")));
    // Every byte, sixteen a line with its offset and characters.
    QVERIFY(details.contains(QStringLiteral(
        "00000  57 53 00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D  WS..............")));
    QVERIFY(details.contains(QStringLiteral("00320  3E 3F")));
    QVERIFY(details.contains(QStringLiteral("00048  2E 2F 30 31")));
}

void tst_Monitor::followsTheRingsBound() {
    MonitorBench monitor;
    Conversation& conversation = monitor.bench.engine().conversation();
    monitor.find<QPushButton>("cmdPause")->click();
    // More than the ring holds, while the rows stand still.
    const qint64 more = Conversation::DefaultCapacity + 10;
    for (qint64 i = 0; i < more; ++i)
        conversation.record({i, LineTraffic::Direction::FromBoard, QByteArray("!"), 0});
    QCOMPARE(conversation.size(), Conversation::DefaultCapacity);
    // The rows of events the ring forgot are gone at once, the others stay.
    QCOMPARE(monitor.model().rowCount(), 0);
    monitor.find<QPushButton>("cmdPause")->click();
    QCOMPARE(monitor.model().rowCount(), int(Conversation::DefaultCapacity));
    QCOMPARE(monitor.cell(0, ConversationModel::TimeColumn), QStringLiteral("0.000010"));
    auto* table = monitor.find<QTableView>("tblConversation");
    // Following the newest: the last row is in view, and ten rows above it.
    const int lastInView = table->rowAt(table->viewport()->height() - 2);
    QVERIFY(lastInView >= monitor.model().rowCount() - 20);
    QVERIFY2(lastInView - table->rowAt(1) >= 9, qPrintable(QString::number(table->rowAt(1))));
}

QTEST_MAIN(tst_Monitor)
#include "tst_monitor.moc"
