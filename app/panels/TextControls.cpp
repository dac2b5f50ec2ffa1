#include "app/panels/TextControls.h"

#include "app/controls/ColourPicker.h"
#include "app/controls/ComboBoxes.h"
#include "app/controls/IconButton.h"
#include "app/panels/PanelBase.h"
#include "platform/LangPack.h"

#include <QLineEdit>

#include <utility>

namespace panels {

void selectOrShow(QComboBox* combo, const QString& text)
{
    const int at = combo->findText(text, Qt::MatchFixedString);
    if (at >= 0) {
        combo->setCurrentIndex(at);
        return;
    }
    combo->setCurrentIndex(-1);
    if (combo->isEditable())
        combo->setEditText(text);
}

QString shownFaceName(const QString& face, bool latin)
{
    static const std::pair<const char16_t*, const char*> kLatin[] = {
        {u"宋体", "SimSun"},   {u"新宋体", "NSimSun"},         {u"黑体", "SimHei"},      {u"楷体", "KaiTi"},
        {u"仿宋", "FangSong"}, {u"微软雅黑", "Microsoft YaHei"}, {u"隶书", "LiSu"},        {u"幼圆", "YouYuan"},
        {u"新細明體", "PMingLiU"}, {u"細明體", "MingLiU"},       {u"標楷體", "DFKai-SB"},
    };
    if (latin)
        for (const auto& [chinese, name] : kLatin)
            if (face == QStringView(chinese))
                return QString::fromLatin1(name);
    return face;
}

void showFace(QComboBox* box, const QString& face, bool latin)
{
    selectOrShow(box, shownFaceName(face, latin));
}

controls::CIconButton* makeToggle(QWidget* parent, int id, unsigned icon, unsigned tip)
{
    auto* b = withId(new controls::CIconButton(parent), id);
    b->AssignIcons(icon);
    b->SetCheckBox(true);
    b->SetColour(controls::CIconButton::BkHot, 0x8C8C8C);
    b->SetTooltipFromResource(tip);
    b->setFixedSize(24, 22);
    return b;
}

controls::CFontComboBox* makeFontCombo(QWidget* parent, int id)
{
    auto* c = withId(new controls::CFontComboBox(parent), id);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->FillFonts();
    c->setToolTip(platform::langString(33803));
    c->setMinimumContentsLength(8);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return c;
}

controls::CSizeComboBox* makeSizeCombo(QWidget* parent, int id)
{
    auto* c = withId(new controls::CSizeComboBox(parent), id);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->FillSizes();
    c->setToolTip(platform::langString(33804));
    c->setMinimumContentsLength(3);
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    return c;
}

controls::CColourPicker* makeColourPicker(QWidget* parent, int id)
{
    auto* p = withId(new controls::CColourPicker(parent), id);
    p->SetMode(1);
    p->SetColour(0x00FFFF);
    p->SetCustomText(platform::langString(42001));
    p->SetDefaultText(platform::langString(42002));
    p->setFixedSize(p->sizeHint());
    return p;
}

} // namespace panels
