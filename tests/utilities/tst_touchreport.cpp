#include "utilities/touchreport.h"

#include <QTest>

// Decoding the touch panel's coordinate reports.
class tst_TouchReport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodesReports_data();
    void decodesReports();
    void rejectsMalformedReports_data();
    void rejectsMalformedReports();
};

void tst_TouchReport::decodesReports_data() {
    QTest::addColumn<QString>("chunk");
    QTest::addColumn<QString>("shown");
    QTest::newRow("one report") << QStringLiteral("1,4,200$") << QStringLiteral("260,200");
    QTest::newRow("first of two") << QStringLiteral("0,10,20$0,11,21$") << QStringLiteral("10,20");
    QTest::newRow("without end mark") << QStringLiteral("0,10,20") << QStringLiteral("10,20");
    QTest::newRow("extra fields ignored")
        << QStringLiteral("1,63,239,7$") << QStringLiteral("319,239");
    QTest::newRow("line end after the mark")
        << QStringLiteral("0,0,0$\r\n") << QStringLiteral("0,0");
    QTest::newRow("blanks around fields")
        << QStringLiteral(" 1 , 4 ,200\r\n") << QStringLiteral("260,200");
    QTest::newRow("largest X") << QStringLiteral("127,255,5$") << QStringLiteral("32767,5");
    QTest::newRow("signed fields") << QStringLiteral("-1,0,+7$") << QStringLiteral("-256,7");
}

void tst_TouchReport::decodesReports() {
    QFETCH(QString, chunk);
    QFETCH(QString, shown);
    const auto point = TouchReport::decode(chunk);
    QVERIFY(point);
    QCOMPARE(TouchReport::format(*point), shown);
}

void tst_TouchReport::rejectsMalformedReports_data() {
    QTest::addColumn<QString>("chunk");
    QTest::newRow("empty") << QString();
    QTest::newRow("end mark only") << QStringLiteral("$");
    QTest::newRow("end mark first") << QStringLiteral("$1,4,200");
    QTest::newRow("two fields") << QStringLiteral("1,4$");
    QTest::newRow("one field") << QStringLiteral("7");
    QTest::newRow("empty field") << QStringLiteral("1,,200$");
    QTest::newRow("letters") << QStringLiteral("a,b,c$");
    QTest::newRow("trailing garbage") << QStringLiteral("1,4,200x$");
    QTest::newRow("hex") << QStringLiteral("0x1,4,200$");
    QTest::newRow("decimal point") << QStringLiteral("1,4.5,200$");
    QTest::newRow("sign only") << QStringLiteral("-,4,200$");
    QTest::newRow("blank inside a number") << QStringLiteral("1,4,2 00$");
    QTest::newRow("other digits") << QStringLiteral("1,\u0664,200$"); // Arabic-Indic four
    QTest::newRow("X beyond 16 bits") << QStringLiteral("200,0,5$");
    QTest::newRow("X just beyond") << QStringLiteral("128,0,5$");
    QTest::newRow("low part beyond") << QStringLiteral("0,40000,5$");
    QTest::newRow("Y beyond") << QStringLiteral("0,5,32768$");
    QTest::newRow("huge number") << QStringLiteral("99999999999999999999,0,0$");
    QTest::newRow("keypad key") << QStringLiteral("5");
}

void tst_TouchReport::rejectsMalformedReports() {
    QFETCH(QString, chunk);
    QVERIFY(!TouchReport::decode(chunk));
}

QTEST_GUILESS_MAIN(tst_TouchReport)
#include "tst_touchreport.moc"
