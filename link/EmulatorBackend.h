#pragma once

#include "ArrivalPace.h"
#include "Ks770Device.h"
#include "SerialBackend.h"

#include <QElapsedTimer>
#include <QTimer>

#include <memory>

// The built-in recorder: one emulated unit for the whole run, whose time follows the clock.
// It keeps running while no port is open, as a real unit would.
class EmulatedUnit {
  public:
    explicit EmulatedUnit(const Ks770Options& options = {});
    Ks770Device& Device() { return m_device; }
    // Brings the unit up to the present and returns what it sent meanwhile.
    QByteArray Sync();
    // Moves the unit's clock on, as if `ms` milliseconds had passed at once: what it sends
    // meanwhile arrives at the next look at the line.
    void Skip(int ms) { m_nSkippedUs += qint64(ms) * 1000; }

  private:
    Ks770Device m_device;
    QElapsedTimer m_clock;
    qint64 m_nSkippedUs = 0;
    qint64 m_nLastUs = 0;
};

// A line to the emulated unit: what the unit sent is brought in every few milliseconds while the
// owner takes every byte, and when the owner's receive threshold should be met (ArrivalPace)
// while it waits for a number of bytes.
class EmulatorBackend : public SerialBackend {
    Q_OBJECT
  public:
    explicit EmulatorBackend(std::shared_ptr<EmulatedUnit> unit, QObject* parent = nullptr);
    bool Open(const PortSettings& settings, QString* error) override;
    void Close() override;
    bool IsOpen() const override { return m_bOpen; }
    bool Write(const QByteArray& bytes) override;
    qint64 BytesWaiting() const override { return m_waiting.size(); }
    QByteArray ReadAll() override;
    void SetReceiveThreshold(int bytes) override;

    static constexpr int kPollMs = 10; // without a threshold

  private:
    void Poll();
    void PollAgain();

    std::shared_ptr<EmulatedUnit> m_unit;
    QTimer m_timer;
    QByteArray m_waiting;
    bool m_bOpen = false;
    int m_nThreshold = 0;
    ArrivalPace m_pace;
};
