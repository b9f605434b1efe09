#include "core/net/QuickReplyWait.h"
#include "core/net/UdpSocketControl.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QtTest>

#include <arpa/inet.h>
#include <atomic>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {
// Wide, so a busy machine cannot make a look miss an answer that is there.
constexpr int kWindowUs = 50000;

// Counts the looks and says "here" from the given look on.
struct Answer {
    int comesAt = 1; // 0: never
    int looks = 0;
    bool operator()()
    {
        ++looks;
        return comesAt > 0 && looks >= comesAt;
    }
};

// One exchange whose answer comes through the event loop, in time.
void answeredThroughLoop(QuickReplyWait &wait)
{
    wait.noteSent();
    wait.noteArrived();
}

// A peer in another thread that echoes every datagram at once, as a server
// process on the same machine does while we look.
class EchoThread {
public:
    EchoThread()
    {
        m_fd = ::socket(AF_INET, SOCK_DGRAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto *raw = reinterpret_cast<sockaddr *>(&address);
        timeval tick{0, 20000};
        m_ok = m_fd >= 0 && ::bind(m_fd, raw, length) == 0 &&
               ::getsockname(m_fd, raw, &length) == 0 &&
               ::setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &tick, sizeof tick) == 0;
        m_port = ntohs(address.sin_port);
        if (m_ok)
            m_thread = std::thread([this] { run(); });
    }
    ~EchoThread()
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        if (m_fd >= 0)
            ::close(m_fd);
    }
    bool ok() const { return m_ok; }
    quint16 port() const { return m_port; }

private:
    void run()
    {
        char buffer[600];
        while (!m_stop) {
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t got = ::recvfrom(m_fd, buffer, sizeof buffer, 0,
                                           reinterpret_cast<sockaddr *>(&from), &length);
            if (got >= 0)
                ::sendto(m_fd, buffer, size_t(got), 0, reinterpret_cast<sockaddr *>(&from), length);
        }
    }
    int m_fd = -1;
    bool m_ok = false;
    quint16 m_port = 0;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};
} // namespace

class QuickReplyWaitTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void looksOnlyWhenAnAnswerIsDueFromAPromptPeer_data();
    void looksOnlyWhenAnAnswerIsDueFromAPromptPeer();
    void findsTheAnswerWithinTheWindow();
    void aFruitlessLookIsBackedOff();
    void aLateAnswerStopsTheLooking();
    void forgetStartsAfresh();
    void burstHandsTheLoopBack();
    void chattyPeerNeitherLosesDatagramsNorStarvesTimers();
};

void QuickReplyWaitTest::looksOnlyWhenAnAnswerIsDueFromAPromptPeer_data()
{
    QTest::addColumn<int>("windowUs");
    QTest::addColumn<int>("promptAnswers");
    QTest::addColumn<bool>("sent");
    QTest::addColumn<bool>("looks");
    QTest::newRow("off") << 0 << 3 << true << false;
    QTest::newRow("nothing sent") << kWindowUs << 3 << false << false;
    QTest::newRow("peer not yet heard from") << kWindowUs << 0 << true << false;
    QTest::newRow("one prompt answer") << kWindowUs << 1 << true << true;
}

void QuickReplyWaitTest::looksOnlyWhenAnAnswerIsDueFromAPromptPeer()
{
    QFETCH(int, windowUs);
    QFETCH(int, promptAnswers);
    QFETCH(bool, sent);
    QFETCH(bool, looks);
    QuickReplyWait wait;
    wait.setWindowMicroseconds(windowUs);
    for (int i = 0; i < promptAnswers; ++i)
        answeredThroughLoop(wait);
    if (sent)
        wait.noteSent();
    wait.beginBurst();
    Answer answer{1};
    QCOMPARE(wait.waitFor(std::ref(answer)), looks);
    QCOMPARE(answer.looks, looks ? 1 : 0);
}

void QuickReplyWaitTest::findsTheAnswerWithinTheWindow()
{
    QuickReplyWait wait;
    wait.setWindowMicroseconds(kWindowUs);
    answeredThroughLoop(wait);
    for (int exchange = 0; exchange < 3; ++exchange) {
        wait.noteSent();
        wait.beginBurst();
        Answer answer{4};
        QVERIFY(wait.waitFor(std::ref(answer)));
        QCOMPARE(answer.looks, 4);
        // Taken: nothing more is due until the next send.
        Answer again{1};
        QVERIFY(!wait.waitFor(std::ref(again)));
        QCOMPARE(again.looks, 0);
    }
}

void QuickReplyWaitTest::aFruitlessLookIsBackedOff()
{
    QuickReplyWait wait;
    wait.setWindowMicroseconds(kWindowUs);
    answeredThroughLoop(wait);
    int needed = 1;
    for (int round = 0; round < 3; ++round) {
        // A look that finds nothing lasts the whole window.
        wait.noteSent();
        wait.beginBurst();
        QElapsedTimer clock;
        clock.start();
        Answer never{0};
        QVERIFY(!wait.waitFor(std::ref(never)));
        QVERIFY(never.looks > 0);
        QVERIFY(clock.nsecsElapsed() >= qint64(kWindowUs) * 1000);
        wait.noteArrived();
        // Then twice as many prompt answers are needed before the next look.
        needed *= 2;
        for (int i = 0; i < needed; ++i) {
            wait.noteSent();
            wait.beginBurst();
            Answer answer{1};
            QVERIFY2(!wait.waitFor(std::ref(answer)), qPrintable(QString::number(i)));
            QCOMPARE(answer.looks, 0);
            wait.noteArrived();
        }
    }
    // A look that succeeds brings the need back to one prompt answer.
    wait.noteSent();
    wait.beginBurst();
    Answer soon{2};
    QVERIFY(wait.waitFor(std::ref(soon)));
    wait.noteSent();
    wait.beginBurst();
    Answer nothing{0};
    QVERIFY(!wait.waitFor(std::ref(nothing)));
    wait.noteArrived();
    answeredThroughLoop(wait);
    answeredThroughLoop(wait);
    wait.noteSent();
    wait.beginBurst();
    Answer next{1};
    QVERIFY(wait.waitFor(std::ref(next)));
}

void QuickReplyWaitTest::aLateAnswerStopsTheLooking()
{
    QuickReplyWait wait;
    wait.setWindowMicroseconds(kWindowUs);
    answeredThroughLoop(wait);
    wait.noteSent();
    QTest::qSleep(2 * kWindowUs / 1000);
    wait.noteArrived(); // came through the loop, but later than the window
    wait.noteSent();
    wait.beginBurst();
    Answer answer{1};
    QVERIFY(!wait.waitFor(std::ref(answer)));
    QCOMPARE(answer.looks, 0);
}

void QuickReplyWaitTest::forgetStartsAfresh()
{
    QuickReplyWait wait;
    wait.setWindowMicroseconds(kWindowUs);
    answeredThroughLoop(wait);
    wait.noteSent();
    wait.forget();
    wait.beginBurst();
    Answer answer{1};
    QVERIFY(!wait.waitFor(std::ref(answer))); // nothing due any more
    wait.noteSent();
    QVERIFY(!wait.waitFor(std::ref(answer))); // and the peer is unknown again
    QCOMPARE(answer.looks, 0);
}

void QuickReplyWaitTest::burstHandsTheLoopBack()
{
    QuickReplyWait wait;
    wait.setWindowMicroseconds(kWindowUs);
    answeredThroughLoop(wait);
    wait.beginBurst();
    QTest::qSleep(6);
    wait.noteSent();
    Answer answer{1};
    QVERIFY(!wait.waitFor(std::ref(answer)));
    QCOMPARE(answer.looks, 0);
    wait.beginBurst();
    QVERIFY(wait.waitFor(std::ref(answer)));
}

void QuickReplyWaitTest::chattyPeerNeitherLosesDatagramsNorStarvesTimers()
{
    // A peer that answers at once keeps the control busy; every datagram must
    // still be raised once and in order, and a timer must fire on time. The
    // window is wide, so looks do not end by missing an answer.
    EchoThread echo;
    QVERIFY(echo.ok());
    UdpSocketControl control;
    control.setHostAddress(QStringLiteral("127.0.0.1"));
    control.setRemotePort(echo.port());
    control.setQuickReplyWindow(100'000);
    QElapsedTimer clock;
    int next = 0;
    bool outOfOrder = false;
    qint64 firedAtMs = -1;
    int raisedBeforeTimer = -1;
    connect(&control, &UdpSocketControl::connected, this,
            [&] { control.send(QByteArray::number(next)); });
    connect(&control, &UdpSocketControl::dataArrived, this, [&](int length) {
        if (control.read(length) != QByteArray::number(next))
            outOfOrder = true;
        // Goes on until well after the timer is due, but ends in any case.
        if (clock.elapsed() < 300)
            control.send(QByteArray::number(++next));
    });
    QTimer::singleShot(30, this, [&] {
        firedAtMs = clock.elapsed();
        raisedBeforeTimer = next;
    });
    clock.start();
    control.connectSocket();
    QTRY_VERIFY_WITH_TIMEOUT(clock.elapsed() > 400, 5000);
    control.close();
    QVERIFY(!outOfOrder);
    QVERIFY(raisedBeforeTimer > 0); // exchanges were going on when it fired
    QVERIFY2(firedAtMs >= 0 && firedAtMs < 150, qPrintable(QString::number(firedAtMs)));
    QVERIFY(next > raisedBeforeTimer); // and went on afterwards
}

QObject *createQuickReplyWaitTest()
{
    return new QuickReplyWaitTest;
}

#include "QuickReplyWaitTest.moc"
