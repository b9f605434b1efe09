#include "gui/ping/PingDeviceDialog.h"

#include "core/net/PingReport.h"
#include "core/net/PingSeries.h"
#include "core/session/EngineOptions.h"
#include "core/support/ErrorLog.h"
#include "core/support/ErrorTrap.h"
#include "gui/shell/ToolWidgets.h"

#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

PingDeviceDialog::PingDeviceDialog(AppContext &context, QWidget *parent)
    : ToolDialog(context, QStringLiteral("frmPingDevice"), QStringLiteral("Ping Device"), parent),
      m_series(new PingSeries(pingOptions(context), this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    txtIPAddress->setText(context.currentDeviceAddress);
    followCurrentAddress(txtIPAddress);
    lblStatus->setEnabled(false);
    ping().setObjectName(QStringLiteral("Ping1"));

    connect(m_series, &PingSeries::reported, this, &PingDeviceDialog::append);
    connect(m_series, &PingSeries::finished, this, &PingDeviceDialog::stopPinging);
    connect(m_series, &PingSeries::error, this, &PingDeviceDialog::onPingError);
    connect(cmdPing, &QPushButton::clicked, this, &PingDeviceDialog::onPing);
    connect(cmdClearDisplay, &QPushButton::clicked, this, [this] {
        clearResults();
        txtIPAddress->setFocus();
    });
    // Results go with the address they came from: a key that changes the
    // address empties them, one that only moves or selects does not.
    connect(txtIPAddress, &QLineEdit::textEdited, this, &PingDeviceDialog::clearResults);
    onEnter(txtIPAddress, [this] {
        if (checkAddressBox(txtIPAddress))
            cmdPing->setFocus();
        else
            clearResults();
    });
}

PingControl &PingDeviceDialog::ping() const
{
    return m_series->control();
}

void PingDeviceDialog::buildControls()
{
    const TargetFrame target = makeTargetFrame(this);
    txtIPAddress = target.address;
    cmdPing = toolButton(QStringLiteral("Ping"), "cmdPing", target.frame);
    target.grid->addWidget(cmdPing, 0, 2);

    lblStatus = named(new QLabel(QStringLiteral("Status"), this), "lblStatus");
    txtReplyStatus = named(new QPlainTextEdit(this), "txtReplyStatus");
    txtReplyStatus->setReadOnly(true);
    txtReplyStatus->setLineWrapMode(QPlainTextEdit::NoWrap);
    txtReplyStatus->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    txtReplyStatus->setMinimumSize(420, 200);
    cmdClearDisplay = toolButton(QStringLiteral("Clear Status"), "cmdClearDisplay", this);
    stackControls(this, {target.frame, lblStatus, txtReplyStatus}, {cmdClearDisplay});
}

void PingDeviceDialog::onPing()
{
    if (!checkAddressBox(txtIPAddress)) {
        clearResults();
        return;
    }
    const QString address = context().currentDeviceAddress;
    const int limit = context().limits.pingDeviceLimit;
    setBusy(true);
    lblStatus->setEnabled(true);
    // The header is written even when the start then fails.
    const bool started = runTrapped(
        context().paths.errorLog, context().prompts, QStringLiteral("cmdPing_Click in Ping Device"),
        [&] { m_series->start(address, limit, limit); }, TrapStyle::Connecting);
    if (!started)
        stopPinging();
}

void PingDeviceDialog::onPingError(quint16 code, const QString &text)
{
    // Only logged: the request still ends in its own reply or time-out line.
    LogError(context().paths.errorLog, PingReport::errorPlace(code, text), Failure(0, QString()));
}

void PingDeviceDialog::stopPinging()
{
    setBusy(false);
    m_series->stop();
}

void PingDeviceDialog::clearResults()
{
    txtReplyStatus->clear();
    lblStatus->setEnabled(false);
}

void PingDeviceDialog::append(const QString &text)
{
    txtReplyStatus->moveCursor(QTextCursor::End);
    txtReplyStatus->insertPlainText(text);
    txtReplyStatus->ensureCursorVisible();
}

void PingDeviceDialog::closeEvent(QCloseEvent *event)
{
    stopPinging();
    ToolDialog::closeEvent(event);
}
