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

    QTest::newRow("field code dropped") << "browser %u" << QStringList{"browser"};
    QTest::newRow("options kept") << "/opt/web/browser --new-window %U"
                                  << QStringList{"/opt/web/browser", "--new-window"};
    QTest::newRow("quoted blanks")
        << "\"/opt/my browser/run\" %f" << QStringList{"/opt/my browser/run"};
    QTest::newRow("quote escapes")
        << R"(run "a\\\\b" "c\\"d" "" x)" << QStringList{"run", R"(a\b)", R"(c"d)", "", "x"};
    QTest::newRow("icon, name, file codes")
        << "run %i %c %k --private" << QStringList{"run", "--private"};
    QTest::newRow("percent sign") << "run 100%%" << QStringList{"run", "100%"};
    QTest::newRow("no shell") << "env A=1 browser; rm -rf x %u"
                              << QStringList{"env", "A=1", "browser;", "rm", "-rf", "x"};
    QTest::newRow("empty") << "" << QStringList{};
    QTest::newRow("blanks") << "   " << QStringList{};
    QTest::newRow("only a field code") << "%u" << QStringList{};
    QTest::newRow("unterminated quote") << "\"/opt/browser %u" << QStringList{};
}

void LaunchTest::execLine()
{
    QFETCH(QString, exec);
    QFETCH(QStringList, command);
    const std::optional<ProgramCommand> parsed = commandOfExecLine(exec);
    if (command.isEmpty()) {
        QVERIFY(!parsed);
        return;
    }
    QVERIFY(parsed);
    QCOMPARE(QStringList{parsed->program} + parsed->arguments, command);
}

void LaunchTest::browserAssociation_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QStringList>("command"); // program (relative to the sandbox) and arguments

    const auto entry = [](const char *exec) {
        return QByteArray("[Desktop Entry]\nName=Web\nExec=") + exec + "\n[Desktop Action New]\n" +
               "Exec=other %u\n";
    };
    const auto defaults = [](const char *type, const char *ids) {
        return QByteArray("# chosen by the user\n[Added Associations]\n") + type +
               "=added.desktop;\n[Default Applications]\n" + type + "=" + ids + "\n";
    };
    QTest::newRow("http link in user config")
        << Files{{"config/mimeapps.list", defaults("x-scheme-handler/http", "web.desktop;")},
                 {"sysdata/applications/web.desktop", entry("web --new-window %u")},
                 {"sysdata/applications/added.desktop", entry("added %u")}}
        << QStringList{"web", "--new-window"};
    QTest::newRow("HTML file when no http link")
        << Files{{"sysconfig/mimeapps.list", defaults("text/html", "web.desktop")},
                 {"data/applications/web.desktop", entry("web %U")}}
        << QStringList{"web"};
    QTest::newRow("http link beats HTML file")
        << Files{{"config/mimeapps.list", defaults("text/html", "html.desktop")},
                 {"sysdata/applications/defaults.list",
                  defaults("x-scheme-handler/http", "web.desktop")},
                 {"data/applications/html.desktop", entry("html %u")},
                 {"data/applications/web.desktop", entry("web %u")}}
        << QStringList{"web"};
    QTest::newRow("user config beats system data")
        << Files{{"config/mimeapps.list", defaults("text/html", "mine.desktop")},
                 {"sysdata/applications/mimeapps.list", defaults("text/html", "theirs.desktop")},
                 {"data/applications/mine.desktop", entry("mine")},
                 {"data/applications/theirs.desktop", entry("theirs")}}
        << QStringList{"mine"};
    QTest::newRow("first installed entry of a list")
        << Files{{"data/applications/mimeapps.list",
                  defaults("text/html", "gone.desktop;noexec.desktop;web.desktop;")},
                 {"sysdata/applications/noexec.desktop", "[Desktop Entry]\nName=x\n"},
                 {"sysdata/applications/web.desktop", entry("web")}}
        << QStringList{"web"};
    QTest::newRow("user entry hides the system's")
        << Files{{"config/mimeapps.list", defaults("text/html", "web.desktop")},
                 {"data/applications/web.desktop", entry("\"/opt/my web/run\" %u")},
                 {"sysdata/applications/web.desktop", entry("system-web %u")}}
        << QStringList{"/opt/my web/run"};
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
    for (const auto &[name, bytes] : files) {
        sandbox.write(name, bytes);
        if (name.startsWith(QLatin1String("bin/")))
            QFile(sandbox.path(name))
                .setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    }
    const std::optional<ProgramCommand> browser = findBrowser();
    if (command.isEmpty()) {
        QVERIFY(!browser);
        return;
    }
    QVERIFY(browser);
    if (command.first().startsWith(QLatin1String("bin/")))
        command.first() = sandbox.path(command.first());
    QCOMPARE(QStringList{browser->program} + browser->arguments, command);
}

void LaunchTest::terminal_data()
{
    QTest::addColumn<QStringList>("programs");
    QTest::addColumn<QString>("chosen");
    QTest::newRow("desktop's terminal first")
        << QStringList{"xterm", "x-terminal-emulator"} << "x-terminal-emulator";
    QTest::newRow("xterm otherwise") << QStringList{"xterm"} << "xterm";
    QTest::newRow("a file that cannot run") << QStringList{"-x-terminal-emulator"} << "";
    QTest::newRow("neither") << QStringList{} << "";
}

void LaunchTest::terminal()
{
    QFETCH(QStringList, programs);
    QFETCH(QString, chosen);
    QTemporaryDir folder;
    for (QString program : programs) {
        const bool runnable = !program.startsWith(QLatin1Char('-'));
        program.remove(0, runnable ? 0 : 1);
        QFile file(folder.filePath(program));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.setPermissions(runnable ? QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                     : QFileDevice::ReadOwner);
    }
    QCOMPARE(findTerminal({folder.path()}), chosen.isEmpty() ? QString() : folder.filePath(chosen));
}

QTEST_GUILESS_MAIN(LaunchTest)
#include "main.moc"
