#include "app/panels/PropertyTextGif.h"

#include "app/spine/Messages.h"
#include "app/controls/ColourPicker.h"
#include "app/controls/ComboBoxes.h"
#include "app/controls/IconButton.h"
#include "app/controls/RichEdit.h"
#include "app/panels/PropertyCoolText.h"
#include "app/panels/RichTextBar.h"
#include "app/panels/TextControls.h"
#include "core/api/TypeRecords.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/ItemRecord.h"

#include <QContextMenuEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>

namespace panels {

CPropertyTextGif::CPropertyTextGif(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent)
{
    m_timer.setInterval(kStoreDelayMs);
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &CPropertyTextGif::OnTimer);
}

bool CPropertyTextGif::OnInitDialog()
{
    SetTitleFromResource(63002, false);
    m_edit = withId(new controls::CRichEditCtrlEx(this), IdEdit);
    CRichTextBar::prepareEdit(m_edit);
    m_edit->setLineWrapMode(QTextEdit::NoWrap);
    m_edit->installEventFilter(this);
    m_bar = new CRichTextBar(this, m_edit,
                             RichBarIds{IdFace, IdSize, IdColour, IdSpacing, IdBold, IdItalic, IdUnderline, IdLeft,
                                        IdCentre, IdRight, IdBullets, IdIndent});
    m_bar->setFaceNames(faceNames());
    m_alignOn = makeToggle(this, IdAlignOn, 6227, 32844);
    m_alignOn->setText(dialogText(IdAlignOn));
    m_alignOn->setFixedSize(m_alignOn->sizeHint().expandedTo(QSize(24, 22)));
    m_bar->indent()->setText(dialogText(IdIndent));
    m_bar->indent()->setFixedSize(m_bar->indent()->sizeHint().expandedTo(QSize(24, 22)));
    auto* effect = withId(new QPushButton(dialogText(IdEffectDialog), this), IdEffectDialog);
    m_effectButton = effect;
    effect->setVisible(m_showEffectButton);

    QHBoxLayout* row1 = m_bar->fontRow();
    auto* row2 = new QHBoxLayout;
    row2->setSpacing(2);
    for (QWidget* w : std::initializer_list<QWidget*>{m_bar->bold(), m_bar->italic(), m_bar->underline(), m_alignOn,
                                                     m_bar->align(0), m_bar->align(1), m_bar->align(2),
                                                     m_bar->bullets(), m_bar->indent()})
        row2->addWidget(w);
    row2->addStretch(1);
    row2->addWidget(effect);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 24, 4, 4);
    grid->setVerticalSpacing(3);
    grid->addLayout(row1, 0, 0);
    grid->addLayout(row2, 1, 0);
    grid->addWidget(m_edit, 2, 0);
    grid->setRowStretch(2, 1);

    connect(m_edit, &QTextEdit::textChanged, this, &CPropertyTextGif::onEditChanged);
    connect(m_alignOn, &QAbstractButton::clicked, this, &CPropertyTextGif::onAlignOn);
    connect(effect, &QAbstractButton::clicked, this, &CPropertyTextGif::OpenEffectDialog);
    return true;
}

bool CPropertyTextGif::event(QEvent* e)
{
    if (spine::TextWrapWidth::dispatch(e, [](std::uintptr_t, std::intptr_t) { return 0; }))
        return true;
    return CPanelBase::event(e);
}

bool CPropertyTextGif::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_edit && e->type() == QEvent::ContextMenu) {
        std::unique_ptr<QMenu> menu(buildRichEditMenu(m_edit, this));
        menu->exec(static_cast<QContextMenuEvent*>(e)->globalPos());
        return true;
    }
    return CPanelBase::eventFilter(watched, e);
}

int CPropertyTextGif::OnNodeLoad(tagItemData* node)
{
    const LoadScope loading = beginLoad(node, {IT_TEXTGIF});
    if (!loading)
        return 0;
    if (m_record) {
        m_stored = m_record->text();
        controls::RichEditSetRtf(m_stored, m_edit);
    } else {
        m_edit->clear();
    }
    QTextCursor c = m_edit->textCursor();
    c.clearSelection();
    m_edit->setTextCursor(c);
    m_bar->UpdateToolbar();
    // The keyboard stays where the operator was (the item tree, the item
    // list): the text changes only once they click into it.
    return 1;
}

void CPropertyTextGif::onEditChanged()
{
    // Also while loading: the editor's form of a loaded text is stored on the next tick.
    m_pending = controls::RichEditGetRtf(m_edit);
    m_typed = m_typed || !isLoading();
    m_timer.start();
}

void CPropertyTextGif::flushPendingEdit()
{
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    // Only what the operator changed is written early; the editor's own form
    // of a text just loaded is no edit and waits for the next one.
    if (m_typed)
        OnTimer();
}

void CPropertyTextGif::OnTimer()
{
    m_timer.stop();
    m_typed = false;
    if (m_pending == m_stored)
        return;
    m_stored = m_pending;
    if (!m_record || !m_node || isLoading())
        return;
    writeContent([&] { records::SetItemText(m_node, m_stored); });
    QWidget* target = m_notify ? m_notify.data() : parentWidget();
    if (target)
        spine::GifTextChanged::send(target);
}

void CPropertyTextGif::onAlignOn()
{
    m_edit->setLineWrapMode(QTextEdit::NoWrap);
    m_pending = controls::RichEditGetRtf(m_edit);
    m_typed = true;
    m_timer.start();
    m_bar->setAlignAllowed(m_alignOn->GetCheck() != 0);
    m_edit->setFocus();
}

void CPropertyTextGif::OpenEffectDialog()
{
    if (!m_node || !m_record)
        return;
    runAnimationDialog(m_ctx, m_node, this);
    if (QWidget* page = parentWidget()) {
        spine::NodeSelect::send(page, m_node);
        spine::TextWrapWidth::send(page, 0, 0);
    }
}

} // namespace panels
