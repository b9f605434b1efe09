#include "gui/download/TransferProgressBar.h"

TransferProgressBar::TransferProgressBar(QWidget *parent) : QProgressBar(parent)
{
    setRange(0, 1000);
    setValue(0);
    setFormat(QString());
    m_pending.setSingleShot(true);
    connect(&m_pending, &QTimer::timeout, this, &TransferProgressBar::apply);
}

void TransferProgressBar::showSent(qint64 sent, qint64 total)
{
    m_sent = sent;
    m_total = total;
    if (!m_sinceShown.isValid() || m_sinceShown.elapsed() >= kRefreshMs) {
        m_pending.stop();
        apply();
    } else if (!m_pending.isActive()) {
        m_pending.start(int(kRefreshMs - m_sinceShown.elapsed()));
    }
}

void TransferProgressBar::clear()
{
    m_pending.stop();
    m_sinceShown.invalidate();
    setValue(0);
    setFormat(QString());
}

void TransferProgressBar::apply()
{
    m_sinceShown.start();
    setValue(int(m_total > 0 ? m_sent * 1000 / m_total : 1000));
    setFormat(QStringLiteral("%1 of %2 bytes").arg(m_sent).arg(m_total));
}
