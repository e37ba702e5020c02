#include "board/boardemulator.h"
#include "board/boardimage.h"
#include "picturefiles.h"
#include "project/projectplan.h"
#include "project/projectrender.h"
#include "testbench.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString Window = QStringLiteral("frmProject");
const QString ExampleFolder = QStringLiteral(LUMARET_SOURCE_DIR "/data/example-project");

QByteArray fileText(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The example project copied where the test may change it.
QString copyOfExample(const QTemporaryDir& folder) {
    QDir(folder.path()).mkpath(QStringLiteral("pictures"));
    const QStringList pictures =
        QDir(ExampleFolder + QStringLiteral("/pictures")).entryList(QDir::Files);
    for (const QString& picture : pictures)
        QFile::copy(ExampleFolder + QStringLiteral("/pictures/") + picture,
                    folder.filePath(QStringLiteral("pictures/") + picture));
    const QString project = folder.filePath(QStringLiteral("example.toml"));
    QFile::copy(ExampleFolder + QStringLiteral("/example.toml"), project);
    return project;
}

} // namespace

class tst_frmProject : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void opensEditsAndSavesTheProject();
    void provisionsTheSimulator();
    void refusesAProjectWithProblemsAndSendsNothing();
    void buildsAProjectFromTheDialogsAndRendersIt();
};

void tst_frmProject::opensEditsAndSavesTheProject() {
    QTemporaryDir folder;
    const QString project = copyOfExample(folder);
    TestBench bench;
    QVERIFY(bench.open(Window));
    bench.dialogs().fileAnswers.append(project);
    click(bench.find<QPushButton>(Window, QStringLiteral("cmdOpen")));
    auto* pictures = bench.find<QTableWidget>(Window, QStringLiteral("lstPictures"));
    QCOMPARE(pictures->rowCount(), 12);
    QCOMPARE(bench.find<QTableWidget>(Window, QStringLiteral("lstFonts"))->rowCount(), 2);
    QCOMPARE(bench.find<QPlainTextEdit>(Window, QStringLiteral("txtStart"))
                 ->toPlainText()
                 .count(QLatin1Char('\n')),
             7);
    QVERIFY(!pictures->item(0, 0)->icon().isNull());
    QCOMPARE(pictures->item(3, 2)->text(), QStringLiteral("pictures/checker.gif"));

    // Slot 5's dither, and slot 12 moved to the free slot 13... which there is not: the
    // spin box stops at 12.
    qobject_cast<QComboBox*>(pictures->cellWidget(4, 4))
        ->setCurrentIndex(int(PictureDither::Ordered));
    auto* slot = qobject_cast<QSpinBox*>(pictures->cellWidget(11, 1));
    slot->setValue(13);
    QCOMPARE(slot->value(), 12);
    const QByteArray before = fileText(project);
    click(bench.find<QPushButton>(Window, QStringLiteral("cmdSave")));
    const QByteArray after = fileText(project);
    QByteArray expected = before;
    const qsizetype fifth = expected.indexOf("slot = 5\n");
    const qsizetype dither = expected.indexOf("dither = \"diffusion\"", fifth);
    expected.replace(dither, 20, "dither = \"ordered\"");
    QCOMPARE(after, expected);

    // A new project starts empty once the user lets the unsaved change go.
    qobject_cast<QComboBox*>(pictures->cellWidget(0, 3))->setCurrentIndex(int(PictureFit::Fill));
    bench.dialogs().messageAnswers.append(UserDialogs::Answer::Cancel);
    click(bench.find<QPushButton>(Window, QStringLiteral("cmdNew")));
    QCOMPARE(pictures->rowCount(), 12);
    bench.dialogs().messageAnswers.append(UserDialogs::Answer::Ok);
    click(bench.find<QPushButton>(Window, QStringLiteral("cmdNew")));
    QCOMPARE(pictures->rowCount(), 0);
    QCOMPARE(fileText(project), expected);
}

void tst_frmProject::provisionsTheSimulator() {
    QTemporaryDir folder;
    const QString project = copyOfExample(folder);
    TestBench bench(QStringList{}, true);
    bench.connectSimulator();
    QVERIFY(bench.engine().portOpen());
    qint64 sent = 0;
    QObject::connect(&bench.engine(), &BoardEngine::lineTraffic, [&](const LineTraffic& traffic) {
        if (traffic.direction == LineTraffic::Direction::ToBoard)
            sent += traffic.bytes.size();
    });

    bench.open(Window);
    bench.dialogs().fileAnswers.append(project);
    click(bench.find<QPushButton>(Window, QStringLiteral("cmdOpen")));
    auto* provision = bench.find<QPushButton>(Window, QStringLiteral("cmdProvision"));
    click(provision);
    QVERIFY(!provision->isEnabled());
    for (int poll = 0; poll < 20000 && !provision->isEnabled(); ++poll) {
        bench.clock().advanceToTick(bench.engine(), QStringLiteral("Timer2"));
        TestBench::settle();
    }
    QVERIFY(provision->isEnabled());
    QVERIFY(bench.dialogs().messages.isEmpty());

    const ProjectPlan plan = ProjectPlan::fromFile(project);
    QCOMPARE(sent, plan.totalBytes(AllProjectParts));
    const auto* board = bench.main().findChild<BoardEmulator*>(QStringLiteral("BoardEmulator"));
    QVERIFY(board);
    const QList<ProjectRender::Image> rendered = ProjectRender::images(plan);
    QCOMPARE(rendered.last().fileName, QStringLiteral("start.png"));
    QCOMPARE(BoardImage::panel(*board), rendered.last().image);
    for (int slot = 1; slot <= 12; ++slot)
        QCOMPARE(board->picture(slot).size(), 76800);

    // Check shows each step and the total.
    click(bench.find<QPushButton>(Window, QStringLiteral("cmdCheck")));
    const QString shown =
        bench.find<QPlainTextEdit>(Window, QStringLiteral("txtPlan"))->toPlainText();
    QCOMPARE(shown.count(QLatin1Char('\n')), 22);
    QVERIFY(shown.contains(
        QStringLiteral("Total: 927,064 bytes, 1 min 21 s paced by the board's answers")));
}

void tst_frmProject::refusesAProjectWithProblemsAndSendsNothing() {
    QTemporaryDir folder;
    const QString project = copyOfExample(folder);
    QFile::remove(folder.filePath(QStringLiteral("pictures/glow.bmp")));
    TestBench bench;
    bench.connectBoard();
    bench.line().takeWrites();
    bench.open(Window);
    bench.dialogs().fileAnswers.append(project);
    click(bench.find<QPushButton>(Window, QStringLiteral("cmdOpen")));
    click(bench.find<QPushButton>(Window, QStringLiteral("cmdProvision")));
    TestBench::settle();
    QVERIFY(bench.line().takeWrites().isEmpty());
    const QString shown =
        bench.find<QPlainTextEdit>(Window, QStringLiteral("txtPlan"))->toPlainText();
    QCOMPARE(shown.count(QStringLiteral("picture.file: there is no file pictures/glow.bmp")), 2);
}

void tst_frmProject::buildsAProjectFromTheDialogsAndRendersIt() {
    QTemporaryDir folder;
    const QString picture = folder.filePath(QStringLiteral("art/noise.png"));
    QDir(folder.path()).mkpath(QStringLiteral("art"));
    QVERIFY(noisePicture(200, 100).save(picture));
    TestBench bench;
    bench.open(Window);
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPointSize(11);
    font.setItalic(true);
    font.setUnderline(true);
    bench.dialogs().fontAnswers.append(UserDialogs::FontChoice{font, Qt::black});
    click(bench.find<QPushButton>(Window, QStringLiteral("cmdAddFont")));
    bench.dialogs().fileAnswers.append(picture);
    click(bench.find<QPushButton>(Window, QStringLiteral("cmdAddPicture")));
    bench.find<QPlainTextEdit>(Window, QStringLiteral("txtStart"))
        ->setPlainText(QStringLiteral("clear 0\n\n  load 1  \n"));
    const QString project = folder.filePath(QStringLiteral("new"));
    bench.dialogs().fileAnswers.append(project);
    click(bench.find<QPushButton>(Window, QStringLiteral("cmdSaveAs")));
    // The font window's rule: no underline on an italic face.
    QCOMPARE(fileText(project + QStringLiteral(".toml")),
             QByteArray("[board]\nspeed = 115200\n\n[[font]]\nslot = 1\nfamily = \"DejaVu "
                        "Sans\"\nsize = 11\nitalic = true\n\n[[picture]]\nslot = 1\nfile = "
                        "\"art/noise.png\"\nsize = \"fit\"\ndither = \"none\"\n\n[start]\n"
                        "lines = [\n    \"clear 0\",\n    \"load 1\",\n]\n"));

    const QString shown = folder.filePath(QStringLiteral("review/start.png"));
    QDir(folder.path()).mkpath(QStringLiteral("review"));
    bench.dialogs().fileAnswers.append(shown);
    click(bench.find<QPushButton>(Window, QStringLiteral("cmdRender")));
    QCOMPARE(QDir(folder.filePath(QStringLiteral("review"))).entryList(QDir::Files),
             QStringList({QStringLiteral("font-1.png"), QStringLiteral("slot-01.png"),
                          QStringLiteral("start.png")}));
    QCOMPARE(QImage(shown), QImage(folder.filePath(QStringLiteral("review/slot-01.png"))));
}

QTEST_MAIN(tst_frmProject)
#include "tst_frmproject.moc"
