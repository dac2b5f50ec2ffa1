#include "app/panels/PropertyTextSingleLine.h"

#include "app/controls/ColourPicker.h"
#include "app/controls/ComboBoxes.h"
#include "app/controls/Edits.h"
#include "app/controls/IconButton.h"
#include "app/panels/TextControls.h"
#include "core/api/TypeRecords.h"
#include "core/api/Nodes.h"
#include "core/api/ItemRecord.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLineEdit>

namespace panels {
namespace {
namespace rec = records::singleline;
constexpr std::int32_t kBold = 700;
// Released bold is stored as 100, which the painters and stored files expect.
constexpr std::int32_t kNotBold = 100;

// Face names are bounded by the font description's 32 characters, terminated.
void setFace(LOGFONT& f, const QString& name)
{
    const QString face = name.left(int(std::size(f.lfFaceName)) - 1);
    std::fill(std::begin(f.lfFaceName), std::end(f.lfFaceName), u'\0');
    std::copy_n(reinterpret_cast<const char16_t*>(face.utf16()), face.size(), f.lfFaceName);
}

QString faceOf(const LOGFONT& f)
{
    std::size_t n = 0;
    while (n < std::size(f.lfFaceName) && f.lfFaceName[n])
        ++n;
    return QString::fromUtf16(f.lfFaceName, qsizetype(n));
}
} // namespace

CPropertyTextSingleLine::CPropertyTextSingleLine(PanelContext ctx, QWidget* parent)
    : CPanelBase(kTemplate, ctx, parent)
{
}

bool CPropertyTextSingleLine::OnInitDialog()
{
    SetTitleFromResource(48236, false);
    m_text = withId(new QLineEdit(this), IdText);
    m_face = makeFontCombo(this, IdFace);
    m_size = makeSizeCombo(this, IdSize);
    m_colour = makeColourPicker(this, IdColour);
    m_bold = makeToggle(this, IdBold, 6230, 32841);
    m_italic = makeToggle(this, IdItalic, 6232, 32842);
    m_underline = makeToggle(this, IdUnderline, 6225, 32843);

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(8, 28, 8, 8);
    auto* row = new QHBoxLayout;
    row->setSpacing(3);
    row->addWidget(m_face, 3);
    row->addWidget(m_size, 1);
    row->addWidget(m_colour);
    row->addWidget(m_bold);
    row->addWidget(m_italic);
    row->addWidget(m_underline);
    grid->addLayout(row, 0, 0);
    grid->addWidget(m_text, 1, 0);
    grid->setRowStretch(2, 1);

    connect(m_text, &QLineEdit::textChanged, this, &CPropertyTextSingleLine::onText);
    connect(m_face, &QComboBox::activated, this, &CPropertyTextSingleLine::onFace);
    connect(m_size, &QComboBox::activated, this, &CPropertyTextSingleLine::onSizeChosen);
    connect(m_size->lineEdit(), &QLineEdit::textEdited, this, &CPropertyTextSingleLine::onSizeTyped);
    connect(m_colour, &controls::CColourPicker::command, this, &CPropertyTextSingleLine::onColour);
    connect(m_bold, &QAbstractButton::clicked, this, [this] {
        onStyle([this](LOGFONT& f) { f.lfWeight = m_bold->GetCheck() ? kBold : kNotBold; });
    });
    connect(m_italic, &QAbstractButton::clicked, this,
            [this] { onStyle([this](LOGFONT& f) { f.lfItalic = m_italic->GetCheck() ? 1 : 0; }); });
    connect(m_underline, &QAbstractButton::clicked, this,
            [this] { onStyle([this](LOGFONT& f) { f.lfUnderline = m_underline->GetCheck() ? 1 : 0; }); });
    return true;
}

int CPropertyTextSingleLine::OnNodeLoad(tagItemData* node)
{
    if (!node)
        return 0;
    m_node = node;
    m_record = node->Level == LEVEL_PROGRAM && node->Item.TypeCode == IT_SINGLELINE ? node->Item.TypeRecord : nullptr;
    LoadScope loading(*this);
    if (!m_record) {
        m_text->clear();
        return 1;
    }
    m_text->setText(m_record->text());
    const LOGFONT f = m_record->get(rec::TextFont);
    selectOrShow(m_face, faceOf(f));
    selectOrShow(m_size, QString::number(f.lfHeight));
    m_colour->SetColour(m_record->get(rec::Colour));
    m_bold->SetCheck(f.lfWeight == kBold ? 1 : 0);
    m_italic->SetCheck(f.lfItalic ? 1 : 0);
    m_underline->SetCheck(f.lfUnderline ? 1 : 0);
    return 1;
}

void CPropertyTextSingleLine::onText()
{
    if (!canWrite())
        return;
    records::SetItemText(m_node, m_text->text());
    repaint();
}

void CPropertyTextSingleLine::onFace(int index)
{
    if (!canWrite() || index < 0)
        return;
    LOGFONT f = m_record->get(rec::TextFont);
    setFace(f, m_face->itemText(index));
    m_record->set(rec::TextFont, f);
    repaint();
}

void CPropertyTextSingleLine::onSizeChosen(int index)
{
    if (!canWrite())
        return;
    LOGFONT f = m_record->get(rec::TextFont);
    f.lfHeight = index < 0 ? 0 : controls::parseLeadingInt(m_size->itemText(index));
    m_record->set(rec::TextFont, f);
    repaint();
}

void CPropertyTextSingleLine::onSizeTyped(const QString& text)
{
    if (!canWrite())
        return;
    LOGFONT f = m_record->get(rec::TextFont);
    f.lfHeight = controls::parseLeadingInt(text);
    m_record->set(rec::TextFont, f);
    repaint();
}

void CPropertyTextSingleLine::onColour(int code)
{
    if (!canWrite() || (code != controls::CColourPicker::ColourChanged))
        return;
    m_record->set(rec::Colour, m_colour->GetColour());
    repaint();
}

void CPropertyTextSingleLine::onStyle(const std::function<void(LOGFONT&)>& change)
{
    if (!canWrite())
        return;
    LOGFONT f = m_record->get(rec::TextFont);
    change(f);
    m_record->set(rec::TextFont, f);
    repaint();
}

} // namespace panels
