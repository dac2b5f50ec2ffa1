// Every panel in the pane at its default size, in each language: no shown
// control is cut by its parent, lies over a sibling or under the panel's
// title bar, or is too small for its text. What the pane scrolls to is
// reachable and fine. Pictures of each go to $TAVRELO_TEST_OUTPUT/panels.
#include "PanelTestUtil.h"

#include "app/spine/Messages.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/Edits.h"
#include "app/panels/PanelProperty.h"
#include "app/panels/PropertyPages.h"
#include "core/api/Core.h"
#include "core/api/ItemRecord.h"
#include "core/api/TypeRecords.h"
#include "support/LangPackScope.h"
#include "support/TreeBuilder.h"

#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStackedWidget>
#include <gtest/gtest.h>

using namespace panels;

namespace {

constexpr int kTitleBarHeight = 20;

QString nameOf(const QWidget* w)
{
    const int id = controls::controlId(w);
    return QStringLiteral("%1 %2").arg(QLatin1String(w->metaObject()->className()),
                                       id ? QString::number(id) : w->objectName());
}

// Widgets that only group other controls; the rest are controls.
bool isContainer(const QWidget* w)
{
    const char* cls = w->metaObject()->className();
    return qobject_cast<const CPanelBase*>(w) || qobject_cast<const CPropertyPage*>(w) ||
           qobject_cast<const QGroupBox*>(w) || qobject_cast<const QStackedWidget*>(w) ||
           qstrcmp(cls, "QWidget") == 0 || qstrcmp(cls, "QFrame") == 0;
}

QString plainText(QString t)
{
    t.remove(QRegularExpression(QStringLiteral("&(?!&)")));
    return t;
}

// What is wrong with one control's own size: its text or its frame cut.
QString sizeFault(QWidget* w)
{
    const QSize s = w->size();
    if (auto* l = qobject_cast<QLabel*>(w)) {
        if (l->text().isEmpty() || l->pixmap().isNull() == false)
            return {};
        if (l->wordWrap())
            return s.height() < l->heightForWidth(s.width()) ? QStringLiteral("wrapped text cut") : QString();
        if (s.width() < l->sizeHint().width() - 1 || s.height() < l->fontMetrics().height())
            return QStringLiteral("text cut (%1 of %2)").arg(s.width()).arg(l->sizeHint().width());
        return {};
    }
    if (qobject_cast<QCheckBox*>(w) || qobject_cast<QRadioButton*>(w)) {
        auto* b = static_cast<QAbstractButton*>(w);
        if (!b->text().isEmpty() && (s.width() < b->sizeHint().width() - 1 || s.height() < b->fontMetrics().height()))
            return QStringLiteral("text cut (%1 of %2)").arg(s.width()).arg(b->sizeHint().width());
        return {};
    }
    if (auto* b = qobject_cast<QPushButton*>(w)) {
        const int need = b->fontMetrics().horizontalAdvance(plainText(b->text())) + 6;
        if (!b->text().isEmpty() && s.width() < need)
            return QStringLiteral("text cut (%1 of %2)").arg(s.width()).arg(need);
    }
    if (auto* e = qobject_cast<QLineEdit*>(w); e && !e->text().isEmpty() && !e->isReadOnly()) {
        // A number shows whole beside its unit.
        auto* unit = qobject_cast<controls::CPostFixEdit*>(w);
        const int need = e->fontMetrics().horizontalAdvance(e->text()) + 8 + (unit ? unit->suffixWidth() : 0);
        if (unit && s.width() < need)
            return QStringLiteral("value cut (%1 of %2)").arg(s.width()).arg(need);
    }
    if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
        qobject_cast<QAbstractSpinBox*>(w)) {
        // Text boxes, lists and buttons keep at least a line of text.
        const int need = std::min(w->minimumSizeHint().height(), w->fontMetrics().height() + 4);
        if (s.height() < need)
            return QStringLiteral("cut in height (%1 of %2)").arg(s.height()).arg(need);
    }
    return {};
}

// Every fault among the shown children of `parent`, and below them.
void collectFaults(QWidget* parent, const QString& where, QStringList& out)
{
    QList<QWidget*> shown;
    for (QObject* o : parent->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && !w->isWindow() && w->isVisibleTo(parent))
            shown.append(w);
    }
    const QRect inside = parent->rect();
    const bool panel = qobject_cast<CPanelBase*>(parent) != nullptr;
    for (int i = 0; i < shown.size(); ++i) {
        QWidget* w = shown[i];
        const QRect r = w->geometry();
        const QString name = where + QStringLiteral(" / ") + nameOf(w);
        if (r.isEmpty() && !isContainer(w))
            out << name + QStringLiteral(": no room at all");
        if (!inside.contains(r))
            out << name + QStringLiteral(": cut by its parent (%1,%2 %3x%4 in %5x%6)")
                              .arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height())
                              .arg(inside.width()).arg(inside.height());
        if (panel && r.top() < kTitleBarHeight)
            out << name + QStringLiteral(": under the title bar");
        for (int j = i + 1; j < shown.size(); ++j)
            if (r.intersects(shown[j]->geometry()))
                out << name + QStringLiteral(": overlaps ") + nameOf(shown[j]);
        if (isContainer(w))
            collectFaults(w, name, out);
        else if (const QString f = sizeFault(w); !f.isEmpty())
            out << name + QStringLiteral(": ") + f;
    }
}

struct Shot {
    const char* name;
    tagItemData* select;   // through the pane
    tagItemData* item;     // then through the window page, when set
};

class PanelFit : public ::testing::TestWithParam<const char*> {};

} // namespace

TEST_P(PanelFit, EveryPanelIsWholeAtThePanesDefaultSize)
{
    support::LangPackScope pack(support::LangPackScope::Start::Empty);
    ASSERT_TRUE(paneltest::loadPack(GetParam()));
    CCore core;
    support::TreeBuilder tree;

    tagItemData* serial = tree.screen(support::ScreenSpec{128, 64}, u"serial");
    serial->Global.CommType = COMM_SERIAL;
    tagItemData* ethernet = tree.screen(support::ScreenSpec{128, 64}, u"ethernet");
    ethernet->Global.CommType = COMM_ETHERNET;
    tagItemData* network = tree.screen(support::ScreenSpec{128, 64}, u"network");
    network->Global.CommType = COMM_NETWORK;
    std::strcpy(network->Global.Host, "192.168.1.20");

    tagItemData* global = tree.scene(network, u"global", IT_GLOBALSCENE);
    tagItemData* scene = tree.scene(network);
    tagItemData* framed = tree.scene(network, u"framed");
    ASSERT_NE(core.SetItemFrame(framed, 4), 0);
    // A border with elements shows their values, a custom picture its file.
    ASSERT_NE(core.AddFrameElement(1, u"dots", framed->Scene.Frame, nullptr), nullptr);

    tagItemData* textWnd = tree.section(scene, QRect(0, 0, 64, 32), u"text", IT_WND_TEXT);
    tree.item(textWnd, IT_TEXT);
    tagItemData* framedWnd = tree.section(framed, QRect(0, 0, 64, 32), u"framed", IT_WND_TEXT);
    tree.item(framedWnd, IT_TEXT);
    ASSERT_NE(core.SetItemFrame(framedWnd, 4), 0);
    ASSERT_NE(core.AddFrameElement(255, u"picture", framedWnd->Section.Frame, nullptr), nullptr);
    tagItemData* analogWnd = tree.section(scene, QRect(64, 0, 64, 64), u"analog", IT_WND_CLOCKSIMUL);
    tree.item(analogWnd, IT_CLOCKSIMUL);
    tagItemData* digitalWnd = tree.section(scene, QRect(0, 32, 64, 16), u"digital", IT_WND_CLOCKDIGIT);
    tree.item(digitalWnd, IT_CLOCKDIGIT);
    tagItemData* countWnd = tree.section(scene, QRect(0, 48, 64, 16), u"count", IT_WND_COUNT);
    tree.item(countWnd, IT_COUNT);
    tagItemData* list = tree.section(scene, QRect(0, 0, 128, 32), u"list", IT_WND_PROGLIST);
    const std::pair<const char*, std::uint16_t> items[] = {
        {"item-singleline", IT_SINGLELINE}, {"item-richtext", IT_TEXT}, {"item-picture", IT_IMAGE},
        {"item-gif", IT_GIF},           {"item-table", IT_GRID},      {"item-animtext", IT_TEXTGIF},
        {"item-clockdigit", IT_CLOCKDIGIT}, {"item-clocksimul", IT_CLOCKSIMUL}, {"item-count", IT_COUNT},
        {"item-count2", IT_COUNT2}};

    std::vector<Shot> shots = {
        {"screen-serial", serial, nullptr},   {"screen-ethernet", ethernet, nullptr},
        {"screen-network", network, nullptr}, {"scene-global", global, nullptr},
        {"scene", scene, nullptr},            {"scene-bordered", framed, nullptr},
        {"window-text", textWnd, nullptr},    {"window-bordered", framedWnd, nullptr},
        {"window-clocksimul", analogWnd, nullptr}, {"window-clockdigit", digitalWnd, nullptr},
        {"window-count", countWnd, nullptr},  {"window-list", list, nullptr}};
    for (const auto& [name, kind] : items)
        shots.push_back({name, list, tree.item(list, kind, u"item")});

    auto* pane = new CPanelProperty(PanelContext{core, nullptr});
    std::unique_ptr<QScrollArea> scroller(makePaneScroller(pane, nullptr));
    scroller->resize(kPaneDefaultSize);
    scroller->show();
    QStringList scrolled;
    for (const Shot& s : shots) {
        platform::sendMessage(pane, spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(s.select));
        if (s.item)
            platform::sendMessage(pane->windowPage(), spine::WM_NODE_SELECT, reinterpret_cast<platform::WPARAM>(s.item));
        // Let the layouts and the scroll area settle.
        for (int i = 0; i < 3; ++i)
            QCoreApplication::processEvents();
        ASSERT_NE(pane->currentPage(), nullptr) << s.name;
        // The pane's content is reachable: what it needs is what the scroll area gives or scrolls to.
        EXPECT_GE(pane->height(), pane->minimumSizeHint().height()) << s.name;
        EXPECT_GE(pane->width(), pane->minimumSizeHint().width()) << s.name;
        if (pane->height() > scroller->viewport()->height()) {
            EXPECT_TRUE(scroller->verticalScrollBar()->isVisible()) << s.name << " is cut at the bottom";
        }
        if (pane->width() > scroller->viewport()->width()) {
            EXPECT_TRUE(scroller->horizontalScrollBar()->isVisible()) << s.name << " is cut at the right";
        }
        QStringList faults;
        collectFaults(pane, QString::fromLatin1(s.name), faults);
        EXPECT_TRUE(faults.isEmpty()) << GetParam() << " " << faults.join(u'\n').toStdString();
        if (scroller->verticalScrollBar()->isVisible())
            scrolled << QString::fromLatin1(s.name);
        // The whole page too, for what lies beyond the frame's width.
        EXPECT_TRUE(pane->grab().save(QStringLiteral("%1/fit-%2-whole_%3.png").arg(paneltest::outputDir(), s.name, GetParam())));
        const QString file = QStringLiteral("%1/fit-%2_%3.png").arg(paneltest::outputDir(), s.name, GetParam());
        EXPECT_TRUE(scroller->grab().save(file)) << file.toStdString();
    }
    // A pane lower than its panels scrolls down to them rather than squeeze them.
    scroller->resize(kPaneDefaultSize.width(), 120);
    QCoreApplication::processEvents();
    EXPECT_TRUE(scroller->verticalScrollBar()->isVisible());
    EXPECT_GE(pane->height(), pane->minimumSizeHint().height());
    EXPECT_GT(pane->minimumSizeHint().height(), scroller->viewport()->height());
    QStringList faults;
    collectFaults(pane, QStringLiteral("low pane"), faults);
    EXPECT_TRUE(faults.isEmpty()) << faults.join(u'\n').toStdString();
    // Which pages the pane had to scroll down for, for the reviewer.
    RecordProperty("scrolledDown", scrolled.join(u' ').toStdString());
    std::cout << GetParam() << " scrolled down: " << scrolled.join(u' ').toStdString() << "\n";
}

INSTANTIATE_TEST_SUITE_P(Languages, PanelFit, ::testing::Values("EN", "CN", "TW"));
