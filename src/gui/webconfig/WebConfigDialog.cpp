#include "gui/webconfig/WebConfigDialog.h"

#include "core/launch/BrowserLookup.h"
#include "core/session/AppContext.h"
#include "core/support/Failure.h"
#include "core/support/Prompts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

WebConfigDialog::WebConfigDialog(AppContext &context, QWidget *parent)
    : ToolDialog(context, QStringLiteral("frmWebConfig"), QStringLiteral("Web Configuration"),
                 parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    txtIPAddress->setText(context.currentDeviceAddress);
    connect(cmdWebConfig, &QPushButton::clicked, this, &WebConfigDialog::onWebConfig);
    onEnter(txtIPAddress, [this] {
        if (checkAddressBox(txtIPAddress))
            cmdWebConfig->setFocus();
    });
}

void WebConfigDialog::buildControls()
{
    auto *fraTarget = new QGroupBox(QStringLiteral("Target"), this);
    fraTarget->setObjectName(QStringLiteral("fraTarget"));
    auto *lblIPAddress = new QLabel(QStringLiteral("Enter IP Address:"), fraTarget);
    lblIPAddress->setObjectName(QStringLiteral("lblIPAddress"));
    txtIPAddress = new QLineEdit(fraTarget);
    txtIPAddress->setObjectName(QStringLiteral("txtIPAddress"));
    auto *target = new QHBoxLayout(fraTarget);
    target->addWidget(lblIPAddress);
    target->addWidget(txtIPAddress, 1);

    cmdWebConfig = new QPushButton(QStringLiteral("Open Web Browser"), this);
    cmdWebConfig->setObjectName(QStringLiteral("cmdWebConfig"));
    cmdWebConfig->setAutoDefault(false);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdWebConfig);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(fraTarget);
    layout->addLayout(buttons);
}

void WebConfigDialog::onWebConfig()
{
    if (!checkAddressBox(txtIPAddress))
        return;
    const std::optional<ProgramCommand> browser = findBrowser();
    if (!browser) {
        prompts().message(QStringLiteral("Browser Not Found"),
                          QStringLiteral("Could not find associated Browser"),
                          PromptIcon::Exclamation);
        return;
    }
    // The bare address, no scheme and no path: the browser completes it.
    try {
        context().launcher->startDetached(
            browser->program, browser->arguments + QStringList{context().currentDeviceAddress});
    } catch (const Failure &) {
        prompts().message(QStringLiteral("URL Failed"), QStringLiteral("Web Page not Opened"),
                          PromptIcon::Exclamation);
    }
}
