#include "CliRunner.h"

#include "cli/CfgUtil.h"
#include "core/session/AppContext.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

QJsonObject CliResult::json() const
{
    return QJsonDocument::fromJson(out).object();
}

CliResult runCli(AppContext &context, const QStringList &arguments, int waitMs)
{
    QBuffer out;
    QBuffer err;
    out.open(QIODevice::WriteOnly);
    err.open(QIODevice::WriteOnly);
    CliResult result;
    {
        CfgUtil cfgutil(out, err, false);
        QObject::connect(&cfgutil, &CfgUtil::finished, &cfgutil,
                         [&result](int code) { result.exitCode = code; });
        cfgutil.run(QStringList{QStringLiteral("cfgutil")} + arguments, context,
                    [&result](AppContext &) { ++result.prepared; });
        (void)QTest::qWaitFor([&] { return result.exitCode >= 0; }, waitMs);
    }
    context.prompts = nullptr; // they went with the run
    result.out = out.data();
    result.err = err.data();
    return result;
}

CliResult runCliProgram(const QStringList &arguments, const QString &netns)
{
    QString program = qEnvironmentVariable("CFG_CLI");
    if (program.isEmpty())
        program = QCoreApplication::applicationDirPath() + QStringLiteral("/cfgutil");
    QProcess process;
    if (netns.isEmpty())
        process.start(program, arguments);
    else
        process.start(QStringLiteral("ip"),
                      QStringList{QStringLiteral("netns"), QStringLiteral("exec"), netns, program} +
                          arguments);
    CliResult result;
    if (!process.waitForFinished(60000)) {
        process.kill();
        process.waitForFinished(1000);
        return result;
    }
    result.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QSet<QString> documentedFields(const QString &command)
{
    QFile file(QStringLiteral(CFG_CLI_DOCS));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    static const QRegularExpression row(QStringLiteral("^\\| `([^`]+)` \\|"));
    QSet<QString> fields;
    bool inside = false;
    for (const QByteArray &raw : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(raw);
        if (line.startsWith(QLatin1String("#")))
            inside = line == QStringLiteral("### `%1`").arg(command) ||
                     line == QLatin1String("### Every command");
        else if (const auto match = row.match(line); inside && match.hasMatch())
            fields.insert(match.captured(1));
    }
    return fields;
}

namespace {
// "name", and "name[].key" for the keys of an array's objects.
void flatten(const QJsonObject &object, QSet<QString> &fields, QSet<QString> &filledArrays)
{
    for (auto it = object.begin(); it != object.end(); ++it) {
        fields.insert(it.key());
        if (!it.value().isArray())
            continue;
        for (const QJsonValue &element : it.value().toArray()) {
            if (!element.isObject())
                continue;
            filledArrays.insert(it.key());
            for (const QString &key : element.toObject().keys())
                fields.insert(it.key() + QStringLiteral("[].") + key);
        }
    }
}
} // namespace

QString undocumentedOrMissing(const QJsonObject &document, const QString &command)
{
    const QSet<QString> documented = documentedFields(command);
    if (documented.isEmpty())
        return QStringLiteral("no fields documented for ") + command;
    QSet<QString> present;
    QSet<QString> filledArrays;
    flatten(document, present, filledArrays);
    QStringList wrong;
    for (const QString &field : present)
        if (!documented.contains(field) && !field.startsWith(QLatin1String("messages[].")))
            wrong.append(QStringLiteral("undocumented ") + field);
    for (const QString &field : documented) {
        const qsizetype brackets = field.indexOf(QLatin1String("[]."));
        const bool required = brackets < 0 || filledArrays.contains(field.left(brackets));
        if (required && !present.contains(field))
            wrong.append(QStringLiteral("missing ") + field);
    }
    wrong.sort();
    return wrong.join(QStringLiteral(", "));
}
