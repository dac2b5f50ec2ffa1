#pragma once
// The main panel of rich-text items: the item's RTF text in a rich edit that
// looks as the LEDs will, a formatting row, wrapping at the item's width and
// the import of plain text, RTF and word-processor documents. Every change of
// the edit is stored and the item repainted.
#include "app/controls/RichEdit.h"
#include "app/panels/PanelBase.h"
#include "app/panels/import/DocumentConverter.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QProgressDialog>
#include <functional>

class ItemRecord;
namespace controls {
class CIconButton;
}

namespace panels {

class CRichTextBar;
class DocumentConverter;

class CPropertyText : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 110;
    enum : int {
        IdEdit = 6093,
        IdFace = 32780,
        IdSize = 32781,
        IdColour = 32782,
        IdSpacing = 32792,
        IdBold = 32783,
        IdItalic = 32784,
        IdUnderline = 32785,
        IdLeft = 32786,
        IdCentre = 32787,
        IdRight = 32788,
        IdBullets = 32789,
        IdWrap = 32793,
        IdImport = 6188,
    };

    CPropertyText(PanelContext ctx, QWidget* parent = nullptr);
    ~CPropertyText() override;
    int OnNodeLoad(tagItemData* node) override;
    // The plain field: wrap.
    static std::span<const FieldBinding> bindings();

    // Imports a file by its extension: ".txt" and ".rtf" are read off the
    // interface thread, ".doc" through the document converter; either way
    // importFinished tells the end. A read that takes over a second shows
    // its progress and can be cancelled.
    void ImportFile(const QString& path);
    // Stops a running read; the item keeps its text.
    void cancelImport();
    // The progress of a running read, once it is shown.
    QProgressDialog* importProgress() const { return m_progress; }

    controls::CRichEditCtrlEx* edit() const { return m_edit; }
    CRichTextBar* bar() const { return m_bar; }
    bool isImporting() const { return m_converter != nullptr || m_load != nullptr || m_paste != nullptr; }

signals:
    void importFinished(bool ok);

protected:
    bool OnInitDialog() override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void onEditChanged();
    void onWrap();
    void ApplyWrap();
    void storeText();
    void onImport();
    // Reads a file or a text into a new document and puts it in the edit.
    void startLoad(const QString& pathOrText, bool isFile, bool paste = false);
    void finishLoad(const controls::RichTextLoad& load, tagItemData* target, bool paste);
    void pasteInPieces(const controls::RichTextLoad& load, tagItemData* target);
    // Replaces the progress shown (label from the pack, 0..maximum).
    QProgressDialog* makeProgress(unsigned labelId, int maximum);

    controls::CRichEditCtrlEx* m_edit = nullptr;
    CRichTextBar* m_bar = nullptr;
    controls::CIconButton* m_wrap = nullptr;
    controls::CIconButton* m_import = nullptr;
    QString m_importPath;
    QPointer<DocumentConverter> m_converter;
    QPointer<QFutureWatcher<controls::RichTextLoad>> m_load;
    QPointer<controls::RichTextPaste> m_paste;
    QPointer<QProgressDialog> m_progress;
};

} // namespace panels
