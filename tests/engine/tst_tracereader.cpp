#include "engine/commands.h"
#include "engine/conversation.h"
#include "engine/tracereader.h"
#include "engine/tracetext.h"

#include <QBuffer>
#include <QTest>

namespace {

TraceReader::Result readText(const QByteArray& text) {
    QByteArray copy = text;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return TraceReader::read(buffer);
}

// A conversation's trace as saved: every event's lines.
QByteArray traceOf(const Conversation& conversation) {
    QByteArray text;
    for (quint64 number = conversation.first(); number < conversation.end(); ++number)
        text += TraceText::lines(conversation.at(number)).join(u'\n').toUtf8() + '\n';
    return text;
}

} // namespace

class tst_TraceReader : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void readsBackEveryByte();
    void refusesWhatIsNoTraceNamingTheLine_data();
    void refusesWhatIsNoTraceNamingTheLine();
};

// Blocks of every length come back whole from their continuation lines; a block whose
// bytes were given up says so; times, marks and notes stay.
void tst_TraceReader::readsBackEveryByte() {
    qint64 now = 0;
    Conversation conversation([&now] { return now; }, 100, 2600);
    conversation.lineChanged(QStringLiteral("Port COM1 opened at 115200,N,8,1"));
    QByteArray row(322, Qt::Uninitialized);
    for (int i = 0; i < row.size(); ++i)
        row[i] = char(i * 7);
    const QList<QByteArray> writes{Commands::drawPixel({300, 10}, 224).bytes(), row, row.first(48),
                                   row.first(49), row.first(17)};
    for (const QByteArray& write : writes)
        conversation.record({now += 1500001, LineTraffic::Direction::ToBoard, write, 1});
    conversation.record({now += 10, LineTraffic::Direction::FromBoard, "100", 0});
    // Enough later bytes that the first row gives its own up.
    for (int i = 0; i < 8; ++i)
        conversation.record({now += 10, LineTraffic::Direction::ToBoard, row.first(300), 1});
    QVERIFY(!conversation.at(2).allBytesKept());

    const TraceReader::Result read = readText(traceOf(conversation));
    QVERIFY2(read.error.isEmpty(), qPrintable(read.error));
    QCOMPARE(read.events.size(), qsizetype(conversation.size()));
    QCOMPARE(read.events.at(0).kind, TraceEvent::Kind::Note);
    QCOMPARE(read.events.at(0).text, QStringLiteral("Port COM1 opened at 115200,N,8,1"));
    QCOMPARE(read.events.at(1).bytes, writes.at(0));
    QCOMPARE(read.events.at(1).microseconds, 1500001);
    QCOMPARE(read.events.at(1).text, QStringLiteral("DrawPixel x=300 y=10 color=224"));
    QVERIFY(!read.events.at(2).complete);
    QCOMPARE(read.events.at(2).bytes, row.first(ConversationEvent::HeadBytes));
    for (int i = 3; i <= 5; ++i) {
        QVERIFY(read.events.at(i).complete);
        QCOMPARE(read.events.at(i).bytes, writes.at(i - 1));
    }
    QCOMPARE(read.events.at(6).kind, TraceEvent::Kind::FromBoard);
    QCOMPARE(read.events.at(6).bytes, QByteArray("100"));
    QCOMPARE(read.events.last().bytes, row.first(300));
    QCOMPARE(read.events.last().line, int(traceOf(conversation).count('\n')) - 9);
}

void tst_TraceReader::refusesWhatIsNoTraceNamingTheLine_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    const QByteArray good = "0.000100 > DrawPixel x=1 y=1 color=1 | 57 50 00 01 01 01\n";
    const QByteArray block = "0.000200 > WriteScreen row=0 | 57 53 00 00 00 00 00 00 00 00 00 00 "
                             "00 00 00 00 ... (18 bytes)\n";
    QTest::newRow("empty") << QByteArray() << "line 1: the file holds no trace";
    QTest::newRow("a picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10)
                               << "line 1: not a line of a trace";
    QTest::newRow("cut in a line") << good + "0.0003"
                                   << "line 2: not a line of a trace";
    QTest::newRow("cut in a block") << good + block
                                    << "line 2: the trace stops in the block of "
                                       "line 2, after 16 of its 18 bytes";
    QTest::newRow("block short") << block + "  + 00\n" + good
                                 << "line 3: the block of line 1 stops after 17 of its 18 bytes";
    QTest::newRow("block long") << block + "  + 00 00 00\n"
                                << "line 2: more bytes than the block of line 1 has";
    QTest::newRow("stray continuation") << good + "  + 00\n"
                                        << "line 2: a continuation line follows no block";
    QTest::newRow("bad bytes") << QByteArray("0.1 > x | 57\n") << "line 1: not a line of a trace";
    QTest::newRow("no bytes") << QByteArray("0.100000 > DrawPixel\n")
                              << "line 1: the bytes of the event are missing or unreadable";
    QTest::newRow("lower case") << QByteArray("0.100000 > X | 5a\n")
                                << "line 1: the bytes of the event are missing or unreadable";
    QTest::newRow("bad length") << QByteArray("0.100000 > X | 5A ... (1 bytes)\n")
                                << "line 1: the block's length is wrong";
    QTest::newRow("endless line") << good + QByteArray(TraceReader::LineLimit + 10, 'A')
                                  << "line 2: too long for a line of a trace";
}

void tst_TraceReader::refusesWhatIsNoTraceNamingTheLine() {
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    const TraceReader::Result read = readText(text);
    QCOMPARE(read.error, error);
    QVERIFY(read.events.isEmpty());
}

QTEST_MAIN(tst_TraceReader)
#include "tst_tracereader.moc"
