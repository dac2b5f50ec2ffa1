#pragma once
// The effect of an animated-text item: which text effect plays, its
// parameter and frame interval, and the stay time. CPropertyCoolText is the
// window page's panel and opens the animation-effect dialog; inside that
// dialog CPropertyGifEffect edits the same fields while it previews them.
#include "app/controls/ModelessDialog.h"
#include "app/panels/PanelBase.h"

#include <array>
#include <cstdint>

class QComboBox;
class ItemRecord;
namespace controls {
class CRangeEdit;
}
namespace editor {
class CCustomGif;
}

namespace panels {

struct TextEffectRow {
    std::uint16_t id;   // effect of the text-effect engine
    unsigned nameId;
};

inline constexpr std::array<TextEffectRow, 37> kTextEffects{{
    {0, 6580},  {1, 6581},  {8, 6588},  {11, 6592}, {9, 6589},  {12, 6593}, {10, 6590}, {13, 6594},
    {33, 6614}, {34, 6615}, {41, 6622}, {42, 6623}, {43, 6624}, {44, 6651}, {45, 6652}, {61, 6666},
    {62, 6667}, {48, 6653}, {54, 6654}, {55, 6655}, {56, 6656}, {49, 6662}, {50, 6657}, {51, 6658},
    {52, 6659}, {57, 6661}, {58, 6663}, {59, 6664}, {60, 6665}, {63, 6668}, {64, 6671}, {65, 6672},
    {66, 6673}, {67, 6674}, {68, 6675}, {69, 6676}, {70, 6677},
}};

// Fills a combo with the text effects (text = name, data = effect id), first row selected.
void fillTextEffects(QComboBox* combo);

// Runs the animation-effect dialog on an animated-text item with its own
// text and effect panels, then repaints the item.
void runAnimationDialog(const PanelContext& ctx, tagItemData* item, QWidget* parent);

class CPropertyCoolText : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6579;
    enum : int { IdStay = 6133, IdInterval = 6134, IdParameter = 6135, IdEffect = 6574, IdEffectDialog = 6317 };

    CPropertyCoolText(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;
    // The plain fields: stay, interval, parameter and effect.
    static std::span<const FieldBinding> bindings();

protected:
    bool OnInitDialog() override;

private:
    void onEffect(int index);
    void onEffectDialog();

    controls::CRangeEdit* m_stay = nullptr;
    controls::CRangeEdit* m_interval = nullptr;
    controls::CRangeEdit* m_parameter = nullptr;
    QComboBox* m_effect = nullptr;
};

// The effect editor inside the animation-effect dialog; it writes the
// dialog's item and has the dialog re-count and re-time its frames.
class CPropertyGifEffect : public controls::CModelessDialog {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6573;
    enum : int { IdEffect = 6574, IdParameter = 6575, IdInterval = 6255 };

    explicit CPropertyGifEffect(editor::CCustomGif* owner, QWidget* parent = nullptr);
    bool Create(QWidget* parent) { return CModelessDialog::Create(kTemplate, parent); }

protected:
    bool OnInitDialog() override;

private:
    ItemRecord* record() const;
    void onEffect(int index);
    void onParameter();
    void onInterval();

    editor::CCustomGif* m_owner;
    QComboBox* m_effect = nullptr;
    controls::CRangeEdit* m_parameter = nullptr;
    controls::CRangeEdit* m_interval = nullptr;
};

} // namespace panels
