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

// One member of the text font, read and written as a whole number.
template <auto Member>
constexpr FieldBinding fontField(int controlId)
{
    return {controlId, [](const tagItemData& n) -> qint64 { return recordOf(n).get(rec::TextFont).*Member; },
            [](tagItemData& n, qint64 v) {
                LOGFONT f = recordOf(n).get(rec::TextFont);
                f.*Member = static_cast<std::remove_reference_t<decltype(f.*Member)>>(v);
                recordOf(n).set(rec::TextFont, f);
            },
            true, true};
}

// A flag of the text font, stored as 0 or 1.
template <auto Member>
constexpr FieldBinding fontFlag(int controlId)
{
    return {controlId, [](const tagItemData& n) -> qint64 { return recordOf(n).get(rec::TextFont).*Member ? 1 : 0; },
            [](tagItemData& n, qint64 v) {
                LOGFONT f = recordOf(n).get(rec::TextFont);
                f.*Member = v ? 1 : 0;
                recordOf(n).set(rec::TextFont, f);
            },
            true, true};
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

std::span<const FieldBinding> CPropertyTextSingleLine::bindings()
{
    static const FieldBinding table[] = {
        fontField<&LOGFONT::lfHeight>(IdSize),
        recordField<rec::Colour, 0, UINT32_MAX>(IdColour, true),
        {IdBold, [](const tagItemData& n) -> qint64 { return recordOf(n).get(rec::TextFont).lfWeight == kBold ? 1 : 0; },
         [](tagItemData& n, qint64 v) {
             LOGFONT f = recordOf(n).get(rec::TextFont);
             f.lfWeight = v ? kBold : kNotBold;
             recordOf(n).set(rec::TextFont, f);
         },
         true, true},
        fontFlag<&LOGFONT::lfItalic>(IdItalic),
        fontFlag<&LOGFONT::lfUnderline>(IdUnderline),
    };
    return table;
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
    connect(m_size, &QComboBox::activated, this, [this](int index) {
        writeBinding(bindings(), IdSize, index < 0 ? 0 : controls::parseLeadingInt(m_size->itemText(index)));
    });
    connect(m_size->lineEdit(), &QLineEdit::textEdited, this,
            [this](const QString& text) { writeBinding(bindings(), IdSize, controls::parseLeadingInt(text)); });
    connect(m_colour, &controls::CColourPicker::command, this, &CPropertyTextSingleLine::onColour);
    for (controls::CIconButton* b : {m_bold, m_italic, m_underline})
        connect(b, &QAbstractButton::clicked, this,
                [this, b] { writeBinding(bindings(), controls::controlId(b), b->GetCheck() ? 1 : 0); });
    return true;
}

int CPropertyTextSingleLine::OnNodeLoad(tagItemData* node)
{
    const LoadScope loading = beginLoad(node, {IT_SINGLELINE});
    if (!loading)
        return 0;
    if (!m_record) {
        m_text->clear();
        return 1;
    }
    m_text->setText(m_record->text());
    const LOGFONT f = m_record->get(rec::TextFont);
    showFace(m_face, faceOf(f), faceNames());
    selectOrShow(m_size, QString::number(readBinding(bindings(), IdSize)));
    m_colour->SetColour(platform::COLORREF(readBinding(bindings(), IdColour)));
    for (controls::CIconButton* b : {m_bold, m_italic, m_underline})
        b->SetCheck(int(readBinding(bindings(), controls::controlId(b))));
    return 1;
}

void CPropertyTextSingleLine::onText()
{
    if (!canWrite())
        return;
    writeContent([&] { records::SetItemText(m_node, m_text->text()); });
}

void CPropertyTextSingleLine::onFace(int index)
{
    if (!canWrite() || index < 0)
        return;
    LOGFONT f = m_record->get(rec::TextFont);
    setFace(f, m_face->itemText(index));
    writeContent([&] { m_record->set(rec::TextFont, f); });
}

void CPropertyTextSingleLine::onColour(int code)
{
    if (code == controls::CColourPicker::ColourChanged)
        writeBinding(bindings(), IdColour, m_colour->GetColour());
}

} // namespace panels
