#include "board/linepacer.h"

#include <QTest>

class tst_LinePacer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void releasesBytesAtTheLineSpeed();
    void takesAFullScreenAsLongAsTheLine();
};

void tst_LinePacer::releasesBytesAtTheLineSpeed() {
    LinePacer line(115200);
    const qint64 byte = line.byteTimeNs();
    QCOMPARE(byte, qint64(86805)); // 10 bits at 115200 bit/s
    QCOMPARE(line.nextArrivalNs(), qint64(-1));

    line.push("abcdef", 1000);
    QCOMPARE(line.takeArrived(1000 + byte - 1), QByteArray());
    QCOMPARE(line.takeArrived(1000 + 3 * byte + byte / 2), QByteArray("abc"));
    QCOMPARE(line.nextArrivalNs(), 1000 + 4 * byte);

    // Handed over while "b" is still on the line: "c" follows right after it.
    LinePacer queued(9600);
    const qint64 slow = queued.byteTimeNs();
    queued.push("ab", 0);
    queued.push("c", slow);
    QCOMPARE(queued.takeArrived(3 * slow - 1), QByteArray("ab"));
    QCOMPARE(queued.takeArrived(3 * slow), QByteArray("c"));
    // After a quiet spell the line starts again when the byte is handed over.
    queued.push("d", 100 * slow);
    QCOMPARE(queued.nextArrivalNs(), 101 * slow);
    // A new speed applies to what is handed over from then on.
    queued.setBaudRate(115200);
    queued.push("e", 100 * slow);
    QCOMPARE(queued.takeArrived(101 * slow), QByteArray("d"));
    QCOMPARE(queued.nextArrivalNs(), 101 * slow + byte);
    queued.clear();
    QCOMPARE(queued.pending(), qsizetype(0));
    QCOMPARE(queued.takeArrived(1000 * slow), QByteArray());
}

// In simulated time: no test waits for the line itself.
void tst_LinePacer::takesAFullScreenAsLongAsTheLine() {
    LinePacer line(115200);
    const QByteArray screen(76802, 'x');
    // Handed over in rows, as fast as the line takes them; read at 1 ms ticks.
    QByteArray arrived;
    qint64 now = 0;
    qsizetype handed = 0;
    while (arrived.size() < screen.size()) {
        if (handed < screen.size() && line.pending() < 1024) {
            const qsizetype count = std::min<qsizetype>(320, screen.size() - handed);
            line.push(QByteArrayView(screen).sliced(handed, count), now);
            handed += count;
        }
        arrived += line.takeArrived(now);
        now += 1000000;
    }
    QCOMPARE(arrived, screen);
    // 76802 bytes x 10 bits / 115200 bit/s = 6.667 s, whatever the chunking.
    QVERIFY2(std::abs(now - 6667000000) < 2000000, qPrintable(QString::number(now)));
}

QTEST_MAIN(tst_LinePacer)
#include "tst_linepacer.moc"
