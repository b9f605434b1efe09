#include "TestToolDialogs.h"

#include "DesktopSandbox.h"
#include "DialogChecks.h"
#include "TestContext.h"
#include "gui/webconfig/WebConfigDialog.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

using Files = QList<QPair<QString, QByteArray>>;

const QByteArray kHttpDefault = "[Default Applications]\nx-scheme-handler/http=web.desktop\n";

QByteArray webEntry(const QString &exec)
{
    return "[Desktop Entry]\nType=Application\nExec=" + exec.toUtf8() + "\n";
}

// A Web Configuration dialog in a temporary desktop.
struct WebRun {
    explicit WebRun(const Files &files)
    {
        for (const auto &[name, bytes] : files)
            sandbox.write(name, bytes);
        t.context.currentDeviceAddress = QStringLiteral("127.0.0.5");
        dialog = std::make_unique<WebConfigDialog>(t.context);
        dialog->setAttribute(Qt::WA_DeleteOnClose, false);
        dialog->show();
    }
    void click() const
    {
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdWebConfig")),
                          Qt::LeftButton);
    }

    DesktopSandbox sandbox;
    TestContext t;
    std::unique_ptr<WebConfigDialog> dialog;
};

} // namespace

// The associated browser gets the trimmed address after its own arguments,
// at each press.
void TestToolDialogs::browserGetsTheAddress()
{
    WebRun run({{QStringLiteral("config/mimeapps.list"), kHttpDefault}});
    const QString browser = run.sandbox.writeStandIn(QStringLiteral("bin/my browser"));
    run.sandbox.write(QStringLiteral("data/applications/web.desktop"),
                      webEntry("\"" + browser + "\" --new-window %u"));
    run.dialog->findChild<QLineEdit *>(QStringLiteral("txtIPAddress"))
        ->setText(QStringLiteral(" 127.0.0.7 "));
    run.click();
    run.click();
    QTRY_COMPARE(DesktopSandbox::runsOf(browser).size(), 2);
    QCOMPARE(DesktopSandbox::runsOf(browser),
             (QList<QStringList>{{"--new-window", "127.0.0.7"}, {"--new-window", "127.0.0.7"}}));
    QCOMPARE(run.t.context.currentDeviceAddress, QStringLiteral("127.0.0.7"));
    QCOMPARE(run.t.prompts.count(), 0);
}

void TestToolDialogs::browserFailures_data()
{
    QTest::addColumn<Files>("files");
    QTest::addColumn<QString>("title");
    QTest::newRow("no association, no x-www-browser")
        << Files{{"data/applications/web.desktop", webEntry("web %u")}} << "Browser Not Found";
    QTest::newRow("associated program missing")
        << Files{{"config/mimeapps.list", kHttpDefault},
                 {"data/applications/web.desktop", webEntry("/nonexistent/web %u")}}
        << "URL Failed";
}

void TestToolDialogs::browserFailures()
{
    QFETCH(Files, files);
    QFETCH(QString, title);
    WebRun run(files);
    run.click();
    const QStringList messages{title + "|Exclamation|*"};
    QCOMPARE(said(run.t.prompts, messages), messages);
}
