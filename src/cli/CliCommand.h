#pragma once

#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <optional>

class CliOutput;
class Failure;
struct AppContext;

// One cfgutil command on the event loop. A command declares itself (see
// CommandDeclaration.h) and holds the values of its options; it fills its JSON
// document (every documented field present from the start, null until known),
// writes its plain results as it goes, and ends with finish().
class CliCommand : public QObject {
    Q_OBJECT
public:
    CliCommand(AppContext &context, CliOutput &output, QObject *parent = nullptr);

    // Given by the command line before start(), as declared.
    void setArguments(const QString &name, const QStringList &operands);
    // --yes was given: the engines' Yes/No questions are answered Yes.
    bool answersYes() const { return m_answerYes; }

    virtual void start() = 0;

Q_SIGNALS:
    // Raised once, through the event loop.
    void finished(int exitCode);

protected:
    AppContext &context() { return m_context; }
    const QString &operand(qsizetype index) const { return m_operands.at(index); }
    CliOutput &output() { return m_output; }
    QJsonObject &result() { return m_result; }

    // Writes the error (when given; else a failing command's error is the
    // last message box) and the JSON document, then ends.
    void finish(int exitCode, const QString &error = {});
    void fail(const Failure &failure);

    // The windows' address check; on failure writes their message and ends
    // with exit status 2. The trimmed address otherwise.
    std::optional<QString> checkedAddress(const QString &text);
    // The same, then the rule for an address a device is to be given: no
    // leading zeros or negative numbers, and a host address of its subnet.
    // Its value, or (having said why) nothing, with exit status 2.
    std::optional<quint32> checkedNewAddress(const QString &text);

private:
    template <typename> friend class Declare;

    AppContext &m_context;
    QStringList m_operands;
    bool m_answerYes = false;
    CliOutput &m_output;
    QJsonObject m_result;
    bool m_finished = false;
};
