#pragma once
// The border panel of scenes and sections: the band's width and its list of
// elements (added, named, reordered and deleted through the core), with each
// element's motion, timing, pattern and custom picture.
#include "app/panels/PanelBase.h"

#include <QString>

class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;
struct DynFrame;
struct DynFrameElement;
namespace controls {
class CIconButton;
class CRangeEdit;
}

namespace panels {

class CPropertyBorder : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6194;
    enum : int {
        IdMotion = 6187,
        IdAdd = 6188,
        IdUp = 6189,
        IdLength = 6190,
        IdStay = 6191,
        IdDown = 6192,
        IdDelete = 6193,
        IdSpeed = 6194,
        IdPicture = 6196,
        IdGap = 6197,
        IdList = 6212,
        IdBrowse = 6213,
        IdWidth = 6224,
    };
    static constexpr std::uint8_t kCustomPicture = 255;
    // Longest picture path an element keeps.
    static constexpr int kMaxPath = 260;

    CPropertyBorder(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;
    void OnNodeDeleting(tagItemData* node) override;

    // The selected element's motion, length, gap, speed and stay. The width
    // is not here: the core makes or frees the border for it.
    using ElementBinding = FieldBindingOf<DynFrameElement>;
    static std::span<const ElementBinding> elementBindings();

    // The first free name of an element of this type in the border.
    static QString elementName(const DynFrame& border, int type);
    // The type of the element a border of this width starts with.
    static int firstElementType(int width);
    // Adds an element of this type after the selected one (the add menu's work).
    void addElement(int type);
    DynFrameElement* selectedElement() const;

protected:
    bool OnInitDialog() override;

private:
    void onWidth(int index);
    void onRowSelected();
    void onAdd();
    void onDelete();
    void onMove(bool up);
    void onValue(int controlId);
    void onPath(const QString& text);
    void onBrowse();
    void showControls();
    void fillList();
    void placeWidthRow();

    DynFrame* m_border = nullptr;
    QComboBox* m_width = nullptr;
    QComboBox* m_motion = nullptr;
    QListWidget* m_list = nullptr;
    controls::CRangeEdit* m_length = nullptr;
    controls::CRangeEdit* m_gap = nullptr;
    controls::CRangeEdit* m_speed = nullptr;
    controls::CRangeEdit* m_stay = nullptr;
    controls::CIconButton* m_buttons[4] = {};
    QLineEdit* m_path = nullptr;
    QPushButton* m_browse = nullptr;
    QWidget* m_listGroup = nullptr;
    QWidget* m_values = nullptr;
    QWidget* m_pictureRow = nullptr;
    QHBoxLayout* m_widthRow = nullptr;
};

} // namespace panels
