#pragma once
// The three pages of the property pane, one per tree level: the screen page,
// the scene page and the window page. A page owns its panels, lays them out
// as columns of the page's height and passes the node on with WM_NODE_LOAD.
#include "app/controls/ModelessDialog.h"
#include "app/panels/PanelBase.h"
#include "app/panels/SubwndLayout.h"

#include <array>

namespace panels {

class CPropertyScreenInfo;
class CPropertyScreenComm;
class CPropertySceneShow;
class CPropertyScenePlayMode;
class CPropertySceneTimer;
class CPropertySection;
class CPropertyProgList;
class CPropertyEffectText;

// The place of a panel that a later version of the page fills; it shows an
// empty column and takes no node.
class CEmptyPanel : public CPanelBase {
    Q_OBJECT
public:
    CEmptyPanel(unsigned templateId, PanelContext ctx, QWidget* parent = nullptr)
        : CPanelBase(templateId, ctx, parent) {}
    int OnNodeLoad(tagItemData*) override { return 0; }
};

// Common to the pages: WM_NODE_SELECT and the deletion notice to every panel.
class CPropertyPage : public controls::CModelessDialog {
    Q_OBJECT
public:
    CPropertyPage(unsigned templateId, PanelContext ctx, QWidget* parent);
    virtual int OnNodeSelect(tagItemData* node) = 0;
    void OnNodeDeleting(tagItemData* node);
    const QList<CPanelBase*>& panels() const { return m_panels; }

protected:
    bool event(QEvent* e) override;
    template <typename P>
    P* add(P* panel)
    {
        panel->Create(this);
        m_panels.append(panel);
        return panel;
    }
    static void load(CPanelBase* p, tagItemData* node);
    // Puts the panels in their columns; again when one's own minimum changed.
    virtual void placePanels() = 0;
    void resizeEvent(QResizeEvent* e) override;
    // The tallest shown panel's own minimum: lower, the pane scrolls down.
    int panelsMinimumHeight() const;

    PanelContext m_ctx;
    QList<CPanelBase*> m_panels;
};

class CPropertyScreen : public CPropertyPage {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6153;
    CPropertyScreen(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeSelect(tagItemData* node) override;
    CPropertyScreenInfo* info() const { return m_info; }
    CPropertyScreenComm* comm() const { return m_comm; }
    QSize minimumSizeHint() const override;

protected:
    void placePanels() override;

private:
    CPropertyScreenInfo* m_info;
    CPropertyScreenComm* m_comm;
};

class CPropertyScene : public CPropertyPage {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6155;
    CPropertyScene(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeSelect(tagItemData* node) override;
    CPropertySceneShow* show() const { return m_show; }
    CPropertyScenePlayMode* playMode() const { return m_playMode; }
    CPropertySceneTimer* timer() const { return m_timer; }
    CPanelBase* border() const { return m_border; }
    // The fixed panels and the schedule's own minimum: narrower, the
    // schedule's controls would be squeezed out of sight.
    QSize minimumSizeHint() const override;

protected:
    void placePanels() override;

private:
    // The fixed columns' widths, widened to what their panels need.
    std::array<int, 3> columnWidths() const;

    CPropertyScenePlayMode* m_playMode;
    CPanelBase* m_border;
    CPropertySceneShow* m_show;
    CPropertySceneTimer* m_timer;
};

class CPropertySubwnd : public CPropertyPage {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6154;
    CPropertySubwnd(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeSelect(tagItemData* node) override;
    // WM_TEXT_WRAPWIDTH: only the rich-text panel, and only while it is the main panel.
    int OnTextWrapWidth(platform::WPARAM w, platform::LPARAM l);

    CPropertySection* section() const { return m_section; }
    CPropertyProgList* progList() const { return m_list; }
    CPropertyEffectText* effect() const { return m_effect; }
    CPanelBase* border() const { return m_border; }
    CPanelBase* effectPanel(EffectSlot s) const;
    CPanelBase* mainPanel(MainSlot s) const;
    CPanelBase* currentEffect() const { return m_curEffect; }
    CPanelBase* currentMain() const { return m_curMain; }
    QPoint columnOrigin() const { return m_origin; }
    // The fixed columns shown and the main panel's own minimum.
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* e) override;
    void placePanels() override;

private:
    // The columns' widths, widened to what their panels need.
    SubwndWidths widths() const;
    void layoutLeftBlock(bool listShown);
    void layoutRightBlock(bool effectShown);
    void columnsChanged();
    void setCurrent(CPanelBase*& current, CPanelBase* choice, tagItemData* node);

    CPropertySection* m_section;
    CPanelBase* m_border;
    CPropertyProgList* m_list;
    CPropertyEffectText* m_effect;
    CPanelBase* m_coolText;
    std::array<CPanelBase*, kMainSlots> m_main{};
    CPanelBase* m_curEffect = nullptr;
    CPanelBase* m_curMain = nullptr;
    QPoint m_origin;
    bool m_listShown = false;
};

} // namespace panels
