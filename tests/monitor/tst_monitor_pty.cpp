#include "engine/commands.h"
#include "engine/conversation.h"
#include "engine/tracetext.h"
#include "monitor/conversationmodel.h"
#include "picturefiles.h"
#include "pseudoterminalbench.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QString Monitor = QStringLiteral("frmMonitor");
}

// The monitor watching the tools talk to the board simulator over a real serial port.
class tst_MonitorPty : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsADrawingAPreviewAndATouchInOrder();
};

void tst_MonitorPty::showsADrawingAPreviewAndATouchInOrder() {
    PseudoTerminalBench line;
    QVERIFY2(line.isOpen(), qPrintable(line.errorString()));
    QVERIFY(line.connectBoard());
    TestBench& bench = line.bench();
    BoardEmulator& board = line.board();
    bench.open(Monitor);
    bench.find<QCheckBox>(Monitor, QStringLiteral("chkUploadBlocks"))->setChecked(true);

    bench.engine().send(Commands::fillCircle({160, 120}, 40, 224));
    QTRY_COMPARE(board.pixel(160, 120), quint8(224));

    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("noise.png"));
    QVERIFY(noisePicture(320, 240).save(picture));
    bench.open(QStringLiteral("frmGraphic"));
    bench.dialogs().fileAnswers.append(picture);
    click(bench.find<QPushButton>(QStringLiteral("frmGraphic"), QStringLiteral("cmdOpen")));
    click(bench.find<QPushButton>(QStringLiteral("frmGraphic"), QStringLiteral("cmdPreview")));
    QVERIFY(line.finishTransfer());

    bench.open(QStringLiteral("frmUtilities"));
    click(
        bench.find<QPushButton>(QStringLiteral("frmUtilities"), QStringLiteral("cmdCoordinates")));
    QTRY_COMPARE(board.touchMode(), BoardEmulator::TouchMode::Coordinates);
    board.touch(QPoint(260, 200));
    Conversation& conversation = bench.engine().conversation();
    QTRY_COMPARE(conversation.at(conversation.end() - 1).meaning(),
                 QStringLiteral("touch x=260 y=200"));
    bench.clock().advance(ConversationModel::BatchMs);

    QAbstractItemModel& model =
        *bench.find<QTableView>(Monitor, QStringLiteral("tblConversation"))->model();
    const auto cell = [&model](int row, int column) {
        return model.index(row, column).data().toString();
    };
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows.append(cell(row, ConversationModel::MeaningColumn));
    // The connection, the drawing, 240 rows each answered, the summary, the touch.
    QCOMPARE(rows.size(), 3 + 1 + 2 * 240 + 1 + 2);
    QVERIFY(rows.at(0).endsWith(QStringLiteral(" opened at 115200,N,8,1")));
    QCOMPARE(
        rows.mid(1, 3),
        (QStringList{QStringLiteral("IdentifyController"), QStringLiteral("IdentifyAnswer \"100\""),
                     QStringLiteral("FillCircle x=160 y=120 r=40 color=224")}));
    for (int block = 0; block < 240; ++block) {
        const int row = 4 + 2 * block;
        QVERIFY2(rows.at(row).startsWith(QStringLiteral("WriteScreen row=%1").arg(block)),
                 qPrintable(rows.at(row)));
        QCOMPARE(rows.at(row + 1), QStringLiteral("Acknowledge"));
        // The board takes a row in far less than a second.
        const ConversationEvent& answer = conversation.at(conversation.first() + quint64(row + 1));
        QVERIFY(answer.latencyMicroseconds > 0);
        QVERIFY(answer.latencyMicroseconds < 1000000);
    }
    QVERIFY2(rows.at(484).startsWith(QStringLiteral("Preview: 76802 bytes in 240 blocks, ")),
             qPrintable(rows.at(484)));
    QVERIFY(rows.at(484).contains(QStringLiteral("% of the line's 11.52 kB/s")));
    QCOMPARE(rows.mid(485), (QStringList{QStringLiteral("TouchCoordinatesOn"),
                                         QStringLiteral("touch x=260 y=200")}));
    QCOMPARE(cell(486, ConversationModel::LatencyColumn), QString());
    QCOMPARE(cell(486, ConversationModel::BytesColumn), QStringLiteral("31 2C 34 2C 32 30 30 24"));
    for (int row = 1; row < rows.size(); ++row)
        QVERIFY(cell(row, ConversationModel::TimeColumn).toDouble() >=
                cell(row - 1, ConversationModel::TimeColumn).toDouble());

    // Saved, the lines are those of the trace, one per row and a long block's rest.
    const QString file = folder.filePath(QStringLiteral("conversation.txt"));
    bench.dialogs().fileAnswers.append(file);
    click(bench.find<QPushButton>(Monitor, QStringLiteral("cmdSave")));
    QFile saved(file);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QStringList expected;
    for (quint64 n = conversation.first(); n < conversation.end(); ++n)
        expected.append(TraceText::lines(conversation.at(n)));
    QCOMPARE(QString::fromUtf8(saved.readAll()), expected.join(u'\n') + u'\n');
    QCOMPARE(board.errorCount(), 0);
}

QTEST_MAIN(tst_MonitorPty)
#include "tst_monitor_pty.moc"
