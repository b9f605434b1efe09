#include "ShellTestSupport.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolBar>

const ExpectedTool kExpectedTools[9] = {
    {"AssignIP", "mnuToolsAssignIP", "Assign IP", "frmAssignIP", "tb_assignip.png"},
    {"PingDevice", "mnuToolsPingDevice", "Ping", "frmPingDevice", "tb_ping.png"},
    {"QueryDevice", "mnuToolsQueryDevice", "Query", "frmQueryDevice", "tb_query.png"},
    {"LoadFirmware", "mnuToolsLoadFirmware", "Load FW", "frmLoadFirmware", "tb_loadfw.png"},
    {"LoadWebpages", "mnuToolsLoadWebPages", "Load Web", "frmLoadWebPages", "tb_loadweb.png"},
    {"TelnetDevice", "mnuToolsTelnetDevice", "Telnet", "frmTelnetDevice", "tb_telnet.png"},
    {"WebConfiguration", "mnuToolsWebConfiguration", "Web Config", "frmWebConfig",
     "tb_webconfig.png"},
    {"ViewDataFile", "mnuViewDataFile", "View File", "frmDataFile", "tb_viewfile.png"},
    {"FindDevices", "mnuToolsFindDevices", "Find Devices", "frmFindDevices", "tb_finddevices.png"},
};

QString keyOf(const QString &form)
{
    for (const ExpectedTool &t : kExpectedTools)
        if (form == QLatin1String(t.form))
            return QString::fromLatin1(t.key);
    return {};
}

QAction *item(const QWidget *window, const QString &name)
{
    return window->findChild<QAction *>(name);
}

QAction *button(const QWidget *window, const QString &key)
{
    const auto *bar = window->findChild<QToolBar *>(QStringLiteral("tbrCustomTools"));
    for (QAction *a : bar->actions())
        if (a->data().toString() == key)
            return a;
    return nullptr;
}

QString label(const QWidget *box, const char *name)
{
    const auto *l = box->findChild<QLabel *>(QString::fromLatin1(name));
    return l ? l->text() : QStringLiteral("<no %1>").arg(QString::fromLatin1(name));
}

QByteArray png(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

void whileModalIsUp(std::function<void(QDialog *)> inside)
{
    QTimer::singleShot(0, [inside] {
        auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        if (!box) {
            QTest::qFail("no modal box is up", __FILE__, __LINE__);
            return;
        }
        inside(box);
        if (auto *ok = box->findChild<QPushButton *>(QStringLiteral("cmdOK")))
            ok->click();
    });
}

int windowsNamed(const QString &name)
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            ++count;
    return count;
}
