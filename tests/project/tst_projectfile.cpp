#include "project/projectfile.h"
#include "project/projectplan.h"
#include "project/startline.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString examplePath() {
    return QStringLiteral(LUMARET_SOURCE_DIR "/data/example-project/example.toml");
}

QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The lines of b that a does not have, and the other way round.
QStringList changedLines(const QByteArray& a, const QByteArray& b) {
    const QList<QByteArray> before = a.split('\n');
    const QList<QByteArray> after = b.split('\n');
    QStringList changed;
    if (before.size() != after.size())
        return {QStringLiteral("line count %1 -> %2").arg(before.size()).arg(after.size())};
    for (qsizetype i = 0; i < before.size(); ++i) {
        if (before.at(i) != after.at(i))
            changed.append(QString::fromUtf8(before.at(i) + " -> " + after.at(i)));
    }
    return changed;
}

} // namespace

class tst_ProjectFile : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void theExampleIsAValidProject();
    void problemsNameTheLineAndTheField_data();
    void problemsNameTheLineAndTheField();
    void writingKeepsTheFileAndChangesOnlyWhatChanged();
    void startLinesAreSplitAsAShellSplitsThem();
    void estimatesFollowTheLineAndThePoll();

private:
    QTemporaryDir m_folder;
};

void tst_ProjectFile::initTestCase() {
    QVERIFY(m_folder.isValid());
    QImage picture(40, 30, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QVERIFY(picture.save(m_folder.filePath(QStringLiteral("red.png"))));
    QFile notAPicture(m_folder.filePath(QStringLiteral("notes.png")));
    QVERIFY(notAPicture.open(QIODevice::WriteOnly));
    notAPicture.write("just text");
}

void tst_ProjectFile::theExampleIsAValidProject() {
    const ProjectPlan plan = ProjectPlan::fromFile(examplePath());
    QVERIFY2(plan.ok(), qPrintable(plan.issues.value(0).text()));
    QCOMPARE(plan.stepsOf(ProjectPart::Fonts).size(), 2);
    QCOMPARE(plan.stepsOf(ProjectPart::Pictures).size(), 12);
    QCOMPARE(plan.stepsOf(ProjectPart::Start).size(), 8);
    // Fonts first, then the pictures by slot, then the start screen.
    QCOMPARE(plan.steps.at(0).name, QStringLiteral("font 1"));
    QCOMPARE(plan.steps.at(2).step.slot, quint8(1));
    QCOMPARE(plan.steps.at(13).step.slot, quint8(12));
    QCOMPARE(plan.steps.at(14).detail, QStringLiteral("clear '#000040'"));
    QCOMPARE(plan.totalBytes(ProjectPart::Pictures), 12 * 76803);
}

void tst_ProjectFile::problemsNameTheLineAndTheField_data() {
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("problem");
    const auto row = [](const char* name, const QByteArray& text, const char* problem) {
        QTest::newRow(name) << text << QStringLiteral("p.toml:") + QString::fromUtf8(problem);
    };
    const QByteArray picture = "\n[[picture]]\nslot = 1\nfile = \"red.png\"\n";
    const QByteArray font = "[[font]]\nslot = 1\nfamily = \"DejaVu Sans\"\n";
    row("missing file", "[[picture]]\nslot = 2\nfile = \"gone.png\"\n",
        "1: picture.file: there is no file gone.png");
    row("not a picture", "[[picture]]\nslot = 2\nfile = \"notes.png\"\n", "1: picture.file: ");
    row("slot 13", "[[picture]]\nslot = 13\nfile = \"red.png\"\n",
        "2: picture.slot: 13 is not from 1 to 12");
    row("duplicate slot", picture + picture,
        "7: picture.slot: slot 1 is taken already by the picture at line 2");
    row("unknown key", picture + "dither = \"none\"\nzoom = 2\n",
        "6: picture.zoom: is not a key of [picture]");
    row("top-level key after a table", picture + "speed = 9600\n",
        "5: picture.speed: is not a key");
    row("unknown size", picture + "size = \"zoom\"\n",
        "5: picture.size: takes as-is, fit, fill, stretch, not \"zoom\"");
    row("wrong type", "[[font]]\nslot = \"1\"\nfamily = \"DejaVu Sans\"\nsize = 12\n",
        "2: font.slot: takes a whole number, not text");
    row("missing size", font, "1: font.size: is missing");
    row("missing font family", "[[font]]\nslot = 1\nfamily = \"No Such Family Here\"\nsize = 12\n",
        "1: font: there is no font family \"No Such Family Here\" on this system");
    row("italic and underline", font + "size = 12\nitalic = true\nunderline = true\n",
        "1: font.italic: underline and strikeout are not supported");
    row("speed", "[board]\nspeed = 1200\n", "2: board.speed: takes one of 9600");
    row("bad start line", "[start]\nlines = [\n  \"clear 0\",\n  \"circle 10 10 300\",\n]\n",
        "4: start.lines[2]: circle: R must be a whole number from 0 to 255, not \"300\"");
    row("upload as start line", "[start]\nlines = [\"save 1 red.png\"]\n",
        "2: start.lines[1]: save cannot be a start line");
    row("call option in a start line", "[start]\nlines = [\"clear 0 --baud 9600\"]\n",
        "2: start.lines[1]: options of the whole call");
    row("TOML syntax", "[board]\nspeed = = 9600\n", "2: ");
    row("font as a table", "[font]\nslot = 1\n", "1: font: takes [[font]] tables");
}

void tst_ProjectFile::problemsNameTheLineAndTheField() {
    QFETCH(QByteArray, text);
    QFETCH(QString, problem);
    const QString path = m_folder.filePath(QStringLiteral("p.toml"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    file.close();
    const ProjectPlan plan = ProjectPlan::fromFile(path);
    QCOMPARE(plan.issues.size(), 1);
    const QString shown = plan.issues.first().text();
    QVERIFY2(shown.startsWith(m_folder.path() + QLatin1Char('/') + problem), qPrintable(shown));
}

void tst_ProjectFile::writingKeepsTheFileAndChangesOnlyWhatChanged() {
    const QByteArray original = fileText(examplePath());
    ProjectFile::Reading reading = ProjectFile::read(examplePath());
    QVERIFY(reading.issues.isEmpty());
    QCOMPARE(ProjectFile::text(reading.project), original);

    reading.project.pictures[4].dither = PictureDither::Ordered;
    reading.project.start[2].text = QStringLiteral("text \"quoted\" and \\ back");
    const QString path = m_folder.filePath(QStringLiteral("changed.toml"));
    QString error;
    QVERIFY(ProjectFile::write(reading.project, path, &error));
    QCOMPARE(changedLines(original, fileText(path)),
             QStringList({QStringLiteral("dither = \"diffusion\" -> dither = \"ordered\""),
                          QStringLiteral("    \"cursor 8 8\", -> "
                                         "    \"text \\\"quoted\\\" and \\\\ back\",")}));
    const ProjectFile::Reading again = ProjectFile::read(path);
    QCOMPARE(again.project.start[2].text, reading.project.start[2].text);
    QCOMPARE(again.project.pictures[4].dither, PictureDither::Ordered);
}

void tst_ProjectFile::startLinesAreSplitAsAShellSplitsThem() {
    QCOMPARE(
        StartLine::split(QStringLiteral("text --font 2 'Hello  world' \"say \\\"hi\\\"\" a\\ b")),
        QStringList({QStringLiteral("text"), QStringLiteral("--font"), QStringLiteral("2"),
                     QStringLiteral("Hello  world"), QStringLiteral("say \"hi\""),
                     QStringLiteral("a b")}));
    QCOMPARE(StartLine::split(QStringLiteral("  ''  x")),
             QStringList({QString(), QStringLiteral("x")}));
    QVERIFY(!StartLine::split(QStringLiteral("text 'open")));
    QVERIFY(!StartLine::split(QStringLiteral("text \"open")));
    QVERIFY(!StartLine::split(QStringLiteral("text end\\")));

    const StartLine::Parsed text = StartLine::parse(QStringLiteral("text --font 2 'Ready now'"));
    QVERIFY(text.step);
    QCOMPARE(text.step->writes.bytes(), QByteArray("WT\xff\x02Ready now\r"));
    for (const char* refused : {"", "help", "ports", "identify", "touch --count 1", "baud 9600",
                                "clear 0 -- beep", "--version"})
        QVERIFY2(!StartLine::parse(QLatin1String(refused)).step, refused);
}

void tst_ProjectFile::estimatesFollowTheLineAndThePoll() {
    BoardProject project;
    project.path = m_folder.filePath(QStringLiteral("timed.toml"));
    project.baudRate = 9600;
    project.pictures.append(
        {3, QStringLiteral("red.png"), PictureFit::AsIs, PictureDither::None, 1});
    project.start.append({QStringLiteral("backlight off"), 2});
    const ProjectPlan plan = ProjectPlan::make(project);
    QVERIFY(plan.ok());
    // A block of 256 bytes takes 266.7 ms at 9600 bit/s, its answer 1 ms more: four polls
    // of 70 ms. The header waits for one poll of the receive timer.
    const StepTime save = plan.steps.at(0).time(9600);
    QCOMPARE(plan.steps.at(0).byteCount(), 76803);
    QCOMPARE(qRound(save.lineMs), 80003);
    QCOMPARE(qRound(save.answerPacedMs), qRound(80003 + 301 * 1000.0 / 960));
    QCOMPARE(qRound(save.pollPacedMs), 300 * 280 + 250);
    // Touch reporting off, a quarter of a second, then the backlight.
    const StepTime backlight = plan.steps.at(1).time(9600);
    QCOMPARE(plan.steps.at(1).byteCount(), 2 + 3);
    QCOMPARE(qRound(backlight.answerPacedMs), qRound(251 + 5 * 1000.0 / 960));
}

QTEST_MAIN(tst_ProjectFile)
#include "tst_projectfile.moc"
