#include "workbench/numberentry.h"

#include <QTest>

using NumberEntry::Problem;

// Reading typed numbers before anything is sent.
class tst_NumberEntry : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void reads_data();
    void reads();
    void longEntriesAreShortenedInTheMessage();
};

void tst_NumberEntry::reads_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("maximum");
    QTest::addColumn<int>("value"); // -1: rejected
    QTest::addColumn<int>("problem");

    constexpr int none = -1;
    const auto row = [](const char* name, const char* text, int maximum, int value, int problem) {
        QTest::newRow(name) << QString::fromUtf8(text) << maximum << value << problem;
    };
    row("largest x", "32767", 32767, 32767, none);
    row("blanks and a plus sign", " +42 ", 255, 42, none);
    row("leading zeros", "00000000000042", 255, 42, none);
    row("minus zero", "-0", 255, 0, none);
    row("blanks only", "   ", 255, -1, int(Problem::Empty));
    row("digits then letters", "12a", 255, -1, int(Problem::NotWholeNumber));
    row("decimal", "12.5", 255, -1, int(Problem::NotWholeNumber));
    row("exponent", "1e3", 32767, -1, int(Problem::NotWholeNumber));
    row("sign alone", "-", 255, -1, int(Problem::NotWholeNumber));
    row("full-width digits", "\xef\xbc\x91\xef\xbc\x92", 255, -1, int(Problem::NotWholeNumber));
    row("negative", "-1", 255, -1, int(Problem::OutOfRange));
    row("byte too large", "256", 255, -1, int(Problem::OutOfRange));
    row("beyond int", "99999999999999999999", 32767, -1, int(Problem::OutOfRange));
}

void tst_NumberEntry::reads() {
    QFETCH(QString, text);
    QFETCH(int, maximum);
    QFETCH(int, value);
    QFETCH(int, problem);
    const NumberEntry::Reading reading = NumberEntry::read(text, maximum);
    QCOMPARE(reading.problem ? int(*reading.problem) : -1, problem);
    if (reading.ok())
        QCOMPARE(reading.value, value);
}

void tst_NumberEntry::longEntriesAreShortenedInTheMessage() {
    // A pasted page does not make a page-long message.
    const QString message = NumberEntry::problemText(
        QStringLiteral("End Y"), QString(500, QLatin1Char('x')), Problem::NotWholeNumber, 255);
    QVERIFY(message.size() < 100);
    QVERIFY(message.startsWith(QStringLiteral("End Y \"xxxx")));
}

QTEST_GUILESS_MAIN(tst_NumberEntry)
#include "tst_numberentry.moc"
