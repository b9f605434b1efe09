#pragma once

#include "cli/QueryCommand.h"

// cfgutil save IP: the query, then the device record stored in the device
// data file with the Query Device rules (a record with the same IP address
// replaced, else appended; written atomically) and the file's location
// remembered in the settings. --file stands for the Save As dialog.
class SaveCommand : public QueryCommand {
    Q_OBJECT
public:
    SaveCommand(AppContext &context, CliOutput &output, QObject *parent = nullptr);
    static CommandDeclaration declaration();

protected:
    bool prepare() override;
    void replied(const DecodedReply &identity) override;

private:
    QString m_file; // --file: stands for the Save As dialog
    QString m_path;
};
