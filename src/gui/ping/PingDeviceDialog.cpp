#include "gui/ping/PingDeviceDialog.h"

#include "core/net/PingControl.h"
#include "core/net/PingReport.h"
#include "core/session/AppContext.h"
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

namespace {
constexpr int kDataSize = 32;
constexpr int kLimit = 4;
} // namespace

PingDeviceDialog::PingDeviceDialog(AppContext &context, QWidget *parent)
    : ToolDialog(context, QStringLiteral("frmPingDevice"), QStringLiteral("Ping Device"), parent),
      Ping1(new PingControl(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    txtIPAddress->setText(context.currentDeviceAddress);
    lblStatus->setEnabled(false);

    Ping1->setObjectName(QStringLiteral("Ping1"));
    Ping1->setStartOption(true);
    Ping1->setDataSize(kDataSize);
    Ping1->setEnabled(false);
    Ping1->setFurtherOption(false);
    Ping1->setSecondTimeValue(context.intervals.pingSecondMs);

    connect(Ping1, &PingControl::replyReceived, this, &PingDeviceDialog::onReply);
    connect(Ping1, &PingControl::replyTimedOut, this, &PingDeviceDialog::onTimedOut);
    connect(Ping1, &PingControl::error, this, &PingDeviceDialog::onPingError);
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
    setBusy(true);
    lblStatus->setEnabled(true);
    append(PingReport::header(address, Ping1->dataSize()));
    const bool started = runTrapped(
        context().paths.errorLog, context().prompts, QStringLiteral("cmdPing_Click in Ping Device"),
        [&] {
            m_timeouts = 0;
            m_limit = kLimit;
            Ping1->setTargetHost(address);
            Ping1->setFirstTimeValue(context().intervals.pingFirstMs);
            Ping1->setStartOption(true);
            Ping1->setEnabled(true);
        },
        TrapStyle::Connecting);
    if (!started)
        stopPinging();
}

void PingDeviceDialog::onReply(quint16 sequence, quint16 dataBytes, quint32 roundTripMs)
{
    append(PingReport::replyLine(sequence, dataBytes, roundTripMs));
    // Replies and time-outs are counted apart: either reaching the limit ends the run.
    if (Ping1->replyCount() > quint32(m_limit - 1))
        stopPinging();
}

void PingDeviceDialog::onTimedOut()
{
    append(PingReport::timedOutLine());
    if (++m_timeouts > m_limit - 1)
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
    Ping1->setEnabled(false);
    Ping1->setResetRequest(true);
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
