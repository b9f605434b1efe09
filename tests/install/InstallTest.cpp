#include "InstallTest.h"

#include "ScriptedPrompts.h"
#include "TestContext.h"
#include "core/session/AppContext.h"
#include "gui/ToolTable.h"
#include "gui/shell/MainWindow.h"
#include "gui/shell/Startup.h"

#include <QAction>
#include <QApplication>
#include <QCryptographicHash>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTest>
#include <memory>

namespace {

struct Outcome {
    bool ok = false;
    QByteArray output;
};

// Runs a program to its end with an argument list; builds may take a while on
// a loaded machine.
Outcome run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    const bool finished = process.waitForFinished(240000);
    Outcome outcome;
    outcome.output = process.readAll();
    outcome.ok =
        finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!outcome.ok)
        outcome.output.prepend((program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) +
                                QStringLiteral(" failed:\n"))
                                   .toLocal8Bit());
    return outcome;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Every file and folder below `folder` with a digest of its content.
QMap<QString, QByteArray> snapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        entries.insert(path,
                       QFileInfo(path).isDir()
                           ? QByteArray("<folder>")
                           : QCryptographicHash::hash(readFile(path), QCryptographicHash::Sha256));
    }
    return entries;
}

// The "key<separator>value" lines of a text (a desktop entry, a control file).
QMap<QString, QString> keyValues(const QByteArray &text, char separator)
{
    QMap<QString, QString> keys;
    for (const QByteArray &line : text.split('\n')) {
        const int at = line.indexOf(separator);
        if (at > 0 && !line.startsWith(' '))
            keys.insert(QString::fromUtf8(line.left(at)),
                        QString::fromUtf8(line.mid(at + 1)).trimmed());
    }
    return keys;
}

// Runs an installed program to its end and returns its standard output.
QByteArray outputOf(const QString &program, const QStringList &arguments,
                    const QProcessEnvironment &environment, int *exitCode = nullptr)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(60000))
        return QByteArray("<did not finish>");
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return process.readAllStandardOutput();
}

// Every option name a text shows ("-c", "--count"), not the hyphens inside words.
QSet<QString> optionNames(const QString &text)
{
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--?[A-Za-z][\\w-]*"));
    QSet<QString> names;
    for (const QRegularExpressionMatch &match : option.globalMatch(text))
        names.insert(match.captured());
    return names;
}

// A manual page as its reader sees the words: fonts, minus signs and
// zero-width escapes taken out.
QString pageWords(const QString &compressedPage)
{
    QString text =
        QString::fromUtf8(outputOf(QStringLiteral("gzip"), {QStringLiteral("-dc"), compressedPage},
                                   QProcessEnvironment::systemEnvironment()));
    static const QRegularExpression escapes(QStringLiteral("\\\\f[BIRP]|\\\\&"));
    return text.remove(escapes).replace(QStringLiteral("\\-"), QStringLiteral("-"));
}

// One start of the program inside this process, on the paths that the program
// decides for an executable in `binFolder` (what the menu entry starts can
// only be watched from outside; this is the same code on the same files).
struct InProcessStart {
    ScriptedPrompts prompts;
    AppContext context;
    std::unique_ptr<Startup> startup;

    explicit InProcessStart(const QString &binFolder)
    {
        context.paths = programPathsFor(binFolder);
        context.prompts = &prompts;
        context.intervals.splashMs = 50;
        startup = std::make_unique<Startup>(context, programTools());
        startup->Main();
    }

    QWidget *openViewer() const
    {
        startup->mainWindow()->findChild<QAction *>(QStringLiteral("mnuViewDataFile"))->trigger();
        for (QWidget *window : QApplication::topLevelWidgets())
            if (window->objectName() == QLatin1String("frmDataFile"))
                return window;
        return nullptr;
    }
};

void click(QWidget *dialog, const char *button)
{
    QTest::mouseClick(dialog->findChild<QPushButton *>(QString::fromLatin1(button)),
                      Qt::LeftButton);
}

} // namespace

void InstallTest::initTestCase()
{
    QVERIFY(m_prefix.isValid() && m_home.isValid());
    const Outcome installed = run(QStringLiteral(CFG_CMAKE_COMMAND),
                                  {QStringLiteral("--install"), QStringLiteral(CFG_BUILD_DIR),
                                   QStringLiteral("--prefix"), m_prefix.path()});
    QVERIFY2(installed.ok, installed.output.constData());

    // A technician's session with nothing of the program yet; the in-process
    // starts read the same variables as the started program.
    m_environment = QProcessEnvironment::systemEnvironment();
    const QList<std::pair<QString, QString>> variables = {
        {QStringLiteral("HOME"), m_home.path()},
        {QStringLiteral("XDG_CONFIG_HOME"), home(QStringLiteral("config"))},
        {QStringLiteral("XDG_DATA_HOME"), home(QStringLiteral("data"))},
        {QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen")}};
    for (const auto &[name, value] : variables) {
        m_environment.insert(name, value);
        qputenv(name.toLatin1().constData(), value.toLocal8Bit());
    }
}

void InstallTest::installedLayout()
{
    for (const char *path :
         {"bin/ConfigUtility", "bin/cfgutil", "share/configutility/ConfigUtility.ini",
          "share/configutility/ProductInfobase.txt", "share/configutility/Graphics/appicon.png",
          "share/configutility/Firmware", "share/applications/configutility.desktop",
          "share/icons/hicolor/64x64/apps/configutility.png", "share/doc/configutility/cfgutil.md",
          "share/doc/configutility/copyright", "share/doc/configutility/changelog.gz",
          "share/man/man1/cfgutil.1.gz", "share/man/man1/ConfigUtility.1.gz",
          "share/bash-completion/completions/cfgutil",
          "share/metainfo/com.example.configutility.metainfo.xml"})
        QVERIFY2(QFileInfo::exists(prefix(QString::fromLatin1(path))), path);
    // Only the two programs: the simulator, tests and benchmarks stay in the build.
    QCOMPARE(QDir(prefix(QStringLiteral("bin")))
                 .entryList(QDir::Files | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase),
             (QStringList{QStringLiteral("cfgutil"), QStringLiteral("ConfigUtility")}));

    // The menu entry starts the installed program with the installed icon.
    const auto entry = keyValues(
        readFile(prefix(QStringLiteral("share/applications/configutility.desktop"))), '=');
    QCOMPARE(entry.value(QStringLiteral("Type")), QStringLiteral("Application"));
    QVERIFY(QFileInfo(prefix(QStringLiteral("bin/") + entry.value(QStringLiteral("Exec"))))
                .isExecutable());
    QVERIFY(
        QFileInfo::exists(prefix(QStringLiteral("share/icons/hicolor/64x64/apps/") +
                                 entry.value(QStringLiteral("Icon")) + QStringLiteral(".png"))));
    QVERIFY(entry.value(QStringLiteral("Categories")).split(QLatin1Char(';')).contains("Network"));

    // The command line finds the shipped files as the windows do, and gives
    // its user a settings file of their own (in folders of its own here, so
    // that the windows' first start below still finds none) once it runs a
    // command: its help makes nothing.
    QProcess cli;
    QProcessEnvironment environment = m_environment;
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home(QStringLiteral("cli-config")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home(QStringLiteral("cli-data")));
    cli.setProcessEnvironment(environment);
    cli.start(prefix(QStringLiteral("bin/cfgutil")), {QStringLiteral("--help")});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    QVERIFY(cli.readAllStandardOutput().contains("Exit status:"));
    QVERIFY(!QFileInfo::exists(home(QStringLiteral("cli-config"))));
    QVERIFY(!QFileInfo::exists(home(QStringLiteral("cli-data"))));
    // Refused for its missing file, before anything is sent.
    cli.start(prefix(QStringLiteral("bin/cfgutil")),
              {QStringLiteral("load-firmware"), QStringLiteral("127.0.0.1"), home("none.rom")});
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 2);
    QCOMPARE(readFile(home(QStringLiteral("cli-config/configutility/ConfigUtility.ini"))),
             readFile(prefix(QStringLiteral("share/configutility/ConfigUtility.ini"))));
}

void InstallTest::installedProgramKeepsUserFilesInXdgFolders()
{
    const QString share = prefix(QStringLiteral("share/configutility"));
    ReadOnlyMount readOnly(share);
    if (!readOnly.usable())
        QSKIP("the share folder cannot be made read-only here (root without a private mount "
              "namespace)");
    const auto shipped = snapshot(share);
    const QString userSettings = home(QStringLiteral("config/configutility/ConfigUtility.ini"));
    const QString userData = home(QStringLiteral("data/configutility"));

    // First start: the installed program itself makes the user's settings file.
    QProcess program;
    program.setProcessEnvironment(m_environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    program.start(prefix(QStringLiteral("bin/ConfigUtility")), {});
    QVERIFY2(program.waitForStarted(60000), qPrintable(program.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(
        QFileInfo::exists(userSettings) || program.state() == QProcess::NotRunning, 60000);
    const bool running = program.state() == QProcess::Running;
    program.kill();
    program.waitForFinished(60000);
    QVERIFY2(running, program.readAll().constData());
    QCOMPARE(readFile(userSettings), readFile(share + QStringLiteral("/ConfigUtility.ini")));
    QVERIFY(QFileInfo(userData + QStringLiteral("/Firmware")).isDir());

    // Second start: an error goes to the user's log, a save remembers its file.
    {
        InProcessStart start(prefix(QStringLiteral("bin")));
        QCOMPARE(start.context.paths.mode, ProgramPaths::Mode::Installed);
        QVERIFY(!start.startup->mainWindow()->windowIcon().isNull()); // the shipped picture
        QWidget *viewer = start.openViewer();
        QVERIFY(viewer);
        QFile(userData + QStringLiteral("/empty.txt")).open(QIODevice::WriteOnly);
        start.prompts.choosePath(userData + QStringLiteral("/empty.txt"));
        click(viewer, "cmdImportDataFile");
        QVERIFY(readFile(userData + QStringLiteral("/ErrorLog.txt"))
                    .contains("\"cmdImportDataFile_Click in View Data File\",62,"));

        start.prompts.choosePath(userData + QStringLiteral("/devices.txt"));
        click(viewer, "cmdSaveDataFile");
        QCOMPARE(start.prompts.shown().last().kind, ScriptedPrompts::Shown::SaveFile);
        QCOMPARE(start.prompts.shown().last().request.initialFolder, userData);
        QVERIFY(QFileInfo::exists(userData + QStringLiteral("/devices.txt")));
    }

    // Third start: the data file's location is remembered.
    {
        InProcessStart start(prefix(QStringLiteral("bin")));
        QCOMPARE(start.context.settings.DatabaseFileDir.trimmed(), userData + QLatin1Char('/'));
        QCOMPARE(start.context.settings.DatabaseFileName.trimmed(), QStringLiteral("devices.txt"));
        QWidget *viewer = start.openViewer();
        QVERIFY(viewer);
        QCOMPARE(viewer->windowTitle(), QStringLiteral("View Data File - devices.txt"));
    }
    QCOMPARE(snapshot(share), shipped);
}

void InstallTest::programsAnswerWithoutADisplay_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("says"); // the whole output, or its start when not a line
    const QString version = QStringLiteral(" " CFG_PROJECT_VERSION "\n");
    QTest::newRow("ConfigUtility version") << "bin/ConfigUtility"
                                           << "--version"
                                           << "ConfigUtility" + version;
    QTest::newRow("ConfigUtility help") << "bin/ConfigUtility"
                                        << "--help"
                                        << "Usage: ConfigUtility";
    QTest::newRow("cfgutil version") << "bin/cfgutil"
                                     << "--version"
                                     << "cfgutil" + version;
    QTest::newRow("devsim version") << CFG_BUILD_DIR "/bin/devsim"
                                    << "--version"
                                    << "devsim" + version;
}

void InstallTest::programsAnswerWithoutADisplay()
{
    QFETCH(QString, program);
    QFETCH(QString, argument);
    QFETCH(QString, says);
    QProcessEnvironment environment = m_environment;
    for (const char *display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(display));
    int exitCode = -1;
    const QString out =
        QString::fromUtf8(outputOf(program.startsWith(QLatin1Char('/')) ? program : prefix(program),
                                   {argument}, environment, &exitCode));
    QCOMPARE(exitCode, 0);
    QCOMPARE(says.endsWith(QLatin1Char('\n')) ? out : out.left(says.size()), says);
}

void InstallTest::manualPagesListEveryOptionOfTheHelp_data()
{
    QTest::addColumn<QString>("program");
    QTest::newRow("cfgutil") << "cfgutil";
    QTest::newRow("ConfigUtility") << "ConfigUtility";
}

void InstallTest::manualPagesListEveryOptionOfTheHelp()
{
    QFETCH(QString, program);
    const QString binary = prefix(QStringLiteral("bin/") + program);
    const QString help =
        QString::fromUtf8(outputOf(binary, {QStringLiteral("--help")}, m_environment));
    const QString page = pageWords(prefix(QStringLiteral("share/man/man1/%1.1.gz").arg(program)));
    QVERIFY2(page.contains(QStringLiteral(".SH OPTIONS")), qPrintable(page.left(200)));

    // Each command of the help, and what its own help says.
    QStringList texts{help};
    static const QRegularExpression command(QStringLiteral("^  ([a-z][a-z-]+)\\b"),
                                            QRegularExpression::MultilineOption);
    QStringList commands;
    for (const QRegularExpressionMatch &match : command.globalMatch(help))
        commands.append(match.captured(1));
    for (const QString &name : std::as_const(commands))
        texts.append(
            QString::fromUtf8(outputOf(binary, {name, QStringLiteral("--help")}, m_environment)));
    QCOMPARE(commands.isEmpty(), program == QLatin1String("ConfigUtility"));

    QSet<QString> options;
    for (const QString &text : std::as_const(texts))
        options.unite(optionNames(text));
    QVERIFY(options.contains(QStringLiteral("--version")));
    QStringList missing;
    for (const QString &word :
         std::as_const(options) + QSet<QString>(commands.begin(), commands.end()))
        if (!QRegularExpression(
                 QStringLiteral("(?<![\\w-])%1(?![\\w-])").arg(QRegularExpression::escape(word)))
                 .match(page)
                 .hasMatch())
            missing.append(word);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(QLatin1Char(' '))));
}

void InstallTest::bashCompletesCfgutil_data()
{
    QTest::addColumn<QString>("line"); // typed up to the cursor; %dir: a folder with fw.rom
    QTest::addColumn<QStringList>("offered");
    QTest::addColumn<QStringList>("notOffered");
    QTest::newRow("command") << "cfgutil d" << QStringList{"discover", "doctor"}
                             << QStringList{"query"};
    QTest::newRow("command to help with")
        << "cfgutil help load" << QStringList{"load-firmware", "load-web"} << QStringList{"help"};
    QTest::newRow("options of the command and of every command")
        << "cfgutil ping 127.0.0.1 -" << QStringList{"-c", "--count", "--json", "--version"}
        << QStringList{"--file", "--interface"};
    QTest::newRow("option after another's value")
        << "cfgutil save 127.0.0.1 --file x --t" << QStringList{"--timeout"} << QStringList{};
    QTest::newRow("interface name")
        << "cfgutil discover --interface l" << QStringList{"lo"} << QStringList{};
    QTest::newRow("interface name after a comma")
        << "cfgutil discover --interface lo,l" << QStringList{"lo,lo"} << QStringList{};
    QTest::newRow("web directory") << "cfgutil load-web 127.0.0.1 x.wpk --destination WEB"
                                   << QStringList{"WEB1", "WEB6"} << QStringList{"WEB7"};
    QTest::newRow("confirmation") << "cfgutil assign 10.0.0.9 02-00-00-14-01-18 --confirm p"
                                  << QStringList{"ping"} << QStringList{"query", "--force"};
    QTest::newRow("file operand") << "cfgutil load-firmware 127.0.0.1 %dir/f"
                                  << QStringList{"%dir/fw.rom"} << QStringList{};
    QTest::newRow("address operand is no file")
        << "cfgutil load-firmware %dir/f" << QStringList{} << QStringList{"%dir/fw.rom"};
    QTest::newRow("file value") << "cfgutil commission plan.csv --report %dir/f"
                                << QStringList{"%dir/fw.rom"} << QStringList{};
    QTest::newRow("operands only after --")
        << "cfgutil query -- -" << QStringList{} << QStringList{"--timeout", "--json"};
}

void InstallTest::bashCompletesCfgutil()
{
    QFETCH(QString, line);
    QFETCH(QStringList, offered);
    QFETCH(QStringList, notOffered);
    const QString framework = QStringLiteral("/usr/share/bash-completion/bash_completion");
    if (!QFileInfo::exists(framework))
        QSKIP("bash-completion is not installed; scripts/install-deps.sh installs it");
    QTemporaryDir dir;
    QFile(dir.filePath(QStringLiteral("fw.rom"))).open(QIODevice::WriteOnly);
    for (QStringList *words : {&offered, &notOffered})
        words->replaceInStrings(QStringLiteral("%dir"), dir.path());

    // As bash calls the function for the word at the cursor.
    const QString script = QStringLiteral(
        "source \"$1\"; source \"$2\"\n"
        "COMP_LINE=$3 COMP_POINT=${#3}\n"
        "read -ra COMP_WORDS <<<\"$3\"; COMP_CWORD=$((${#COMP_WORDS[@]} - 1))\n"
        "_cfgutil cfgutil \"${COMP_WORDS[COMP_CWORD]}\" \"${COMP_WORDS[COMP_CWORD - 1]}\"\n"
        "printf '%s\\n' \"${COMPREPLY[@]}\"\n");
    int exitCode = -1;
    const QStringList replies =
        QString::fromUtf8(
            outputOf(QStringLiteral("bash"),
                     {QStringLiteral("-c"), script, QStringLiteral("bash"), framework,
                      prefix(QStringLiteral("share/bash-completion/completions/cfgutil")),
                      QString(line).replace(QStringLiteral("%dir"), dir.path())},
                     m_environment, &exitCode))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(exitCode, 0);
    for (const QString &word : std::as_const(offered))
        QVERIFY2(replies.contains(word), qPrintable(word + " not in: " + replies.join(' ')));
    for (const QString &word : std::as_const(notOffered))
        QVERIFY2(!replies.contains(word), qPrintable(word + " in: " + replies.join(' ')));
}

void InstallTest::metadataPassesItsValidators()
{
    for (const char *tool : {"desktop-file-validate", "appstreamcli"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP("the validators are not installed; scripts/install-deps.sh installs them");
    const Outcome entry = run(QStringLiteral("desktop-file-validate"),
                              {prefix(QStringLiteral("share/applications/configutility.desktop"))});
    QVERIFY2(entry.ok && entry.output.isEmpty(), entry.output.constData());
    // --no-net: the screenshot and home page addresses are not fetched.
    const Outcome metainfo =
        run(QStringLiteral("appstreamcli"),
            {QStringLiteral("validate"), QStringLiteral("--no-net"), QStringLiteral("--pedantic"),
             prefix(QStringLiteral("share/metainfo/com.example.configutility.metainfo.xml"))});
    QVERIFY2(metainfo.ok, metainfo.output.constData());
}

void InstallTest::packageListsDependencies()
{
    for (const char *tool : {"dpkg-deb", "dpkg-shlibdeps", "file"})
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            QSKIP("the package tools (dpkg-dev) are not installed; scripts/install-deps.sh "
                  "installs them");
    QTemporaryDir out;
    const Outcome packed =
        run(QStringLiteral(CFG_CPACK_COMMAND),
            {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
             QStringLiteral(CFG_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), out.path()});
    QVERIFY2(packed.ok, packed.output.constData());
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("*.deb")}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    const QString deb = out.filePath(debs.first());

    const Outcome fields = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-f"), deb});
    QVERIFY2(fields.ok, fields.output.constData());
    const auto control = keyValues(fields.output, ':');
    QCOMPARE(control.value(QStringLiteral("Package")), QStringLiteral("configutility"));
    // Found from the program's shared libraries, not written by hand.
    const QString depends = control.value(QStringLiteral("Depends"));
    for (const char *library : {"libc6", "libqt6core6", "libqt6widgets6", "libqt6network6"})
        QVERIFY2(depends.contains(QLatin1String(library)), qPrintable(depends));
    QCOMPARE(control.value(QStringLiteral("Recommends")),
             QStringLiteral("inetutils-telnet, xterm"));

    const Outcome listing = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-c"), deb});
    QVERIFY2(listing.ok, listing.output.constData());
    for (const char *path : {"./usr/bin/ConfigUtility", "./usr/bin/cfgutil",
                             "./usr/share/configutility/ConfigUtility.ini",
                             "./usr/share/applications/configutility.desktop"})
        QVERIFY2(listing.output.contains(path), path);
    QVERIFY(!listing.output.contains("devsim"));

    // Debian's own checks: no error and no warning (informational tags may stay).
    if (QStandardPaths::findExecutable(QStringLiteral("lintian")).isEmpty())
        QSKIP("lintian is not installed; scripts/install-deps.sh installs it");
    const Outcome lintian = run(QStringLiteral("lintian"),
                                {QStringLiteral("--fail-on"), QStringLiteral("error,warning"),
                                 QStringLiteral("--tag-display-limit"), QStringLiteral("0"), deb});
    static const QRegularExpression tag(QStringLiteral("^[EW]: "),
                                        QRegularExpression::MultilineOption);
    QVERIFY2(lintian.ok && !tag.match(QString::fromUtf8(lintian.output)).hasMatch(),
             lintian.output.constData());
}
