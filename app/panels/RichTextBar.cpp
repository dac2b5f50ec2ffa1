#include "app/panels/RichTextBar.h"

#include "app/controls/ColourPicker.h"
#include "app/controls/ComboBoxes.h"
#include "app/controls/Edits.h"
#include "app/controls/IconButton.h"
#include "app/controls/RichEdit.h"
#include "app/panels/PanelBase.h"
#include "app/panels/TextControls.h"
#include "platform/LangPack.h"
#include "platform/RtfReader.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QSpinBox>
#include <QTextBlock>
#include <QTextList>
#include <cmath>

namespace panels {
namespace {
constexpr int kTwipsPerPoint = 20;

QColor fromColorRef(platform::COLORREF c)
{
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

platform::COLORREF toColorRef(const QColor& c)
{
    return platform::COLORREF(c.red() | c.green() << 8 | c.blue() << 16);
}

void applyChar(QTextEdit* edit, const QTextCharFormat& f)
{
    edit->mergeCurrentCharFormat(f);
    edit->setFocus();
}

// The paragraph's exact line spacing in twips, 0 when it has none.
int lineSpacingTwips(const QTextBlockFormat& b)
{
    const QVariant sl = b.property(platform::RtfLineSpacing);
    if (sl.isValid())
        return std::abs(sl.toInt());
    if (b.lineHeightType() == QTextBlockFormat::FixedHeight)
        return int(std::lround(b.lineHeight() * platform::kTwipsPerPixel));
    return 0;
}
} // namespace

CRichTextBar::CRichTextBar(QWidget* panel, controls::CRichEditCtrlEx* edit, const RichBarIds& ids)
    : QObject(panel), m_edit(edit)
{
    m_face = makeFontCombo(panel, ids.face);
    m_size = makeSizeCombo(panel, ids.size);
    m_colour = makeColourPicker(panel, ids.colour);
    m_spacing = withId(new QSpinBox(panel), ids.spacing);
    m_spacing->setRange(0, 512);
    m_spacing->setToolTip(platform::langString(33805));
    m_bold = makeToggle(panel, ids.bold, 6230, 32841);
    m_italic = makeToggle(panel, ids.italic, 6232, 32842);
    m_underline = makeToggle(panel, ids.underline, 6225, 32843);
    m_align[0] = makeToggle(panel, ids.left, 6227, 32844);
    m_align[1] = makeToggle(panel, ids.centre, 6226, 32845);
    m_align[2] = makeToggle(panel, ids.right, 6228, 32846);
    m_bullets = makeToggle(panel, ids.bullets, 6234, 33802);
    if (ids.indent) {
        m_indent = withId(new controls::CIconButton(panel), ids.indent);
        connect(m_indent, &QAbstractButton::clicked, this, &CRichTextBar::indentToNextTab);
    }

    connect(m_face, &QComboBox::activated, this, &CRichTextBar::onFace);
    connect(m_size, &QComboBox::activated, this, &CRichTextBar::onSizeChosen);
    connect(m_size->lineEdit(), &QLineEdit::textEdited, this, &CRichTextBar::onSizeTyped);
    connect(m_colour, &controls::CColourPicker::command, this, &CRichTextBar::onColour);
    for (controls::CIconButton* b : {m_bold, m_italic, m_underline})
        connect(b, &QAbstractButton::clicked, this, &CRichTextBar::onStyle);
    for (int i = 0; i < 3; ++i)
        connect(m_align[i], &QAbstractButton::clicked, this, [this, i] { onAlign(i); });
    connect(m_bullets, &QAbstractButton::clicked, this, &CRichTextBar::onBullets);
    connect(m_spacing, &QSpinBox::valueChanged, this, &CRichTextBar::onSpacing);
    connect(m_edit, &QTextEdit::cursorPositionChanged, this, &CRichTextBar::UpdateToolbar);
    connect(m_edit, &QTextEdit::selectionChanged, this, &CRichTextBar::UpdateToolbar);
    setAlignAllowed(false);
}

void CRichTextBar::prepareEdit(controls::CRichEditCtrlEx* edit)
{
    QPalette pal = edit->palette();
    pal.setColor(QPalette::Base, Qt::black);
    pal.setColor(QPalette::Text, QColor(255, 255, 0));
    edit->setPalette(pal);
    QFont f(platform::langString(40000));
    f.setPointSize(10);
    edit->document()->setDefaultFont(f);
    QTextCharFormat c;
    c.setFontFamilies({platform::langString(40000)});
    c.setFontPointSize(10);
    c.setForeground(QColor(255, 255, 0));
    c.setFontWeight(QFont::Normal);
    c.setFontItalic(false);
    c.setFontUnderline(false);
    edit->setCurrentCharFormat(c);
    edit->setAcceptRichText(true);
    controls::RichEditSetLineSpacing(240, edit);
    // The LED text takes the keyboard only from a click: Tab types a tab
    // there, so a Tab walk through the pane would end in it and change it.
    edit->setFocusPolicy(Qt::ClickFocus);
}

void CRichTextBar::onFace(int index)
{
    if (index < 0)
        return;
    QTextCharFormat f;
    f.setFontFamilies({m_face->itemText(index)});
    applyChar(m_edit, f);
}

void CRichTextBar::setPointSize(int points)
{
    if (points <= 0)
        return;
    QTextCharFormat f;
    f.setFontPointSize(points);
    applyChar(m_edit, f);
}

void CRichTextBar::onSizeChosen(int index)
{
    if (index < 0)
        return;
    const int points = controls::parseLeadingInt(m_size->itemText(index));
    setPointSize(points);
    // Lines follow the size: two points of leading.
    const QSignalBlocker quiet(m_spacing);
    m_spacing->setValue(points + 2);
    controls::RichEditSetLineSpacing((points + 2) * kTwipsPerPoint, m_edit);
    m_edit->setFocus();
}

void CRichTextBar::onSizeTyped(const QString& text)
{
    setPointSize(controls::parseLeadingInt(text));
}

void CRichTextBar::onColour(int code)
{
    if (code != controls::CColourPicker::ColourChanged)
        return;
    QTextCharFormat f;
    f.setForeground(fromColorRef(m_colour->GetColour()));
    applyChar(m_edit, f);
}

void CRichTextBar::onStyle()
{
    if (m_updating)
        return;
    QTextCharFormat f;
    f.setFontWeight(m_bold->GetCheck() ? QFont::Bold : QFont::Normal);
    f.setFontItalic(m_italic->GetCheck() != 0);
    f.setFontUnderline(m_underline->GetCheck() != 0);
    applyChar(m_edit, f);
}

void CRichTextBar::onAlign(int which)
{
    static constexpr Qt::Alignment kAlign[3] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    for (int i = 0; i < 3; ++i)
        m_align[i]->SetCheck(i == which ? 1 : 0);
    m_edit->setAlignment(kAlign[which] | Qt::AlignAbsolute);
    m_edit->setFocus();
}

void CRichTextBar::onBullets()
{
    QTextCursor c = m_edit->textCursor();
    if (m_bullets->GetCheck()) {
        if (!c.currentList())
            c.createList(QTextListFormat::ListDisc);
    } else if (QTextList* list = c.currentList()) {
        QTextBlockFormat b = c.blockFormat();
        list->remove(c.block());
        b.setIndent(0);
        b.setObjectIndex(-1);
        c.setBlockFormat(b);
    }
    m_edit->setTextCursor(c);
    m_edit->setFocus();
}

void CRichTextBar::onSpacing(int points)
{
    if (m_updating)
        return;
    // Only what the user types there changes the paragraph.
    if (m_spacing->hasFocus() || m_spacing->isAncestorOf(QApplication::focusWidget()))
        controls::RichEditSetLineSpacing(points * kTwipsPerPoint, m_edit);
}

void CRichTextBar::indentToNextTab()
{
    QTextCursor c = m_edit->textCursor();
    QTextBlockFormat b = c.blockFormat();
    const qreal tab = m_edit->tabStopDistance();
    if (tab <= 0)
        return;
    const qreal next = (std::floor(b.leftMargin() / tab) + 1) * tab;
    b.setLeftMargin(next);
    b.setTextIndent(0);
    c.setBlockFormat(b);
    m_edit->setTextCursor(c);
    m_edit->setFocus();
}

void CRichTextBar::setAlignAllowed(bool allowed)
{
    m_alignAllowed = allowed;
    UpdateToolbar();
}

void CRichTextBar::UpdateToolbar()
{
    m_updating = true;
    const QTextCursor c = m_edit->textCursor();
    const QTextCharFormat f = c.charFormat();
    const QStringList families = f.fontFamilies().toStringList();
    {
        const QSignalBlocker a(m_face), b(m_size);
        if (!families.isEmpty())
            showFace(m_face, families.first(), m_faceNames);
        if (f.hasProperty(QTextFormat::FontPointSize))
            selectOrShow(m_size, QString::number(int(std::lround(f.fontPointSize()))));
    }
    if (f.hasProperty(QTextFormat::ForegroundBrush))
        m_colour->SetColour(toColorRef(f.foreground().color()));
    m_bold->SetCheck(f.fontWeight() >= QFont::Bold ? 1 : 0);
    m_italic->SetCheck(f.fontItalic() ? 1 : 0);
    m_underline->SetCheck(f.fontUnderline() ? 1 : 0);
    const Qt::Alignment a = c.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
    const int which = (a & Qt::AlignHCenter) ? 1 : (a & Qt::AlignRight) ? 2 : 0;
    for (int i = 0; i < 3; ++i) {
        m_align[i]->setEnabled(m_alignAllowed);
        m_align[i]->SetCheck(m_alignAllowed && i == which ? 1 : 0);
    }
    m_bullets->SetCheck(c.currentList() ? 1 : 0);
    const QTextBlock first = m_edit->document()->findBlock(c.selectionStart());
    const QTextBlock last = m_edit->document()->findBlock(c.selectionEnd());
    if (first == last) {
        const QSignalBlocker quiet(m_spacing);
        m_spacing->setValue(lineSpacingTwips(c.blockFormat()) / kTwipsPerPoint);
    }
    m_updating = false;
}

} // namespace panels

#include <QMenu>

namespace panels {

QMenu* buildRichEditMenu(QTextEdit* edit, QWidget* parent)
{
    auto* menu = new QMenu(parent);
    menu->setObjectName(QStringLiteral("6127"));
    const std::optional<platform::LangMenu> pack = platform::langMenu(6127);
    if (!pack || pack->items.isEmpty())
        return menu;
    const bool hasSelection = edit->textCursor().hasSelection();
    const bool hasText = !edit->document()->isEmpty();
    for (const platform::LangMenuItem& it : pack->items.first().submenu) {
        if (it.separator) {
            menu->addSeparator();
            continue;
        }
        QAction* a = menu->addAction(it.text);
        a->setData(it.command);
        a->setShortcut(it.shortcut);
        switch (it.command) {
        case 57634: a->setEnabled(hasSelection); QObject::connect(a, &QAction::triggered, edit, &QTextEdit::copy); break;
        case 57635: a->setEnabled(hasSelection); QObject::connect(a, &QAction::triggered, edit, &QTextEdit::cut); break;
        case 57637: a->setEnabled(edit->canPaste()); QObject::connect(a, &QAction::triggered, edit, &QTextEdit::paste); break;
        case 57643:
            a->setEnabled(edit->document()->isUndoAvailable());
            QObject::connect(a, &QAction::triggered, edit, &QTextEdit::undo);
            break;
        case 57644:
            a->setEnabled(edit->document()->isRedoAvailable());
            QObject::connect(a, &QAction::triggered, edit, &QTextEdit::redo);
            break;
        case 32857: a->setEnabled(hasText); QObject::connect(a, &QAction::triggered, edit, &QTextEdit::selectAll); break;
        case 57632:
            a->setEnabled(hasSelection);
            QObject::connect(a, &QAction::triggered, edit, [edit] { edit->textCursor().removeSelectedText(); });
            break;
        case 32860:
            a->setEnabled(hasText);
            QObject::connect(a, &QAction::triggered, edit, [edit] {
                edit->selectAll();
                edit->textCursor().removeSelectedText();
            });
            break;
        default: a->setEnabled(false); break;
        }
    }
    return menu;
}

QHBoxLayout* CRichTextBar::fontRow() const
{
    auto* row = new QHBoxLayout;
    row->setSpacing(2);
    row->addWidget(m_face, 3);
    row->addWidget(m_size, 1);
    row->addWidget(m_colour);
    row->addWidget(m_spacing);
    return row;
}

} // namespace panels
