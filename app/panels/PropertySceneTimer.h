#pragma once
// Scene panel: the schedule (date, weekdays, time of day) in the controller's
// time words. The global scene has none: its controls are disabled.
#include "app/panels/PanelBase.h"

#include <cstdint>

class QCheckBox;
class QDate;
class QDateEdit;
class QLabel;
class QTimeEdit;

namespace panels {

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

    // The weekday and time switches, the weekday boxes, the date (in
    // controller time) and the two times of day. The date switch is not
    // here: it also sets or clears the date.
    static std::span<const FieldBinding> bindings();

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
