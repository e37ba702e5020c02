#include "buildinfo.h"
#include "testbench.h"
#include "utilities/updaterlocation.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QXmlStreamReader>

namespace {

const QString AppId = QString::fromLatin1(BuildInfo::AppId);
const QString Version = QStringLiteral(LUMARET_CONFIGURED_VERSION);
const QString Homepage = QStringLiteral(LUMARET_CONFIGURED_HOMEPAGE);
const QString BuildDir = QStringLiteral(LUMARET_BUILD_DIR);
const QString Programs = QStringLiteral(LUMARET_INSTALL_BINDIR);
const QString PrivateFolder = QStringLiteral(LUMARET_INSTALL_PRIVATEDIR);
const QString Data = QStringLiteral(LUMARET_INSTALL_DATADIR);
const QString Manuals = QStringLiteral(LUMARET_INSTALL_MANDIR) + QStringLiteral("/man1/");
const QString DesktopEntry =
    Data + QStringLiteral("/applications/") + AppId + QStringLiteral(".desktop");
const QString Metainfo =
    Data + QStringLiteral("/metainfo/") + AppId + QStringLiteral(".metainfo.xml");
const QString ScalableIcon =
    Data + QStringLiteral("/icons/hicolor/scalable/apps/") + AppId + QStringLiteral(".svg");
constexpr int IconSizes[] = {48, 128, 256};

QStringList installedPrograms() {
    return QStringLiteral(LUMARET_INSTALLED_PROGRAMS).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

QString iconPicture(int size) {
    return QStringLiteral("%1/icons/hicolor/%2x%2/apps/%3.png").arg(Data).arg(size).arg(AppId);
}

// Every file an install puts under its prefix.
QStringList expectedFiles() {
    QStringList files{PrivateFolder + QStringLiteral("/update"), DesktopEntry, Metainfo,
                      ScalableIcon};
    for (const QString& program : installedPrograms())
        files << Programs + QLatin1Char('/') + program
              << Manuals + program + QStringLiteral(".1.gz");
    for (int size : IconSizes)
        files << iconPicture(size);
    files << Data + QStringLiteral("/doc/lumaret/copyright")
          << Data + QStringLiteral("/doc/lumaret/changelog.gz");
    files.sort();
    return files;
}

QStringList filesUnder(const QString& root) {
    QStringList files;
    QDirIterator entries(root, QDir::Files | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
    while (entries.hasNext())
        files.append(QDir(root).relativeFilePath(entries.next()));
    files.sort();
    return files;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct Outcome {
    int exitCode = -1; // -1: it did not run to a normal end
    QString output;
    QString errors;
    QString all() const { return output + errors; }
};

Outcome run(const QString& program, const QStringList& arguments,
            const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment(),
            const QByteArray& input = QByteArray()) {
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    Outcome outcome;
    const bool ended = process.waitForFinished(120000);
    outcome.output = QString::fromLocal8Bit(process.readAllStandardOutput());
    outcome.errors = QString::fromLocal8Bit(process.readAllStandardError());
    if (!ended || process.exitStatus() != QProcess::NormalExit) {
        outcome.errors += program + QStringLiteral(": ") + process.errorString();
        process.kill();
        process.waitForFinished();
        return outcome;
    }
    outcome.exitCode = process.exitCode();
    return outcome;
}

// The environment of a machine without any display.
QProcessEnvironment headless() {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(variable));
    return environment;
}

// A tool that the tests need and scripts/test installs; its path, or "" when missing.
QString tool(const char* name) {
    return QStandardPaths::findExecutable(QLatin1String(name));
}

// The options a --help text lists: "  -h, --help    Text" and "  --link <PATH>  Text".
QStringList optionsListedIn(const QString& help) {
    static const QRegularExpression entry(QStringLiteral("^  (-\\S.*?)(?:\\s{2,}|$)"));
    QStringList options;
    for (const QString& line : help.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = entry.match(line);
        if (!match.hasMatch())
            continue;
        for (const QString& option : match.captured(1).split(QStringLiteral(", ")))
            options.append(option.section(QLatin1Char(' '), 0, 0));
    }
    return options;
}

// The text of a section of a rendered manual page: the lines after its heading, up to
// the next heading.
QString sectionOf(const QString& page, const QString& heading) {
    QStringList lines;
    bool inside = false;
    for (const QString& line : page.split(QLatin1Char('\n'))) {
        if (!line.isEmpty() && !line.front().isSpace()) {
            inside = line == heading;
            continue;
        }
        if (inside)
            lines.append(line.trimmed());
    }
    return lines.join(QLatin1Char('\n')).trimmed();
}

// The texts of the desktop metadata's leaf elements by name, in order; a release
// gives its version.
QMap<QString, QStringList> metainfoElements(const QByteArray& xml) {
    static const QStringList leaves{QStringLiteral("id"),     QStringLiteral("launchable"),
                                    QStringLiteral("binary"), QStringLiteral("url"),
                                    QStringLiteral("image"),  QStringLiteral("project_license")};
    QMap<QString, QStringList> elements;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        const QString name = reader.name().toString();
        if (name == QLatin1String("release"))
            elements[name].append(reader.attributes().value(QLatin1String("version")).toString());
        else if (leaves.contains(name))
            elements[name].append(reader.readElementText());
    }
    return elements;
}

} // namespace

// Lumaret installed: into a staging prefix (cmake --install), and as a Debian package.
class tst_Install : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void installsTheProgramsAndTheirFiles();
    void startsFromTheStagedInstall();
    void theWindowIconIsTheInstalledIcon();
    void desktopFilesPassTheirValidators();
    void manualPagesListEveryOption();
    void packageHoldsTheInstalledFiles();

private:
    QString staged(const QString& path) const { return m_staging.filePath(path); }

    QTemporaryDir m_staging;
};

void tst_Install::initTestCase() {
    QVERIFY(m_staging.isValid());
    const Outcome install =
        run(QStringLiteral(LUMARET_CMAKE),
            {QStringLiteral("--install"), BuildDir, QStringLiteral("--prefix"), m_staging.path()});
    QVERIFY2(install.exitCode == 0, qPrintable(install.all()));
}

void tst_Install::installsTheProgramsAndTheirFiles() {
    // Nothing called update on the PATH: it lies in the private folder, where the
    // installed program finds it, and runs from there.
    QCOMPARE(filesUnder(m_staging.path()), expectedFiles());
    QCOMPARE(UpdaterLocation::folder(staged(Programs),
                                     QString::fromLatin1(BuildInfo::PrivateFolderFromPrograms)),
             QDir::toNativeSeparators(staged(PrivateFolder)) + QDir::separator());
    const Outcome updater = run(staged(PrivateFolder + QStringLiteral("/update")), {});
    QVERIFY2(updater.exitCode == 2 && updater.errors.contains(QStringLiteral("usage: update")),
             qPrintable(updater.all()));
}

void tst_Install::startsFromTheStagedInstall() {
    // Help and version need no display.
    const QString lumaret = staged(Programs + QStringLiteral("/lumaret"));
    const Outcome version = run(lumaret, {QStringLiteral("--version")}, headless());
    QCOMPARE(version.exitCode, 0);
    QCOMPARE(version.output, QStringLiteral("lumaret ") + Version + QLatin1Char('\n'));
    QCOMPARE(version.errors, QString());
    const Outcome help = run(lumaret, {QStringLiteral("--help")}, headless());
    QVERIFY2(help.exitCode == 0 && help.output.startsWith(QStringLiteral("Usage: lumaret")),
             qPrintable(help.all()));
    // Qt takes its own options; the rest is refused with a clear line.
    const Outcome refused = run(lumaret, {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                          QStringLiteral("--verison")});
    QVERIFY2(refused.exitCode == 2 && refused.output.isEmpty() &&
                 refused.errors.contains(QStringLiteral("lumaret: unknown argument \"--verison\"")),
             qPrintable(refused.all()));

    if (!installedPrograms().contains(QStringLiteral("lumaret-board")))
        return;
    const QString board = staged(Programs + QStringLiteral("/lumaret-board"));
    const Outcome boardHelp = run(board, {QStringLiteral("--help")}, headless());
    QVERIFY2(boardHelp.exitCode == 0 && boardHelp.output.contains(QStringLiteral("--baud <N>")),
             qPrintable(boardHelp.all()));
    QCOMPARE(run(board, {QStringLiteral("--version")}, headless()).output,
             QStringLiteral("lumaret-board ") + Version + QLatin1Char('\n'));
}

void tst_Install::theWindowIconIsTheInstalledIcon() {
    // The program draws from the SVG file that is installed.
    const QByteArray installedSvg = readFile(staged(ScalableIcon));
    QVERIFY(!installedSvg.isEmpty());
    QCOMPARE(readFile(QStringLiteral(":/icon/applicationicon.svg")), installedSvg);
    // And the installed pictures are the window icon's pixels.
    TestBench bench;
    const QIcon windowIcon = bench.main().windowIcon();
    for (int size : IconSizes) {
        const QImage installed(staged(iconPicture(size)));
        QCOMPARE(installed.size(), QSize(size, size));
        const QImage shown = windowIcon.pixmap(QSize(size, size)).toImage();
        QCOMPARE(shown.size(), installed.size());
        QCOMPARE(shown.convertToFormat(QImage::Format_ARGB32),
                 installed.convertToFormat(QImage::Format_ARGB32));
        // A picture, not an empty square: the board covers most of it.
        int opaque = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                opaque += qAlpha(installed.pixel(x, y)) == 255;
        QVERIFY2(opaque > size * size / 2, qPrintable(QString::number(opaque)));
    }
}

void tst_Install::desktopFilesPassTheirValidators() {
    const QString desktopEntry = staged(DesktopEntry);
    const QString metainfoFile = staged(Metainfo);
    const QString entryValidator = tool("desktop-file-validate");
    QVERIFY2(!entryValidator.isEmpty(),
             "desktop-file-validate is missing: install desktop-file-utils");
    const Outcome entry = run(entryValidator, {desktopEntry});
    QVERIFY2(entry.exitCode == 0 && entry.all().isEmpty(), qPrintable(entry.all()));
    const QString metainfoValidator = tool("appstreamcli");
    QVERIFY2(!metainfoValidator.isEmpty(), "appstreamcli is missing: install appstream");
    const Outcome metainfoCheck = run(
        metainfoValidator, {QStringLiteral("validate"), QStringLiteral("--no-net"), metainfoFile});
    QVERIFY2(metainfoCheck.exitCode == 0, qPrintable(metainfoCheck.all()));

    // They name the icon, the entry, the programs, this version and the project's page.
    const QStringList lines = QString::fromUtf8(readFile(desktopEntry)).split(QLatin1Char('\n'));
    QVERIFY(lines.contains(QStringLiteral("Icon=") + AppId));
    QVERIFY(lines.contains(QStringLiteral("Exec=lumaret")));
    const QMap<QString, QStringList> metainfo = metainfoElements(readFile(metainfoFile));
    QCOMPARE(metainfo.value(QStringLiteral("id")), QStringList{AppId});
    QCOMPARE(metainfo.value(QStringLiteral("launchable")),
             QStringList{QFileInfo(desktopEntry).fileName()});
    QCOMPARE(metainfo.value(QStringLiteral("binary")), installedPrograms());
    QCOMPARE(metainfo.value(QStringLiteral("release")).value(0), Version);
    QCOMPARE(metainfo.value(QStringLiteral("url")), QStringList{Homepage});
    QCOMPARE(metainfo.value(QStringLiteral("project_license")),
             QStringList{QStringLiteral("Apache-2.0")});
    // The screenshot is one of the project's files, served from its page.
    const QString screenshot = metainfo.value(QStringLiteral("image")).value(0);
    const QString servedFile = screenshot.section(QStringLiteral("/raw/HEAD/"), 1);
    QVERIFY2(screenshot.startsWith(Homepage + QLatin1Char('/')) && !servedFile.isEmpty(),
             qPrintable(screenshot));
    const QImage picture(QStringLiteral(LUMARET_SOURCE_DIR "/") + servedFile);
    QVERIFY2(picture.width() >= 400 && picture.height() >= 300, qPrintable(servedFile));
}

void tst_Install::manualPagesListEveryOption() {
    const QString groff = tool("groff");
    QVERIFY2(!groff.isEmpty(), "groff is missing: install groff-base");
    const QString gzip = tool("gzip");
    QVERIFY(!gzip.isEmpty());
    for (const QString& program : installedPrograms()) {
        const Outcome help = run(staged(Programs + QLatin1Char('/') + program),
                                 {QStringLiteral("--help")}, headless());
        const QStringList options = optionsListedIn(help.output);
        QVERIFY2(options.contains(QStringLiteral("--help")) &&
                     options.contains(QStringLiteral("--version")),
                 qPrintable(program + QStringLiteral(": ") + options.join(QLatin1Char(' '))));

        const Outcome source =
            run(gzip, {QStringLiteral("-dc"), staged(Manuals + program + QStringLiteral(".1.gz"))});
        QCOMPARE(source.exitCode, 0);
        const Outcome page =
            run(groff,
                {QStringLiteral("-man"), QStringLiteral("-Tutf8"), QStringLiteral("-P"),
                 QStringLiteral("-cbou"), QStringLiteral("-ww")},
                QProcessEnvironment::systemEnvironment(), source.output.toUtf8());
        // Rendered without a warning, named, and listing each option.
        QVERIFY2(page.exitCode == 0 && page.errors.isEmpty(), qPrintable(page.all()));
        QVERIFY2(sectionOf(page.output, QStringLiteral("NAME"))
                     .startsWith(program + QStringLiteral(" - ")),
                 qPrintable(page.output));
        const QString listed = sectionOf(page.output, QStringLiteral("OPTIONS"));
        QStringList missing;
        for (const QString& option : options) {
            const QRegularExpression word(QStringLiteral("(^|[^\\w-])") +
                                          QRegularExpression::escape(option) +
                                          QStringLiteral("(?![\\w-])"));
            if (!word.match(listed).hasMatch())
                missing.append(option);
        }
        QVERIFY2(missing.isEmpty(),
                 qPrintable(program + QStringLiteral(" lacks ") + missing.join(QLatin1Char(' '))));
    }
}

void tst_Install::packageHoldsTheInstalledFiles() {
    QString package = qEnvironmentVariable("LUMARET_PACKAGE");
    QTemporaryDir work;
    if (package.isEmpty()) {
        QVERIFY2(!tool("dpkg-shlibdeps").isEmpty(), "dpkg-shlibdeps is missing: install dpkg-dev");
        QVERIFY2(!tool("file").isEmpty(), "file is missing: install file");
        const Outcome made = run(
            QStringLiteral(LUMARET_CPACK),
            {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
             BuildDir + QStringLiteral("/CPackConfig.cmake"), QStringLiteral("-B"), work.path()});
        QVERIFY2(made.exitCode == 0, qPrintable(made.all()));
        const QStringList packages =
            QDir(work.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
        QCOMPARE(packages.size(), 1);
        package = work.filePath(packages[0]);
    }
    const QString architecture =
        run(QStringLiteral("dpkg"), {QStringLiteral("--print-architecture")}).output.trimmed();
    QCOMPARE(QFileInfo(package).fileName(), QStringLiteral("lumaret_") + Version +
                                                QLatin1Char('_') + architecture +
                                                QStringLiteral(".deb"));

    // Its fields.
    QMap<QString, QString> fields;
    const Outcome control = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), package});
    QCOMPARE(control.exitCode, 0);
    for (const QString& line : control.output.split(QLatin1Char('\n'))) {
        if (!line.isEmpty() && !line.front().isSpace())
            fields.insert(line.section(QStringLiteral(": "), 0, 0),
                          line.section(QStringLiteral(": "), 1));
    }
    QCOMPARE(fields.value(QStringLiteral("Package")), QStringLiteral("lumaret"));
    QCOMPARE(fields.value(QStringLiteral("Version")), Version);
    QCOMPARE(fields.value(QStringLiteral("Architecture")), architecture);
    QCOMPARE(fields.value(QStringLiteral("Section")), QStringLiteral("electronics"));
    QCOMPARE(fields.value(QStringLiteral("Homepage")), Homepage);
    QVERIFY2(QRegularExpression(QStringLiteral("^[^<>]+ <[^<>@\\s]+@[^<>@\\s]+>$"))
                 .match(fields.value(QStringLiteral("Maintainer")))
                 .hasMatch(),
             qPrintable(fields.value(QStringLiteral("Maintainer"))));
    QStringList depends;
    for (const QString& dependency :
         fields.value(QStringLiteral("Depends")).split(QStringLiteral(", ")))
        depends.append(dependency.section(QLatin1Char(' '), 0, 0));
    for (const char* needed :
         {"libc6", "libstdc++6", "libqt6core6", "libqt6gui6", "libqt6widgets6", "libqt6serialport6",
          "libqt6svg6", "qt6-qpa-plugins", "fonts-dejavu-core"})
        QVERIFY2(depends.contains(QLatin1String(needed)), needed);

    // Its files: those of the staged install, under /usr, owned by root.
    const Outcome contents = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), package});
    QCOMPARE(contents.exitCode, 0);
    static const QRegularExpression entry(
        QStringLiteral("^(\\S+) (\\S+)\\s+\\d+ \\S+ \\S+ \\./(\\S*)$"));
    QStringList files;
    QStringList programs;
    for (const QString& line : contents.output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QRegularExpressionMatch match = entry.match(line);
        QVERIFY2(match.hasMatch(), qPrintable(line));
        QVERIFY2(match.captured(3).startsWith(QStringLiteral("usr/")) &&
                     match.captured(2) == QStringLiteral("root/root"),
                 qPrintable(line));
        if (match.captured(1).startsWith(QLatin1Char('d')))
            continue;
        files.append(match.captured(3).mid(4));
        if (match.captured(1) == QStringLiteral("-rwxr-xr-x"))
            programs.append(match.captured(3).mid(4));
    }
    files.sort();
    QCOMPARE(files, expectedFiles());
    QStringList expectedPrograms{PrivateFolder + QStringLiteral("/update")};
    for (const QString& program : installedPrograms())
        expectedPrograms.append(Programs + QLatin1Char('/') + program);
    programs.sort();
    expectedPrograms.sort();
    QCOMPARE(programs, expectedPrograms);

    // A distribution would take it: its licence in the machine-readable format, and no
    // lintian error (where lintian is installed; scripts/package --check installs it).
    const QString extracted = work.filePath(QStringLiteral("root"));
    QCOMPARE(run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), package, extracted}).exitCode,
             0);
    const QByteArray copyright =
        readFile(extracted + QStringLiteral("/usr/share/doc/lumaret/copyright"));
    QVERIFY(copyright.startsWith("Format: https://www.debian.org/doc/packaging-manuals/"
                                 "copyright-format/1.0/\n"));
    QVERIFY(copyright.contains("\nLicense: Apache-2.0\n"));
    if (const QString lintian = tool("lintian"); !lintian.isEmpty()) {
        const Outcome checked =
            run(lintian, {QStringLiteral("--fail-on"), QStringLiteral("error"), package});
        QVERIFY2(checked.exitCode == 0, qPrintable(checked.all()));
    }

    // Nothing in it leads back to the build tree.
    for (const QString& file : filesUnder(extracted))
        QVERIFY2(!readFile(QDir(extracted).filePath(file)).contains(BuildDir.toLocal8Bit()),
                 qPrintable(file));
}

QTEST_MAIN(tst_Install)
#include "tst_install.moc"
