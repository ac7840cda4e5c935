#include "EmulatorBackend.h"

EmulatedUnit::EmulatedUnit(const Ks770Options& options) : m_device(options) {
    m_clock.start();
}

QByteArray EmulatedUnit::Sync() {
    const qint64 now = m_clock.nsecsElapsed() / 1000 + m_nSkippedUs;
    const QByteArray sent = m_device.Advance(now - m_nLastUs);
    m_nLastUs = now;
    return sent;
}

EmulatorBackend::EmulatorBackend(std::shared_ptr<EmulatedUnit> unit, QObject* parent)
    : SerialBackend(parent), m_unit(std::move(unit)) {
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &EmulatorBackend::Poll);
}

bool EmulatorBackend::Open(const PortSettings& settings, QString* error) {
    if (m_unit->Device().Disconnected()) {
        if (error)
            *error = QStringLiteral("The emulated recorder has been disconnected");
        return false;
    }
    m_unit->Sync(); // what the unit sent while the port was closed is lost
    m_unit->Device().SetLineSpeed(settings.baud);
    m_waiting.clear();
    m_bOpen = true;
    m_pace.Restart();
    PollAgain();
    return true;
}

void EmulatorBackend::Close() {
    if (!m_bOpen)
        return;
    m_unit->Sync();
    m_bOpen = false;
    m_timer.stop();
    m_waiting.clear();
}

bool EmulatorBackend::Write(const QByteArray& bytes) {
    if (!m_bOpen)
        return false;
    Poll(); // the unit hears the command at the present moment
    m_unit->Device().Receive(bytes);
    return true;
}

QByteArray EmulatorBackend::ReadAll() {
    QByteArray bytes = std::exchange(m_waiting, QByteArray());
    m_pace.Took(bytes.size());
    PollAgain();
    return bytes;
}

void EmulatorBackend::SetReceiveThreshold(int bytes) {
    m_nThreshold = bytes;
    PollAgain();
}

void EmulatorBackend::PollAgain() {
    m_timer.stop();
    if (m_bOpen)
        m_timer.start(m_nThreshold > 0 ? m_pace.NextWaitMs(m_nThreshold, m_waiting.size())
                                       : kPollMs);
}

void EmulatorBackend::Poll() {
    if (!m_bOpen)
        return;
    const QByteArray sent = m_unit->Sync();
    if (!sent.isEmpty()) {
        m_waiting += sent;
        emit dataReady();
    }
    if (m_bOpen && m_unit->Device().Disconnected()) {
        m_bOpen = false;
        m_timer.stop();
        emit lineFailed(QStringLiteral("the emulated recorder was disconnected"));
    } else if (m_bOpen && !m_timer.isActive()) {
        // The owner did not read: if it was told of enough bytes, no use telling again at once.
        if (m_nThreshold > 0 && m_waiting.size() >= m_nThreshold)
            m_timer.start(ArrivalPace::kLongestWaitMs);
        else
            PollAgain();
    }
}
