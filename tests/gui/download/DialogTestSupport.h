#pragma once

#include "SimulatorFixture.h"
#include "TestContext.h"

#include <QByteArray>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <QWidget>
#include <memory>

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

    template <typename T> T *find(const QString &name) const
    {
        return dialog->findChild<T *>(name);
    }
    QLineEdit *address() const { return find<QLineEdit>(QStringLiteral("txtIPAddress")); }
    QLineEdit *fileBox() const { return find<QLineEdit>(namesOf(kind).fileBox); }
    QComboBox *destination() const { return find<QComboBox>(namesOf(kind).destination); }
    QPushButton *select() const { return find<QPushButton>(namesOf(kind).select); }
    QPushButton *download() const { return find<QPushButton>(namesOf(kind).download); }
    QPushButton *cancel() const { return find<QPushButton>(QStringLiteral("cmdCancel")); }

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
