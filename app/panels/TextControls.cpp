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

FaceNames faceNamesFor(int language) { return platform::language(language).faceNames; }

QString shownFaceName(const QString& face, FaceNames names)
{
    struct Name {
        const char16_t* stored;
        const char* latin;
        const char16_t* traditional;
    };
    static const Name kNames[] = {
        {u"宋体", "SimSun", u"宋體"},     {u"新宋体", "NSimSun", u"新宋體"},
        {u"黑体", "SimHei", u"黑體"},     {u"楷体", "KaiTi", u"楷體"},
        {u"仿宋", "FangSong", u"仿宋"},   {u"微软雅黑", "Microsoft YaHei", u"微軟雅黑"},
        {u"隶书", "LiSu", u"隸書"},       {u"幼圆", "YouYuan", u"幼圓"},
        {u"新細明體", "PMingLiU", u"新細明體"}, {u"細明體", "MingLiU", u"細明體"},
        {u"標楷體", "DFKai-SB", u"標楷體"},
    };
    if (names != FaceNames::AsStored)
        for (const Name& n : kNames)
            if (face == QStringView(n.stored))
                return names == FaceNames::Latin ? QString::fromLatin1(n.latin) : QString::fromUtf16(n.traditional);
    return face;
}

void showFace(QComboBox* box, const QString& face, FaceNames names)
{
    selectOrShow(box, shownFaceName(face, names));
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
