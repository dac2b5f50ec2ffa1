#include "app/panels/PropertyText.h"

#include "app/spine/Messages.h"
#include "app/spine/Seams.h"
#include "app/controls/ColourPicker.h"
#include "app/controls/ComboBoxes.h"
#include "app/controls/IconButton.h"
#include "app/controls/MessageBox.h"
#include "app/controls/RichEdit.h"
#include "app/panels/RichTextBar.h"
#include "app/panels/TextControls.h"
#include "app/panels/import/DocumentConverter.h"
#include "core/api/TypeRecords.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/ItemRecord.h"
#include "platform/LangPack.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMenu>
#include <QProgressDialog>
#include <QSpinBox>
#include <utility>

namespace panels {
namespace {
namespace rec = records::richtext;

// The folder the import dialog opens in, kept for the program's run.
QString& importFolder()
{
    static QString folder;
    return folder;
}
} // namespace


CPropertyText::CPropertyText(PanelContext ctx, QWidget* parent) : CPanelBase(kTemplate, ctx, parent) {}

CPropertyText::~CPropertyText()
{
    if (m_converter)
        m_converter->cancel();
    // The reader stops at its next step; it never waits for this thread.
    if (m_load) {
        m_load->cancel();
        m_load->waitForFinished();
    }
    if (m_paste) {
        m_paste->disconnect(this);
        delete m_paste;
    }
}

bool CPropertyText::OnInitDialog()
{
    SetTitleFromResource(48237, false);
    m_edit = withId(new controls::CRichEditCtrlEx(this), IdEdit);
    CRichTextBar::prepareEdit(m_edit);
    m_edit->installEventFilter(this);
    m_edit->setContextMenuPolicy(Qt::DefaultContextMenu);
    m_bar = new CRichTextBar(this, m_edit,
                             RichBarIds{IdFace, IdSize, IdColour, IdSpacing, IdBold, IdItalic, IdUnderline, IdLeft,
                                        IdCentre, IdRight, IdBullets});
    m_bar->setFaceNames(faceNames());
    m_wrap = makeToggle(this, IdWrap, 6229, 33801);
    m_import = withId(new controls::CIconButton(this), IdImport);
    m_import->AssignIcons(6008);
    m_import->SetTooltipFromResource(32829);
    m_import->setFixedSize(24, 22);

    // Two rows: in one, the panel's width leaves the face and size lists no room.
    QHBoxLayout* row1 = m_bar->fontRow();
    auto* row2 = new QHBoxLayout;
    row2->setSpacing(2);
    for (QWidget* w : std::initializer_list<QWidget*>{m_bar->bold(), m_bar->italic(), m_bar->underline(),
                                                     m_bar->align(0), m_bar->align(1), m_bar->align(2),
                                                     m_bar->bullets(), m_wrap, m_import})
        row2->addWidget(w);
    row2->addStretch(1);
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 24, 4, 4);
    grid->setVerticalSpacing(3);
    grid->addLayout(row1, 0, 0);
    grid->addLayout(row2, 1, 0);
    grid->addWidget(m_edit, 2, 0);
    grid->setRowStretch(2, 1);

    connect(m_edit, &QTextEdit::textChanged, this, &CPropertyText::onEditChanged);
    connect(m_wrap, &QAbstractButton::clicked, this, &CPropertyText::onWrap);
    connect(m_import, &QAbstractButton::clicked, this, &CPropertyText::onImport);
    connect(m_edit, &controls::CRichEditCtrlEx::largePaste, this,
            [this](const QString& text) { startLoad(text, false, true); });
    m_edit->setLineWrapMode(QTextEdit::NoWrap);
    return true;
}

bool CPropertyText::event(QEvent* e)
{
    if (spine::TextWrapWidth::dispatch(e, [this](std::uintptr_t, std::intptr_t) {
            // The section's width changed: wrap at the new width, store nothing.
            if (m_node && m_record && m_record->get(rec::Wrap))
                ApplyWrap();
            return 0;
        }))
        return true;
    return CPanelBase::event(e);
}

bool CPropertyText::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == m_edit && e->type() == QEvent::ContextMenu) {
        auto* c = static_cast<QContextMenuEvent*>(e);
        std::unique_ptr<QMenu> menu(buildRichEditMenu(m_edit, this));
        menu->exec(c->globalPos());
        return true;
    }
    return CPanelBase::eventFilter(watched, e);
}

std::span<const FieldBinding> CPropertyText::bindings()
{
    // The change repaints with the text it stores again.
    static const FieldBinding table[] = {recordField<rec::Wrap, 0, 1>(IdWrap, false)};
    return table;
}

int CPropertyText::OnNodeLoad(tagItemData* node)
{
    if (!node)
        return 0;
    if ((m_load || m_paste) && node != m_node)
        cancelImport();
    const LoadScope loading = beginLoad(node, {IT_TEXT});
    if (m_record) {
        controls::RichEditSetRtf(m_record->text(), m_edit);
        m_wrap->SetCheck(readBinding(bindings(), IdWrap) ? 1 : 0);
        // The width comes from the node loaded, not the one shown before.
        ApplyWrap();
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

void CPropertyText::storeText()
{
    if (!canWrite())
        return;
    writeContent([&] { records::SetItemText(m_node, controls::RichEditGetRtf(m_edit)); });
}

void CPropertyText::onEditChanged()
{
    storeText();
}

void CPropertyText::ApplyWrap()
{
    const bool wrap = m_wrap->GetCheck() != 0;
    if (wrap && m_node) {
        RECT r;
        core().GetRect(m_node, &r);
        m_edit->setLineWrapMode(QTextEdit::FixedPixelWidth);
        m_edit->setLineWrapColumnOrWidth(std::max(1, r.right - r.left));
    } else {
        m_edit->setLineWrapMode(QTextEdit::NoWrap);
    }
    m_bar->setAlignAllowed(wrap);
}

void CPropertyText::onWrap()
{
    if (!canWrite())
        return;
    writeBinding(bindings(), IdWrap, m_wrap->GetCheck() ? 1 : 0);
    ApplyWrap();
    storeText();
    m_bar->UpdateToolbar();
    m_edit->setFocus();
}

void CPropertyText::onImport()
{
    if (!canWrite())
        return;
    if (importFolder().isEmpty())
        importFolder() = QDir::currentPath();
    const QString path = controls::FileDialog::getOpenFileName(
        this, QString(), importFolder(),
        controls::FileDialog::textFilter());
    if (path.isEmpty())
        return;
    importFolder() = QFileInfo(path).absolutePath();
    ImportFile(path);
}

void CPropertyText::ImportFile(const QString& path)
{
    m_importPath = path;
    const QString ext = QFileInfo(path).suffix().toLower();
    if (ext == u"txt" || ext == u"rtf") {
        startLoad(path, true);
        return;
    }
    if (ext != u"doc")
        return;
    if (m_converter)
        m_converter->cancel();
    delete m_converter;
    DocumentConverter* conv = madeBySeam<DocumentConverter>(spine::seams().documentConverter, this);
    if (!conv)
        conv = new OfficeDocumentConverter(this);
    m_converter = conv;
    tagItemData* target = m_node;
    // The office program says nothing of its progress: the bar shows that
    // it works, and Cancel ends it.
    QProgressDialog* progress = makeProgress(48344, 0);
    connect(progress, &QProgressDialog::canceled, this, &CPropertyText::cancelImport);
    connect(conv, &DocumentConverter::converted, this, [this, conv, target](const QByteArray& rtf) {
        m_converter = nullptr;
        conv->deleteLater();
        delete m_progress;
        // Another item loaded meanwhile: the document is not meant for it.
        if (m_node == target)
            startLoad(QString::fromLatin1(rtf), false);
        else
            emit importFinished(false);
    });
    connect(conv, &DocumentConverter::failed, this, [this, conv](const QString& message) {
        m_converter = nullptr;
        conv->deleteLater();
        delete m_progress;
        controls::MessageBox::warning(this, title(), message);
        emit importFinished(false);
    });
    conv->convert(path);
}

void CPropertyText::cancelImport()
{
    // A conversion says nothing once cancelled: the import ends here.
    if (DocumentConverter* conv = m_converter) {
        m_converter = nullptr;
        conv->disconnect(this);
        conv->cancel();
        conv->deleteLater();
        // Later: this may run inside the dialog's own Cancel.
        if (m_progress) {
            m_progress->hide();
            m_progress->deleteLater();
            m_progress = nullptr;
        }
        emit importFinished(false);
    }
    if (m_load)
        m_load->cancel();
    if (m_paste)
        m_paste->cancel();
}

QProgressDialog* CPropertyText::makeProgress(unsigned labelId, int maximum)
{
    delete m_progress;
    m_progress = makeImportProgress(labelId, maximum);
    return m_progress;
}

void CPropertyText::pasteInPieces(const controls::RichTextLoad& load, tagItemData* target)
{
    auto* paste = new controls::RichTextPaste(load, m_edit, this);
    m_paste = paste;
    QProgressDialog* progress = makeProgress(48332, 1000);
    connect(progress, &QProgressDialog::canceled, paste, &controls::RichTextPaste::cancel);
    connect(paste, &controls::RichTextPaste::progress, progress, &QProgressDialog::setValue);
    connect(paste, &controls::RichTextPaste::finished, this, [this, paste, target](bool done) {
        paste->deleteLater();
        delete m_progress;
        const bool ok = done && m_node == target && canWrite();
        if (ok) {
            storeText();
            m_bar->UpdateToolbar();
        }
        emit importFinished(ok);
    });
    paste->start();
}

void CPropertyText::startLoad(const QString& pathOrText, bool isFile, bool paste)
{
    if (!canWrite()) {
        emit importFinished(false);
        return;
    }
    // A new read replaces one still running.
    if (m_load) {
        m_load->disconnect(this);
        m_load->cancel();
        m_load->deleteLater();
    }
    auto* watcher = new QFutureWatcher<controls::RichTextLoad>(this);
    m_load = watcher;
    QProgressDialog* progress = makeProgress(48332, 1000);
    connect(progress, &QProgressDialog::canceled, watcher, &QFutureWatcherBase::cancel);
    connect(watcher, &QFutureWatcherBase::progressValueChanged, progress, &QProgressDialog::setValue);
    tagItemData* target = m_node;
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, target, paste] {
        const QFuture<controls::RichTextLoad> f = watcher->future();
        const controls::RichTextLoad load = f.resultCount() > 0 ? f.result() : controls::RichTextLoad{};
        watcher->deleteLater();
        delete m_progress;
        finishLoad(load, target, paste);
    });
    using controls::LoadSource;
    // A paste may add what the edit has room for, less what it replaces.
    const QTextCursor sel = m_edit->textCursor();
    const qsizetype room = controls::kMaxRichTextChars -
                           (paste ? m_edit->document()->characterCount() - (sel.selectionEnd() - sel.selectionStart()) : 0);
    watcher->setFuture(controls::RichEditLoadAsync(
        pathOrText, isFile ? LoadSource::File : paste ? LoadSource::PlainText : LoadSource::Text, m_edit, room,
        !paste));
}

void CPropertyText::finishLoad(const controls::RichTextLoad& load, tagItemData* target, bool paste)
{
    using controls::RichTextLoad;
    // Another item loaded meanwhile: the text is not meant for it.
    if (m_node != target || !canWrite()) {
        emit importFinished(false);
        return;
    }
    switch (load.status) {
    case RichTextLoad::Ok:
        break;
    case RichTextLoad::TooLong:
        controls::MessageBox::warning(
            this, title(),
            paste ? platform::langString(48331).arg(controls::kMaxRichTextChars)
                  : platform::langString(48330).arg(m_importPath).arg(controls::kMaxRichTextChars));
        emit importFinished(false);
        return;
    case RichTextLoad::Damaged:
        controls::MessageBox::warning(this, title(), platform::langString(48292).arg(m_importPath));
        emit importFinished(false);
        return;
    case RichTextLoad::InvalidName:
    case RichTextLoad::CannotOpen:
    case RichTextLoad::NotAFile:
    case RichTextLoad::FileTooLarge:
        controls::RichEditPromptFailure(load.status, m_importPath);
        emit importFinished(false);
        return;
    case RichTextLoad::Cancelled:
        emit importFinished(false);
        return;
    }
    if (paste) {
        pasteInPieces(load, target);
        return;
    }
    // One store for the whole import, not one per step.
    {
        const QSignalBlocker quiet(m_edit);
        // The reader gave the text its explicit colour already.
        controls::RichEditInstall(load, m_edit);
        QTextCursor c = m_edit->textCursor();
        c.setPosition(0);
        m_edit->setTextCursor(c);
    }
    storeText();
    m_bar->UpdateToolbar();
    emit importFinished(true);
}

} // namespace panels
