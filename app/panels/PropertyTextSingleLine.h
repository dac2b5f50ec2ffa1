#pragma once
// The main panel of single-line text items: one plain text and one font (face,
// height, colour, bold, italic, underline) for the whole item. Every change is
// written at once and the item repainted.
#include "app/panels/PanelBase.h"

#include <functional>

class QLineEdit;
class ItemRecord;
struct LOGFONT;
namespace controls {
class CIconButton;
class CFontComboBox;
class CSizeComboBox;
class CColourPicker;
}

namespace panels {

class CPropertyTextSingleLine : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6087;
    enum : int {
        IdText = 6387,
        IdFace = 6192,
        IdSize = 6193,
        IdColour = 6188,
        IdBold = 6151,
        IdItalic = 6152,
        IdUnderline = 6153,
    };

    CPropertyTextSingleLine(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;
    // The plain fields: size, colour, bold, italic and underline.
    static std::span<const FieldBinding> bindings();

protected:
    bool OnInitDialog() override;

private:
    void onText();
    void onFace(int index);
    void onColour(int code);

    QLineEdit* m_text = nullptr;
    controls::CFontComboBox* m_face = nullptr;
    controls::CSizeComboBox* m_size = nullptr;
    controls::CColourPicker* m_colour = nullptr;
    controls::CIconButton* m_bold = nullptr;
    controls::CIconButton* m_italic = nullptr;
    controls::CIconButton* m_underline = nullptr;
};

} // namespace panels
