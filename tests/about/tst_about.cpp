#include "about/frmabout.h"
#include "about/registry.h"
#include "about/systeminformation.h"
#include "testbench.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString About = QStringLiteral("frmAbout");
const QString ToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString FolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");
const QStringList Unavailable{QStringLiteral("System Information Is Unavailable At This Time")};

// A registry that holds what the test puts in it.
class FakeRegistry : public Registry {
public:
    std::optional<Value> read(const QString& keyName, const QString& valueName) const override {
        return values.value({keyName, valueName});
    }
    void put(const QString& key, const QString& name, const QString& text,
             Value::Type type = Value::Type::String) {
        values.insert({key, name}, Value{type, text, 4000000000u});
    }
    QMap<QPair<QString, QString>, std::optional<Value>> values;
};

// The About box with a fake registry, and PATH on an empty folder of its own so that no
// tool of the machine is found. The programs it starts are recorded, and started for
// real when realStart is set.
struct AboutBench {
    TestBench bench;
    std::shared_ptr<FakeRegistry> registry = std::make_shared<FakeRegistry>();
    QTemporaryDir folder;
    const QByteArray savedPath = qgetenv("PATH");
    QStringList started;
    QList<QUrl> opened;
    bool realStart = false;

    AboutBench() {
        qputenv("PATH", QFile::encodeName(folder.path()));
        const auto start = [this](const QString& program, const QStringList& arguments) {
            started.append((QStringList{program} + arguments).join(QLatin1Char(' ')));
            return !realStart || frmAbout::Services::system().startProgram(program, arguments);
        };
        qobject_cast<frmAbout*>(bench.open(About))
            ->setServices({registry, start, [this](const QUrl& url) { opened.append(url); }});
    }
    ~AboutBench() { qputenv("PATH", savedPath); }
    // Clicks "System Info..." and returns the texts of the messages it showed.
    QStringList systemInfo() {
        bench.dialogs().messages.clear();
        click(bench.find<QPushButton>(About, QStringLiteral("cmdSysInfo")));
        QStringList texts;
        for (const ScriptedDialogs::Message& message : bench.dialogs().messages)
            texts.append(message.text);
        return texts;
    }
};

} // namespace

// The About box: its texts, the system information tool and the web page.
class tst_About : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsItsTextsLinkAndOkCloses();
    void startsTheFirstToolFoundOrTellsItIsUnavailable();
};

void tst_About::showsItsTextsLinkAndOkCloses() {
    AboutBench about;
    QCOMPARE(about.bench.window(About)->windowTitle(), QStringLiteral("About Lumaret"));
    // Label3 holds the copyright sign (0xA9 in Latin-1).
    QCOMPARE(about.bench.captionMismatches(About, {"lblTitle:Lumaret", "lblVersion:Version 1.0.0",
                                                   "Label3:\xA9", "cmdSysInfo:&System Info...",
                                                   "cmdOK:OK"}),
             QStringList());
    const auto label = [&about](const char* name) {
        return about.bench.find<QLabel>(About, QLatin1String(name));
    };
    QVERIFY(!label("Label1")->text().isEmpty() && !label("Label4")->text().isEmpty() &&
            !label("Picture1")->pixmap().isNull());
    // The project's page as the build was configured.
    const QString page = QStringLiteral(LUMARET_CONFIGURED_HOMEPAGE);
    QCOMPARE(label("Label5")->text(), page);
    QTest::mouseClick(label("Label5"), Qt::LeftButton);
    QCOMPARE(about.opened, QList<QUrl>{QUrl(page)});
    click(about.bench.find<QPushButton>(About, QStringLiteral("cmdOK")));
    TestBench::settle();
    QVERIFY(!about.bench.window(About));
}

void tst_About::startsTheFirstToolFoundOrTellsItIsUnavailable() {
    AboutBench about;
    about.realStart = true;
    const QDir folder(about.folder.path());
    // Nothing found: an empty folder value, or the folder without MSINFO32.EXE in it.
    for (const QString& value : {QString(), folder.path()}) {
        about.registry->put(FolderKey, QStringLiteral("MSINFO"), value);
        QCOMPARE(about.systemInfo(), Unavailable);
    }
    QCOMPARE(about.bench.dialogs().messages.value(0).title, QStringLiteral("Lumaret"));
    QVERIFY(about.started.isEmpty() && about.bench.window(About));
    about.realStart = false;
#ifndef Q_OS_WIN
    // The last of the programs looked for on the PATH is installed.
    const SystemInformation::Program onPath = SystemInformation::pathCandidates().last();
    const QString tool = folder.filePath(onPath.path);
    QVERIFY(QFile(tool).open(QIODevice::WriteOnly));
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(about.systemInfo().isEmpty());
    QCOMPARE(about.started.takeLast(),
             (QStringList{tool} + onPath.arguments).join(QLatin1Char(' ')));
#endif
    // The registry's folder holding MSINFO32.EXE comes before the PATH.
    const QString msinfo = folder.filePath(QStringLiteral("MSINFO32.EXE"));
    QVERIFY(QFile(msinfo).open(QIODevice::WriteOnly));
    about.registry->put(FolderKey, QStringLiteral("MSINFO"),
                        QDir::toNativeSeparators(folder.path()));
    QVERIFY(about.systemInfo().isEmpty());
    QCOMPARE(about.started.takeLast(), QDir::toNativeSeparators(msinfo));

    // The PATH value comes first, file or not: a missing file fails to start and is
    // reported; a number is read as its unsigned digits; a value of another type is
    // found but gives no text, and no empty name starts.
    about.realStart = true;
    const QString missing = folder.filePath(QStringLiteral("missing.exe"));
    for (const auto& [type, startedAs] :
         {std::pair{Registry::Value::Type::String, missing},
          {Registry::Value::Type::Number, QStringLiteral("4000000000")},
          {Registry::Value::Type::Other, QString()}}) {
        about.registry->put(ToolKey, QStringLiteral("PATH"), missing, type);
        QCOMPARE(about.systemInfo(), Unavailable);
        QCOMPARE(about.started.takeLast(), startedAs);
    }
    // A program that really starts: the substitute updater, which ends at once.
    const QString updater = QStandardPaths::findExecutable(
        QStringLiteral("update"), {qEnvironmentVariable("LUMARET_BIN_DIR")});
    QVERIFY(!updater.isEmpty());
    about.registry->put(ToolKey, QStringLiteral("PATH"), QDir::toNativeSeparators(updater));
    QVERIFY(about.systemInfo().isEmpty());
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
