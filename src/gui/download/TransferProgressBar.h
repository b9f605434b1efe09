#pragma once

#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>

// The download dialogs' progress bar: "N of M bytes", empty when idle.
//
// A transfer reports every acknowledgement, thousands a second on a fast
// link, and a progress bar repaints at once when its value moves far enough.
// Painting each one would cost more than the transfer itself, so the latest
// figures are shown at most every refresh period, and always within one.
class TransferProgressBar : public QProgressBar {
    Q_OBJECT
public:
    static constexpr int kRefreshMs = 40;

    explicit TransferProgressBar(QWidget *parent = nullptr);

    // The bytes sent so far of the file's size.
    void showSent(qint64 sent, qint64 total);
    // Back to the idle look: no bar, no text.
    void clear();

private:
    void apply();

    QElapsedTimer m_sinceShown;
    QTimer m_pending;
    qint64 m_sent = 0;
    qint64 m_total = 0;
};
