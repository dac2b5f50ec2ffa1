#include "app/shell/FrameStatus.h"

#include "app/tooltips/HtmlToolTip.h"
#include "platform/LangPack.h"

#include <QCursor>
#include <QHelpEvent>
#include <QLabel>
#include <QMainWindow>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QToolTip>

namespace shell {

namespace {

constexpr unsigned kStrLinkIdle = 59150;
constexpr unsigned kStrTransferIdle = 59151;

// A status pane whose text does not fit the room the bar can give it ends
// the text in an ellipsis and shows it whole as its tooltip.
class ElidingPane : public QLabel {
public:
    using QLabel::QLabel;
    // Where QLabel puts its text.
    QRect TextRect() const
    {
        QRect r = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
        int in = indent();
        if (in < 0 && frameWidth() > 0)
            in = fontMetrics().horizontalAdvance(u'x') / 2;
        return in > 0 ? r.adjusted(in, 0, 0, 0) : r;
    }
    bool Elided() const { return fontMetrics().horizontalAdvance(text()) > TextRect().width(); }

protected:
    void paintEvent(QPaintEvent* e) override
    {
        if (!Elided()) {
            QLabel::paintEvent(e);
            return;
        }
        QPainter p(this);
        drawFrame(&p);
        const QRect r = TextRect();
        style()->drawItemText(&p, r, int(QStyle::visualAlignment(layoutDirection(), alignment())), palette(),
                              isEnabled(), fontMetrics().elidedText(text(), Qt::ElideRight, r.width()),
                              foregroundRole());
    }
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::ToolTip) {
            if (Elided())
                QToolTip::showText(static_cast<QHelpEvent*>(e)->globalPos(), text(), this);
            else
                QToolTip::hideText();
            return true;
        }
        return QLabel::event(e);
    }
};

} // namespace

FrameStatus::FrameStatus(QMainWindow& frame) : m_frame(frame) {}

FrameStatus::~FrameStatus() = default;

void FrameStatus::buildBar()
{
    QStatusBar* bar = m_frame.statusBar();
    for (int i = 0; i < 3; ++i) {
        m_panes[i] = new ElidingPane(bar);
        m_panes[i]->setObjectName(QStringLiteral("statusPane%1").arg(i));
        m_panes[i]->setFrameShape(QFrame::Panel);
        m_panes[i]->setFrameShadow(QFrame::Sunken);
    }
    // At least their set widths; a longer text widens its pane instead of being cut.
    m_panes[0]->setMinimumWidth(120);
    m_panes[1]->setMinimumWidth(125);
    bar->addWidget(m_panes[0]);
    bar->addWidget(m_panes[1]);
    bar->addWidget(m_panes[2], 1);
    Reset();
}

void FrameStatus::buildTip()
{
    m_tip = std::make_unique<tooltips::CHtmlToolTip>();
    m_tip->Create(&m_frame);
    m_tip->SetColours(0xFFFF00, 0x00FFFF, 0x00FF00);
    m_tip->SetBorder(0x00FF00);
    m_tip->SetEffect(13, 5);
    m_tip->SetTransparency(30);
    m_tip->SetDelayTime(0, 3000);
    m_tip->SetDelayTime(1, 100);
    m_tip->SetDelayTime(2, 70);
    m_tip->SetDelayTime(3, 70);
    m_tip->SetDelayTime(4, 100);
    m_tip->SetDefaultShadow();
}

void FrameStatus::destroyTip()
{
    if (m_tip)
        m_tip->DestroyWindow();
}

QString FrameStatus::Text(int pane) const
{
    const QLabel* l = Pane(pane);
    return l ? l->text() : QString();
}

void FrameStatus::Reset()
{
    if (m_panes[1])
        m_panes[1]->setText(platform::langString(kStrLinkIdle));
    if (m_panes[2])
        m_panes[2]->setText(platform::langString(kStrTransferIdle));
}

void FrameStatus::ShowTip(const QString& text)
{
    if (text.isEmpty())
        return;
    m_lastTip = text;
    if (!m_tip)
        return;
    // At the cursor when it is over the window; a command given by key
    // leaves the cursor anywhere, and the notice then shows over the window.
    QPoint at = QCursor::pos();
    if (!m_frame.frameGeometry().contains(at))
        at = m_frame.mapToGlobal(m_frame.rect().center());
    m_tip->SetToolText(text, at);
}

void FrameStatus::OnEditorNotice(int code, const QString& text)
{
    static const unsigned kNotice[] = {0, 48218, 48219, 48220, 48221, 0, 48222, 48223, 48224};
    QString notice;
    if (code == 5)
        notice = text;
    else if (code >= 1 && code <= 8)
        notice = platform::langString(kNotice[code]);
    ShowTip(notice);
}

void FrameStatus::relay(QObject* watched, QEvent* e)
{
    if (m_tip && watched->isWidgetType())
        m_tip->RelayEvent(watched, e);
}

void FrameStatus::OnCommProgress(const spine::CoreEvent& e)
{
    if (beginsTransfer(e))
        ++m_transfers;
    const StatusText t = commStatusText(e);
    showNews(t.pane, {t.text, true, m_transfers});
}

void FrameStatus::OnFileProgress(const spine::CoreEvent& e)
{
    const StatusText t = fileStatusText(e);
    showNews(t.pane, {t.text, false, 0});
}

void FrameStatus::showNews(int pane, const PaneNews& news)
{
    if (pane == kPaneNone || !m_panes[pane] || news.text.isEmpty())
        return;
    // Each job's outcome replaces the last one's: the other pane keeps only
    // news of the same job.
    const int other = pane == kPaneLink ? kPaneTransfer : kPaneLink;
    const PaneNews& shown = m_news[other];
    if (m_panes[other] && !(m_panes[other]->text() == shown.text && sameJob(shown, news))) {
        m_panes[other]->setText(platform::langString(other == kPaneLink ? kStrLinkIdle : kStrTransferIdle));
        m_news[other] = {};
    }
    m_panes[pane]->setText(news.text);
    m_news[pane] = news;
}

} // namespace shell
