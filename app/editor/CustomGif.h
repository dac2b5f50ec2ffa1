#pragma once
// The animation-effect dialog of an animated-text item: the item's effect is
// drawn frame by frame on an LED canvas, with a frame navigator across the
// top, the item's text panel at the bottom left and the effect panel under a
// tab at the bottom right (the panels are handed in by their owner). Playing
// is a timer on the GUI thread. When the dialog goes, the item's record
// keeps the frame count it showed.
#include "core/api/TextCartoon.h"
#include "core/api/TypeRecords.h"
#include "core/api/WorkMode.h"

#include <QDialog>
#include <QImage>
#include <QTimer>
#include <QWidget>

#include <memory>

class QLabel;
class QLineEdit;
class QTabBar;
struct tagItemData;

namespace controls {
class CIconButton;
}

namespace editor {

inline constexpr int kCustomGifTemplate = 6560;
inline constexpr int kGifFrameCtrlTemplate = 6561;
inline constexpr int kGifNavHeight = 30;
inline constexpr int kGifTabHeight = 21;
inline constexpr int kGifZoomMax = 3;
// Timers faster than this would only load the machine (an interval of 0 is allowed).
inline constexpr int kGifMinIntervalMs = 10;

// Navigator command ids (the controls that send them).
enum GifNavCommand : int {
    GIFNAV_ZOOM_RESET = 6562,
    GIFNAV_ZOOM_OUT = 6563,
    GIFNAV_ZOOM_IN = 6564,
    GIFNAV_PLAY = 6565,
    GIFNAV_STOP = 6566,
    GIFNAV_FIRST = 6567,
    GIFNAV_PREVIOUS = 6568,
    GIFNAV_NEXT = 6569,
    GIFNAV_LAST = 6570,
    GIFNAV_TEXT = 6571,
    GIFNAV_GOTO = 6572,
};

// The zoom that fits the item's content (cw x ch LEDs) into the canvas area,
// and how much the area (and the dialog with it) must grow when even zoom 1
// does not fit.
struct GifFit {
    int zoom = kGifZoomMax;
    QRect area;
    QSize grow;
};
GifFit fitGifZoom(const QRect& area, int contentW, int contentH, int zoom = kGifZoomMax);
// Where the canvas goes in the client rectangle: centred in the band between
// the navigator and the panels when it fits, else filling it.
QRect gifCanvasRect(const QRect& client, int panelHeight, int contentW, int contentH, int zoom);

// The frame position and play state, apart from the widgets.
class GifFrameState {
public:
    void setCount(int count);
    int count() const { return m_count; }
    int current() const { return m_current; }
    // A navigator command; true when the current frame must be drawn again.
    bool command(int id, long value);
    // The timer's tick: the next frame, the first after the last.
    void tick();

private:
    int m_count = 1;
    int m_current = 1;
};

// The frame navigator: zoom and play buttons, first/previous/next/last, the
// frame text and a frame number to go to. Every control tells the parent
// with WM_GIFNAV_COMMAND.
class CGifFrameCtrl : public QWidget {
    Q_OBJECT
public:
    explicit CGifFrameCtrl(QWidget* parent = nullptr);
    void SetIdle(bool idle);
    bool isPlaying() const { return m_playing; }
    void SetFrameText(const QString& text);
    void retranslate();

private:
    void send(int id, long value = 0);

    bool m_playing = false;
    controls::CIconButton* m_buttons[9];
    QLabel* m_text;
    QLineEdit* m_goto;
};

// The canvas: the content picture drawn as LEDs of the dot size.
class GifCanvas : public QWidget {
    Q_OBJECT
public:
    explicit GifCanvas(QWidget* parent = nullptr);
    void setDot(int dot);
    int dot() const { return m_dot; }
    void setContentSize(QSize size);
    // Which colour channels light, from the screen's LED work mode.
    void setWorkMode(int mode);
    // The colour an LED shows for a content pixel (0 = dark), 0x00BBGGRR.
    std::uint32_t ledColour(QRgb pixel) const;
    QImage& content() { return m_content; }
    const QImage& content() const { return m_content; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int m_dot = kGifZoomMax;
    QImage m_content;
    ChannelThresholds m_thresholds = ThresholdsFor(3, ColourThreshold());
};

class CCustomGif : public QDialog {
    Q_OBJECT
public:
    // `item` is an animated-text item; it must outlive the dialog.
    explicit CCustomGif(tagItemData* item, QWidget* parent = nullptr);
    ~CCustomGif() override;

    // The owner's panels: the item's text panel (bottom left), which is
    // loaded with the item, and the effect panel (under the tab). The dialog
    // takes them over.
    void setTextPanel(QWidget* panel);
    void setEffectPanel(QWidget* panel);

    tagItemData* item() const { return m_item; }
    // A new effect from the effect panel: stored, the frames counted again.
    void ResetFrames(int effectId);
    // The item's text changed: outlines and frames are made again.
    void OnTextChanged();

    int zoom() const { return m_canvas->dot(); }
    int currentFrame() const { return m_frames.current(); }
    int frameCount() const { return m_frames.count(); }
    bool isPlaying() const { return m_timer.isActive(); }
    int timerInterval() const { return m_timer.interval(); }
    GifCanvas* canvas() const { return m_canvas; }
    CGifFrameCtrl* navigator() const { return m_nav; }
    void retranslate();

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent*) override;
    void showEvent(QShowEvent*) override;
    void closeEvent(QCloseEvent*) override;

private:
    void onNavCommand(int id, long value);
    void loadText();
    void drawFrame();
    void layoutCanvas();
    void layoutRight();
    void setZoom(int zoom);
    void stop();

    tagItemData* m_item;
    std::unique_ptr<render::TextCartoon> m_engine;
    GifFrameState m_frames;
    QSize m_contentSize;
    QTimer m_timer;
    bool m_sized = false;
    GifCanvas* m_canvas;
    CGifFrameCtrl* m_nav;
    QWidget* m_left;  // placeholder 6318
    QWidget* m_right; // placeholder 6319
    QTabBar* m_tab;   // the strip alone: the effect panel sits right under it
    QWidget* m_textPanel = nullptr;
    QWidget* m_effectPanel = nullptr;
};

} // namespace editor
