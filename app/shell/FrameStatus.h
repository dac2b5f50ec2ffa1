#pragma once
// The main frame's status bar and notices: the prompt, link and transfer
// panes, what the core's progress reports last wrote in them, and the
// tooltip that shows the editor's and the commands' notices.
#include "app/shell/StatusTexts.h"
#include "app/spine/CoreRelay.h"

#include <QString>
#include <memory>

class QEvent;
class QLabel;
class QMainWindow;
class QObject;
namespace tooltips { class CHtmlToolTip; }

namespace shell {

class FrameStatus {
public:
    explicit FrameStatus(QMainWindow& frame);
    ~FrameStatus();

    // Puts the three panes into the frame's status bar.
    void buildBar();
    // Makes the notices' tooltip, once the frame's panes are up.
    void buildTip();
    // Takes the tooltip's window down before the frame's windows go.
    void destroyTip();

    // Pane 0 the prompt, 1 the link, 2 the transfer; null for another.
    QLabel* Pane(int pane) const { return pane >= 0 && pane < 3 ? m_panes[pane] : nullptr; }
    QString Text(int pane) const;
    // The link and transfer panes back to their idle texts.
    void Reset();

    void OnCommProgress(const spine::CoreEvent& e);
    void OnFileProgress(const spine::CoreEvent& e);

    tooltips::CHtmlToolTip* ToolTip() const { return m_tip.get(); }
    // A notice over the frame; none for an empty text.
    void ShowTip(const QString& text);
    // The last notice shown (tests, and a reader of the status line).
    QString LastTip() const { return m_lastTip; }
    void OnEditorNotice(int code, const QString& text);
    // The tooltip sees every widget's events.
    void relay(QObject* watched, QEvent* e);

private:
    // A progress report's text into its pane (none for an empty text).
    void showNews(int pane, const PaneNews& news);

    QMainWindow& m_frame;
    std::unique_ptr<tooltips::CHtmlToolTip> m_tip;
    QLabel* m_panes[3] = {};
    PaneNews m_news[3];          // what the progress reports last wrote in each pane
    unsigned m_transfers = 0;    // transfers begun, as the reports tell
    QString m_lastTip;
};

} // namespace shell
