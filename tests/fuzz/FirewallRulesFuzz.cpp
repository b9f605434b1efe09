// The firewall rule reader on any listing. The input is one rule (up to the
// first 0x1E) followed by a whole ruleset.
//
// The rule, with every "drop" and "reject" outside its quoted texts taken
// out and "accept" put last, is a rule that accepts: it is never reported,
// whatever its quoted texts say. On the ruleset, each finding is one of its
// lines, in a table and a chain, and names only the ports asked about; and
// other text inside the double quotes (blanks kept where they stand, so the
// words around stay the same) gives the same findings.

#include "FuzzSupport.h"
#include "core/host/FirewallRules.h"

#include <QSet>
#include <QStringList>

namespace {

const QList<quint16> kPorts{30718, 69};

// The inside of a pair of double quotes on one line; a quote that no other
// closes opens nothing.
struct Quoted {
    qsizetype begin = -1; // after the opening quote
    qsizetype end = -1;   // at the closing quote
};

QList<Quoted> quotedTexts(const QString &line)
{
    QList<Quoted> texts;
    for (qsizetype open = line.indexOf('"'); open >= 0;) {
        const qsizetype close = line.indexOf('"', open + 1);
        if (close < 0)
            break;
        texts.append({open + 1, close});
        open = line.indexOf('"', close + 1);
    }
    return texts;
}

// The listing with other text in its quotes: each printable ASCII character
// there becomes another one of a text full of verdicts and braces, chosen by
// its place in the quoted text alone (so a line maps as its listing does);
// blanks, quotes and everything else stay.
QString otherQuotedText(const QString &listing)
{
    static const QString kInstead = QStringLiteral("drop}{reject;#");
    QStringList lines = listing.split('\n');
    for (QString &line : lines) {
        for (const Quoted &text : quotedTexts(line)) {
            for (qsizetype i = text.begin; i < text.end; ++i) {
                const char16_t c = line[i].unicode();
                if (c <= u' ' || c > u'~')
                    continue;
                const qsizetype at = i - text.begin;
                QChar instead = kInstead[at % kInstead.size()];
                if (instead == line[i])
                    instead = kInstead[(at + 1) % kInstead.size()];
                line[i] = instead;
            }
        }
    }
    return lines.join('\n');
}

QString accepting(const QString &source)
{
    QString rule;
    QString line = source;
    line.replace('\n', ' ');
    // An unclosed quote would take "accept" into the quoted text.
    if (line.count('"') % 2 == 1)
        line.remove(line.lastIndexOf('"'), 1);
    qsizetype at = 0;
    const QList<Quoted> texts = quotedTexts(line);
    for (qsizetype i = 0; i <= texts.size(); ++i) {
        QString outside = line.mid(at, (i < texts.size() ? texts[i].begin : line.size()) - at);
        for (qsizetype before = -1; before != outside.size();) {
            before = outside.size();
            outside.remove(QStringLiteral("drop")).remove(QStringLiteral("reject"));
        }
        rule += outside;
        if (i < texts.size()) {
            rule += line.mid(texts[i].begin, texts[i].end - texts[i].begin);
            at = texts[i].end;
        }
    }
    return rule + QStringLiteral(" accept");
}

bool namesOnlyOurPorts(const QString &what)
{
    static const QStringList kWhole{QStringLiteral("drops all UDP"),
                                    QStringLiteral("drops everything"),
                                    QStringLiteral("drops by default (policy)")};
    if (kWhole.contains(what))
        return true;
    if (!what.startsWith(QStringLiteral("drops UDP ")))
        return false;
    const QStringList named = what.mid(10).split(QStringLiteral(" and "));
    QSet<quint16> seen;
    for (const QString &port : named) {
        bool ok = false;
        const quint16 value = port.toUShort(&ok);
        if (!ok || !kPorts.contains(value) || seen.contains(value) ||
            port != QString::number(value))
            return false;
        seen.insert(value);
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    InputParts parts(inputBytes(data, size));
    const QString rule = accepting(QString::fromUtf8(parts.next()));
    const QString listing = QString::fromUtf8(parts.rest());

    const QString wrapped = QStringLiteral("table inet filter {\n\tchain input {\n"
                                           "\t\ttype filter hook input priority 0; policy "
                                           "accept;\n\t\t%1\n\t}\n}\n")
                                .arg(rule);
    FUZZ_CHECK(findDroppingRules(wrapped, kPorts).isEmpty());

    const QList<FirewallFinding> findings = findDroppingRules(listing, kPorts);
    QSet<QString> lines;
    for (const QString &line : listing.split('\n'))
        lines.insert(line.trimmed());
    FUZZ_CHECK(findings.size() <= listing.count('\n') + 1);
    for (const FirewallFinding &finding : findings) {
        FUZZ_CHECK(lines.contains(finding.rule) && !finding.rule.isEmpty());
        FUZZ_CHECK(!finding.table.isEmpty() && !finding.chain.isEmpty());
        FUZZ_CHECK(namesOnlyOurPorts(finding.what));
    }

    const QList<FirewallFinding> other = findDroppingRules(otherQuotedText(listing), kPorts);
    FUZZ_CHECK(other.size() == findings.size());
    for (qsizetype i = 0; i < other.size() && i < findings.size(); ++i) {
        FUZZ_CHECK(other[i].what == findings[i].what);
        FUZZ_CHECK(other[i].rule == otherQuotedText(findings[i].rule));
        FUZZ_CHECK(other[i].chain == otherQuotedText(findings[i].chain));
    }
    return 0;
}
