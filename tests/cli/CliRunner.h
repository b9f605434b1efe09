#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QSet>
#include <QString>
#include <QStringList>

struct AppContext;

// What one cfgutil run gave.
struct CliResult {
    int exitCode = -1; // -1: it did not end in time
    QByteArray out;
    QByteArray err;
    int prepared = 0;         // times the run asked for the context's paths and settings
    QJsonObject json() const; // standard output read as one JSON document
};

// Runs a cfgutil command line in this process, on `context` (its prompts are
// replaced by cfgutil's), with the event loop running until it ends.
CliResult runCli(AppContext &context, const QStringList &arguments, int waitMs = 30000);

// Runs the cfgutil program itself (CFG_CLI, else beside the test), inside the
// network namespace when one is named.
CliResult runCliProgram(const QStringList &arguments, const QString &netns = {});

// The fields docs/cfgutil.md lists for a command ("devices[].address"...)
// and for every command.
QSet<QString> documentedFields(const QString &command);

// Empty when the document has exactly the documented fields; else what differs.
QString undocumentedOrMissing(const QJsonObject &document, const QString &command);
