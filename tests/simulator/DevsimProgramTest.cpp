#include <QNetworkDatagram>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QUdpSocket>
#include <QtTest>

#include <csignal>

// The devsim program as a user starts it.
class DevsimProgramTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void help();
    void refusesBadArguments_data();
    void refusesBadArguments();
    void answersAndLogsThenStopsOnSignal_data();
    void answersAndLogsThenStopsOnSignal();

private:
    QString m_program;
};

void DevsimProgramTest::initTestCase()
{
    m_program = qEnvironmentVariable("CFG_SIMULATOR");
    if (m_program.isEmpty())
        m_program = QCoreApplication::applicationDirPath() + QStringLiteral("/devsim");
    QVERIFY2(QFileInfo(m_program).isExecutable(), qPrintable(m_program));
}

void DevsimProgramTest::help()
{
    QProcess process;
    process.start(m_program, {QStringLiteral("--help")});
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitCode(), 0);
    const QString text = QString::fromLocal8Bit(process.readAllStandardOutput());
    for (const char *option :
         {"--query-port", "--tftp-port", "--hardware-address", "--reply", "--fault", "--ack-delay",
          "--lose-blocks", "--store", "--interface", "--log"})
        QVERIFY2(text.contains(QLatin1String(option)), option);
}

void DevsimProgramTest::refusesBadArguments_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "Unknown option 'frobnicate'";
    QTest::newRow("port range") << QStringList{"--query-port", "70000"} << "--query-port needs";
    QTest::newRow("hardware address")
        << QStringList{"--hardware-address", "02-00-00-04-0B"} << "six hex pairs";
    QTest::newRow("fault name") << QStringList{"--fault", "sometimes"} << "Unknown --fault";
    QTest::newRow("device type") << QStringList{"--device-type", "16"} << "code 0-15";
    QTest::newRow("lost block 0") << QStringList{"--lose-blocks", "3,0"} << "--lose-blocks needs";
    QTest::newRow("ack delay") << QStringList{"--ack-delay", "-0.5"} << "--ack-delay needs";
    QTest::newRow("firmware type") << QStringList{"--firmware-type", "X"} << "two characters";
    QTest::newRow("stray argument") << QStringList{"extra"} << "Unexpected argument: extra";
    QTest::newRow("missing store")
        << QStringList{"--query-port", "0", "--tftp-port", "0", "--store", "/nonexistent/folder"}
        << "store folder does not exist";
}

void DevsimProgramTest::refusesBadArguments()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QProcess process;
    process.start(m_program, arguments);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QVERIFY(process.exitCode() != 0);
    const QString error = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(error.contains(message), qPrintable(error));
}

void DevsimProgramTest::answersAndLogsThenStopsOnSignal_data()
{
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<bool>("datagramLog");
    QTest::newRow("SIGTERM") << int(SIGTERM) << true;
    QTest::newRow("SIGINT") << int(SIGINT) << true;
    QTest::newRow("SIGINT, --no-datagram-log: notices only") << int(SIGINT) << false;
}

void DevsimProgramTest::answersAndLogsThenStopsOnSignal()
{
    QFETCH(int, signalNumber);
    QFETCH(bool, datagramLog);
    QTemporaryDir store;
    QProcess process;
    const QStringList quiet = datagramLog ? QStringList() : QStringList{"--no-datagram-log"};
    process.start(m_program,
                  QStringList{"--query-port", "0", "--tftp-port", "0", "--store", store.path(),
                              "--hardware-address", "02-00-00-12-34-5F", "--firmware-version",
                              "05.25", "--firmware-type", "Q2", "--device-type", "4"} +
                      quiet);
    const auto stop = qScopeGuard([&process] {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(2000);
        }
    });
    QVERIFY(process.waitForReadyRead(5000));
    const QString ready = QString::fromLatin1(process.readLine());
    const auto match =
        QRegularExpression(QStringLiteral("query port (\\d+), tftp port (\\d+)")).match(ready);
    QVERIFY2(match.hasMatch(), qPrintable(ready));

    QUdpSocket socket;
    QVERIFY(socket.bind(QHostAddress::LocalHost, 0));
    socket.writeDatagram(QByteArray::fromHex("000000f6"), QHostAddress::LocalHost,
                         quint16(match.captured(1).toUInt()));
    QTRY_VERIFY(socket.hasPendingDatagrams());
    const QByteArray reply = socket.receiveDatagram().data();
    // Device type 4 replaces the low nibble of 0x12 (byte 27).
    QCOMPARE(reply.toHex(),
             QByteArray("000000f7000025055132" + QByteArray(28, '0') + "02000014345f"));

    ::kill(pid_t(process.processId()), signalNumber);
    QVERIFY(process.waitForFinished(5000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    const QString log = QString::fromLatin1(process.readAllStandardOutput());
    QCOMPARE(log.contains(QStringLiteral(" RECV 127.0.0.1:%1 -> port %2 (4 bytes) 00 00 00 F6")
                              .arg(socket.localPort())
                              .arg(match.captured(1))),
             datagramLog);
    QCOMPARE(log.contains(QStringLiteral("(30 bytes) 00 00 00 F7 00 00 25 05 51 32")), datagramLog);
    QVERIFY(log.contains(QStringLiteral("NOTE Stopped")));
}

QObject *createDevsimProgramTest()
{
    return new DevsimProgramTest;
}

#include "DevsimProgramTest.moc"
