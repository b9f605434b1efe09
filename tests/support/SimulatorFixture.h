#pragma once

#include "DeviceSimulator.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

struct AppContext;

// The simulated device, in-process, on 127.0.0.1 with ephemeral ports and a
// temporary store folder (removed with the fixture).
//
// Change `options` (identity, reply mode, TFTP fault...) before start(). To
// point the program at it:
//
//     TestContext tc;
//     SimulatorFixture sim;
//     QVERIFY(sim.start());
//     sim.pointAt(tc.context);     // context.ports.query / .tftp = the fixture's ports
//     // ...type "127.0.0.1" into the dialog's address box and go.
//
// Then assert on storedFile(name) and on log() / sentBytes() / receivedBytes()
// for the exact bytes on the wire. The stored file holds every block received
// so far; DeviceSimulator::fileStored is only emitted when a block shorter
// than 512 bytes ends the file, which a writer that sends no empty closing
// block (a file of a multiple of 512 bytes, or an empty one) never does; so
// check storedFile() rather than wait for that signal.
class SimulatorFixture {
public:
    SimulatorFixture();

    SimulatorOptions options;

    // Starts with `options`; false (with the reason as a test warning) when it
    // cannot, so a test writes QVERIFY(sim.start()).
    bool start();
    DeviceSimulator &simulator() { return m_simulator; }

    quint16 queryPort() const { return m_simulator.queryPort(); }
    quint16 tftpPort() const { return m_simulator.tftpPort(); }
    void pointAt(AppContext &context) const;

    QString storeFolder() const { return m_store.path(); }
    bool hasStoredFile(const QString &name) const;
    // The bytes stored under the name; a null array when there is no such file.
    QByteArray storedFile(const QString &name) const;

    QList<LoggedDatagram> log() const { return m_simulator.log(); }
    // Payloads only, in order, of what the device received / sent.
    QList<QByteArray> receivedBytes() const;
    QList<QByteArray> sentBytes() const;

private:
    QTemporaryDir m_store;
    DeviceSimulator m_simulator;
};
