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
        bench.open(About);
        const auto start = [this](const QString& program, const QStringList& arguments) {
            started.append((QStringList{program} + arguments).join(QLatin1Char(' ')));
            return !realStart || frmAbout::Services::system().startProgram(program, arguments);
        };
        window()->setServices({registry, start, [this](const QUrl& url) { opened.append(url); }});
    }
    ~AboutBench() { qputenv("PATH", savedPath); }
    frmAbout* window() { return qobject_cast<frmAbout*>(bench.window(About)); }
    template <typename T = QLabel> T* child(const char* name) {
        return bench.find<T>(About, QLatin1String(name));
    }
    // Clicks "System Info..." and returns the messages it showed.
    QStringList systemInfo() {
        bench.dialogs().messages.clear();
        click(child<QPushButton>("cmdSysInfo"));
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
    void readsRegistryValuesByType();
    void startsTheFirstToolFound();
    void tellsWhenNoToolCanBeStarted();
};

void tst_About::showsItsTextsLinkAndOkCloses() {
    AboutBench about;
    QCOMPARE(about.window()->windowTitle(), QStringLiteral("About Lumaret"));
    QCOMPARE(about.child("lblTitle")->text(), QStringLiteral("Lumaret"));
    QCOMPARE(about.child("lblVersion")->text(), QStringLiteral("Version 1.0.0"));
    QCOMPARE(about.child("Label3")->text(), QStringLiteral("\u00A9"));
    QVERIFY(!about.child("Label1")->text().isEmpty() && !about.child("Label4")->text().isEmpty());
    QCOMPARE(about.child("Label5")->text(), frmAbout::webAddress().toDisplayString());
    QVERIFY(!about.child("Picture1")->pixmap().isNull());
    QCOMPARE(about.child<QPushButton>("cmdSysInfo")->text(), QStringLiteral("&System Info..."));
    QCOMPARE(about.child<QPushButton>("cmdOK")->text(), QStringLiteral("OK"));
    QTest::mouseClick(about.child("Label5"), Qt::LeftButton);
    QCOMPARE(about.opened, QList<QUrl>{frmAbout::webAddress()});
    click(about.child<QPushButton>("cmdOK"));
    TestBench::settle();
    QVERIFY(!about.bench.window(About));
}

void tst_About::readsRegistryValuesByType() {
    FakeRegistry registry;
    registry.put(ToolKey, QStringLiteral("Count"), QString(), Registry::Value::Type::Number);
    registry.put(ToolKey, QStringLiteral("Blob"), QStringLiteral("?"),
                 Registry::Value::Type::Other);
    QString value;
    QVERIFY(GetKeyValue(registry, ToolKey, QStringLiteral("Count"), value));
    QCOMPARE(value, QStringLiteral("4000000000"));
    // Another type counts as found and leaves the text as it was.
    QVERIFY(GetKeyValue(registry, ToolKey, QStringLiteral("Blob"), value));
    QCOMPARE(value, QStringLiteral("4000000000"));
    QVERIFY(!GetKeyValue(registry, ToolKey, QStringLiteral("Missing"), value));
    QCOMPARE(value, QString());
}

void tst_About::startsTheFirstToolFound() {
    AboutBench about;
    const QDir folder(about.folder.path());
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
    // The PATH value comes first, file or not.
    about.registry->put(ToolKey, QStringLiteral("PATH"), QStringLiteral("C:\\x\\tool.exe"));
    QVERIFY(about.systemInfo().isEmpty());
    QCOMPARE(about.started.takeLast(), QStringLiteral("C:\\x\\tool.exe"));
    // A program that really starts: the substitute updater, which ends at once.
    about.realStart = true;
    const QString updater = QStandardPaths::findExecutable(
        QStringLiteral("update"), {qEnvironmentVariable("LUMARET_BIN_DIR")});
    QVERIFY(!updater.isEmpty());
    about.registry->put(ToolKey, QStringLiteral("PATH"), QDir::toNativeSeparators(updater));
    QVERIFY(about.systemInfo().isEmpty());
}

void tst_About::tellsWhenNoToolCanBeStarted() {
    AboutBench about;
    about.realStart = true;
    QCOMPARE(about.systemInfo(), Unavailable);
    const ScriptedDialogs::Message message = about.bench.dialogs().messages.value(0);
    QCOMPARE(message.title, QStringLiteral("Lumaret"));
    QCOMPARE(message.buttons, UserDialogs::Buttons::Ok);
    QVERIFY(about.started.isEmpty());
    QVERIFY(about.bench.window(About));

    // A PATH value naming a missing file is used, fails to start, and is reported.
    const QString missing = QDir(about.folder.path()).filePath(QStringLiteral("missing.exe"));
    about.registry->put(ToolKey, QStringLiteral("PATH"), missing);
    QCOMPARE(about.systemInfo(), Unavailable);
    QCOMPARE(about.started.takeLast(), missing);
    // A PATH value that is not text is found but empty: the empty name does not start.
    about.registry->put(ToolKey, QStringLiteral("PATH"), missing, Registry::Value::Type::Other);
    QCOMPARE(about.systemInfo(), Unavailable);
    QCOMPARE(about.started.takeLast(), QString());
    // The folder key without MSINFO32.EXE in it, and an empty folder value.
    about.registry->values.clear();
    about.registry->put(FolderKey, QStringLiteral("MSINFO"), about.folder.path());
    QCOMPARE(about.systemInfo(), Unavailable);
    about.registry->put(FolderKey, QStringLiteral("MSINFO"), QString());
    QCOMPARE(about.systemInfo(), Unavailable);
    QVERIFY(about.started.isEmpty());
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
