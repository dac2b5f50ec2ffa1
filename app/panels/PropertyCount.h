#pragma once
// The panel of counters: counting down to or up from a moment, that moment
// in the controller's time, the text, font, colour, shown parts and the
// entry effect, whose code family follows the direction.
#include "app/panels/PanelBase.h"

#include <QDateTime>
#include <array>

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;
class ItemRecord;
struct SYSTEMTIME;
namespace controls {
class CRangeEdit;
}

namespace panels {

class CPropertyCount : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 113;
    enum : int {
        IdDateLabel = 6116,
        IdTimeLabel = 6117,
        IdDown = 6177,
        IdUp = 6178,
        IdStay = 6212,
        IdDate = 6214,
        IdTime = 6215,
        IdSpeedLabel = 6217,
        IdSpeed = 6218,
        IdFont = 6220,
        IdText = 6221,
        IdDays = 6222,
        IdHours = 6223,
        IdMinutes = 6224,
        IdSeconds = 6225,
        IdEffect1 = 6249,
        IdEffect3 = 6250,
        IdEffect2 = 6251,
    };

    CPropertyCount(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;
    // The plain fields: speed, stay and the four parts.
    static std::span<const FieldBinding> bindings();

    // The entry code of effect position 0, 1 or 2 for a direction, and the
    // same position in the other direction's family (other codes unchanged).
    static std::uint8_t effectCode(std::uint32_t direction, int position);
    static std::uint8_t otherFamily(std::uint8_t code);
    // The moment a counter without one starts at: 30 days on at midnight
    // when counting down, now when counting up.
    static QDateTime defaultMoment(std::uint32_t direction, const QDateTime& now);

protected:
    bool OnInitDialog() override;

private:
    void onEffect(int position);
    void onDirection(std::uint32_t direction);
    void onPicker();
    void onFont();
    // The moment as the record is to hold it: its own, or the default for
    // its direction when it holds none, in controller time.
    std::uint32_t momentToStore() const;
    // Stores that moment (a new counter's default, announced like any other
    // write, even during a load) and shows it with the direction's labels.
    void refreshMoment();
    void showMoment(const QDateTime& t);
    void setSpeedEnabled(bool on);

    bool m_syncing = false;
    QRadioButton* m_down = nullptr;
    QRadioButton* m_up = nullptr;
    std::array<QRadioButton*, 3> m_effects{};
    QLabel* m_dateLabel = nullptr;
    QLabel* m_timeLabel = nullptr;
    QDateEdit* m_date = nullptr;
    QTimeEdit* m_time = nullptr;
    QLabel* m_speedLabel = nullptr;
    controls::CRangeEdit* m_speed = nullptr;
    controls::CRangeEdit* m_stay = nullptr;
    QPushButton* m_font = nullptr;
    QLineEdit* m_text = nullptr;
    std::array<QCheckBox*, 4> m_parts{};
};

} // namespace panels
