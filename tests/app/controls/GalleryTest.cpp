// Builds every control and saves a picture of it, so a reviewer can look at
// each one; the pictures go under $TAVRELO_TEST_OUTPUT/controls. Buttons are
// also shown hovered, pressed, disabled and checked, and states that must
// look different are checked to differ.
#include "TestHelpers.h"

#include <QTest>
#include "app/controls/BorderButton.h"
#include "app/controls/BorderPopup.h"
#include "app/controls/ColorButton.h"
#include "app/controls/ColourPicker.h"
#include "app/controls/ColourPopup.h"
#include "app/controls/ComboBoxes.h"
#include "app/controls/Edits.h"
#include "app/controls/IconButton.h"
#include "app/controls/PropertyPanel.h"
#include "app/controls/RichEdit.h"
#include "app/controls/ShadeButton.h"
#include "app/controls/ShadeSplitButton.h"
#include "app/controls/StaticLink.h"
#include "app/controls/StaticSplitter.h"
#include "app/controls/ToolBarCtrlEx.h"
#include "platform/LangPack.h"

#include <QDir>
#include <QEnterEvent>
#include <QHoverEvent>
#include <functional>
#include <QLabel>
#include <QPainter>
#include <gtest/gtest.h>

using namespace controls;
using namespace testing_controls;

namespace {

QString outputDir()
{
    QString base = qEnvironmentVariable("TAVRELO_TEST_OUTPUT");
    if (base.isEmpty())
        base = QDir::temp().filePath("tavrelo-test-output");
    QString dir = QDir(base).filePath("controls");
    QDir().mkpath(dir);
    return dir;
}

// Saves the picture and checks that something was drawn.
void save(QWidget* w, const char* name)
{
    QImage img = w->grab().toImage();
    ASSERT_FALSE(img.isNull()) << name;
    bool varied = false;
    for (int y = 0; y < img.height() && !varied; ++y)
        for (int x = 0; x < img.width() && !varied; ++x)
            varied = img.pixel(x, y) != img.pixel(0, 0);
    EXPECT_TRUE(varied) << name << " drew nothing";
    QString path = QDir(outputDir()).filePath(QString::fromLatin1(name) + ".png");
    EXPECT_TRUE(img.save(path)) << path.toStdString();
}

QImage shot(QWidget* w, const QString& name)
{
    QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    QString path = QDir(outputDir()).filePath(name + ".png");
    EXPECT_TRUE(img.save(path)) << path.toStdString();
    return img;
}

void hoverAt(QWidget* w, QPoint p)
{
    QEnterEvent enter(QPointF(p), QPointF(w->mapTo(w->window(), p)), QPointF(w->mapToGlobal(p)));
    QApplication::sendEvent(w, &enter);
    QHoverEvent hover(QEvent::HoverEnter, QPointF(p), QPointF(w->mapToGlobal(p)), QPointF(-1, -1));
    QApplication::sendEvent(w, &hover);
    support::mouseMove(w, p);
}

void leave(QWidget* w)
{
    QHoverEvent hover(QEvent::HoverLeave, QPointF(-1, -1), QPointF(-1, -1), QPointF(-1, -1));
    QApplication::sendEvent(w, &hover);
    QEvent e(QEvent::Leave);
    QApplication::sendEvent(w, &e);
}

// Pictures of a button in its states; asserts that the states the user must
// tell apart look different. `check` switches a checked state on and off.
void states(QWidget* w, const char* name, QPoint at, bool hasHover, const std::function<void(bool)>& check = {})
{
    const QString n = QString::fromLatin1(name);
    const QImage normal = shot(w, n + "_normal");
    QImage hover;
    if (hasHover) {
        hoverAt(w, at);
        hover = shot(w, n + "_hover");
        leave(w);
        EXPECT_NE(hover, normal) << name << ": hovered looks like normal";
        EXPECT_EQ(w->grab().toImage().convertToFormat(QImage::Format_RGB32), normal)
            << name << ": leaving does not restore the normal look";
    }
    QTest::mousePress(w, Qt::LeftButton, {}, at);
    const QImage pressed = shot(w, n + "_pressed");
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint{-50, -50}); // released outside: no click
    leave(w);
    EXPECT_NE(pressed, normal) << name << ": pressed looks like normal";
    if (hasHover) {
        EXPECT_NE(pressed, hover) << name << ": pressed looks like hovered";
    }
    w->setEnabled(false);
    const QImage disabled = shot(w, n + "_disabled");
    w->setEnabled(true);
    EXPECT_NE(disabled, normal) << name << ": disabled looks like normal";
    if (check) {
        check(true);
        const QImage checked = shot(w, n + "_checked");
        check(false);
        EXPECT_NE(checked, normal) << name << ": checked looks like normal";
        EXPECT_NE(checked, disabled) << name << ": checked looks like disabled";
    }
}

QIcon ownIcon(QColor colour)
{
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(colour);
    p.setPen(Qt::black);
    p.drawEllipse(2, 2, 12, 12);
    p.end();
    return QIcon(pm);
}

} // namespace

TEST(Gallery, EveryControl)
{
    QWidget host;
    host.resize(400, 300);
    host.show();

    {
        CPropertyPanel panel(6100);
        panel.resize(220, 90);
        panel.SetTitle("Text properties", true);
        auto* edit = new QLineEdit(&panel);
        edit->setGeometry(10, 30, 120, 22);
        save(&panel, "property_panel");
    }
    {
        auto* b = new CColorButton(&host);
        b->SetColour(0x0000FF);
        b->resize(60, 22);
        save(b, "colour_button");
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint{5, 5});
        auto* popup = b->findChild<CColourPopup*>();
        ASSERT_NE(popup, nullptr);
        support::mouseMove(popup, popup->layout().cellRect(10).center());
        save(popup, "colour_popup");
        QTest::keyClick(popup, Qt::Key_Escape);
        flushDeletes();
    }
    {
        auto* picker = new CColourPicker(&host);
        picker->SetMode(1);
        picker->SetColour(0x00FFFF);
        save(picker, "colour_picker");
    }
    {
        auto* b = new CBorderButton(&host);
        b->resize(40, 24);
        b->SetBorder(borderPreset(11));
        save(b, "border_button");
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint{35, 10});
        auto* popup = b->findChild<CBorderPopup*>();
        ASSERT_NE(popup, nullptr);
        support::mouseMove(popup, popup->cellRect(8).center());
        save(popup, "border_popup");
        QTest::mouseRelease(popup, Qt::LeftButton, {}, QPoint{-5, -5});
        flushDeletes();
    }
    {
        auto* b = new CIconButton(&host);
        b->AssignIcons(ownIcon(Qt::green), QIcon(), true);
        b->setText("Play");
        b->resize(90, 30);
        b->SetFlat(false);
        save(b, "icon_button");
    }
    {
        auto* b = new CShadeButton(&host);
        b->setText("Shaded");
        b->resize(100, 30);
        b->SetShade();
        save(b, "shade_button");
    }
    {
        auto* b = new CShadeSplitButton(&host);
        b->setText("Folder");
        b->SetIcon(ownIcon(Qt::yellow));
        b->SetIconAlign(CShadeSplitButton::IconLeft);
        b->resize(110, 28);
        save(b, "shade_split_button");
    }
    {
        auto* c = new CCheckComboBox(&host);
        c->setListSeparator(",");
        for (const char* s : {"Mon", "Tue", "Wed", "Thu"})
            c->addItemChecked(s);
        c->SetCheck(0, true);
        c->SetCheck(2, true);
        c->resize(160, 24);
        save(c, "check_combo");
        auto* f = new CFontComboBox(&host);
        f->FillFonts();
        f->SelectByName("DejaVu Sans");
        f->resize(160, 24);
        save(f, "font_combo");
        auto* s = new CSizeComboBox(&host);
        s->FillSizes();
        s->setCurrentIndex(4);
        s->resize(60, 24);
        save(s, "size_combo");
    }
    {
        auto* r = new CRangeEdit(&host);
        r->resize(120, 24);
        r->SetRange(1, 100);
        r->SetSuffix("seconds", 0);
        r->SetValue(25);
        save(r, "range_edit");
        auto* m = new CMaskEdit(&host);
        m->resize(160, 24);
        m->SetMacMask();
        m->SetText("00A0C9");
        save(m, "mask_edit");
    }
    {
        auto* e = new CRichEditCtrlEx(&host);
        e->resize(220, 80);
        RichEditSetRtf("{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0\\fnil\\fprq12\\fcharset134 \\'cb\\'ce\\'cc\\'e5;}}"
                       "{\\colortbl ;\\red255\\green255\\blue0;\\red255\\green0\\blue0;}\\viewkind4\\uc1\\pard"
                       "\\sl-240\\slmult0\\cf1\\lang2052\\f0\\fs20 123456\\par\\qc\\cf2\\b\\fs32 Bold red\\par}",
                       e);
        QPalette pal = e->palette();
        pal.setColor(QPalette::Base, Qt::black);
        e->setPalette(pal);
        save(e, "rich_edit");
    }
    {
        CStaticSplitterWnd s;
        auto* a = new QLabel("first pane");
        a->setAutoFillBackground(true);
        s.SetPanes(a, nullptr);
        s.resize(240, 80);
        s.show();
        save(&s, "static_splitter");
    }
    {
        auto* l = new CStaticLink("https://example.invalid/", &host);
        l->resize(180, 20);
        save(l, "static_link");
    }
    {
        platform::clearLangPack();
        QImage strip(48, 16, QImage::Format_RGB32);
        strip.fill(Qt::white);
        QPainter p(&strip);
        p.fillRect(2, 2, 12, 12, Qt::red);
        p.fillRect(18, 2, 12, 12, Qt::darkGreen);
        p.fillRect(34, 2, 12, 12, Qt::blue);
        p.end();
        platform::setLangBitmap(6195, strip);
        platform::setLangToolBar(6195, platform::LangToolBar{16, 16, {10, 11, 0, 12}});
        auto* bar = new CToolBarCtrlEx(&host);
        ASSERT_TRUE(bar->LoadToolBar(6195));
        bar->adjustSize();
        save(bar, "toolbar");
        platform::clearLangPack();
    }
}

TEST(Gallery, ButtonStates)
{
    QWidget host;
    host.resize(400, 300);
    host.show();
    {
        auto* b = new CColorButton(&host);
        b->SetColour(0x0000FF);
        b->setGeometry(0, 0, 60, 22);
        states(b, "colour_button", {20, 10}, false);
    }
    {
        auto* picker = new CColourPicker(&host);
        picker->move(0, 30);
        picker->SetMode(1);
        picker->SetColour(0x00FFFF);
        states(picker, "colour_picker", {10, 10}, true);
    }
    {
        auto* b = new CBorderButton(&host);
        b->setGeometry(0, 60, 40, 24);
        b->SetBorder(borderPreset(11));
        states(b, "border_button", {10, 10}, true);
    }
    {
        auto* b = new CIconButton(&host);
        b->AssignIcons(ownIcon(Qt::green), QIcon(), true);
        b->setText("Play");
        b->setGeometry(0, 90, 90, 30);
        b->SetCheckBox(true);
        states(b, "icon_button_flat", {40, 15}, true, [b](bool on) { b->SetCheck(on ? 1 : 0); });
    }
    {
        auto* b = new CIconButton(&host);
        b->AssignIcons(ownIcon(Qt::green), QIcon(), true);
        b->setText("Play");
        b->setGeometry(100, 90, 90, 30);
        b->SetFlat(false);
        states(b, "icon_button_raised", {40, 15}, false);
    }
    {
        auto* b = new CShadeButton(&host);
        b->setText("Shaded");
        b->setGeometry(0, 130, 100, 30);
        states(b, "shade_button", {50, 15}, true);
    }
    {
        auto* b = new CShadeSplitButton(&host);
        b->setText("Folder");
        b->SetIcon(ownIcon(Qt::yellow));
        b->SetIconAlign(CShadeSplitButton::IconLeft);
        b->setGeometry(0, 170, 110, 28);
        states(b, "shade_split_button", {30, 14}, true);
        states(b, "shade_split_button_drop", {102, 14}, true);
    }
    {
        auto* l = new CStaticLink("https://example.invalid/", &host);
        l->setGeometry(0, 210, 180, 20);
        const QImage normal = shot(l, "static_link_normal");
        hoverAt(l, {10, 10});
        const QImage hover = shot(l, "static_link_hover");
        leave(l);
        EXPECT_NE(hover, normal);
    }
}
