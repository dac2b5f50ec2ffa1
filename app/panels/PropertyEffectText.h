#pragma once
// How a content item enters its section, stays and leaves: entry and exit
// effect with their speeds, and the stay time. None of these change the
// item's still picture, so nothing here repaints.
#include "app/panels/PanelBase.h"

#include <array>

class QComboBox;
namespace controls {
class CRangeEdit;
}

namespace panels {

class CPropertyEffectText : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6171;
    enum : int { IdEntry = 6110, IdEntrySpeed = 6111, IdExitSpeed = 6112, IdExit = 6113, IdStay = 6114 };

    CPropertyEffectText(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;

    // The fields and their controls; none of them repaints.
    static std::span<const FieldBinding> bindings();

protected:
    bool OnInitDialog() override;

private:
    void onEntry(int index);
    void onExit(int index);
    void onEntrySpeed();
    void onExitSpeed();
    void onStay();

    QComboBox* m_entry = nullptr;
    QComboBox* m_exit = nullptr;
    controls::CRangeEdit* m_entrySpeed = nullptr;
    controls::CRangeEdit* m_exitSpeed = nullptr;
    controls::CRangeEdit* m_stay = nullptr;
};

} // namespace panels
