// The outside-program look-ups: desktop entry command lines, the browser
// association, the terminal for telnet.
#include "DesktopSandbox.h"
#include "core/launch/BrowserLookup.h"
#include "core/launch/TelnetLaunch.h"

#include <QtTest>

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
    QTest::addColumn<QStringList>("command"); // empty: no command
    QTest::newRow("field codes dropped") << "/opt/web/browser --new-window %U %i %c"
                                         << QStringList{"/opt/web/browser", "--new-window"};
    QTest::newRow("quotes and escapes")
        << R"("/opt/my web/run" "a\\\\b" "c\\"d" "" 100%%)"
        << QStringList{"/opt/my web/run", R"(a\b)", R"(c"d)", "", "100%"};
    QTest::newRow("no shell") << "env A=1 web; rm -rf x %u"
                              << QStringList{"env", "A=1", "web;", "rm", "-rf", "x"};
    QTest::newRow("blanks") << "   " << QStringList{};
    QTest::newRow("only a field code") << "%u" << QStringList{};
    QTest::newRow("unterminated quote") << "\"/opt/web %u" << QStringList{};
}

void LaunchTest::execLine()
{
    QFETCH(QString, exec);
    QFETCH(QStringList, command);
    const std::optional<ProgramCommand> parsed = commandOfExecLine(exec);
    QCOMPARE(parsed ? QStringList{parsed->program} + parsed->arguments : QStringList{}, command);
}

void LaunchTest::browserAssociation_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QStringList>("command"); // program and arguments; empty: none found

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
        << QStringList{"web", "--new-window"};
    QTest::newRow("http link beats HTML file, wherever it is")
        << Files{{"config/mimeapps.list", defaults("text/html", "html.desktop")},
                 {"sysdata/applications/defaults.list",
                  defaults("x-scheme-handler/http", "web.desktop")},
                 {"data/applications/html.desktop", entry("html %u")},
                 {"data/applications/web.desktop", entry("web %u")}}
        << QStringList{"web"};
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
        << QStringList{"user-web"};
    QTest::newRow("no association: x-www-browser")
        << Files{{"bin/x-www-browser", "#!/bin/sh\n"},
                 {"config/mimeapps.list", defaults("text/plain", "web.desktop")},
                 {"data/applications/web.desktop", entry("web")}}
        << QStringList{"bin/x-www-browser"};
    QTest::newRow("nothing at all") << Files{} << QStringList{};
}

void LaunchTest::browserAssociation()
{
    QFETCH(Files, files);
    QFETCH(QStringList, command);
    DesktopSandbox sandbox;
    for (const auto &[name, bytes] : files)
        sandbox.write(name, bytes, name.startsWith(QLatin1String("bin/")));
    if (command.value(0).startsWith(QLatin1String("bin/")))
        command[0] = sandbox.path(command[0]);
    const std::optional<ProgramCommand> browser = findBrowser();
    QCOMPARE(browser ? QStringList{browser->program} + browser->arguments : QStringList{}, command);
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
