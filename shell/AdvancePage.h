#pragma once

#include <QWidget>

#include <cstdint>

class QCheckBox;
struct ProfileSettings;

// The "Advance" page of the option sheet: whether samples are filtered as they arrive.
class CAdvancePage : public QWidget {
    Q_OBJECT
  public:
    explicit CAdvancePage(const ProfileSettings& start, QWidget* parent = nullptr);

    void OnSetActive();
    void OnKillActive();
    void StoreInto(ProfileSettings& out) const;

    std::int32_t m_bRealTimeOption = 0;
    QCheckBox* m_pRealTime;
};
