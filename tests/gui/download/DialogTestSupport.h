#pragma once

#include "SimulatorFixture.h"
#include "TestContext.h"

#include <QByteArray>
#include <QString>
#include <QWidget>
#include <memory>

class QComboBox;
class QLineEdit;
class QPushButton;

// The two download dialogs differ in names only, as far as most tests go.
enum class DownloadKind { Firmware, WebPages };

struct DownloadNames {
    QString form, fileBox, select, destination, download, socket, filter;
    QString destinationMissing, sourceMissing, downloadPlace;
};
const DownloadNames &namesOf(DownloadKind kind);

std::unique_ptr<QWidget> makeDownloadDialog(DownloadKind kind, AppContext &context);

// A dialog in a temporary program folder, pointed at the simulated device.
struct DialogRun {
    explicit DialogRun(DownloadKind kind, TftpFault fault = TftpFault::None, int ackDelayMs = 0);
    // Creates (again) the dialog; the context and its memory stay.
    void open();

    QLineEdit *address() const;
    QLineEdit *fileBox() const;
    QComboBox *destination() const;
    QPushButton *select() const;
    QPushButton *download() const;
    QPushButton *cancel() const;

    // Writes a source file into the program folder and returns its path.
    QString source(const QString &name, const QByteArray &bytes);
    // What the device received, in order.
    QList<QByteArray> received() const { return sim.receivedBytes(); }

    DownloadKind kind;
    TestContext tc;
    SimulatorFixture sim;
    bool simStarted = false;
    std::unique_ptr<QWidget> dialog;
};

QByteArray testBytes(int size);

// A "kind" column with one row per dialog.
void addKindRows();
// Address, destination and source filled in so that a download would start.
void fillIn(DialogRun &run);
// Cancel caption, download button, pointer and timer as they are when idle.
void verifyDialogIdle(DialogRun &run);
// Presses Download and waits for the one message, that of success.
bool downloadSucceeds(DialogRun &run);
QStringList items(const QComboBox *list);
