#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// A network namespace of the test's own, joined to this host by a veth pair
// on a 198.18.N.0/24 benchmarking subnet that nothing else uses; traffic to
// it never leaves the two ends of the pair. Root only.
//
//     NETNS_OR_SKIP(ns, why);
//     QVERIFY2(ns.startSimulator({"--hardware-address", "02-00-00-04-0B-0C"}, &why),
//              qPrintable(why));
//     // IP-SETUP to ns.broadcastAddress(), port ns.queryPort(); ping ns.address(50)...
//
// Everything (namespace, veth pair, simulator) is removed by the destructor,
// also when the test fails; namespaces left behind by a test process that
// died are removed at the next setUp.
class NetnsFixture {
public:
    NetnsFixture() = default;
    ~NetnsFixture();
    NetnsFixture(const NetnsFixture &) = delete;
    NetnsFixture &operator=(const NetnsFixture &) = delete;

    // False, with the reason, when the namespace cannot be made (not root, no
    // iproute2, no namespace support): the test then skips.
    bool setUp(QString *reason);

    QString name() const { return m_name; }
    // 198.18.N.host: 1 is this host's end, 2 the namespace's end; others are
    // free (nobody answers them until a simulator takes one).
    QString address(int host) const;
    QString hostAddress() const { return address(1); }
    QString namespaceAddress() const { return address(2); }
    QString broadcastAddress() const { return address(255); }
    // A second 198.18.M.0/24 on the same pair, for more devices than one
    // subnet holds (1 is this host's end, 2 the namespace's). False, with the
    // reason, when none is free.
    bool addSecondSubnet(QString *reason);
    QString secondAddress(int host) const;
    QString namespaceInterface() const { return m_nsIf; }
    // This host's end of the pair: name it to broadcast into the namespace only.
    QString hostInterface() const { return m_hostIf; }

    // Runs devsim inside the namespace on 0.0.0.0 (so it hears broadcasts),
    // adding assigned addresses to its interface; ephemeral ports unless the
    // arguments say otherwise. Waits until it is ready.
    bool startSimulator(const QStringList &arguments, QString *error);
    quint16 queryPort() const { return m_queryPort; }
    quint16 tftpPort() const { return m_tftpPort; }
    // Everything the simulator wrote so far (its datagram log).
    QString simulatorLog();
    QString storeFolder() const { return m_store.path(); }
    // Waits (event loop running) until the simulator log contains the text.
    bool waitForLog(const QString &text, int timeoutMs);

    // A command run inside the namespace; its exit code (-1 when it failed to run).
    int runInside(const QStringList &command, QByteArray *output = nullptr) const;

    // The devsim program: CFG_SIMULATOR, else beside the test program.
    static QString simulatorProgram();

private:
    static int ip(const QStringList &arguments, QByteArray *output = nullptr);
    static void removeStale();
    // The first 198.18.N.0/24 no interface of this host uses, looking from
    // `from` on; 0 when there is none. Under the creation lock.
    static int freeSubnet(int from);
    void tearDown();

    QString m_name;
    QString m_hostIf;
    QString m_nsIf;
    int m_subnet = 0;
    int m_secondSubnet = 0;
    QProcess m_simulator;
    QByteArray m_log;
    quint16 m_queryPort = 0;
    quint16 m_tftpPort = 0;
    QTemporaryDir m_store;
};

// Declares the fixture `ns` and the text `why`, and skips the test with the
// reason when the namespace cannot be made (a QTest test function only).
#define NETNS_OR_SKIP(ns, why)                                                                     \
    NetnsFixture ns;                                                                               \
    QString why;                                                                                   \
    if (!ns.setUp(&why))                                                                           \
    QSKIP(qPrintable(why))
