#pragma once
// The main panel of rich-text items: the item's RTF text in a rich edit that
// looks as the LEDs will, a formatting row, wrapping at the item's width and
// the import of plain text, RTF and word-processor documents. Every change of
// the edit is stored and the item repainted.
#include "app/panels/PanelBase.h"
#include "app/panels/import/DocumentConverter.h"

#include <QPointer>
#include <functional>

class ItemRecord;
namespace controls {
class CIconButton;
class CRichEditCtrlEx;
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

    // Imports a file by its extension: ".txt" and ".rtf" at once, ".doc"
    // through the document converter (its answer comes later).
    void ImportFile(const QString& path);
    // Who converts documents (tests put a fake in).
    using ConverterFactory = std::function<DocumentConverter*(QObject* parent)>;
    static ConverterFactory setConverterFactory(ConverterFactory f);

    controls::CRichEditCtrlEx* edit() const { return m_edit; }
    CRichTextBar* bar() const { return m_bar; }
    bool isImporting() const { return m_converter != nullptr; }

signals:
    void importFinished(bool ok);

protected:
    bool OnInitDialog() override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    bool canWrite() const { return canEdit() && m_record; }
    void onEditChanged();
    void onWrap();
    void ApplyWrap();
    void storeText();
    void onImport();
    bool loadImported(const QString& pathOrRtf, bool isFile);

    ItemRecord* m_record = nullptr;
    controls::CRichEditCtrlEx* m_edit = nullptr;
    CRichTextBar* m_bar = nullptr;
    controls::CIconButton* m_wrap = nullptr;
    controls::CIconButton* m_import = nullptr;
    QString m_importPath;
    QPointer<DocumentConverter> m_converter;
};

} // namespace panels
