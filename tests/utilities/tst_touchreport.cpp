#include "utilities/touchreport.h"

#include <QTest>

// Decoding the touch panel's coordinate reports, beyond the cases the utilities
// window's display test shows.
class tst_TouchReport : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void decodes_data();
    void decodes();
};

void tst_TouchReport::decodes_data() {
    QTest::addColumn<QString>("chunk");
    QTest::addColumn<QString>("shown"); // empty when the chunk is no report
    const auto row = [](const char* name, const char* chunk, const char* shown) {
        QTest::newRow(name) << QString::fromUtf8(chunk) << QString::fromLatin1(shown);
    };
    row("extra fields ignored", "1,63,239,7$", "319,239");
    row("line end after the mark", "0,0,0$\r\n", "0,0");
    row("blanks around fields", " 1 , 4 ,200\r\n", "260,200");
    row("largest X", "127,255,5$", "32767,5");
    row("signed fields", "-1,0,+7$", "-256,7");
    row("end mark first", "$1,4,200", "");
    row("two fields", "1,4$", "");
    row("empty field", "1,,200$", "");
    row("trailing garbage", "1,4,200x$", "");
    row("decimal point", "1,4.5,200$", "");
    row("other digits", "1,\u0664,200$", ""); // Arabic-Indic four
    row("X just beyond", "128,0,5$", "");
    row("Y beyond", "0,5,32768$", "");
    row("huge number", "99999999999999999999,0,0$", "");
}

void tst_TouchReport::decodes() {
    QFETCH(QString, chunk);
    QFETCH(QString, shown);
    const auto point = TouchReport::decode(chunk);
    QCOMPARE(point ? TouchReport::format(*point) : QString(), shown);
}

QTEST_GUILESS_MAIN(tst_TouchReport)
#include "tst_touchreport.moc"
