#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

class QIODevice;

// A text from a device reply or a file for a terminal: control characters
// become '.', and a long one is cut (see shownText).
QString printable(const QString &text);

// Where cfgutil writes: results on standard output (plain lines, or one JSON
// document with --json), errors on standard error, and progress there too
// when it is a terminal. --quiet keeps plain results and progress back;
// errors and the JSON document are always written.
class CliOutput {
public:
    CliOutput(QIODevice &out, QIODevice &err, bool errIsTerminal);

    void setJson(bool on) { m_json = on; }
    void setQuiet(bool on) { m_quiet = on; }
    bool json() const { return m_json; }

    // A result line for a person (not with --json or --quiet).
    void line(const QString &text = {});
    // Result text that brings its own line ends.
    void text(const QString &text);
    // Progress on standard error, only when it is a terminal (not with --quiet).
    void note(const QString &text);
    // A failure, always on standard error, on one line.
    void error(const QString &text);
    // A message box of the engines: "title: text" on standard error, kept
    // for the document's "messages".
    void message(const QString &title, const QString &text);
    // The text of the last message, or nothing.
    QString lastMessage() const;
    // The one JSON document of the command (with --json only), with the
    // messages added.
    void document(QJsonObject object);

    // An upload's bar, redrawn in place on a terminal; nothing elsewhere.
    void progress(qint64 done, qint64 total);
    void endProgress();

private:
    void write(QIODevice &device, const QString &text);

    QIODevice &m_out;
    QIODevice &m_err;
    bool m_errIsTerminal;
    bool m_json = false;
    bool m_quiet = false;
    bool m_barShown = false;
    int m_barPercent = -1;
    QJsonArray m_messages;
};
