#pragma once
// The panel of digital clocks: style, shown parts, font and colour, the
// three options, the title text and the clock's entry effect.
#include "app/panels/PanelBase.h"
#include "core/api/TypeRecords.h"

#include <array>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class ItemRecord;
namespace controls {
class CRangeEdit;
}

namespace panels {

class CPropertyClockDigit : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 107;
    enum : int {
        IdEffectStatic = 6177,
        IdEffectMultiLine = 6178,
        IdEffectScroll = 6179,
        IdSpeedLabel = 6181,
        IdSpeed = 6182,
        IdStyle = 6184,
        IdFont = 6185,
        IdFirstPart = 6187,   // eight check boxes, bit 0 to bit 7
        IdOptionA0 = 6195,    // three radio pairs up to 6200
        IdStay = 6202,
        IdText = 6204,
    };
    // Entry effect codes of the three radios, and the effect variant each sets.
    static constexpr std::uint8_t kStatic = 44, kScroll = 45, kMultiLine = 46;

    CPropertyClockDigit(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;

    // The plain fields: stay, speed, style, the eight parts and the three options.
    static std::span<const FieldBinding> bindings();

protected:
    bool OnInitDialog() override;

private:
    void onEffect(std::uint8_t code);
    void onFont();
    void setSpeedEnabled(bool on);

    QRadioButton* m_effects[3] = {};
    QLabel* m_speedLabel = nullptr;
    controls::CRangeEdit* m_speed = nullptr;
    controls::CRangeEdit* m_stay = nullptr;
    QComboBox* m_style = nullptr;
    QPushButton* m_font = nullptr;
    std::array<QCheckBox*, 8> m_parts{};
    std::array<QRadioButton*, 6> m_options{};
    QLineEdit* m_text = nullptr;
};

// Stores `text` in a fixed wide field of a record, cut to what leaves room
// for the terminator.
bool setBoundedText(ItemRecord& record, records::Chars field, const QString& text);

} // namespace panels
