#include "cli/CliOutput.h"

#include "core/support/ShownText.h"

#include <QIODevice>
#include <QJsonDocument>

namespace {
constexpr int kBarWidth = 40;
// A message longer than this is a file's or a device's text gone wrong.
constexpr qsizetype kLongestMessage = 4000;

// The last guard before a terminal: our own line ends and tabs stay, every
// other control character that a caller let through becomes '.'.
QString plain(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QChar &c : text)
        if (c != u'\n' && c != u'\t' && isHiddenControl(c.unicode()))
            c = u'.';
    return text;
}
} // namespace

QString printable(const QString &text)
{
    return shownText(text);
}

CliOutput::CliOutput(QIODevice &out, QIODevice &err, bool errIsTerminal)
    : m_out(out), m_err(err), m_errIsTerminal(errIsTerminal)
{
}

void CliOutput::write(QIODevice &device, const QString &text)
{
    device.write(text.toUtf8());
}

void CliOutput::line(const QString &text)
{
    this->text(text + QLatin1Char('\n'));
}

void CliOutput::text(const QString &text)
{
    if (!m_json && !m_quiet)
        write(m_out, plain(text));
}

void CliOutput::note(const QString &text)
{
    // A script reading standard error gets the errors alone.
    if (m_quiet || !m_errIsTerminal)
        return;
    endProgress();
    write(m_err, plain(text) + QLatin1Char('\n'));
}

void CliOutput::error(const QString &text)
{
    endProgress();
    // The engines' messages break lines for a box; on a terminal one line reads better.
    QString oneLine = text;
    oneLine.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    write(m_err, shownText(oneLine, kLongestMessage) + QLatin1Char('\n'));
}

void CliOutput::message(const QString &title, const QString &text)
{
    QString oneLine = text;
    oneLine.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    m_messages.append(
        QJsonObject{{QStringLiteral("title"), title}, {QStringLiteral("text"), oneLine}});
    error(title + QStringLiteral(": ") + oneLine);
}

QString CliOutput::lastMessage() const
{
    return m_messages.isEmpty()
               ? QString()
               : m_messages.last().toObject().value(QStringLiteral("text")).toString();
}

void CliOutput::document(QJsonObject object)
{
    object.insert(QStringLiteral("messages"), m_messages);
    if (m_json)
        m_out.write(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

void CliOutput::progress(qint64 done, qint64 total)
{
    if (!m_errIsTerminal || m_quiet || total <= 0)
        return;
    const int filled = int(qBound(qint64(0), done * kBarWidth / total, qint64(kBarWidth)));
    const int percent = int(qBound(qint64(0), done * 100 / total, qint64(100)));
    // A redraw per block would flood a slow terminal: one per percent.
    if (m_barShown && percent == m_barPercent)
        return;
    m_barPercent = percent;
    write(m_err,
          QStringLiteral("\r[%1%2] %3% %4/%5 bytes")
              .arg(QString(filled, QLatin1Char('#')), QString(kBarWidth - filled, QLatin1Char(' ')))
              .arg(percent, 3)
              .arg(done)
              .arg(total));
    m_barShown = true;
}

void CliOutput::endProgress()
{
    if (m_barShown)
        write(m_err, QStringLiteral("\n"));
    m_barShown = false;
}
