#include "gui/query/QueryDeviceDialog.h"

#include "core/datafile/DeviceRecordSave.h"
#include "core/device/DeviceQuery.h"
#include "core/session/AppContext.h"
#include "core/support/ErrorTrap.h"
#include "core/support/Prompts.h"
#include "core/support/SharedMessages.h"

#include <QCloseEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QLineEdit *resultBox(const char *name)
{
    auto *box = named(new QLineEdit, name);
    box->setReadOnly(true);
    box->setMinimumWidth(260);
    return box;
}

} // namespace

QueryDeviceDialog::QueryDeviceDialog(AppContext &context, QWidget *parent)
    : ToolDialog(context, QStringLiteral("frmQueryDevice"), QStringLiteral("Query Device"), parent),
      m_query(new DeviceQuery(context.ports.query, context.intervals.queryTimeoutMs, this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    txtIPAddress->setText(context.currentDeviceAddress);
    followCurrentAddress(txtIPAddress);
    m_query->prepareSocket();
    clearResults();

    connect(m_query, &DeviceQuery::busyChanged, this, &QueryDeviceDialog::setBusy);
    connect(m_query, &DeviceQuery::replyReceived, this, &QueryDeviceDialog::onReply);
    connect(m_query, &DeviceQuery::timedOut, this, &QueryDeviceDialog::onTimedOut);
    connect(cmdGetDeviceInfo, &QPushButton::clicked, this, &QueryDeviceDialog::onGetDeviceInfo);
    connect(cmdSaveDeviceInfo, &QPushButton::clicked, this, &QueryDeviceDialog::onSaveDeviceInfo);
    // Results belong to the address they were read from: any key, and any
    // other change of the text (paste, drop), clears them.
    onAnyKey(txtIPAddress, [this] { clearResults(); });
    connect(txtIPAddress, &QLineEdit::textChanged, this, &QueryDeviceDialog::clearResults);
    onEnter(txtIPAddress, [this] { onAddressEnter(); });
}

void QueryDeviceDialog::buildControls()
{
    fraTarget = named(new QGroupBox(QStringLiteral("Target")), "fraTarget");
    lblIPAddress = named(new QLabel(QStringLiteral("Enter IP Address:")), "lblIPAddress");
    txtIPAddress = named(new QLineEdit, "txtIPAddress");
    cmdGetDeviceInfo =
        named(new QPushButton(QStringLiteral("Get Device Information")), "cmdGetDeviceInfo");
    auto *target = new QHBoxLayout(fraTarget);
    target->addWidget(lblIPAddress);
    target->addWidget(txtIPAddress, 1);
    target->addWidget(cmdGetDeviceInfo);

    fraDeviceInfo = named(new QGroupBox(QStringLiteral("Device Information")), "fraDeviceInfo");
    lblMacAddress = named(new QLabel(QStringLiteral("Hardware Address:")), "lblMacAddress");
    txtMacAddress = resultBox("txtMacAddress");
    lblFwVersion = named(new QLabel(QStringLiteral("Firmware Version:")), "lblFwVersion");
    txtFwVersion = resultBox("txtFwVersion");
    lblFwType = named(new QLabel(QStringLiteral("Firmware Type:")), "lblFwType");
    txtFwType = resultBox("txtFwType");
    lblDeviceName = named(new QLabel(QStringLiteral("Device Type:")), "lblDeviceName");
    txtDeviceName = resultBox("txtDeviceName");
    auto *info = new QFormLayout(fraDeviceInfo);
    info->addRow(lblMacAddress, txtMacAddress);
    info->addRow(lblFwVersion, txtFwVersion);
    info->addRow(lblFwType, txtFwType);
    info->addRow(lblDeviceName, txtDeviceName);

    cmdSaveDeviceInfo =
        named(new QPushButton(QStringLiteral("Save Data in File")), "cmdSaveDeviceInfo");
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdSaveDeviceInfo);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fraTarget);
    layout->addWidget(fraDeviceInfo);
    layout->addLayout(buttons);

    // Enter in the address box is handled there; no button is the default,
    // and Enter on a focused button presses it (ToolDialog).
    cmdGetDeviceInfo->setAutoDefault(false);
    cmdSaveDeviceInfo->setAutoDefault(false);
    setTabOrder(txtIPAddress, cmdGetDeviceInfo);
    setTabOrder(cmdGetDeviceInfo, txtMacAddress);
    setTabOrder(txtMacAddress, txtFwVersion);
    setTabOrder(txtFwVersion, txtFwType);
    setTabOrder(txtFwType, txtDeviceName);
    setTabOrder(txtDeviceName, cmdSaveDeviceInfo);
}

void QueryDeviceDialog::clearResults()
{
    for (QLineEdit *box : {txtMacAddress, txtFwVersion, txtFwType, txtDeviceName})
        box->clear();
    for (QWidget *w : {static_cast<QWidget *>(lblMacAddress), static_cast<QWidget *>(lblFwVersion),
                       static_cast<QWidget *>(lblFwType), static_cast<QWidget *>(lblDeviceName),
                       static_cast<QWidget *>(cmdSaveDeviceInfo)})
        w->setEnabled(false);
}

void QueryDeviceDialog::enableResults()
{
    for (QWidget *w : {static_cast<QWidget *>(lblMacAddress), static_cast<QWidget *>(lblFwVersion),
                       static_cast<QWidget *>(lblFwType), static_cast<QWidget *>(lblDeviceName),
                       static_cast<QWidget *>(cmdSaveDeviceInfo)})
        w->setEnabled(true);
}

void QueryDeviceDialog::onAddressEnter()
{
    // Enter only checks the address and moves on to the button; it sends nothing.
    if (checkAddressBox(txtIPAddress))
        cmdGetDeviceInfo->setFocus();
}

void QueryDeviceDialog::onGetDeviceInfo()
{
    clearResults();
    if (!checkAddressBox(txtIPAddress))
        return;
    const QString address = txtIPAddress->text().trimmed();
    // On a socket failure the time-out stays armed and ends the query later.
    runTrapped(
        context().paths.errorLog, context().prompts,
        QStringLiteral("cmdGetDeviceInfo_Click in Query Device"),
        [&] { m_query->startQuery(address); }, TrapStyle::Connecting);
}

void QueryDeviceDialog::onReply(const DecodedReply &reply)
{
    enableResults();
    txtMacAddress->setText(txtMacAddress->text() + reply.hardwareAddress);
    txtFwVersion->setText(txtFwVersion->text() + reply.firmwareVersion);
    txtFwType->setText(txtFwType->text() + reply.firmwareType);
    txtDeviceName->setText(txtDeviceName->text() + reply.deviceType);
    cmdSaveDeviceInfo->setFocus();
}

void QueryDeviceDialog::onTimedOut()
{
    prompts().message(kErrorTitle, kQueryTimeoutText, PromptIcon::None);
    txtIPAddress->setFocus();
}

void QueryDeviceDialog::onSaveDeviceInfo()
{
    const DeviceRecord record{{txtIPAddress->text(), txtMacAddress->text(), txtFwVersion->text(),
                               txtFwType->text(), txtDeviceName->text()}};
    runTrapped(context().paths.errorLog, context().prompts,
               QStringLiteral("cmdSaveDeviceInfo_Click in Query Device"),
               [&] { saveRecordToChosenFile(prompts(), context().settings, record); });
}

void QueryDeviceDialog::closeEvent(QCloseEvent *event)
{
    m_query->SocketCleanup();
    ToolDialog::closeEvent(event);
}
