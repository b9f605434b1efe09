#include "SimulatorFixture.h"

#include "core/session/AppContext.h"

#include <QDir>
#include <QFile>
#include <QtDebug>

SimulatorFixture::SimulatorFixture()
{
    options.bindAddress = QHostAddress(QHostAddress::LocalHost);
    options.queryPort = 0;
    options.tftpPort = 0;
    options.storeFolder = m_store.path();
}

bool SimulatorFixture::start()
{
    QString error;
    if (m_simulator.start(options, &error))
        return true;
    qWarning().noquote() << "Simulator did not start:" << error;
    return false;
}

void SimulatorFixture::pointAt(AppContext &context) const
{
    context.ports.query = queryPort();
    context.ports.tftp = tftpPort();
}

bool SimulatorFixture::hasStoredFile(const QString &name) const
{
    return QFile::exists(QDir(options.storeFolder).filePath(name));
}

QByteArray SimulatorFixture::storedFile(const QString &name) const
{
    QFile file(QDir(options.storeFolder).filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.readAll();
    if (bytes.isNull())
        bytes = QByteArray(""); // an empty file is not a missing one
    return bytes;
}

QList<QByteArray> SimulatorFixture::receivedBytes() const
{
    QList<QByteArray> result;
    for (const LoggedDatagram &entry : m_simulator.log())
        if (!entry.sent)
            result.append(entry.bytes);
    return result;
}

QList<QByteArray> SimulatorFixture::sentBytes() const
{
    QList<QByteArray> result;
    for (const LoggedDatagram &entry : m_simulator.log())
        if (entry.sent)
            result.append(entry.bytes);
    return result;
}
