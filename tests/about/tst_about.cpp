#include "about/frmabout.h"
#include "about/registry.h"
#include "about/systeminformation.h"
#include "testbench.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString About = QStringLiteral("frmAbout");
const QString ToolKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools\\MSINFO");
const QString FolderKey = QStringLiteral("SOFTWARE\\Microsoft\\Shared Tools Location");

// A registry that holds what the test puts in it.
class FakeRegistry : public Registry {
public:
    std::optional<Value> read(const QString& keyName, const QString& valueName) const override {
        return values.value({keyName, valueName});
    }
    void putText(const QString& key, const QString& name, const QString& text) {
        values.insert({key, name}, Value{Value::Type::String, text, 0});
    }
    QMap<QPair<QString, QString>, std::optional<Value>> values;
};

// Sets PATH for the length of a test.
class PathOverride {
public:
    explicit PathOverride(const QString& path)
        : m_saved(qgetenv("PATH")) {
        qputenv("PATH", QFile::encodeName(path));
    }
    ~PathOverride() { qputenv("PATH", m_saved); }

private:
    QByteArray m_saved;
};

// The About box with a fake registry, its program starts and web pages recorded.
struct AboutBench {
    TestBench bench;
    std::shared_ptr<FakeRegistry> registry = std::make_shared<FakeRegistry>();
    QStringList started;
    QList<QUrl> opened;
    bool startSucceeds = true;

    AboutBench() {
        bench.open(About);
        window()->setServices({registry,
                               [this](const QString& program, const QStringList& arguments) {
                                   started.append(
                                       (QStringList{program} + arguments).join(QLatin1Char(' ')));
                                   return startSucceeds;
                               },
                               [this](const QUrl& address) { opened.append(address); }});
    }
    frmAbout* window() { return qobject_cast<frmAbout*>(bench.window(About)); }
    // Clicks "System Info..." and returns the messages it showed.
    QStringList systemInfo() {
        bench.dialogs().messages.clear();
        click(bench.find<QPushButton>(About, QStringLiteral("cmdSysInfo")));
        QStringList texts;
        for (const ScriptedDialogs::Message& message : bench.dialogs().messages)
            texts.append(message.text);
        return texts;
    }
};

const QStringList Unavailable{QStringLiteral("System Information Is Unavailable At This Time")};

} // namespace

// The About box: its texts, the system information tool and the web page.
class tst_About : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTitleVersionAndNotice();
    void opensFromTheHelpMenu();
    void okCloses();
    void opensTheWebPageThroughTheDesktop();
    void readsRegistryValuesByType();
    void startsTheToolTheRegistryNames();
    void tellsWhenNoToolCanBeStarted();
    void looksForAToolOnThePath();
};

void tst_About::showsTitleVersionAndNotice() {
    AboutBench about;
    QCOMPARE(about.window()->windowTitle(), QStringLiteral("About Lumaret"));
    auto text = [&about](const char* name) {
        QLabel* label = about.bench.find<QLabel>(About, QLatin1String(name));
        return label ? label->text() : QStringLiteral("<missing>");
    };
    QCOMPARE(text("lblTitle"), QStringLiteral("Lumaret"));
    QCOMPARE(text("lblVersion"), QStringLiteral("Version 1.0.0"));
    QCOMPARE(text("Label3"), QStringLiteral("\u00A9"));
    QVERIFY(!text("Label1").isEmpty());
    QVERIFY(!text("Label4").isEmpty());
    QCOMPARE(text("Label5"), frmAbout::webAddress().toDisplayString());
    QVERIFY(!about.bench.find<QLabel>(About, QStringLiteral("Picture1"))->pixmap().isNull());
    QCOMPARE(about.bench.find<QPushButton>(About, QStringLiteral("cmdOK"))->text(),
             QStringLiteral("OK"));
    QCOMPARE(about.bench.find<QPushButton>(About, QStringLiteral("cmdSysInfo"))->text(),
             QStringLiteral("&System Info..."));
    QCOMPARE(about.window()->findChildren<QFrame*>(QStringLiteral("Line1")).size(), 2);
    // Our own address, not somebody else's.
    QVERIFY(frmAbout::webAddress().host().startsWith(QStringLiteral("lumaret.")));
    QCOMPARE(frmAbout::webAddress().scheme(), QStringLiteral("https"));
}

void tst_About::opensFromTheHelpMenu() {
    TestBench bench;
    QAction* mnuAbout = bench.main().findChild<QAction*>(QStringLiteral("mnuAbout"));
    QVERIFY(mnuAbout && mnuAbout->isEnabled());
    mnuAbout->trigger();
    QWidget* about = bench.window(About);
    QVERIFY(qobject_cast<frmAbout*>(about));
    QVERIFY(about->isVisible());
    // One box at a time.
    mnuAbout->trigger();
    QCOMPARE(bench.window(About), about);
    QCOMPARE(bench.main().findChildren<frmAbout*>().size(), 1);
}

void tst_About::okCloses() {
    AboutBench about;
    click(about.bench.find<QPushButton>(About, QStringLiteral("cmdOK")));
    TestBench::settle();
    QVERIFY(!about.bench.window(About));
}

void tst_About::opensTheWebPageThroughTheDesktop() {
    AboutBench about;
    QLabel* link = about.bench.find<QLabel>(About, QStringLiteral("Label5"));
    QTest::mouseClick(link, Qt::LeftButton);
    QCOMPARE(about.opened, QList<QUrl>{frmAbout::webAddress()});
    link->setFocus();
    QTest::keyClick(link, Qt::Key_Space);
    QCOMPARE(about.opened.size(), 2);
    QVERIFY(about.started.isEmpty());
}

void tst_About::readsRegistryValuesByType() {
    FakeRegistry registry;
    registry.putText(ToolKey, QStringLiteral("PATH"), QStringLiteral("C:\\Windows\\msinfo32.exe"));
    registry.values.insert({ToolKey, QStringLiteral("Count")},
                           Registry::Value{Registry::Value::Type::Number, QString(), 4000000000u});
    registry.values.insert({ToolKey, QStringLiteral("Blob")},
                           Registry::Value{Registry::Value::Type::Other, QString(), 0});

    QString value = QStringLiteral("before");
    QVERIFY(GetKeyValue(registry, ToolKey, QStringLiteral("PATH"), value));
    QCOMPARE(value, QStringLiteral("C:\\Windows\\msinfo32.exe"));
    QVERIFY(GetKeyValue(registry, ToolKey, QStringLiteral("Count"), value));
    QCOMPARE(value, QStringLiteral("4000000000"));
    // Another type counts as found and leaves the text as it was.
    QVERIFY(GetKeyValue(registry, ToolKey, QStringLiteral("Blob"), value));
    QCOMPARE(value, QStringLiteral("4000000000"));
    QVERIFY(!GetKeyValue(registry, ToolKey, QStringLiteral("Missing"), value));
    QCOMPARE(value, QString());
    QVERIFY(!GetKeyValue(registry, FolderKey, QStringLiteral("MSINFO"), value));

#ifndef Q_OS_WIN
    // Elsewhere the system has no registry.
    QVERIFY(!GetKeyValue(*Registry::system(), ToolKey, QStringLiteral("PATH"), value));
#endif
}

void tst_About::startsTheToolTheRegistryNames() {
    QTemporaryDir folder;
    PathOverride noTools(folder.path());
    {
        AboutBench about;
        about.registry->putText(ToolKey, QStringLiteral("PATH"), QStringLiteral("C:\\x\\tool.exe"));
        about.registry->putText(FolderKey, QStringLiteral("MSINFO"), folder.path());
        QVERIFY(about.systemInfo().isEmpty());
        // The first key wins, file or not.
        QCOMPARE(about.started, QStringList{QStringLiteral("C:\\x\\tool.exe")});
    }
    {
        AboutBench about;
        about.registry->putText(FolderKey, QStringLiteral("MSINFO"), folder.path());
        QVERIFY(QFile(folder.filePath(QStringLiteral("MSINFO32.EXE"))).open(QIODevice::WriteOnly));
        QVERIFY(about.systemInfo().isEmpty());
        QCOMPARE(about.started, QStringList{QDir::toNativeSeparators(
                                    folder.filePath(QStringLiteral("MSINFO32.EXE")))});
    }
    {
        // A program that really starts.
        AboutBench about;
#ifdef Q_OS_WIN
        const QString program = QStringLiteral("update.exe");
#else
        const QString program = QStringLiteral("update");
#endif
        // The substitute updater: without arguments it ends at once.
        const QString updater = QDir(qEnvironmentVariable("LUMARET_BIN_DIR")).filePath(program);
        QVERIFY(QFile::exists(updater));
        about.registry->putText(ToolKey, QStringLiteral("PATH"), QDir::toNativeSeparators(updater));
        about.window()->setServices(
            frmAbout::Services{about.registry, frmAbout::Services::system().startProgram, {}});
        QVERIFY(about.systemInfo().isEmpty());
    }
}

void tst_About::tellsWhenNoToolCanBeStarted() {
    QTemporaryDir folder;
    PathOverride noTools(folder.path());
    const auto realStart = frmAbout::Services::system().startProgram;
    {
        // Nothing in the registry, nothing on the PATH.
        AboutBench about;
        QCOMPARE(about.systemInfo(), Unavailable);
        QVERIFY(about.started.isEmpty());
        const ScriptedDialogs::Message message = about.bench.dialogs().messages[0];
        QCOMPARE(message.buttons, UserDialogs::Buttons::Ok);
        QCOMPARE(message.title, QStringLiteral("Lumaret"));
        QVERIFY(about.bench.window(About));
    }
    {
        // A PATH value naming a missing file is used, fails to start, and is reported.
        AboutBench about;
        about.registry->putText(ToolKey, QStringLiteral("PATH"),
                                folder.filePath(QStringLiteral("missing.exe")));
        about.window()->setServices({about.registry, realStart, {}});
        QCOMPARE(about.systemInfo(), Unavailable);
    }
    {
        // A PATH value that is not text is found but empty: nothing to start.
        AboutBench about;
        about.registry->values.insert({ToolKey, QStringLiteral("PATH")},
                                      Registry::Value{Registry::Value::Type::Number, QString(), 7});
        about.registry->values[{ToolKey, QStringLiteral("PATH")}]->type =
            Registry::Value::Type::Other;
        about.window()->setServices({about.registry, realStart, {}});
        QCOMPARE(about.systemInfo(), Unavailable);
    }
    {
        // The folder key without MSINFO32.EXE in it; an empty folder value.
        AboutBench about;
        about.registry->putText(FolderKey, QStringLiteral("MSINFO"), folder.path());
        QCOMPARE(about.systemInfo(), Unavailable);
        about.registry->putText(FolderKey, QStringLiteral("MSINFO"), QString());
        QCOMPARE(about.systemInfo(), Unavailable);
        QVERIFY(about.started.isEmpty());
    }
    {
        // The tool is there but will not start.
        AboutBench about;
        about.startSucceeds = false;
        about.registry->putText(ToolKey, QStringLiteral("PATH"), QStringLiteral("tool"));
        QCOMPARE(about.systemInfo(), Unavailable);
        QCOMPARE(about.started.size(), 1);
    }
}

void tst_About::looksForAToolOnThePath() {
    const QList<SystemInformation::Program> candidates = SystemInformation::pathCandidates();
#ifdef Q_OS_WIN
    QVERIFY(candidates.isEmpty());
#else
    QVERIFY(!candidates.isEmpty());
    QTemporaryDir folder;
    PathOverride path(folder.path());
    // Only the last choice is installed.
    const SystemInformation::Program last = candidates.last();
    const QString tool = folder.filePath(last.path);
    {
        QFile file(tool);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n");
    }
    QFile::setPermissions(tool, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    AboutBench about;
    QVERIFY(about.systemInfo().isEmpty());
    QCOMPARE(about.started,
             QStringList{(QStringList{tool} + last.arguments).join(QLatin1Char(' '))});
    // The registry comes first where it names a tool.
    about.started.clear();
    about.registry->putText(ToolKey, QStringLiteral("PATH"), QStringLiteral("/opt/msinfo"));
    about.systemInfo();
    QCOMPARE(about.started, QStringList{QStringLiteral("/opt/msinfo")});
#endif
}

QTEST_MAIN(tst_About)
#include "tst_about.moc"
