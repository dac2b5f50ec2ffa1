#pragma once
// The main panel of picture and animation items: the file shown, the display
// mode and, for an animation, the stay time. The browse button opens a file
// dialog; its drop-down part opens the image browser on the program's own
// pictures or animations.
#include "app/panels/PanelBase.h"

#include <functional>

class QAction;
class QComboBox;
class QLineEdit;
class QMenu;
class ItemRecord;
namespace controls {
class CRangeEdit;
class CShadeSplitButton;
}

namespace panels {

class CPropertyImg : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 109;
    enum : int { IdStay = 6133, IdStayLabel = 6253, IdPath = 6125, IdMode = 6127, IdBrowse = 6126 };
    static constexpr int kBrowserCommand = 1000;

    CPropertyImg(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;
    // The plain fields: stay and mode.
    static std::span<const FieldBinding> bindings();

    // The folder the image browser opens on for this item's kind.
    static QString browserFolder(bool animation);

protected:
    bool OnInitDialog() override;
    bool event(QEvent* e) override;

private:
    bool isAnimation() const;
    void onPath();
    void onBrowse();
    void onDropDown();
    // Puts a chosen file into the path edit, which applies it; false when too long to store.
    bool choose(const QString& path);

    controls::CRangeEdit* m_stay = nullptr;
    QWidget* m_stayLabel = nullptr;
    QLineEdit* m_path = nullptr;
    QComboBox* m_mode = nullptr;
    controls::CShadeSplitButton* m_browse = nullptr;
};

} // namespace panels
