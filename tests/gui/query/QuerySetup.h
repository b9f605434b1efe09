#pragma once

#include "SimulatorFixture.h"
#include "TestContext.h"
#include "core/support/SharedMessages.h"
#include "gui/query/QueryDeviceDialog.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>

inline const QByteArray kRequest = QByteArray::fromHex("000000F6");

// A shown dialog on a test context, pointed at a started simulator.
struct QuerySetup {
    // A reply length below 0 keeps the simulator's own.
    explicit QuerySetup(QueryReplyMode mode = QueryReplyMode::Normal, int replyLength = -1)
    {
        sim.options.replyMode = mode;
        if (replyLength >= 0)
            sim.options.shortReplyLength = sim.options.longReplyLength = replyLength;
        started = sim.start();
        sim.pointAt(t.context);
        t.context.currentDeviceAddress = QStringLiteral("127.0.0.1");
        dialog = new QueryDeviceDialog(t.context);
        dialog->show();
        dialog->activateWindow();
        (void)QTest::qWaitForWindowActive(dialog);
    }
    ~QuerySetup() { delete dialog.data(); }
    template <typename T> T *find(const char *name) const
    {
        return dialog->findChild<T *>(QString::fromLatin1(name));
    }
    QLineEdit *box(const char *name) const { return find<QLineEdit>(name); }
    QPushButton *button(const char *name) const { return find<QPushButton>(name); }
    bool resultsEnabled() const
    {
        return find<QLabel>("lblMacAddress")->isEnabled() &&
               find<QLabel>("lblDeviceName")->isEnabled() &&
               button("cmdSaveDeviceInfo")->isEnabled();
    }
    int timeouts() const { return int(t.prompts.messageTexts().count(kQueryTimeoutText)); }
    void click(const char *name) const { QTest::mouseClick(button(name), Qt::LeftButton); }

    TestContext t;
    SimulatorFixture sim;
    bool started = false;
    QPointer<QueryDeviceDialog> dialog;
};
