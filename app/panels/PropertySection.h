#pragma once
// First column of the window page: a section's rectangle in LEDs. Every
// change goes through the core, which may fit the rectangle into the
// screen; the panel then shows what the core kept and the canvas follows.
#include "app/panels/PanelBase.h"

class QSpinBox;

namespace panels {

class CPropertySection : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 111;
    enum : int { IdX = 6092, IdY = 6094, IdWidth = 6096, IdHeight = 6098 };

    CPropertySection(PanelContext ctx, QWidget* parent = nullptr);
    // A null node reloads the section held.
    int OnNodeLoad(tagItemData* node) override;
    spine::NodeChanges shownChanges() const override { return spine::NodeChange::Geometry; }

    // Sizes move in steps of two: a typed size is rounded up to even.
    static int roundUpEven(int v) { return (v + 1) & ~1; }

protected:
    bool OnInitDialog() override;

private:
    void onPosition(bool isX);
    void onSize(bool isWidth);
    void setQuietly(QSpinBox* spin, int value);

    QSpinBox* m_spins[4] = {};
};

} // namespace panels
