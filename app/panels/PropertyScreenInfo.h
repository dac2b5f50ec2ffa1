#pragma once
// Left panel of the screen page: what identifies a screen's controller
// (model, address, size, LED work mode), shown read-only.
#include "app/panels/PanelBase.h"

class QLabel;

namespace panels {

class CPropertyScreenInfo : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6160;
    enum : int { IdModel = 6189, IdAddress = 6181, IdWidth = 6182, IdHeight = 6183, IdWorkMode = 6184 };

    CPropertyScreenInfo(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;
    spine::NodeChanges shownChanges() const override
    {
        return spine::NodeChange::Hardware | spine::NodeChange::Geometry | spine::NodeChange::WorkMode;
    }

    // What each value label shows, read-only: the hardware id (shown as its
    // model's name), address, width, height and work mode.
    static std::span<const FieldBinding> bindings();

protected:
    bool OnInitDialog() override;

private:
    QLabel* m_values[5] = {};
};

} // namespace panels
