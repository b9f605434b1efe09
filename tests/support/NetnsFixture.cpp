#include "NetnsFixture.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>

namespace {
const QString Prefix = QStringLiteral("cfgtest-");

QString ipProgram()
{
    const QString found = QStandardPaths::findExecutable(QStringLiteral("ip"));
    if (!found.isEmpty())
        return found;
    return QStandardPaths::findExecutable(QStringLiteral("ip"),
                                          {QStringLiteral("/usr/sbin"), QStringLiteral("/sbin"),
                                           QStringLiteral("/usr/bin"), QStringLiteral("/bin")});
}

// Serialises subnet choice and creation between test programs run in parallel.
class CreationLock {
public:
    CreationLock() : m_fd(::open("/tmp/cfgtest-netns.lock", O_CREAT | O_RDWR | O_CLOEXEC, 0600))
    {
        if (m_fd >= 0)
            ::flock(m_fd, LOCK_EX);
    }
    ~CreationLock()
    {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    CreationLock(const CreationLock &) = delete;
    CreationLock &operator=(const CreationLock &) = delete;

private:
    int m_fd;
};
} // namespace

NetnsFixture::~NetnsFixture()
{
    tearDown();
}

int NetnsFixture::ip(const QStringList &arguments, QByteArray *output)
{
    const QString program = ipProgram();
    if (program.isEmpty())
        return -1;
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished(1000);
        return -1;
    }
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

void NetnsFixture::removeStale()
{
    // cfgtest-<pid>-<n>: left behind when <pid> is gone.
    QByteArray list;
    if (ip({QStringLiteral("netns"), QStringLiteral("list")}, &list) != 0)
        return;
    static const QRegularExpression pattern(QStringLiteral("^cfgtest-(\\d+)-\\d+"));
    for (const QByteArray &line : list.split('\n')) {
        const auto match = pattern.match(QString::fromLatin1(line));
        if (!match.hasMatch())
            continue;
        const pid_t owner = pid_t(match.captured(1).toLongLong());
        if (::kill(owner, 0) == 0 || errno != ESRCH)
            continue; // its test program is still running
        ip({QStringLiteral("netns"), QStringLiteral("delete"), match.captured(0)});
    }
}

bool NetnsFixture::setUp(QString *reason)
{
    auto refuse = [reason](const QString &why) {
        *reason = why;
        return false;
    };
    if (::geteuid() != 0)
        return refuse(QStringLiteral("network namespaces need root"));
    if (ipProgram().isEmpty())
        return refuse(QStringLiteral("the ip program (iproute2) is not installed"));

    static int counter = 0;
    const int serial = ++counter;
    const QString pid = QString::number(QCoreApplication::applicationPid());
    m_name = Prefix + pid + QLatin1Char('-') + QString::number(serial);
    m_hostIf = QStringLiteral("cfh%1x%2").arg(pid).arg(serial).left(15);
    m_nsIf = QStringLiteral("cfn%1x%2").arg(pid).arg(serial).left(15);

    CreationLock lock;
    removeStale();
    m_subnet = freeSubnet(1 + int(QCoreApplication::applicationPid() % 200));
    if (m_subnet == 0)
        return refuse(QStringLiteral("no free 198.18.N.0/24 subnet on this host"));

    QByteArray output;
    if (ip({QStringLiteral("netns"), QStringLiteral("add"), m_name}, &output) != 0) {
        m_name.clear();
        return refuse(QStringLiteral("ip netns add failed: ") + QString::fromLocal8Bit(output));
    }
    const QString mask = QStringLiteral("/24");
    const QList<QStringList> steps = {
        {"link", "add", m_hostIf, "type", "veth", "peer", "name", m_nsIf, "netns", m_name},
        {"addr", "add", hostAddress() + mask, "dev", m_hostIf},
        {"link", "set", m_hostIf, "up"},
        {"-n", m_name, "addr", "add", namespaceAddress() + mask, "dev", m_nsIf},
        {"-n", m_name, "link", "set", m_nsIf, "up"},
        {"-n", m_name, "link", "set", "lo", "up"},
    };
    for (const QStringList &step : steps) {
        if (ip(step, &output) != 0) {
            const QString why =
                QStringLiteral("ip %1 failed: %2")
                    .arg(step.join(QLatin1Char(' ')), QString::fromLocal8Bit(output).trimmed());
            tearDown();
            return refuse(why);
        }
    }
    return true;
}

int NetnsFixture::freeSubnet(int from)
{
    QByteArray addresses;
    ip({QStringLiteral("-4"), QStringLiteral("-o"), QStringLiteral("addr"), QStringLiteral("show")},
       &addresses);
    for (int n = from; n <= from + 600; ++n) {
        const int candidate = 1 + (n % 254);
        if (!addresses.contains(QStringLiteral("198.18.%1.").arg(candidate).toLatin1()))
            return candidate;
    }
    return 0;
}

bool NetnsFixture::addSecondSubnet(QString *reason)
{
    CreationLock lock;
    m_secondSubnet = freeSubnet(m_subnet);
    if (m_secondSubnet == 0) {
        *reason = QStringLiteral("no second free 198.18.N.0/24 subnet on this host");
        return false;
    }
    // Both ends get an address in it, so each side routes it to the pair.
    const QString mask = QStringLiteral("/24");
    const QList<QStringList> steps = {
        {"addr", "add", secondAddress(1) + mask, "dev", m_hostIf},
        {"-n", m_name, "addr", "add", secondAddress(2) + mask, "dev", m_nsIf},
    };
    QByteArray output;
    for (const QStringList &step : steps) {
        if (ip(step, &output) != 0) {
            *reason =
                QStringLiteral("ip %1 failed: %2")
                    .arg(step.join(QLatin1Char(' ')), QString::fromLocal8Bit(output).trimmed());
            m_secondSubnet = 0;
            return false;
        }
    }
    return true;
}

QString NetnsFixture::address(int host) const
{
    return QStringLiteral("198.18.%1.%2").arg(m_subnet).arg(host);
}

QString NetnsFixture::secondAddress(int host) const
{
    return QStringLiteral("198.18.%1.%2").arg(m_secondSubnet).arg(host);
}

QString NetnsFixture::simulatorProgram()
{
    const QString fromEnvironment = qEnvironmentVariable("CFG_SIMULATOR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    return QCoreApplication::applicationDirPath() + QStringLiteral("/devsim");
}

bool NetnsFixture::startSimulator(const QStringList &arguments, QString *error)
{
    const QString program = simulatorProgram();
    if (!QFileInfo(program).isExecutable()) {
        *error = QStringLiteral("the simulator program is missing: ") + program;
        return false;
    }
    QStringList command = {QStringLiteral("netns"),
                           QStringLiteral("exec"),
                           m_name,
                           program,
                           QStringLiteral("--bind"),
                           QStringLiteral("0.0.0.0"),
                           QStringLiteral("--query-port"),
                           QStringLiteral("0"),
                           QStringLiteral("--tftp-port"),
                           QStringLiteral("0"),
                           QStringLiteral("--store"),
                           m_store.path(),
                           QStringLiteral("--interface"),
                           m_nsIf};
    command += arguments; // later options win
    m_simulator.setProcessChannelMode(QProcess::SeparateChannels);
    m_simulator.start(ipProgram(), command);
    static const QRegularExpression ready(
        QStringLiteral("devsim ready: query port (\\d+), tftp port (\\d+)"));
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 5000 && m_simulator.state() != QProcess::NotRunning) {
        m_simulator.waitForReadyRead(100);
        m_log += m_simulator.readAllStandardOutput();
        const auto match = ready.match(QString::fromLatin1(m_log));
        if (match.hasMatch()) {
            m_queryPort = quint16(match.captured(1).toUInt());
            m_tftpPort = quint16(match.captured(2).toUInt());
            return true;
        }
    }
    *error = QStringLiteral("the simulator did not start: ") +
             QString::fromLocal8Bit(m_simulator.readAllStandardError());
    return false;
}

QString NetnsFixture::simulatorLog()
{
    m_log += m_simulator.readAllStandardOutput();
    return QString::fromLatin1(m_log);
}

bool NetnsFixture::waitForLog(const QString &text, int timeoutMs)
{
    return QTest::qWaitFor([&] { return simulatorLog().contains(text); }, timeoutMs);
}

int NetnsFixture::runInside(const QStringList &command, QByteArray *output) const
{
    return ip(QStringList{QStringLiteral("netns"), QStringLiteral("exec"), m_name} + command,
              output);
}

void NetnsFixture::tearDown()
{
    if (m_simulator.state() != QProcess::NotRunning) {
        m_simulator.terminate();
        if (!m_simulator.waitForFinished(3000)) {
            m_simulator.kill();
            m_simulator.waitForFinished(1000);
        }
    }
    if (m_name.isEmpty())
        return;
    // Deleting the namespace destroys its end of the pair and so the pair.
    ip({QStringLiteral("netns"), QStringLiteral("delete"), m_name});
    ip({QStringLiteral("link"), QStringLiteral("delete"), m_hostIf}); // normally gone already
    m_name.clear();
}
