#pragma once

#include <QElapsedTimer>

// When to look at a line again while its owner waits for a number of bytes: a little after
// they should all be there, at the rate bytes have been arriving. A device such as the recorder
// writes every few milliseconds, and looking at each write costs far more than the bytes are
// worth.
class ArrivalPace {
  public:
    static constexpr int kLongestWaitMs = 100;
    static constexpr int kShortestWaitMs = 5;
    static constexpr int kFirstWaitMs = 20; // before the rate is known

    // The line was opened: nothing has arrived yet.
    void Restart();
    // The owner took `bytes`.
    void Took(qint64 bytes) { m_nTaken += bytes; }
    qint64 Taken() const { return m_nTaken; }
    // Milliseconds to the next look while `threshold` bytes are awaited and `waiting` are there.
    int NextWaitMs(qint64 threshold, qint64 waiting);

  private:
    // The rate is measured over windows of a quarter to one second.
    QElapsedTimer m_clock;
    qint64 m_nArrived = 0; // bytes taken and waiting when the window started
    qint64 m_nTaken = 0;   // bytes taken since the opening
    double m_dRate = 0;    // bytes per millisecond; 0 until measured
};
