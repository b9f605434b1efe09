#include "core/device/QueryPoll.h"

#include "core/device/AddressHolders.h"

QueryPoll::QueryPoll(const QueryPollOptions &options, QObject *parent)
    : QObject(parent), m_options(options),
      // Collecting never ends early by itself: the poll decides when it has seen enough.
      m_holders(new AddressHolders(options.port, options.timeoutMs, options.timeoutMs, this))
{
    m_tick.setSingleShot(true);
    connect(&m_tick, &QTimer::timeout, this, &QueryPoll::tick);
    connect(m_holders, &AddressHolders::answered, this, &QueryPoll::answered);
    connect(m_holders, &AddressHolders::finished, this, &QueryPoll::finish);
}

QueryPoll::~QueryPoll()
{
    stop();
}

void QueryPoll::start(const QString &address, const QString &hardwareAddress,
                      std::function<bool(const DecodedReply &)> wanted)
{
    stop();
    m_address = address.trimmed();
    m_hardware = hardwareAddress;
    m_wanted = std::move(wanted);
    m_polls = 0;
    m_settling = false;
    m_confirmed = false;
    m_holders->start(m_address);
    m_polls = 1;
    m_tick.start(m_options.pollMs);
}

void QueryPoll::stop()
{
    m_tick.stop();
    m_holders->stop();
}

const QList<DecodedReply> &QueryPoll::holders() const
{
    return m_holders->holders();
}

const DecodedReply *QueryPoll::planned() const
{
    for (const DecodedReply &holder : holders())
        if (holder.hardwareAddress == m_hardware)
            return &holder;
    return nullptr;
}

QString QueryPoll::problem() const
{
    return holdersProblem(m_address, m_hardware, holders());
}

void QueryPoll::answered(const DecodedReply &reply)
{
    if (m_settling || reply.hardwareAddress != m_hardware || (m_wanted && !m_wanted(reply)))
        return;
    m_settling = true;
    m_tick.start(m_options.pollMs);
}

void QueryPoll::tick()
{
    if (m_settling)
        return finish();
    // A send that fails now may go next time; the time-out ends the poll.
    m_holders->poll();
    ++m_polls;
    m_tick.start(m_options.pollMs);
}

void QueryPoll::finish()
{
    const bool reached = m_settling;
    stop();
    m_confirmed = reached && problem().isEmpty();
    Q_EMIT finished();
}
