#include "MSComm.h"

#include <algorithm>

CMSComm::CMSComm(LineFactory lines, QObject* parent) : QObject(parent), m_lines(std::move(lines)) {
    m_settings = *PortSettings::Parse(m_strSettings);
}

CMSComm::~CMSComm() = default;

bool CMSComm::SetSettings(const QString& settings) {
    const std::optional<PortSettings> parsed = PortSettings::Parse(settings);
    if (!parsed) {
        m_strLastError = QStringLiteral("Invalid port settings \"%1\"").arg(settings);
        return false;
    }
    m_strSettings = settings;
    m_settings = *parsed;
    return true;
}

bool CMSComm::SetPortOpen(bool bOpen) {
    if (!bOpen) {
        if (m_backend)
            m_backend->Close();
        m_backend.reset();
        return true;
    }
    if (GetPortOpen())
        return true;
    if (m_lines)
        m_backend = m_lines(m_nCommPort);
    if (!m_backend) {
        m_strLastError = QStringLiteral("Port %1 does not exist").arg(m_nCommPort);
        return false;
    }
    connect(m_backend.get(), &SerialBackend::dataReady, this, &CMSComm::OnDataReady);
    connect(m_backend.get(), &SerialBackend::lineFailed, this, [this](const QString& message) {
        m_strLastError = message;
        emit lineFailed(message);
    });
    QString error;
    if (!m_backend->Open(m_settings, &error)) {
        m_strLastError = error;
        m_backend.reset();
        return false;
    }
    m_backend->SetReceiveThreshold(m_nRThreshold);
    return true;
}

void CMSComm::SetRThreshold(short threshold) {
    m_nRThreshold = threshold;
    if (GetPortOpen())
        m_backend->SetReceiveThreshold(threshold);
}

bool CMSComm::GetPortOpen() const {
    return m_backend && m_backend->IsOpen();
}

bool CMSComm::SetOutput(const QByteArray& bytes) {
    if (!GetPortOpen()) {
        m_strLastError = QStringLiteral("The port is not open");
        return false;
    }
    return m_backend->Write(bytes);
}

short CMSComm::GetInBufferCount() const {
    return GetPortOpen() ? short(std::min<qint64>(m_backend->BytesWaiting(), 32767)) : 0;
}

QByteArray CMSComm::GetInput() {
    return GetPortOpen() ? m_backend->ReadAll() : QByteArray();
}

void CMSComm::OnDataReady() {
    if (m_nRThreshold > 0 && GetPortOpen() && m_backend->BytesWaiting() >= m_nRThreshold) {
        m_nCommEvent = kEventReceive;
        emit OnComm();
    }
}
