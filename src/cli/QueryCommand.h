#pragma once

#include "cli/CommandDeclaration.h"
#include "core/device/DeviceProtocol.h"

#include <optional>

class DeviceQuery;

// cfgutil query IP: the Query Device exchange (one request, the first reply,
// the time-out) and the identity it reads.
class QueryCommand : public CliCommand {
    Q_OBJECT
public:
    QueryCommand(AppContext &context, CliOutput &output, QObject *parent = nullptr);
    static CommandDeclaration declaration();
    void start() override;

protected:
    // Checks made before anything is sent; false when the command has ended.
    virtual bool prepare() { return true; }
    // The reply has been written out; the default ends with success.
    virtual void replied(const DecodedReply &identity);
    QString address() const { return m_address; }

    std::optional<int> m_timeoutMs;

private:
    void onReply(const DecodedReply &identity);

    DeviceQuery *m_query = nullptr;
    QString m_address;
};
