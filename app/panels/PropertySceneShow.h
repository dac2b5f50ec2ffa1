#pragma once
// Scene panel: the scene's background picture, its layout and the option to
// clear the area outside the global sections. The global scene has none of
// these: for it every control is disabled and nothing is written.
#include "app/panels/PanelBase.h"

#include <cstdint>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace panels {

class CPropertySceneShow : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 106;
    enum : int { IdPath = 6232, IdBrowse = 6233, IdMode = 6234, IdOption = 6244 };

    CPropertySceneShow(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;

    // Picture mode (repaints) and the scene option bit (does not).
    static const FieldBinding kModeBinding;
    static const FieldBinding kOptionBinding;

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

} // namespace panels
