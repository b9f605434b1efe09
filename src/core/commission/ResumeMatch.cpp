#include "core/commission/ResumeMatch.h"

#include "core/device/AddressText.h"
#include "core/support/Failure.h"

#include <QFileInfo>
#include <optional>

namespace {
std::optional<std::array<quint8, 4>> addressValue(const QString &text)
{
    try {
        return IpTextToBytes(text);
    } catch (const Failure &) {
        return std::nullopt;
    }
}

// A file of a row: both name none, or both the same name and content.
bool sameSentFile(const QString &pathA, const QString &digestA, const QString &pathB,
                  const QString &digestB)
{
    if (pathA.isEmpty() || pathB.isEmpty())
        return pathA.isEmpty() && pathB.isEmpty();
    return QFileInfo(pathA).fileName() == QFileInfo(pathB).fileName() && !digestA.isEmpty() &&
           digestA.compare(digestB, Qt::CaseInsensitive) == 0;
}

bool samePlanColumns(const ReportRow &a, const ReportRow &b)
{
    const auto addressA = addressValue(a.ip);
    return addressA && addressA == addressValue(b.ip) &&
           sameSentFile(a.firmware, a.firmwareSha256, b.firmware, b.firmwareSha256) &&
           a.firmwareVersionPlanned.trimmed() == b.firmwareVersionPlanned.trimmed() &&
           a.destination.trimmed() == b.destination.trimmed() &&
           sameSentFile(a.webPages, a.webPagesSha256, b.webPages, b.webPagesSha256) &&
           a.webDestination.trimmed() == b.webDestination.trimmed();
}
} // namespace

ResumeMatch::ResumeMatch(const QList<ReportRow> &earlier)
{
    for (const ReportRow &row : earlier) {
        // readReport brings hardware addresses to one form, or empties them.
        if (!row.isDone() || row.hardwareAddress.isEmpty())
            continue;
        m_byHardwareAddress.insert(row.hardwareAddress, m_done.size());
        m_done.append(row);
    }
}

const ReportRow *ResumeMatch::doneRowFor(const ReportRow &planned) const
{
    const QString hardwareAddress = normalHardwareAddress(planned.hardwareAddress);
    for (auto it = m_byHardwareAddress.constFind(hardwareAddress);
         it != m_byHardwareAddress.cend() && it.key() == hardwareAddress; ++it)
        if (samePlanColumns(m_done[it.value()], planned))
            return &m_done[it.value()];
    return nullptr;
}
