#include "gui/webconfig/WebConfigDialog.h"

#include "core/launch/BrowserLookup.h"
#include "core/session/AppContext.h"
#include "core/support/Failure.h"
#include "core/support/Prompts.h"
#include "gui/shell/ToolWidgets.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>

WebConfigDialog::WebConfigDialog(AppContext &context, QWidget *parent)
    : ToolDialog(context, QStringLiteral("frmWebConfig"), QStringLiteral("Web Configuration"),
                 parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    txtIPAddress->setText(context.currentDeviceAddress);
    followCurrentAddress(txtIPAddress);
    connect(cmdWebConfig, &QPushButton::clicked, this, &WebConfigDialog::onWebConfig);
    onEnter(txtIPAddress, [this] {
        if (checkAddressBox(txtIPAddress))
            cmdWebConfig->setFocus();
    });
}

void WebConfigDialog::buildControls()
{
    const TargetFrame target = makeTargetFrame(this);
    txtIPAddress = target.address;
    cmdWebConfig = toolButton(QStringLiteral("Open Web Browser"), "cmdWebConfig", this);
    stackControls(this, {target.frame}, {cmdWebConfig});
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
        context().launcher->startDetached(browser->program,
                                          browser->argumentsFor(context().currentDeviceAddress));
    } catch (const Failure &) {
        prompts().message(QStringLiteral("URL Failed"), QStringLiteral("Web Page not Opened"),
                          PromptIcon::Exclamation);
    }
}
