#pragma once
// Scene panel: how long a scene plays (repeat, once, or a time in ms).
// The global scene has no play mode: its controls are disabled.
#include "app/panels/PanelBase.h"

#include <cstdint>

class QLabel;
class QRadioButton;
namespace controls {
class CRangeEdit;
}

namespace panels {

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

    // The play time, which the radios and the time edit all write: a time
    // in ms or one of the two values above.
    static const FieldBinding kPlayTimeBinding;

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

} // namespace panels
