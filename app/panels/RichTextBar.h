#pragma once
// The formatting row of the rich-text editors (the rich-text panel and the
// animated-text panel): face, size, colour, line spacing, bold, italic,
// underline, alignment, bullets and indent, applied to the edit's selection,
// and the row following the selection. The panels place the controls and
// store the edit's text themselves.
#include "app/panels/TextControls.h"

#include <QObject>

class QHBoxLayout;
class QSpinBox;
class QWidget;
namespace controls {
class CColourPicker;
class CFontComboBox;
class CIconButton;
class CRichEditCtrlEx;
class CSizeComboBox;
}

namespace panels {

struct RichBarIds {
    int face, size, colour, spacing, bold, italic, underline, left, centre, right, bullets;
    int indent = 0;   // 0: no indent button
};

class CRichTextBar : public QObject {
    Q_OBJECT
public:
    // Builds the controls as children of `panel`, working on `edit`.
    CRichTextBar(QWidget* panel, controls::CRichEditCtrlEx* edit, const RichBarIds& ids);

    // The edit's look and default character: black, yellow 10-point text in
    // the pack's default face, 240-twip exact lines.
    static void prepareEdit(controls::CRichEditCtrlEx* edit);

    // The row follows the selection; the alignment buttons are enabled only
    // while alignment is allowed (wrapping on).
    void UpdateToolbar();
    void setAlignAllowed(bool allowed);
    // The face box names Chinese faces by their Latin names (a reader of English).
    void setFaceNames(FaceNames names) { m_faceNames = names; }
    bool alignAllowed() const { return m_alignAllowed; }

    // A row of the face, size, colour and spacing controls, the face list widest.
    QHBoxLayout* fontRow() const;

    // Start indent and offset to the first tab stop beyond the present indent.
    void indentToNextTab();

    controls::CFontComboBox* face() const { return m_face; }
    controls::CSizeComboBox* size() const { return m_size; }
    controls::CColourPicker* colour() const { return m_colour; }
    QSpinBox* spacing() const { return m_spacing; }
    controls::CIconButton* bold() const { return m_bold; }
    controls::CIconButton* italic() const { return m_italic; }
    controls::CIconButton* underline() const { return m_underline; }
    controls::CIconButton* align(int i) const { return m_align[i]; }
    controls::CIconButton* bullets() const { return m_bullets; }
    controls::CIconButton* indent() const { return m_indent; }

private:
    void onFace(int index);
    void onSizeChosen(int index);
    void onSizeTyped(const QString& text);
    void onColour(int code);
    void onStyle();
    void onAlign(int which);
    void onBullets();
    void onSpacing(int points);
    void setPointSize(int points);

    controls::CRichEditCtrlEx* m_edit;
    controls::CFontComboBox* m_face;
    controls::CSizeComboBox* m_size;
    controls::CColourPicker* m_colour;
    QSpinBox* m_spacing;
    controls::CIconButton* m_bold;
    controls::CIconButton* m_italic;
    controls::CIconButton* m_underline;
    controls::CIconButton* m_align[3];
    controls::CIconButton* m_bullets;
    controls::CIconButton* m_indent = nullptr;
    bool m_alignAllowed = false;
    FaceNames m_faceNames = FaceNames::AsStored;
    bool m_updating = false;
};

} // namespace panels

class QMenu;
class QTextEdit;
namespace panels {
// The rich edit's context menu (copy, cut, paste, undo, redo, select all,
// clear, clear all), each entry enabled only when it can act. The caller owns it.
QMenu* buildRichEditMenu(QTextEdit* edit, QWidget* parent);
} // namespace panels
