#pragma once

#include "core/support/LinePrinter.h"

// Prints on the system's default printer in a fixed-pitch font sized so that
// the widest line fits the page, starting a new page wherever the next line
// would not fit (layOutPrint). Fails when no default printer is set up.
class SystemLinePrinter : public LinePrinter {
public:
    bool printPages(const QList<QStringList> &pages) override;
};
