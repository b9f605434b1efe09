// The outside-program look-ups: desktop entry command lines, the browser
// association, the terminal for telnet.
#include "DesktopSandbox.h"
#include "core/launch/BrowserLookup.h"
#include "core/launch/DesktopFiles.h"
#include "core/launch/TelnetLaunch.h"

#include <QtTest>
#include <sys/stat.h>

using Files = QList<QPair<QString, QByteArray>>;

class LaunchTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void execLine_data();
    void execLine();
    void browserAssociation_data();
    void browserAssociation();
    void terminal_data();
    void terminal();
};

void LaunchTest::execLine_data()
{
    QTest::addColumn<QString>("exec");
    QTest::addColumn<QStringList>("command"); // opening 127.0.0.5; empty: no command
    QTest::newRow("field codes") << "/opt/web/browser --new-window %U %i %c"
                                 << QStringList{"/opt/web/browser", "--new-window", "127.0.0.5"};
    QTest::newRow("quotes and escapes")
        << R"("/opt/my web/run" "a\\\\b" "c\\"d" "" 100%%)"
        << QStringList{"/opt/my web/run", R"(a\b)", R"(c"d)", "", "100%", "127.0.0.5"};
    QTest::newRow("no shell") << "env A=1 web; rm -rf x %u"
                              << QStringList{"env", "A=1", "web;", "rm", "-rf", "x", "127.0.0.5"};
    QTest::newRow("inside an argument")
        << "web --url=%u --from=%f%%" << QStringList{"web", "--url=127.0.0.5", "--from=127.0.0.5%"};
    QTest::newRow("where the code stands")
        << "viewer open %u text/html" << QStringList{"viewer", "open", "127.0.0.5", "text/html"};
    QTest::newRow("literal percent is no code")
        << "web 100%%u" << QStringList{"web", "100%u", "127.0.0.5"};
    QTest::newRow("blanks") << "   " << QStringList{};
    QTest::newRow("only a field code") << "%u" << QStringList{};
    QTest::newRow("code in the program") << "/opt/%u/web" << QStringList{};
    QTest::newRow("unterminated quote") << "\"/opt/web %u" << QStringList{};
}

void LaunchTest::execLine()
{
    QFETCH(QString, exec);
    QFETCH(QStringList, command);
    const std::optional<ProgramCommand> parsed = commandOfExecLine(exec);
    QCOMPARE(parsed ? QStringList{parsed->program} + parsed->argumentsFor("127.0.0.5")
                    : QStringList{},
             command);
}

void LaunchTest::browserAssociation_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QStringList>("command"); // program and Exec arguments; empty: none found

    const auto entry = [](const char *exec) {
        return QByteArray("[Desktop Entry]\nExec=") + exec + "\n[Desktop Action New]\nExec=x\n";
    };
    const auto defaults = [](const char *type, const char *ids) {
        return QByteArray("# comment\n[Added Associations]\n") + type +
               "=added.desktop\n[Default Applications]\n" + type + "=" + ids + "\n";
    };
    QTest::newRow("http link in user config")
        << Files{{"config/mimeapps.list", defaults("x-scheme-handler/http", "web.desktop;")},
                 {"sysdata/applications/web.desktop", entry("web --new-window %u")},
                 {"sysdata/applications/added.desktop", entry("added %u")}}
        << QStringList{"web", "--new-window", "%u"};
    QTest::newRow("http link beats HTML file, wherever it is")
        << Files{{"config/mimeapps.list", defaults("text/html", "html.desktop")},
                 {"sysdata/applications/defaults.list",
                  defaults("x-scheme-handler/http", "web.desktop")},
                 {"data/applications/html.desktop", entry("html %u")},
                 {"data/applications/web.desktop", entry("web %u")}}
        << QStringList{"web", "%u"};
    QTest::newRow("user config beats system data; first usable entry of a list")
        << Files{{"config/mimeapps.list", defaults("text/html", "gone.desktop;noexec.desktop;"
                                                                "mine.desktop")},
                 {"sysdata/applications/mimeapps.list", defaults("text/html", "theirs.desktop")},
                 {"data/applications/noexec.desktop", "[Desktop Entry]\nName=x\n"},
                 {"data/applications/mine.desktop", entry("mine")},
                 {"data/applications/theirs.desktop", entry("theirs")}}
        << QStringList{"mine"};
    QTest::newRow("user entry hides the system's")
        << Files{{"sysconfig/mimeapps.list", defaults("text/html", "web.desktop")},
                 {"data/applications/web.desktop", entry("user-web %u")},
                 {"sysdata/applications/web.desktop", entry("system-web %u")}}
        << QStringList{"user-web", "%u"};
    QTest::newRow("no association: x-www-browser")
        << Files{{"bin/x-www-browser", "#!/bin/sh\n"},
                 {"config/mimeapps.list", defaults("text/plain", "web.desktop")},
                 {"data/applications/web.desktop", entry("web")}}
        << QStringList{"bin/x-www-browser"};
    QTest::newRow("hidden: not installed, the system's entry too")
        << Files{{"config/mimeapps.list", defaults("text/html", "gone.desktop;web.desktop")},
                 {"data/applications/gone.desktop", "[Desktop Entry]\nHidden=true\nExec=gone\n"},
                 {"sysdata/applications/gone.desktop", entry("system-gone")},
                 {"sysdata/applications/web.desktop", entry("web")}}
        << QStringList{"web"};
    QTest::newRow("dash for a subfolder")
        << Files{{"config/mimeapps.list", defaults("text/html", "vendor-suite-web.desktop")},
                 {"sysdata/applications/vendor/suite-web.desktop", entry("suite-web")}}
        << QStringList{"suite-web"};
    QTest::newRow("IDs that leave the folder")
        << Files{{"config/mimeapps.list",
                  defaults("text/html",
                           "../out.desktop;..-out.desktop;sub/in.desktop;web.desktop")},
                 {"data/out.desktop", entry("out")},
                 {"data/applications/sub/in.desktop", entry("in")},
                 {"data/applications/web.desktop", entry("web")}}
        << QStringList{"web"};
    // Null bytes: a FIFO in the file's place.
    QTest::newRow("FIFOs and oversized files")
        << Files{{"config/mimeapps.list", QByteArray()},
                 {"sysconfig/mimeapps.list", defaults("text/html", "big.desktop;web.desktop")},
                 {"data/applications/big.desktop",
                  entry("big") + QByteArray(kMaxDesktopFileBytes, '#')},
                 {"data/applications/web.desktop", QByteArray()},
                 {"sysdata/applications/web.desktop", entry("system-web")}}
        << QStringList{"system-web"};
    QTest::newRow("nothing at all") << Files{} << QStringList{};
}

void LaunchTest::browserAssociation()
{
    QFETCH(Files, files);
    QFETCH(QStringList, command);
    DesktopSandbox sandbox;
    QStringList fifos;
    for (const auto &[name, bytes] : files) {
        sandbox.write(name, bytes, name.startsWith(QLatin1String("bin/")));
        if (bytes.isNull()) {
            fifos << sandbox.path(name);
            QVERIFY(QFile::remove(fifos.last()) && ::mkfifo(qPrintable(fifos.last()), 0600) == 0);
        }
    }
    if (command.value(0).startsWith(QLatin1String("bin/")))
        command[0] = sandbox.path(command[0]);
    // A look-up that waits on a FIFO would be freed by this writer, too late.
    QProcess writer;
    if (!fifos.isEmpty())
        writer.start("/bin/sh",
                     QStringList{"-c",
                                 "PATH=/usr/bin:/bin; sleep 5; for f; do : >\"$f\" & done; wait",
                                 "sh"} +
                         fifos);
    QElapsedTimer clock;
    clock.start();
    const std::optional<ProgramCommand> browser = findBrowser();
    QVERIFY(clock.elapsed() < 4000);
    writer.kill();
    writer.waitForFinished();
    QCOMPARE(browser ? QStringList{browser->program} + browser->execArguments : QStringList{},
             command);
}

void LaunchTest::terminal_data()
{
    QTest::addColumn<QStringList>("programs"); // "-name": a file that cannot run
    QTest::addColumn<QString>("chosen");
    QTest::newRow("desktop's terminal first")
        << QStringList{"xterm", "x-terminal-emulator"} << "x-terminal-emulator";
    QTest::newRow("xterm otherwise") << QStringList{"-x-terminal-emulator", "xterm"} << "xterm";
    QTest::newRow("neither") << QStringList{"-x-terminal-emulator"} << "";
}

void LaunchTest::terminal()
{
    QFETCH(QStringList, programs);
    QFETCH(QString, chosen);
    DesktopSandbox sandbox;
    for (const QString &program : programs)
        sandbox.write(QStringLiteral("bin/") + program.mid(program.startsWith('-') ? 1 : 0), {},
                      !program.startsWith('-'));
    const QString bin = sandbox.path(QStringLiteral("bin"));
    QCOMPARE(findTerminal({bin}), chosen.isEmpty() ? QString() : bin + '/' + chosen);
}

QTEST_GUILESS_MAIN(LaunchTest)
#include "main.moc"
