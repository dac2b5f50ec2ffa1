#pragma once
// The main panel of animated-text items: the item's rich text with the same
// editor and formatting row as the rich-text panel, stored lazily: a change
// arms a two-second timer, whose tick stores the text when it differs from
// what was stored last, repaints and tells the owner; a text typed is
// written at once when anything else is about to read the item
// (flushPendingEdit). The same panel sits in
// the animation-effect dialog, without the button that opens that dialog.
#include "app/panels/PanelBase.h"

#include <QPointer>
#include <QTimer>

class ItemRecord;
namespace controls {
class CIconButton;
class CRichEditCtrlEx;
}

namespace panels {

class CRichTextBar;

class CPropertyTextGif : public CPanelBase {
    Q_OBJECT
public:
    static constexpr unsigned kTemplate = 6543;
    static constexpr int kStoreDelayMs = 2000;
    enum : int {
        IdEdit = 6544,
        IdFace = 6545,
        IdSize = 6546,
        IdColour = 6547,
        IdSpacing = 6548,
        IdAlignOn = 6550,
        IdBold = 6551,
        IdItalic = 6552,
        IdUnderline = 6553,
        IdBullets = 6554,
        IdLeft = 6555,
        IdCentre = 6556,
        IdRight = 6557,
        IdIndent = 6558,
        IdEffectDialog = 6317,
    };

    CPropertyTextGif(PanelContext ctx, QWidget* parent = nullptr);
    int OnNodeLoad(tagItemData* node) override;
    void flushPendingEdit() override;

    // Set before Create: the panel inside the animation-effect dialog has no
    // button to open it again, and tells the dialog of stored text.
    void setEffectButtonShown(bool shown) { m_showEffectButton = shown; }
    void setNotifyTarget(QWidget* target) { m_notify = target; }

    // The timer's tick.
    void OnTimer();
    bool isStorePending() const { return m_timer.isActive(); }
    controls::CRichEditCtrlEx* edit() const { return m_edit; }
    CRichTextBar* bar() const { return m_bar; }

protected:
    bool OnInitDialog() override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void onEditChanged();
    void onAlignOn();
    void OpenEffectDialog();

    controls::CRichEditCtrlEx* m_edit = nullptr;
    CRichTextBar* m_bar = nullptr;
    controls::CIconButton* m_alignOn = nullptr;
    QWidget* m_effectButton = nullptr;
    QString m_pending;
    QString m_stored;
    // The text pending was changed by the operator, not by a load.
    bool m_typed = false;
    bool m_showEffectButton = true;
    QPointer<QWidget> m_notify;
    QTimer m_timer;
};

} // namespace panels
