#include "AddressInstaller.h"

#include <QProcess>

AddressInstaller::AddressInstaller(QString interfaceName, QHostAddress current, QObject *parent)
    : QObject(parent), m_interface(std::move(interfaceName)), m_current(std::move(current))
{
}

bool AddressInstaller::addAll(const QString &interfaceName, const QList<QHostAddress> &addresses,
                              QString *error)
{
    QByteArray script;
    for (const QHostAddress &address : addresses)
        script += "address replace " + address.toString().toLatin1() + "/32 dev " +
                  interfaceName.toLatin1() + '\n';
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("ip"), {QStringLiteral("-batch"), QStringLiteral("-")});
    process.write(script);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        if (error)
            *error =
                QStringLiteral("Cannot add the device addresses to %1: %2")
                    .arg(interfaceName, process.error() == QProcess::FailedToStart
                                            ? process.errorString()
                                            : QString::fromLocal8Bit(process.readAll()).trimmed());
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(1000);
        }
        return false;
    }
    return true;
}

void AddressInstaller::install(const QHostAddress &address)
{
    if (address == m_current)
        return;
    if (!m_current.isNull()) {
        runIp({QStringLiteral("addr"), QStringLiteral("del"),
               m_current.toString() + QStringLiteral("/32"), QStringLiteral("dev"), m_interface},
              m_current, false);
    }
    m_current = address;
    runIp({QStringLiteral("addr"), QStringLiteral("add"),
           address.toString() + QStringLiteral("/32"), QStringLiteral("dev"), m_interface},
          address, true);
}

void AddressInstaller::runIp(const QStringList &arguments, const QHostAddress &address, bool adding)
{
    auto *process = new QProcess(this);
    process->setProcessChannelMode(QProcess::MergedChannels);
    connect(process, &QProcess::finished, this,
            [this, process, arguments, address, adding](int code, QProcess::ExitStatus status) {
                const QString output = QString::fromLocal8Bit(process->readAll()).trimmed();
                process->deleteLater();
                if (status != QProcess::NormalExit || code != 0) {
                    Q_EMIT notice(QStringLiteral("ip %1 failed: %2")
                                      .arg(arguments.join(QLatin1Char(' ')), output));
                    return;
                }
                Q_EMIT notice(QStringLiteral("ip %1").arg(arguments.join(QLatin1Char(' '))));
                if (adding)
                    Q_EMIT installed(address);
            });
    connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError e) {
        if (e != QProcess::FailedToStart)
            return;
        Q_EMIT notice(QStringLiteral("Cannot run ip: ") + process->errorString());
        process->deleteLater();
    });
    process->start(QStringLiteral("ip"), arguments);
}
