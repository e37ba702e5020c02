#include "engine/commands.h"
#include "engine/tracetext.h"
#include "testbench.h"

#include <QTest>

// The trace's line for each record of the line's traffic.
class tst_TraceText : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsEachRecordOnOneLine_data();
    void showsEachRecordOnOneLine();
};

void tst_TraceText::showsEachRecordOnOneLine_data() {
    using Direction = LineTraffic::Direction;
    QTest::addColumn<LineTraffic>("traffic");
    QTest::addColumn<QString>("line");
    const auto row = [](const char* name, qint64 microseconds, Direction direction,
                        const QByteArray& bytes, const char* line) {
        QTest::newRow(name) << LineTraffic{microseconds, direction, bytes, 1}
                            << QString::fromLatin1(line);
    };
    row("command without parameters", 52113, Direction::ToBoard, "ID", "  0.052113 -> ID");
    row("parameters in hex", 1500000, Direction::ToBoard,
        Commands::drawPixel({300, 10}, 224).bytes(), "  1.500000 -> WP 01 2C 0A E0");
    row("a picture's first row, shortened", 12, Direction::ToBoard,
        Commands::writeScreen(QByteArray(76800, char(0xAB))).mid(0, 321).bytes(),
        "  0.000012 -> WS AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB AB ... (322 bytes)");
    // Pixel data that happens to start like an opcode is still data.
    row("data", 7, Direction::ToBoard, QByteArray("WQ\x01", 3), "  0.000007 -> 57 51 01");
    row("answer as text", 61200, Direction::FromBoard, "100", "  0.061200 <- \"100\"");
    row("answer that is not text", 61200, Direction::FromBoard, QByteArray("1\r\n", 3),
        "  0.061200 <- 31 0D 0A");
    row("long run", 123456789, Direction::ToBoard, QByteArray(300, 'x'),
        "123.456789 -> 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 ... (300 bytes)");
}

void tst_TraceText::showsEachRecordOnOneLine() {
    QFETCH(LineTraffic, traffic);
    QFETCH(QString, line);
    QCOMPARE(TraceText::line(traffic), line);
}

QTEST_GUILESS_MAIN(tst_TraceText)
#include "tst_tracetext.moc"
