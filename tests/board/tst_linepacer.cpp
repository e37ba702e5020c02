#include "board/linepacer.h"

#include <QTest>

class tst_LinePacer : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void releasesBytesAtTheLineSpeed();
    void queuesBehindBytesOnTheLine();
    void takesAFullScreenAsLongAsTheLine();
};

void tst_LinePacer::releasesBytesAtTheLineSpeed() {
    LinePacer line(115200);
    const qint64 byte = line.byteTimeNs();
    QCOMPARE(byte, qint64(86805)); // 10 bits at 115200 bit/s
    QCOMPARE(line.nextArrivalNs(), qint64(-1));

    line.push("abcdef", 1000);
    QCOMPARE(line.pending(), qsizetype(6));
    QCOMPARE(line.nextArrivalNs(), 1000 + byte);
    QCOMPARE(line.takeArrived(1000 + byte - 1), QByteArray());
    QCOMPARE(line.takeArrived(1000 + byte), QByteArray("a"));
    QCOMPARE(line.takeArrived(1000 + 3 * byte + byte / 2), QByteArray("bc"));
    QCOMPARE(line.nextArrivalNs(), 1000 + 4 * byte);
    QCOMPARE(line.takeArrived(1000000000), QByteArray("def"));
    QCOMPARE(line.pending(), qsizetype(0));
    QCOMPARE(line.nextArrivalNs(), qint64(-1));

    LinePacer slow(9600);
    QCOMPARE(slow.byteTimeNs(), qint64(1041666));
}

void tst_LinePacer::queuesBehindBytesOnTheLine() {
    LinePacer line(9600);
    const qint64 byte = line.byteTimeNs();
    line.push("ab", 0);
    // Handed over while "b" is still on the line: "c" follows right after it.
    line.push("c", byte);
    QCOMPARE(line.takeArrived(3 * byte - 1), QByteArray("ab"));
    QCOMPARE(line.takeArrived(3 * byte), QByteArray("c"));
    // After a quiet spell the line starts again when the byte is handed over.
    line.push("d", 100 * byte);
    QCOMPARE(line.nextArrivalNs(), 101 * byte);
    // A new speed applies to what is handed over from then on.
    line.setBaudRate(115200);
    line.push("e", 100 * byte);
    QCOMPARE(line.takeArrived(101 * byte), QByteArray("d"));
    QCOMPARE(line.nextArrivalNs(), 101 * byte + 86805);
    line.clear();
    QCOMPARE(line.pending(), qsizetype(0));
    QCOMPARE(line.takeArrived(1000 * byte), QByteArray());
}

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
