#pragma once

#include "core/commission/CommissionReport.h"

#include <QList>
#include <QMultiHash>

// Which rows of a plan an earlier report shows done, so that a resumed run
// need not send them anything. A report row stands for a planned row only
// when it is done and repeats every column of the plan: the address (by
// value), the hardware address (in either case and with either separator),
// each file by its name and the SHA-256 of its content, the planned version
// and both destinations. Anything else, and the row runs again: a plan that
// gained a file or a different image, a report from before the digests were
// kept, a row edited by hand.
class ResumeMatch {
public:
    explicit ResumeMatch(const QList<ReportRow> &earlier);

    // The earlier row that shows `planned` (from plannedRow) done, or nullptr.
    const ReportRow *doneRowFor(const ReportRow &planned) const;

private:
    QList<ReportRow> m_done;
    QMultiHash<QString, qsizetype> m_byHardwareAddress;
};
