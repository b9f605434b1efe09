#pragma once

#include "cli/CliCommand.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>

// One option of a command as the command declares it: its names, the value
// it takes and how that value is read into the command.
struct OptionDeclaration {
    QStringList names;       // the first is the one messages show ("-c", then "--count")
    QString valueName;       // "SECONDS"; empty for a flag
    QString help;            // its line in the command's --help
    bool repeatable = false; // "[--interface NAME]..."
    bool inSynopsis = true;  // --yes is told in the help only
    // Reads the value (a flag's is empty) into the command; why it is unusable, or nothing.
    std::function<QString(CliCommand &, const QString &)> read;

    bool takesValue() const { return !valueName.isEmpty(); }
    QString synopsis() const; // "[-c N]"
};

// A cfgutil command as it declares itself: everything the command line, the
// help and the registry know of it.
struct CommandDeclaration {
    QString name;
    QStringList operands; // each one required: "IP", "FILE"
    QString summary;      // lines of help, unindented
    QList<OptionDeclaration> options;
    std::function<std::unique_ptr<CliCommand>(AppContext &, CliOutput &)> make;

    const OptionDeclaration *option(const QString &optionName) const;
    // "ping IP [-c N]": the name, the operands and the options of the synopsis.
    QStringList synopsisParts() const;
    QString synopsis() const { return synopsisParts().join(QLatin1Char(' ')); }
};

// The readers of option values; each says why a value is unusable, with the
// option's name, or returns nothing and sets its result.
namespace OptionValues {
// Seconds above 0, at most an hour, as milliseconds.
QString readSeconds(const QString &option, const QString &text, std::optional<int> &milliseconds);
QString readCount(const QString &option, const QString &text, int lowest, int highest, int &count);
// Comma-separated names, trimmed and added to `names`; a list naming none is
// refused, for no name must not come to mean every one. `what`: "an interface name".
QString readNames(const QString &option, const QString &text, const QString &what,
                  QStringList &names);
} // namespace OptionValues

// Builds the declaration of command class C, binding each option to the
// member of C that holds its value:
//   return Declare<PingCommand>("ping", {"IP"}, "Ping IP ...")
//       .count({"-c", "--count"}, "N", 1, 10000, &PingCommand::m_count, "...");
template <typename C> class Declare {
    static_assert(std::is_base_of_v<CliCommand, C>);

public:
    Declare(const QString &name, const QStringList &operands, const QString &summary)
    {
        m_declaration.name = name;
        m_declaration.operands = operands;
        m_declaration.summary = summary;
        if constexpr (std::is_constructible_v<C, AppContext &, CliOutput &>)
            m_declaration.make = [](AppContext &context, CliOutput &output) {
                return std::make_unique<C>(context, output);
            };
    }

    // For a class that serves more than one command, so is made otherwise.
    Declare &madeBy(std::function<std::unique_ptr<C>(AppContext &, CliOutput &)> make)
    {
        m_declaration.make = [make](AppContext &context, CliOutput &output) {
            return std::unique_ptr<CliCommand>(make(context, output));
        };
        return *this;
    }

    Declare &flag(const QStringList &names, bool C::*target, const QString &help)
    {
        return add(names, {}, help, [target](C &command, const QString &) {
            command.*target = true;
            return QString();
        });
    }

    Declare &text(const QStringList &names, const QString &valueName, QString C::*target,
                  const QString &help)
    {
        return add(names, valueName, help, [target](C &command, const QString &value) {
            command.*target = value;
            return QString();
        });
    }

    Declare &count(const QStringList &names, const QString &valueName, int lowest, int highest,
                   int C::*target, const QString &help)
    {
        const QString option = names.first();
        const QString range = QStringLiteral(" (%1 to %2)").arg(lowest).arg(highest);
        return add(names, valueName, help + range, [=](C &command, const QString &value) {
            return OptionValues::readCount(option, value, lowest, highest, command.*target);
        });
    }

    Declare &seconds(const QStringList &names, std::optional<int> C::*target, const QString &help)
    {
        const QString option = names.first();
        return add(names, QStringLiteral("SECONDS"), help, [=](C &command, const QString &value) {
            return OptionValues::readSeconds(option, value, command.*target);
        });
    }

    // Repeatable, and each value a comma-separated list.
    Declare &names(const QStringList &names, const QString &valueName, const QString &what,
                   QStringList C::*target, const QString &help)
    {
        const QString option = names.first();
        add(names, valueName, help, [=](C &command, const QString &value) {
            return OptionValues::readNames(option, value, what, command.*target);
        });
        m_declaration.options.last().repeatable = true;
        return *this;
    }

    // --yes (-y): the Yes/No questions of the engines are answered Yes.
    Declare &answersYes(const QString &help)
    {
        add({QStringLiteral("--yes"), QStringLiteral("-y")}, {}, help,
            [](C &command, const QString &) {
                static_cast<CliCommand &>(command).m_answerYes = true;
                return QString();
            });
        m_declaration.options.last().inSynopsis = false;
        return *this;
    }

    operator CommandDeclaration() const { return m_declaration; }

private:
    template <typename Read>
    Declare &add(const QStringList &names, const QString &valueName, const QString &help, Read read)
    {
        m_declaration.options.append(
            {names, valueName, help, false, true,
             // The command line makes the command from this same declaration.
             [read](CliCommand &command, const QString &value) {
                 return read(static_cast<C &>(command), value);
             }});
        return *this;
    }

    CommandDeclaration m_declaration;
};
