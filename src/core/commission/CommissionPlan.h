#pragma once

#include <QList>
#include <QString>
#include <QStringList>

struct ProgramPaths;
struct SettingsRecord;

// One device of a commissioning plan, checked and ready to run.
struct PlanRow {
    int line = 0;                // of the plan file, from 1 (the header is line 1)
    QString hardwareAddress;     // "02-00-00-14-01-18", upper case
    QString ip;                  // dotted, in its normal form (no leading zeros)
    quint32 address = 0;         // ip's value: rows are compared by this
    QString firmware;            // absolute path, or empty
    QString firmwareVersion;     // the version the firmware file brings
    QString firmwareDestination; // display name of the product infobase
    QString firmwareDeviceFile;  // the name the write request carries
    QString webPages;            // absolute path, or empty
    QString webDestination;      // web directory, WEB6 unless given
};

struct PlanProblem {
    int line = 0;
    QString text;
};

struct CommissionPlan {
    QList<PlanRow> rows;
    QList<PlanProblem> problems; // every problem found, by line; nothing runs when any
};

// The columns of a plan, in the order the documentation lists them.
QStringList planColumns();

// Reads and checks a plan file. Relative file paths are taken from the plan's
// folder. Firmware destinations are resolved with the product infobase as the
// load-firmware command does (`createInfobase`: a missing infobase may be
// replaced by the default one). Never throws; a plan that cannot be read is
// one problem on line 0.
CommissionPlan readCommissionPlan(const QString &path, const SettingsRecord &settings,
                                  const ProgramPaths &paths, bool createInfobase);

// "02:00:00:14:01:18" or "02-00-00-14-01-18", any case -> "02-00-00-14-01-18";
// an empty text for anything else.
QString normalHardwareAddress(const QString &text);
