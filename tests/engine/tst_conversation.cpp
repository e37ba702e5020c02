#include "engine/boardanswers.h"
#include "engine/boardengine.h"
#include "engine/commands.h"
#include "engine/conversation.h"
#include "engine/portcatalog.h"
#include "engine/session.h"
#include "engine/tracetext.h"
#include "engine/uploadplan.h"
#include "engineparts.h"
#include "manualclock.h"
#include "recordinglink.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

using Kind = ConversationEvent::Kind;

LineTraffic toBoard(qint64 microseconds, const WriteList& writes) {
    return {microseconds, LineTraffic::Direction::ToBoard, writes.bytes(), int(writes.count())};
}

LineTraffic fromBoard(qint64 microseconds, const QByteArray& bytes) {
    return {microseconds, LineTraffic::Direction::FromBoard, bytes, 0};
}

QStringList meanings(const Conversation& conversation) {
    QStringList texts;
    for (quint64 n = conversation.first(); n < conversation.end(); ++n)
        texts.append(conversation.at(n).meaning());
    return texts;
}

// The engine on a recorded line, connected to COM1.
struct EngineBench {
    EngineBench() {
        engine.connectTo(QStringLiteral("COM1"), QStringLiteral("115200,N,8,1"));
        line.answer("100");
        clock->advanceToTick(engine, QStringLiteral("Timer4"));
    }
    // A poll: the receive poll's next tick.
    void poll() { clock->advanceToTick(engine, QStringLiteral("Timer2")); }
    std::shared_ptr<ManualClock> clock = std::make_shared<ManualClock>();
    TestLine line;
    BoardEngine engine{
        clock, std::make_shared<PortCatalog>([] { return QList<PortEntry>(); },
                                             [this](const QString& name) {
                                                 return std::make_unique<RecordingLink>(line, name);
                                             })};
};

} // namespace

class tst_Conversation : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodesTheBoardsAnswers_data();
    void decodesTheBoardsAnswers();
    void recordsTheEnginesConversation();
    void stampsAnswersWhenTheyArrive();
    void foldsAnUploadIntoBlocksAndSumsItUp();
    void sumsUpFromTheTimesOnTheLine();
    void keepsItsBoundsWhateverComes();
    void writesTraceLinesAndCsv();
};

void tst_Conversation::decodesTheBoardsAnswers_data() {
    QTest::addColumn<QByteArray>("chunk");
    QTest::addColumn<bool>("keypad");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    const auto row = [](const char* name, const QByteArray& chunk, bool keypad,
                        BoardAnswers::Kind kind, const char* text) {
        QTest::newRow(name) << chunk << keypad << int(kind) << QString::fromUtf8(text);
    };
    using K = BoardAnswers::Kind;
    row("identification", "100", false, K::Identify, "IdentifyAnswer \"100\"");
    row("identification among other text", "v2 100 ok", false, K::Identify,
        "IdentifyAnswer \"100\" in \"v2 100 ok\"");
    row("half an identification", "10", false, K::Other, "Answer \"10\"");
    row("acknowledgement", "!", false, K::Acknowledge, "Acknowledge");
    row("three acknowledgements in one read", "!!!", false, K::Acknowledge, "Acknowledge x3");
    row("touch report", "1,4,200$", false, K::Touch, "touch x=260 y=200");
    row("two touch reports", "0,10,5$1,4,200$", false, K::Touch,
        "touch x=10 y=5; touch x=260 y=200");
    row("touch report cut short", "1,4,", false, K::Other, "Answer \"1,4,\"");
    row("two fields", "1,4$", false, K::Other, "Answer \"1,4$\"");
    row("four fields", "1,4,200,7$", false, K::Other, "Answer \"1,4,200,7$\"");
    row("key in keypad mode", "5", true, K::Keypad, "KeypadReport \"5\"");
    row("touch report in keypad mode", "1,4,200$", true, K::Touch, "touch x=260 y=200");
    row("binary", QByteArray("\x01\xff\"", 3), false, K::Other, "Answer \"<1><255>\\\"\"");
    row("long noise", QByteArray(100, 'z'), true, K::Keypad,
        "KeypadReport \"zzzzzzzzzzzzzzzz\" ... (100 bytes)");
}

void tst_Conversation::decodesTheBoardsAnswers() {
    QFETCH(QByteArray, chunk);
    QFETCH(bool, keypad);
    QFETCH(int, kind);
    QFETCH(QString, text);
    const BoardAnswers::Kind found = BoardAnswers::classify(chunk, keypad);
    QCOMPARE(int(found), kind);
    QCOMPARE(BoardAnswers::describe(found, chunk, chunk.size()), text);
    // Told from its first bytes, as a row shows it, the same (touch reports aside).
    if (found != BoardAnswers::Kind::Touch)
        QCOMPARE(BoardAnswers::describe(found, chunk.first(std::min<qsizetype>(chunk.size(), 16)),
                                        chunk.size()),
                 text);
}

void tst_Conversation::recordsTheEnginesConversation() {
    EngineBench bench;
    BoardEngine& engine = bench.engine;
    Conversation& conversation = engine.conversation();
    engine.session().setTouchMode(Session::TouchMode::Coordinates);
    QVERIFY(engine.send(Commands::drawPixel({300, 10}, 224)));
    // A touch answers no write; the acknowledgement that follows it does.
    bench.line.answer("1,4,200$");
    bench.poll();
    bench.line.answer("!");
    bench.poll();
    engine.session().setTouchMode(Session::TouchMode::Keypad);
    bench.line.answer("7");
    bench.poll();
    engine.disconnect();

    QCOMPARE(
        meanings(conversation),
        (QStringList{QStringLiteral("Port COM1 opened at 115200,N,8,1"),
                     QStringLiteral("IdentifyController"), QStringLiteral("IdentifyAnswer \"100\""),
                     QStringLiteral("DrawPixel x=300 y=10 color=224"),
                     QStringLiteral("touch x=260 y=200"), QStringLiteral("Acknowledge"),
                     QStringLiteral("KeypadReport \"7\""), QStringLiteral("Port COM1 closed")}));
    const auto event = [&](int index) -> const ConversationEvent& {
        return conversation.at(conversation.first() + index);
    };
    const QList<Kind> kinds{Kind::Note,      Kind::ToBoard,   Kind::FromBoard, Kind::ToBoard,
                            Kind::FromBoard, Kind::FromBoard, Kind::FromBoard, Kind::Note};
    for (int i = 0; i < kinds.size(); ++i)
        QCOMPARE(event(i).kind, kinds[i]);
    QCOMPARE(event(3).bytes(), QByteArrayView(bytes({'W', 'P', 1, 44, 10, 224})));
    QCOMPARE(event(3).writes, 2);
    QVERIFY(event(2).latencyMicroseconds >= 0);
    QCOMPARE(event(4).latencyMicroseconds, -1);
    QVERIFY(event(5).latencyMicroseconds >= event(4).microseconds - event(3).microseconds);
    QCOMPARE(event(6).latencyMicroseconds, -1);
    for (int i = 1; i < kinds.size(); ++i)
        QVERIFY(event(i).microseconds >= event(i - 1).microseconds);
}

void tst_Conversation::stampsAnswersWhenTheyArrive() {
    EngineBench bench;
    BoardEngine& engine = bench.engine;
    Conversation& conversation = engine.conversation();
    // The board answers at once; the receive poll reads the answer a while later.
    engine.send(Commands::beep());
    const quint64 beep = conversation.end() - 1;
    bench.line.answer("!");
    const qint64 arrived = EngineParts::port(engine).microsecondsOpen();
    bench.clock->advance(30);
    // Meanwhile another command went out: the answer is not its answer.
    engine.send(Commands::rotateScreen());
    bench.poll();
    const ConversationEvent& answer = conversation.at(conversation.end() - 1);
    QCOMPARE(answer.meaning(), QStringLiteral("Acknowledge"));
    QVERIFY(answer.microseconds <= arrived + 1000);
    QVERIFY(answer.microseconds < conversation.at(beep + 1).microseconds);
    QVERIFY(answer.latencyMicroseconds >= 0);
    QVERIFY(answer.latencyMicroseconds <= arrived - conversation.at(beep).microseconds + 1000);
    // The rotation's answer is still awaited.
    bench.line.answer("!");
    bench.poll();
    QVERIFY(conversation.at(conversation.end() - 1).latencyMicroseconds >= 0);
}

void tst_Conversation::foldsAnUploadIntoBlocksAndSumsItUp() {
    EngineBench bench;
    BoardEngine& engine = bench.engine;
    Conversation& conversation = engine.conversation();
    const quint64 before = conversation.end();
    engine.setPacing(Pacing::AnswerDriven);
    QCOMPARE(engine.startUpload(UploadPlans::preview(QByteArray(76800, char(3)), 0), nullptr),
             Uploader::Start::Started);
    for (int block = 0; block < 240 && engine.uploadBusy(); ++block)
        bench.line.answer("!");
    QVERIFY(!engine.uploadBusy());

    // A block and its answer for each row, then the summary: all of them the upload's.
    QCOMPARE(conversation.end() - before, quint64(2 * 240 + 1));
    for (quint64 n = before; n < conversation.end(); ++n)
        QCOMPARE(conversation.at(n).upload, 1u);
    QVERIFY(conversation.at(before + 2 * 239)
                .meaning()
                .startsWith(QStringLiteral("WriteScreen row=239 ")));
    const ConversationEvent& summary = conversation.at(conversation.end() - 1);
    QCOMPARE(summary.kind, Kind::Upload);
    QVERIFY2(summary.meaning().startsWith(QStringLiteral("Preview: 76802 bytes in 240 blocks, ")),
             qPrintable(summary.meaning()));

    // What follows the upload belongs to none.
    engine.send(Commands::beep());
    QCOMPARE(conversation.at(conversation.end() - 1).upload, 0u);
}

void tst_Conversation::sumsUpFromTheTimesOnTheLine() {
    qint64 now = 0;
    Conversation conversation([&now] { return now; });
    conversation.beginUpload(QStringLiteral("Save"));
    // Five blocks of 1000 bytes, 200 ms apart; the board answers each after 1..5 ms,
    // the slowest first.
    const QList<qint64> latencies{5000, 1000, 3000, 2000, 4000};
    for (int block = 0; block < latencies.size(); ++block) {
        const qint64 start = 1000000 + block * 200000;
        WriteList writes;
        writes.appendEachByte(QByteArray(1000, char(block)));
        conversation.record(toBoard(start, writes));
        conversation.record(fromBoard(start + latencies[block], "!"));
    }
    now = 1900000;
    UploadOutcome outcome;
    outcome.bytesSent = 5000;
    conversation.endUpload(outcome, 115200);
    // 5000 bytes from 1.000000 s to the last answer at 1.804000 s; the line carries
    // 11520 bytes a second.
    QCOMPARE(conversation.at(conversation.end() - 1).meaning(),
             QStringLiteral("Save: 5000 bytes in 5 blocks, 0.804 s; answers median 3.000 ms, "
                            "worst 5.000 ms; 6.22 kB/s, 54.0 % of the line's 11.52 kB/s"));
    QCOMPARE(conversation.at(conversation.end() - 1).microseconds, 1900000);

    // A stopped upload says so; one without answers has no latencies to tell.
    conversation.beginUpload(QStringLiteral("Font upload"));
    conversation.record(toBoard(2000000, Commands::fontUploadBegin(Commands::FontSlot::Font1)));
    outcome.cause = UploadOutcome::Cause::WindowClosed;
    outcome.bytesSent = 3;
    conversation.endUpload(outcome, 115200);
    QCOMPARE(conversation.at(conversation.end() - 1).meaning(),
             QStringLiteral("Font upload stopped (window closed): 3 bytes in 1 blocks, 0.000 s"));
    QCOMPARE(conversation.at(conversation.end() - 1).upload, 2u);
}

void tst_Conversation::keepsItsBoundsWhateverComes() {
    // A small ring: 100 events, 1000 bytes beyond their heads.
    Conversation small([] { return 0; }, 100, 1000);
    for (int i = 0; i < 250; ++i)
        small.record(fromBoard(i, QByteArray(64, char('a' + i % 26))));
    QCOMPARE(small.size(), 100);
    QCOMPARE(small.first(), 150u);
    QCOMPARE(small.end(), 250u);
    QVERIFY(small.keptBytes() <= 1000);
    // The newest keep all their bytes, the older their first ones.
    const ConversationEvent& newest = small.at(249);
    QVERIFY(newest.allBytesKept());
    QCOMPARE(newest.bytes(), QByteArrayView(QByteArray(64, char('a' + 249 % 26))));
    const ConversationEvent& oldest = small.at(150);
    QVERIFY(!oldest.allBytesKept());
    QCOMPARE(oldest.bytes(), QByteArrayView(QByteArray(16, char('a' + 150 % 26))));
    QCOMPARE(oldest.byteCount, 64);
    QVERIFY(TraceText::line(oldest).endsWith(QStringLiteral("... (64 bytes)")));

    // Cleared, it is empty; the numbers go on.
    small.clear();
    QCOMPARE(small.size(), 0);
    QCOMPARE(small.first(), 250u);
    QCOMPARE(small.keptBytes(), 0);
    small.record(toBoard(1, Commands::beep()));
    QCOMPARE(small.at(250).meaning(), QStringLiteral("Beep"));

    // The engine's ring under 10 MB of noise from the board, in reads of any length.
    Conversation ring([] { return 0; });
    QRandomGenerator random(7);
    qint64 received = 0;
    for (qint64 t = 0; received < 10 * 1024 * 1024; ++t) {
        QByteArray chunk(random.bounded(1, 100), Qt::Uninitialized);
        for (char& c : chunk)
            c = char(random.bounded(256));
        received += chunk.size();
        ring.record(fromBoard(t, chunk));
        QVERIFY(ring.keptBytes() <= Conversation::DefaultByteBudget);
    }
    QCOMPARE(ring.size(), Conversation::DefaultCapacity);
    // Commands still decode after noise of their own.
    QByteArray noise(100000, Qt::Uninitialized);
    for (char& c : noise)
        c = char(random.bounded(256));
    ring.record({0, LineTraffic::Direction::ToBoard, noise, 1});
    ring.record({0, LineTraffic::Direction::ToBoard, QByteArray(76801, '\r'), 1});
    ring.record(toBoard(0, Commands::drawPixel({1, 2}, 3)));
    QCOMPARE(ring.at(ring.end() - 1).meaning(), QStringLiteral("DrawPixel x=1 y=2 color=3"));
    QVERIFY(ring.at(ring.end() - 3).meaning().size() <= Conversation::MeaningLimit + 20);
    QCOMPARE(ring.size(), Conversation::DefaultCapacity);
}

void tst_Conversation::writesTraceLinesAndCsv() {
    qint64 now = 7123456;
    Conversation conversation([&now] { return now; });
    conversation.lineChanged(QStringLiteral("Port COM3 opened at 115200,N,8,1"));
    conversation.record(toBoard(12345, Commands::drawPixel({300, 10}, 224)));
    conversation.record(fromBoard(13100, "100"));
    conversation.record(toBoard(20000, Commands::writeText(7, 1, "a, \"b\"")));
    conversation.record(
        toBoard(30000, Commands::writeScreen(QByteArray(76800, char(0xAB))).mid(0, 1 + 320)));
    conversation.beginUpload(QStringLiteral("Preview"));
    UploadOutcome outcome;
    conversation.endUpload(outcome, 115200);

    QStringList lines;
    QStringList csv{TraceText::csvHeader()};
    for (quint64 n = conversation.first(); n < conversation.end(); ++n) {
        lines.append(TraceText::line(conversation.at(n)));
        csv.append(TraceText::csvLine(conversation.at(n)));
    }
    QCOMPARE(lines, (QStringList{
                        QStringLiteral("7.123456 # Port COM3 opened at 115200,N,8,1"),
                        QStringLiteral("0.012345 > DrawPixel x=300 y=10 color=224 | "
                                       "57 50 01 2C 0A E0"),
                        QStringLiteral("0.013100 < IdentifyAnswer \"100\" (answered in 0.755 ms) "
                                       "| 31 30 30"),
                        QStringLiteral("0.020000 > WriteText color=7 font=1 \"a, \\\"b\\\"\" | "
                                       "57 54 07 01 61 2C 20 22 62 22 0D"),
                        QStringLiteral("0.030000 > WriteScreen row=0 | 57 53 AB AB AB AB AB AB "
                                       "AB AB AB AB AB AB AB AB ... (322 bytes)"),
                        QStringLiteral("7.123456 = Preview: 0 bytes in 0 blocks, 0.000 s"),
                    }));
    QCOMPARE(csv.at(0), QStringLiteral("time_s,direction,meaning,latency_ms,bytes,writes,hex"));
    QCOMPARE(csv.at(2), QStringLiteral("0.012345,to board,DrawPixel x=300 y=10 color=224,,6,2,"
                                       "57 50 01 2C 0A E0"));
    QCOMPARE(csv.at(3),
             QStringLiteral(R"(0.013100,from board,"IdentifyAnswer ""100""",0.755,3,0,31 30 30)"));
    QCOMPARE(csv.at(4),
             QStringLiteral(R"(0.020000,to board,"WriteText color=7 font=1 ""a, \""b\""""",)"
                            R"(,11,8,57 54 07 01 61 2C 20 22 62 22 0D)"));
    // All the bytes of a long block.
    QVERIFY(
        csv.at(5).endsWith(QStringLiteral(",322,321,57 53") + QStringLiteral(" AB").repeated(320)));
    QCOMPARE(TraceText::seconds(-1500), QStringLiteral("-0.001500"));
}

QTEST_GUILESS_MAIN(tst_Conversation)
#include "tst_conversation.moc"
