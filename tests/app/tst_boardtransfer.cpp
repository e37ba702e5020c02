#include "app/boardtransfer.h"
#include "app/session.h"
#include "serial/connectioncontroller.h"
#include "engine/msserial.h"
#include "testbench.h"

#include <QProgressBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

namespace {

// Three blocks "B0", "B1", "B2"; the first shortens the poll and sets its own progress range,
// as the picture and font uploads do.
BoardTransfer::Steps threeBlocks(TestBench& bench, QList<int>* answered) {
    return {3,
            [&bench](int block) {
                if (block == 0) {
                    bench.main().receiveTimer().setInterval(50);
                    bench.main().progressBar().setMaximum(2);
                }
                bench.main().port().output(QByteArray("B").append(QByteArray::number(block)));
                bench.main().progressBar().setValue(block);
            },
            [&bench, answered](int block) {
                answered->append(block);
                bench.main().session().clearControllerResponse();
            }};
}

// The poll back at 250 ms, the progress bar empty at its usual range, the line free.
bool restored(TestBench& bench) {
    return bench.main().receiveTimer().interval() == 250 &&
           bench.main().progressBar().value() == 0 && bench.main().progressBar().maximum() == 100 &&
           !bench.main().session().transferRunning();
}

} // namespace

class tst_BoardTransfer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eachBlockWaitsForAnAnswerAtAPoll();
    void onlyOneTransferAtATimeAndOnlyOnAnOpenPort();
    void closedConnectionStopsIt();
    void closedWindowStopsIt();
};

void tst_BoardTransfer::eachBlockWaitsForAnAnswerAtAPoll() {
    TestBench bench;
    bench.connectBoard();
    QObject owner;
    BoardTransfer transfer(bench.main(), QStringLiteral("The test upload"), &owner);
    QSignalSpy finished(&transfer, &BoardTransfer::finished);
    QList<int> answered;

    QVERIFY(transfer.start(threeBlocks(bench, &answered)));
    QVERIFY(bench.main().session().transferRunning());
    QCOMPARE(bench.line().takeWrites(), QList<QByteArray>{"B0"});
    QCOMPARE(bench.main().receiveTimer().interval(), 50);

    // A quiet poll is no answer.
    bench.poll();
    QVERIFY(bench.line().takeWrites().isEmpty());
    bench.poll("!");
    QCOMPARE(answered, QList<int>{0});
    QCOMPARE(bench.line().takeWrites(), QList<QByteArray>{"B1"});
    bench.poll("anything");
    QCOMPARE(bench.line().takeWrites(), QList<QByteArray>{"B2"});
    QCOMPARE(bench.main().progressBar().value(), 2);
    QCOMPARE(finished.count(), 0);

    bench.poll("!");
    QCOMPARE(answered, (QList<int>{0, 1, 2}));
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished[0][0].toBool(), true);
    QVERIFY(!transfer.isRunning());
    QVERIFY(restored(bench));
    bench.poll("!");
    QVERIFY(bench.line().writes.isEmpty());
    QVERIFY(bench.dialogs().messages.isEmpty());
}

void tst_BoardTransfer::onlyOneTransferAtATimeAndOnlyOnAnOpenPort() {
    TestBench bench;
    QObject owner;
    BoardTransfer first(bench.main(), QStringLiteral("The picture preview"), &owner);
    BoardTransfer second(bench.main(), QStringLiteral("The font upload"), &owner);
    QList<int> answered;
    QVERIFY(!first.start(threeBlocks(bench, &answered)));
    QVERIFY(!bench.main().session().transferRunning());
    QVERIFY(bench.dialogs().messages.isEmpty());

    bench.connectBoard();
    QSignalSpy running(&bench.main().session(), &Session::transferRunningChanged);
    QVERIFY(first.start(threeBlocks(bench, &answered)));
    bench.line().takeWrites();
    QVERIFY(!second.start(threeBlocks(bench, &answered)));
    QVERIFY(bench.line().writes.isEmpty());
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].title, QStringLiteral("Warning"));
    QVERIFY(bench.dialogs().messages[0].text.startsWith(
        QStringLiteral("The picture preview is still running")));

    for (int i = 0; i < 3; ++i)
        bench.poll("!");
    QCOMPARE(running.count(), 2);
    QVERIFY(second.start(threeBlocks(bench, &answered)));
}

void tst_BoardTransfer::closedConnectionStopsIt() {
    TestBench bench;
    bench.connectBoard();
    QObject owner;
    BoardTransfer transfer(bench.main(), QStringLiteral("The picture preview"), &owner);
    QSignalSpy finished(&transfer, &BoardTransfer::finished);
    QList<int> answered;
    QVERIFY(transfer.start(threeBlocks(bench, &answered)));
    bench.poll("!");

    bench.main().connection().disconnect();
    QVERIFY(!transfer.isRunning());
    QCOMPARE(finished.count(), 1);
    QCOMPARE(finished[0][0].toBool(), false);
    QVERIFY(restored(bench));

    TestBench::settle();
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(
        bench.dialogs().messages[0].text,
        QStringLiteral("The picture preview stopped: the connection to the board was closed."));
}

void tst_BoardTransfer::closedWindowStopsIt() {
    TestBench bench;
    bench.connectBoard();
    auto* owner = new QObject;
    auto* transfer = new BoardTransfer(bench.main(), QStringLiteral("The font upload"), owner);
    QList<int> answered;
    QVERIFY(transfer->start(threeBlocks(bench, &answered)));
    QSignalSpy running(&bench.main().session(), &Session::transferRunningChanged);

    delete owner;
    QVERIFY(restored(bench));
    // Listeners hear of it once the window is gone, not during its destruction.
    QCOMPARE(running.count(), 0);
    TestBench::settle();
    QCOMPARE(running.count(), 1);
    QCOMPARE(bench.dialogs().messages.size(), 1);
    QCOMPARE(bench.dialogs().messages[0].text,
             QStringLiteral("The font upload stopped: the window was closed."));
    bench.line().takeWrites();
    bench.poll("!");
    QVERIFY(bench.line().writes.isEmpty());
}

QTEST_MAIN(tst_BoardTransfer)
#include "tst_boardtransfer.moc"
