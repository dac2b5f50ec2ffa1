#pragma once
// The preview window: a modal dialog holding the LED canvas the players draw
// into and a translucent bar (play, pause, close) shown while the mouse rests
// on the preview. The controller is stopped before any of them goes.
#include "app/editor/Led.h"
#include "app/preview/Players.h"
#include "app/preview/PreviewCanvas.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>

class CCore;
class CScreenCopy;
struct tagItemData;

namespace controls {
class CIconButton;
}

namespace preview {

class RandomSource;

enum PreviewIds : unsigned {
    IDD_PREVIEW = 6216,
    IDD_PREVIEW_BAR = 6222,
    IDC_PREVIEW_PLAY = 6188,
    IDC_PREVIEW_PAUSE = 6189,
    IDC_PREVIEW_CLOSE = 6190,
    IDI_PREVIEW_PLAY = 6044,
    IDI_PREVIEW_CLOSE = 6264,
    IDI_PREVIEW_PAUSE = 6265,
    IDS_PREVIEW_TITLE = 32798,
    IDC_PREVIEW_CANVAS = 0xE900,
};

// The dot size a display of w x h LEDs is shown at: 3, lowered only while
// it does not fit `available` (the screen's work area).
int previewDotFor(int w, int h, const QSize& available);
// "<text after the first \n of the title string>-<screen name>".
QString previewTitle(const QString& titleString, const QString& screenName);

// The preview's LED canvas: its content picture is the players' back buffer,
// touched by them only under the canvas lock; rendering goes through CLed.
class CPreviewLed : public editor::CLed, public PreviewCanvas {
    Q_OBJECT
public:
    CPreviewLed(CCore& core, PlayHost& host, RandomSource& random, QWidget* parent = nullptr);
    ~CPreviewLed() override;

    // Plays from the scene of `node` (the first normal scene when that is the
    // global one); false for a null node or one without a scene.
    bool StartFrom(tagItemData* node);
    CPlayControl& Control() { return m_control; }
    PreviewCanvas& Canvas() { return *this; }
    // UI thread; each takes the canvas lock.
    void SetDot(int dot);
    void ResizeContent(int w, int h);
    void ApplyWorkMode(int workMode);
    QSize DisplaySize();
    QImage DisplayCopy();
    bool IsWindowGone() const { return m_windowGone; }

    QImage& backBuffer() override { return m_content; }

signals:
    void hovered();
    void left();

protected:
    QRect renderLeds(const QRect& leds, int ring) override;
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    void flush();

    CCore& m_core;
    CPlayControl m_control;
    bool m_windowGone = false;
    bool m_track = true;
    QTimer m_hover;
};

class CPreViewBar : public QWidget {
    Q_OBJECT
public:
    explicit CPreViewBar(QWidget* parent = nullptr);
    controls::CIconButton* Button(unsigned id) const;
    void retranslate();

signals:
    void command(unsigned id);
    void left();

protected:
    void paintEvent(QPaintEvent* e) override;
    void leaveEvent(QEvent* e) override;

private:
    controls::CIconButton* m_play;
    controls::CIconButton* m_pause;
    controls::CIconButton* m_close;
};

class CPreView : public QDialog {
    Q_OBJECT
public:
    // `node` is any node of the screen to preview; the window starts playing
    // when shown. It plays a copy of the screen taken here: the players
    // paint the copy's nodes on their threads, never a node of the tree.
    CPreView(CCore& core, tagItemData* node, QWidget* parent = nullptr);
    CPreView(CCore& core, tagItemData* node, PlayHost& host, RandomSource& random, QWidget* parent = nullptr);
    ~CPreView() override;

    bool PlayOrResume();
    void OnCommand(unsigned id);
    CPreviewLed& Canvas() { return *m_led; }
    CPreViewBar& Bar() { return *m_bar; }
    bool IsValid() const { return m_node != nullptr; }

    void done(int r) override;

protected:
    void showEvent(QShowEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool focusNextPrevChild(bool next) override;

private:
    void init();
    void placeChildren();
    void maybeHideBar();
    void stopPlaying();

    CCore& m_core;
    std::unique_ptr<CScreenCopy> m_copy;
    tagItemData* m_node;   // the copy's node standing for the one asked for
    CPreViewBar* m_bar = nullptr;
    CPreviewLed* m_led = nullptr;
    bool m_started = false;
};

// Opens the modal preview of the screen of `node`; returns the dialog's result.
int runPreview(CCore& core, tagItemData* node, QWidget* parent);

}
