#include "app/panels/PropertyPages.h"

#include "app/spine/Messages.h"
#include "app/panels/PropertyBorder.h"
#include "app/panels/PropertyClockDigit.h"
#include "app/panels/PropertyClockSimul.h"
#include "app/panels/PropertyCount.h"
#include "app/panels/PropertyEffectText.h"
#include "app/panels/PropertyGrid.h"
#include "app/panels/PropertyProgList.h"
#include "app/panels/PropertyScreenComm.h"
#include "app/panels/PropertyScreenInfo.h"
#include "app/panels/PropertySection.h"
#include "app/panels/PropertyCoolText.h"
#include "app/panels/PropertyImg.h"
#include "app/panels/PropertyScenePlayMode.h"
#include "app/panels/PropertySceneShow.h"
#include "app/panels/PropertySceneTimer.h"
#include "app/panels/PropertyText.h"
#include "app/panels/PropertyTextGif.h"
#include "app/panels/PropertyTextSingleLine.h"
#include "core/api/Nodes.h"

namespace panels {
namespace {
constexpr int kGap = 2;
// Templates of the panels that later versions of the pages bring.
constexpr unsigned kMainTemplates[kMainSlots] = {110, 6087, 108, 107, 113, 109, 115, 6543};

CPanelBase* makeMainPanel(MainSlot slot, PanelContext ctx, QWidget* parent)
{
    switch (slot) {
    case MainSlot::SingleLine: return new CPropertyTextSingleLine(ctx, parent);
    case MainSlot::Img: return new CPropertyImg(ctx, parent);
    case MainSlot::RichText: return new CPropertyText(ctx, parent);
    case MainSlot::TextGif: return new CPropertyTextGif(ctx, parent);
    case MainSlot::ClockDigit: return new CPropertyClockDigit(ctx, parent);
    case MainSlot::ClockSimul: return new CPropertyClockSimul(ctx, parent);
    case MainSlot::Count: return new CPropertyCount(ctx, parent);
    case MainSlot::Grid: return new CPropertyGrid(ctx, parent);
    default: return new CEmptyPanel(kMainTemplates[static_cast<int>(slot)], ctx, parent);
    }
}
} // namespace

// ---- common ----

CPropertyPage::CPropertyPage(unsigned templateId, PanelContext ctx, QWidget* parent)
    : controls::CModelessDialog(parent), m_ctx(ctx)
{
    setTemplateId(templateId);
    setObjectName(QString::number(templateId));
}

void CPropertyPage::resizeEvent(QResizeEvent* e)
{
    controls::CModelessDialog::resizeEvent(e);
    placePanels();
}

bool CPropertyPage::event(QEvent* e)
{
    // A panel's own minimum changed (posted by its updateGeometry).
    if (e->type() == QEvent::LayoutRequest) {
        placePanels();
        return true;
    }
    if (spine::NodeSelect::dispatch(e, [this](tagItemData* node) { return OnNodeSelect(node); }))
        return true;
    return controls::CModelessDialog::event(e);
}

void CPropertyPage::OnNodeDeleting(tagItemData* node)
{
    for (CPanelBase* p : m_panels)
        p->OnNodeDeleting(node);
}

void CPropertyPage::load(CPanelBase* p, tagItemData* node)
{
    spine::NodeLoad::send(p, node);
}

int CPropertyPage::panelsMinimumHeight() const
{
    int h = 0;
    for (const CPanelBase* p : m_panels)
        if (p->isVisibleTo(this))
            h = std::max(h, p->minimumSizeHint().height());
    // The page keeps a row below its panels.
    return h > 0 ? h + 2 : 0;
}

// ---- screen page ----

CPropertyScreen::CPropertyScreen(PanelContext ctx, QWidget* parent) : CPropertyPage(kTemplate, ctx, parent)
{
    m_info = add(new CPropertyScreenInfo(ctx, this));
    m_comm = add(new CPropertyScreenComm(ctx, this));
}

namespace {
constexpr int kScreenInfoWidth = 280;
}

QSize CPropertyScreen::minimumSizeHint() const
{
    return {kScreenInfoWidth + kGap + std::max(m_comm->minimumSizeHint().width(), 0) + 2, panelsMinimumHeight()};
}

void CPropertyScreen::placePanels()
{
    const int infoW = kScreenInfoWidth;
    m_info->setGeometry(0, 0, infoW, std::max(height() - 2, 0));
    m_comm->setGeometry(infoW + kGap, 0, std::max(width() - 2 - infoW - kGap, 0), std::max(height() - 2, 0));
}

int CPropertyScreen::OnNodeSelect(tagItemData* node)
{
    load(m_info, node);
    load(m_comm, node);
    return 0;
}

// ---- scene page ----

CPropertyScene::CPropertyScene(PanelContext ctx, QWidget* parent) : CPropertyPage(kTemplate, ctx, parent)
{
    m_playMode = add(new CPropertyScenePlayMode(ctx, this));
    m_border = add(new CPropertyBorder(ctx, this));
    m_show = add(new CPropertySceneShow(ctx, this));
    m_timer = add(new CPropertySceneTimer(ctx, this));
}

namespace {
constexpr int kScenePanelWidths[3] = {210, 170, 340};
}

std::array<int, 3> CPropertyScene::columnWidths() const
{
    const QWidget* panels[3] = {m_playMode, m_border, m_show};
    std::array<int, 3> w{};
    for (std::size_t i = 0; i < w.size(); ++i)
        w[i] = std::max(kScenePanelWidths[i], panels[i]->minimumSizeHint().width());
    return w;
}

QSize CPropertyScene::minimumSizeHint() const
{
    int w = 1;
    for (int panel : columnWidths())
        w += panel + kGap;
    return {w + m_timer->minimumSizeHint().width(), panelsMinimumHeight()};
}

void CPropertyScene::placePanels()
{
    const int h = std::max(height() - 1, 0);
    const std::array<int, 3> widths = columnWidths();
    int x = 0;
    for (auto [panel, w] : {std::pair<QWidget*, int>{m_playMode, widths[0]},
                            {m_border, widths[1]},
                            {m_show, widths[2]}}) {
        panel->setGeometry(x, 0, w, h);
        x += w + kGap;
    }
    m_timer->setGeometry(x, 0, std::max(width() - 1 - x, 0), h);
}

int CPropertyScene::OnNodeSelect(tagItemData* node)
{
    load(m_show, node);
    load(m_playMode, node);
    load(m_border, node);
    load(m_timer, node);
    return 0;
}

// ---- window page ----

CPropertySubwnd::CPropertySubwnd(PanelContext ctx, QWidget* parent) : CPropertyPage(kTemplate, ctx, parent)
{
    m_section = add(new CPropertySection(ctx, this));
    m_border = add(new CPropertyBorder(ctx, this));
    m_list = add(new CPropertyProgList(ctx, this));
    m_effect = add(new CPropertyEffectText(ctx, this));
    m_coolText = add(new CPropertyCoolText(ctx, this));
    for (int i = 0; i < kMainSlots; ++i)
        m_main[static_cast<std::size_t>(i)] = add(makeMainPanel(static_cast<MainSlot>(i), ctx, this));
    for (CPanelBase* p : m_panels)
        if (p != m_border)
            p->hide();
}

CPanelBase* CPropertySubwnd::effectPanel(EffectSlot s) const
{
    switch (s) {
    case EffectSlot::Effect: return m_effect;
    case EffectSlot::CoolText: return m_coolText;
    default: return nullptr;
    }
}

CPanelBase* CPropertySubwnd::mainPanel(MainSlot s) const
{
    const int i = static_cast<int>(s);
    return i >= 0 && i < kMainSlots ? m_main[static_cast<std::size_t>(i)] : nullptr;
}

bool CPropertySubwnd::event(QEvent* e)
{
    if (spine::TextWrapWidth::dispatch(e, [this](std::uintptr_t w, std::intptr_t l) { return OnTextWrapWidth(w, l); }))
        return true;
    return CPropertyPage::event(e);
}

int CPropertySubwnd::OnTextWrapWidth(platform::WPARAM w, platform::LPARAM l)
{
    CPanelBase* rich = mainPanel(MainSlot::RichText);
    if (m_curMain != rich)
        return 0;
    return static_cast<int>(spine::TextWrapWidth::send(rich, w, l));
}

SubwndWidths CPropertySubwnd::widths() const
{
    SubwndWidths w;
    w.section = std::max(w.section, m_section->minimumSizeHint().width());
    w.border = std::max(w.border, m_border->minimumSizeHint().width());
    w.list = std::max(w.list, m_list->minimumSizeHint().width());
    for (const CPanelBase* effect : {static_cast<CPanelBase*>(m_effect), m_coolText})
        if (effect->isVisibleTo(this))
            w.effect = std::max(w.effect, effect->minimumSizeHint().width());
    return w;
}

void CPropertySubwnd::layoutLeftBlock(bool listShown)
{
    const SubwndColumns c = layoutSubwnd(size(), listShown, false, widths());
    m_section->setGeometry(c.section);
    m_section->show();
    m_border->setGeometry(c.border);
    m_border->show();
    m_list->setGeometry(c.list);
    m_list->setVisible(listShown);
    m_listShown = listShown;
    m_origin = c.origin;
}

void CPropertySubwnd::layoutRightBlock(bool effectShown)
{
    const SubwndColumns c = layoutSubwnd(size(), m_listShown, effectShown, widths());
    m_effect->setGeometry(c.effect);
    m_coolText->setGeometry(c.effect);
    for (CPanelBase* p : m_main)
        p->setGeometry(c.main);
}

void CPropertySubwnd::placePanels()
{
    layoutLeftBlock(m_list->isVisibleTo(this));
    layoutRightBlock(m_effect->isVisibleTo(this) || m_coolText->isVisibleTo(this));
}

void CPropertySubwnd::setCurrent(CPanelBase*& current, CPanelBase* choice, tagItemData* node)
{
    if (choice != current) {
        if (current && current->isVisibleTo(this))
            current->hide();
        current = choice;
        if (current)
            current->show();
    }
    if (current)
        load(current, node);
}

QSize CPropertySubwnd::minimumSizeHint() const
{
    const bool effectShown = m_curEffect && m_curEffect->isVisibleTo(this);
    const SubwndWidths w = widths();
    const SubwndColumns c = layoutSubwnd(QSize(0, 0), m_listShown, effectShown, w);
    const int mainX = effectShown ? c.effect.x() + c.effect.width() + w.gap : c.origin.x();
    const int main = m_curMain && m_curMain->isVisibleTo(this) ? m_curMain->minimumSizeHint().width() : 0;
    return {mainX + std::max(main, 0) + 1, panelsMinimumHeight()};
}

void CPropertySubwnd::columnsChanged()
{
    // The pane holding the page may scroll rather than squeeze the columns.
    updateGeometry();
    if (parentWidget())
        parentWidget()->updateGeometry();
}

int CPropertySubwnd::OnNodeSelect(tagItemData* node)
{
    const PanelChoice c = choosePanels(node);
    if (c.loadSection) {
        load(m_section, node);
        load(m_border, node);
    }
    if (c.listWindow) {
        if (!m_list->isVisibleTo(this))
            layoutLeftBlock(true);
        load(m_list, node);
        columnsChanged();
        return 1;
    }
    if (c.list == 0 && m_list->isVisibleTo(this))
        layoutLeftBlock(false);
    layoutRightBlock(c.effect != EffectSlot::None);
    setCurrent(m_curEffect, effectPanel(c.effect), c.load);
    setCurrent(m_curMain, mainPanel(c.main), c.load);
    columnsChanged();
    return 1;
}

} // namespace panels
