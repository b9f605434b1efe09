#include "core/host/HostChecks.h"

#include "core/support/ShownText.h"

#include <QStringList>

HostChecks checkHost(quint16 queryPort, quint16 tftpPort, int firewallTimeoutMs)
{
    return {localInterfaces(), probeIcmp(),
            checkFirewall({queryPort, tftpPort}, firewallTimeoutMs)};
}

QList<Diagnosis::Finding> hostFindings(const HostChecks &checks)
{
    return Diagnosis::interfaces(checks.interfaces) + Diagnosis::icmp(checks.icmp) +
           Diagnosis::firewall(checks.firewall);
}

QString findingsText(const QList<Diagnosis::Finding> &findings)
{
    using Severity = Diagnosis::Finding::Severity;
    QStringList lines;
    for (const Diagnosis::Finding &finding : findings) {
        const QString word = finding.severity == Severity::Problem   ? QStringLiteral("Problem")
                             : finding.severity == Severity::Warning ? QStringLiteral("Warning")
                                                                     : QStringLiteral("OK");
        // Interface names and firewall rules are the system's text.
        lines.append(word + QStringLiteral(": ") + shownText(finding.text, 2000));
    }
    return lines.join(QLatin1Char('\n'));
}
