#include "core/host/FirewallRules.h"

#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QStringList>

namespace {

// "69", "tftp", "60-80", "{ 69, 30718 }": does it take one of the ports?
bool portsMatch(const QString &value, const QList<quint16> &ports)
{
    QString list = value;
    list.remove(QLatin1Char('{')).remove(QLatin1Char('}'));
    for (QString item : list.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        item = item.trimmed();
        if (item == QLatin1String("tftp"))
            item = QStringLiteral("69");
        const QStringList bounds = item.split(QLatin1Char('-'));
        bool lowOk = false;
        bool highOk = false;
        const uint low = bounds.value(0).trimmed().toUInt(&lowOk);
        const uint high = bounds.size() == 2 ? bounds.value(1).trimmed().toUInt(&highOk) : low;
        if (!lowOk || (bounds.size() == 2 && !highOk) || bounds.size() > 2)
            continue;
        for (const quint16 port : ports)
            if (port >= low && port <= high)
                return true;
    }
    return false;
}

// The rule with the inside of its quoted texts (comment "...", log prefix
// "...") taken out: what a comment says is no part of what the rule does.
QString withoutQuotedText(const QString &rule)
{
    static const QRegularExpression quoted(QStringLiteral("\"[^\"]*(\"|$)"));
    return QString(rule).replace(quoted, QStringLiteral("\"\""));
}

// Whether the rule's verdict statement is drop or reject: a word of its own,
// neither a chain name after jump or goto nor an entry of a verdict map.
bool dropsOrRejects(QString rule)
{
    static const QRegularExpression braced(QStringLiteral("\\{[^}]*\\}"));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    // A blank in the braces' place: the words on either side stay apart.
    rule.replace(braced, QStringLiteral(" "));
    QString previous;
    for (const QString &word : rule.split(blanks, Qt::SkipEmptyParts)) {
        if ((word == QLatin1String("drop") || word == QLatin1String("reject")) &&
            previous != QLatin1String("jump") && previous != QLatin1String("goto"))
            return true;
        previous = word;
    }
    return false;
}

// What a dropping rule stops, or nothing when it does not concern us.
QString judgeRule(const QString &listed, const QList<quint16> &ports)
{
    static const QRegularExpression portMatch(
        QStringLiteral("\\b(udp|th)\\s+(dport|sport)\\s+(!=\\s*)?(\\{[^}]*\\}|\\S+)"));
    static const QRegularExpression anyPort(QStringLiteral("\\b(tcp|udp|th|sctp)\\s+[ds]port\\b"));
    static const QRegularExpression udpOnly(
        QStringLiteral("\\b(meta\\s+l4proto|ip\\s+protocol)\\s+(udp|17)\\b"));
    static const QRegularExpression narrowing(
        QStringLiteral("\\b(saddr|daddr|iif|oif|iifname|oifname|icmp|icmpv6|tcp|ct|mark|ether|vlan|"
                       "meta\\s+l4proto|ip\\s+protocol|ip6\\s+nexthdr|limit|fib|@\\w+)\\b"));
    static const QRegularExpression rejectWith(QStringLiteral("\\breject\\s+with\\b.*$"));
    const QString rule = withoutQuotedText(listed);
    if (!dropsOrRejects(rule))
        return {};
    for (auto it = portMatch.globalMatch(rule); it.hasNext();) {
        const auto match = it.next();
        // A negated match takes every port it does not name.
        const bool negated = !match.captured(3).isEmpty();
        QStringList hit;
        for (const quint16 port : ports)
            if (portsMatch(match.captured(4), {port}) != negated)
                hit.append(QString::number(port));
        if (!hit.isEmpty())
            return QStringLiteral("drops UDP ") + hit.join(QStringLiteral(" and "));
    }
    if (anyPort.match(rule).hasMatch())
        return {};
    QString rest = rule;
    rest.remove(rejectWith); // "reject with icmp ..." narrows nothing
    const bool udp = udpOnly.match(rest).hasMatch();
    rest.remove(udpOnly);
    if (narrowing.match(rest).hasMatch())
        return {};
    return udp ? QStringLiteral("drops all UDP") : QStringLiteral("drops everything");
}

} // namespace

QList<FirewallFinding> findDroppingRules(const QString &ruleset, const QList<quint16> &ports)
{
    static const QRegularExpression tableLine(QStringLiteral("^table\\s+(\\S+)\\s+(\\S+)\\s*\\{$"));
    static const QRegularExpression chainLine(QStringLiteral("^chain\\s+(\\S+)\\s*\\{$"));
    static const QRegularExpression policyDrop(QStringLiteral(
        "\\bhook\\s+(input|output|forward|prerouting|postrouting)\\b.*\\bpolicy\\s+drop\\b"));

    QList<FirewallFinding> findings;
    QString table;
    QString chain;
    // What each open brace belongs to: 't'able, 'c'hain or 'o'ther (set, map,
    // or a table or chain line where none can stand). Tables stand at the top,
    // chains right inside a table, rules right inside a chain.
    QString open;
    for (const QString &raw : ruleset.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        // Braces and words inside quotes (a comment "{ ...") are no part of
        // the listing's structure.
        const QString unquoted = withoutQuotedText(line);
        if (line == QLatin1String("}")) {
            if (open.endsWith(QLatin1Char('c')))
                chain.clear();
            else if (open.endsWith(QLatin1Char('t')))
                table.clear();
            open.chop(1);
            continue;
        }
        if (const auto match = tableLine.match(line); match.hasMatch() && open.isEmpty()) {
            table = match.captured(1) + QLatin1Char(' ') + match.captured(2);
            open += QLatin1Char('t');
            continue;
        }
        if (const auto match = chainLine.match(line); match.hasMatch() && open == u"t") {
            chain = match.captured(1);
            open += QLatin1Char('c');
            continue;
        }
        const int opened = int(unquoted.count(QLatin1Char('{')) - unquoted.count(QLatin1Char('}')));
        if (opened > 0) {
            open += QString(opened, QLatin1Char('o'));
            continue;
        }
        if (opened < 0) {
            // The end of a set that began on an earlier line ("10.0.0.3 }").
            for (int i = opened; i < 0 && open.endsWith(QLatin1Char('o')); ++i)
                open.chop(1);
            continue;
        }
        if (open != u"tc")
            continue;
        if (line.startsWith(QLatin1String("type "))) {
            if (policyDrop.match(unquoted).hasMatch())
                findings.append({table, chain, line, QStringLiteral("drops by default (policy)")});
            continue;
        }
        if (const QString what = judgeRule(line, ports); !what.isEmpty())
            findings.append({table, chain, line, what});
    }
    return findings;
}

FirewallCheck checkFirewall(const QList<quint16> &ports, int timeoutMs)
{
    FirewallCheck check;
    check.ports = ports;
    QString program = QStandardPaths::findExecutable(QStringLiteral("nft"));
    if (program.isEmpty())
        program = QStandardPaths::findExecutable(
            QStringLiteral("nft"), {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin")});
    if (program.isEmpty()) {
        check.reason = QStringLiteral("the nft program is not installed");
        return check;
    }
    QProcess nft;
    nft.start(program, {QStringLiteral("list"), QStringLiteral("ruleset")});
    if (!nft.waitForFinished(timeoutMs)) {
        nft.kill();
        nft.waitForFinished(1000);
        check.reason = QStringLiteral("nft did not answer");
        return check;
    }
    if (nft.exitStatus() != QProcess::NormalExit || nft.exitCode() != 0) {
        check.reason = QStringLiteral("nft could not list the rules: ") +
                       QString::fromLocal8Bit(nft.readAllStandardError()).trimmed();
        return check;
    }
    check.checked = true;
    check.findings = findDroppingRules(QString::fromLocal8Bit(nft.readAllStandardOutput()), ports);
    return check;
}
