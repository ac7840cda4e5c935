#include "ArrivalPace.h"

#include <algorithm>
#include <cmath>

void ArrivalPace::Restart() {
    m_clock.start();
    m_nArrived = m_nTaken = 0;
    m_dRate = 0;
}

int ArrivalPace::NextWaitMs(qint64 threshold, qint64 waiting) {
    const qint64 arrived = m_nTaken + waiting;
    const qint64 elapsed = m_clock.elapsed();
    if (elapsed >= 250)
        m_dRate = double(arrived - m_nArrived) / double(elapsed);
    if (elapsed >= 1000) {
        m_clock.restart();
        m_nArrived = arrived;
    }
    // A little past the expected moment, so that one look mostly finds enough.
    const qint64 missing = threshold - waiting;
    int wait = kShortestWaitMs;
    if (missing > 0)
        wait = m_dRate > 0 ? int(std::ceil(double(missing) / m_dRate)) + 2 : kFirstWaitMs;
    return std::clamp(wait, kShortestWaitMs, kLongestWaitMs);
}
