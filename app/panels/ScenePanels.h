#pragma once
// The scene panels: background picture and mode, play mode, and schedule.
// The global scene has none of these: for it every control is disabled.
#include "app/panels/PanelBase.h"

#include <QDate>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;
namespace controls {
class CRangeEdit;
}

namespace panels {

class CPropertySceneShow : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 106;
    enum : int { IdPath = 6232, IdBrowse = 6233, IdMode = 6234, IdOption = 6244 };

    CPropertySceneShow(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;

protected:
    bool OnInitDialog() override;

private:
    void onPath();
    void onBrowse();
    void onMode(int index);
    void onOption();

    QLineEdit* m_path = nullptr;
    QPushButton* m_browse = nullptr;
    QComboBox* m_mode = nullptr;
    QCheckBox* m_option = nullptr;
    QLabel* m_labels[2] = {};
};

class CPropertyScenePlayMode : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6162;
    enum : int { IdStay = 6522, IdOnce = 6523, IdTimed = 6524, IdTime = 6179 };
    // Play-time values with a meaning of their own.
    static constexpr std::int32_t kRepeatForever = -1;
    static constexpr std::int32_t kPlayOnce = static_cast<std::int32_t>(0xFFFF0000u);
    static constexpr std::int32_t kTimedDefault = 60000;

    CPropertyScenePlayMode(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;

protected:
    bool OnInitDialog() override;

private:
    void onRadio(int id);
    void onTime();
    void setEnabledAll(bool on);

    QRadioButton* m_radio[3] = {};
    controls::CRangeEdit* m_time = nullptr;
    QLabel* m_label = nullptr;
};

class CPropertySceneTimer : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6503;
    enum : int {
        IdDateOn = 6151, IdWeekOn = 6152, IdTimeOn = 6153, IdDate = 6226, IdStart = 6228, IdEnd = 6229,
        IdTo = 6238, IdFirstDay = 6230,
    };
    // The weekday bit of each day box 6230 to 6236 (bit 0 is Sunday).
    static constexpr int kDayBits[7] = {1, 2, 3, 4, 5, 6, 0};

    CPropertySceneTimer(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;

    // A time of day as the schedule stores it.
    static std::uint16_t packTime(int hour, int minute) { return static_cast<std::uint16_t>((hour << 8) | minute); }

protected:
    bool OnInitDialog() override;

private:
    void enableParts();
    void onDateOn();
    void onWeekOn();
    void onTimeOn();
    void onDate();
    void onStart();
    void onEnd();
    void onDay(int box);
    std::uint32_t remoteDay(const QDate& d) const;

    QCheckBox* m_on[3] = {};
    QDateEdit* m_date = nullptr;
    QTimeEdit* m_start = nullptr;
    QTimeEdit* m_end = nullptr;
    QLabel* m_to = nullptr;
    QCheckBox* m_days[7] = {};
};

} // namespace panels
