#include "app/editor/CustomGif.h"

#include "app/spine/Messages.h"
#include "app/controls/ControlMessages.h"
#include "app/controls/IconButton.h"
#include "core/api/Nodes.h"
#include "core/api/ItemRecord.h"
#include "platform/Colour.h"
#include "platform/LangPack.h"

#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace editor {

namespace {
constexpr int kTextPlaceholder = 6318;
constexpr int kEffectPlaceholder = 6319;
constexpr int kCanvasId = 0xE900;
constexpr int kTabId = 100;
constexpr unsigned kFrameTextId = 6650;
// The panels' area until the owner hands its panels in.
constexpr QSize kPanelSize(380, 240);
} // namespace

// ---------------------------------------------------------------- layout rules

GifFit fitGifZoom(const QRect& area, int cw, int ch, int zoom)
{
    GifFit fit;
    fit.zoom = std::clamp(zoom, 1, kGifZoomMax);
    fit.area = area;
    cw = std::max(cw, 1);
    ch = std::max(ch, 1);
    auto fitAxis = [&fit](int room, int content) {
        if (room < fit.zoom * content)
            fit.zoom = std::min(fit.zoom, 2);
        if (room < 2 * content)
            fit.zoom = 1;
    };
    fitAxis(area.width(), cw);
    if (area.width() < cw) {
        fit.area.setLeft(10);
        fit.area.setRight(cw + 10 - 1);
    }
    fitAxis(area.height(), ch);
    if (area.height() < ch) {
        fit.area.setTop(area.top() + 70 - kGifNavHeight);
        fit.area.setHeight(ch);
        fit.area.moveTop(70);
    }
    fit.grow = QSize(std::max(0, fit.area.width() - area.width()), std::max(0, fit.area.height() - area.height()));
    return fit;
}

QRect gifCanvasRect(const QRect& client, int panelHeight, int cw, int ch, int zoom)
{
    QRect r;
    const int w = cw * zoom, h = ch * zoom;
    if (client.width() > w)
        r.setLeft(client.left() + (client.width() - w) / 2), r.setWidth(w);
    else
        r.setLeft(client.left()), r.setWidth(client.width());
    const int bandTop = client.top() + kGifNavHeight;
    const int band = std::max(0, client.height() - kGifNavHeight - panelHeight);
    if (band > h)
        r.setTop(bandTop + (band - h) / 2), r.setHeight(h);
    else
        r.setTop(bandTop), r.setHeight(band);
    return r;
}

// ---------------------------------------------------------------- GifFrameState

void GifFrameState::setCount(int count)
{
    m_count = std::max(count, 1);
    m_current = std::clamp(m_current, 1, m_count);
}

bool GifFrameState::command(int id, long value)
{
    switch (id) {
    case GIFNAV_FIRST: m_current = 1; return true;
    case GIFNAV_PREVIOUS: m_current = std::max(1, m_current - 1); return true;
    case GIFNAV_NEXT: m_current = std::min(m_count, m_current + 1); return true;
    case GIFNAV_LAST: m_current = m_count; return true;
    case GIFNAV_GOTO:
        // Numbers below the first frame go to the first.
        m_current = int(std::clamp<long>(value, 1, m_count));
        return true;
    default: return false;
    }
}

void GifFrameState::tick() { m_current = m_current >= m_count ? 1 : m_current + 1; }

// ---------------------------------------------------------------- CGifFrameCtrl

CGifFrameCtrl::CGifFrameCtrl(QWidget* parent) : QWidget(parent)
{
    setObjectName(QString::number(kGifFrameCtrlTemplate));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 2, 4, 2);
    row->setSpacing(2);
    const unsigned icons[9] = {3350, 3351, 3352, 6708, 6707, 6703, 6704, 6705, 6706};
    for (int i = 0; i < 9; ++i) {
        const int id = GIFNAV_ZOOM_RESET + i;
        auto* b = new controls::CIconButton(this);
        b->AssignIcons(icons[i]);
        b->setObjectName(QString::number(id));
        controls::setControlId(b, id);
        b->setFixedSize(26, 26);
        b->setIconSize(QSize(16, 16));
        connect(b, &QAbstractButton::clicked, this, [this, id] { send(id); });
        m_buttons[i] = b;
        row->addWidget(b);
        if (i == 2 || i == 4)
            row->addSpacing(8);
    }
    row->addSpacing(8);
    m_text = new QLabel(this);
    m_text->setObjectName(QString::number(GIFNAV_TEXT));
    m_text->setMinimumWidth(160);
    controls::setControlId(m_text, GIFNAV_TEXT);
    row->addWidget(m_text);
    m_goto = new QLineEdit(QStringLiteral("1"), this);
    m_goto->setObjectName(QString::number(GIFNAV_GOTO));
    controls::setControlId(m_goto, GIFNAV_GOTO);
    m_goto->setValidator(new QIntValidator(0, 999999, m_goto));
    m_goto->setFixedWidth(60);
    connect(m_goto, &QLineEdit::textEdited, this, [this](const QString& t) {
        bool ok = false;
        const long v = t.toLong(&ok);
        if (ok)
            send(GIFNAV_GOTO, v);
    });
    row->addWidget(m_goto);
    row->addStretch(1);
    setFixedHeight(kGifNavHeight);
    SetIdle(true);
    retranslate();
}

void CGifFrameCtrl::retranslate()
{
    for (int i = 0; i < 9; ++i)
        m_buttons[i]->setToolTip(platform::langDialogText(kGifFrameCtrlTemplate, unsigned(GIFNAV_ZOOM_RESET + i)));
}

void CGifFrameCtrl::send(int id, long value)
{
    spine::GifNavCommand::send(parentWidget(), id, value);
}

void CGifFrameCtrl::SetIdle(bool idle)
{
    m_playing = !idle;
    m_buttons[GIFNAV_STOP - GIFNAV_ZOOM_RESET]->setEnabled(m_playing);
    m_buttons[GIFNAV_PLAY - GIFNAV_ZOOM_RESET]->setEnabled(idle);
    for (int id = GIFNAV_FIRST; id <= GIFNAV_LAST; ++id)
        m_buttons[id - GIFNAV_ZOOM_RESET]->setEnabled(idle);
    m_goto->setEnabled(idle);
}

void CGifFrameCtrl::SetFrameText(const QString& text)
{
    m_text->setText(text);
    // Long counts must not be cut: the label grows at once, not on the next layout pass.
    const int need = m_text->sizeHint().width();
    if (need > m_text->minimumWidth())
        m_text->setMinimumWidth(need);
}

// ---------------------------------------------------------------- GifCanvas

GifCanvas::GifCanvas(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    controls::setControlId(this, kCanvasId);
    setObjectName(QString::number(kCanvasId));
}

void GifCanvas::setDot(int dot)
{
    m_dot = std::clamp(dot, 1, kGifZoomMax);
    update();
}

void GifCanvas::setContentSize(QSize size)
{
    if (m_content.size() != size) {
        m_content = QImage(size, QImage::Format_RGB32);
        m_content.fill(Qt::black);
    }
}

void GifCanvas::setWorkMode(int mode)
{
    m_thresholds = ThresholdsFor(LookupWorkMode(mode).ColourCount, ColourThreshold());
    update();
}

std::uint32_t GifCanvas::ledColour(QRgb pixel) const { return ThresholdPixel(pixel & 0xFFFFFF, m_thresholds); }

void GifCanvas::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::black);
    // Each LED is a dot with a dark gap once the dots are large enough to show it.
    const int gap = m_dot >= 3 ? 1 : 0;
    const int w = std::min(m_content.width(), width() / m_dot + 1);
    const int h = std::min(m_content.height(), height() / m_dot + 1);
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(m_content.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (const std::uint32_t c = ledColour(line[x]))
                p.fillRect(x * m_dot, y * m_dot, m_dot - gap, m_dot - gap, platform::toQColor(c));
    }
}

// ---------------------------------------------------------------- CCustomGif

CCustomGif::CCustomGif(tagItemData* item, QWidget* parent) : QDialog(parent), m_item(item)
{
    setObjectName(QString::number(kCustomGifTemplate));
    // Controls sit on grey.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0x80, 0x80, 0x80));
    setPalette(pal);
    setAutoFillBackground(true);

    m_canvas = new GifCanvas(this);
    m_nav = new CGifFrameCtrl(this);
    m_left = new QWidget(this);
    m_left->setObjectName(QString::number(kTextPlaceholder));
    m_left->resize(kPanelSize);
    m_right = new QWidget(this);
    m_right->setObjectName(QString::number(kEffectPlaceholder));
    m_right->resize(kPanelSize);
    m_tab = new QTabBar(m_right);
    m_tab->setObjectName(QString::number(kTabId));
    controls::setControlId(m_tab, kTabId);
    m_tab->setDrawBase(false);
    m_tab->setExpanding(false);
    m_tab->addTab(platform::langDialogText(kCustomGifTemplate, kTabId));

    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_frames.tick();
        drawFrame();
    });

    const ItemRecord* rec = m_item ? m_item->Item.TypeRecord : nullptr;
    GetNodePicture(m_item);   // made when missing: that brings its content size up to date
    m_contentSize = m_item ? QSize(int(std::clamp<std::uint32_t>(m_item->Item.ContentW, 1, 4096)),
                                   int(std::clamp<std::uint32_t>(m_item->Item.ContentH, 1, 4096)))
                           : QSize(1, 1);
    m_engine = std::make_unique<render::TextCartoon>(m_contentSize.width(), m_contentSize.height());
    if (rec) {
        m_engine->SetText(rec->text());
        m_engine->SetEffect(rec->get(records::textgif::Effect));
    }
    m_frames.setCount(m_engine->FrameCount());
    m_canvas->setContentSize(m_contentSize);
    if (const tagItemData* screen = m_item ? AncestorAtLevel(m_item, LEVEL_ROOT) : nullptr)
        m_canvas->setWorkMode(screen->Global.Type);
    resize(std::max(2 * kPanelSize.width(), 640), 520);
    retranslate();
    drawFrame();
}

CCustomGif::~CCustomGif()
{
    stop();
    if (m_item && m_item->Item.TypeRecord)
        m_item->Item.TypeRecord->set(records::textgif::FrameCount, std::uint32_t(m_frames.count()));
}

void CCustomGif::retranslate()
{
    setWindowTitle(platform::langDialogText(kCustomGifTemplate, 0));
    m_tab->setTabText(0, platform::langDialogText(kCustomGifTemplate, kTabId));
    m_nav->retranslate();
    drawFrame();
}

void CCustomGif::setTextPanel(QWidget* panel)
{
    m_textPanel = panel;
    panel->setParent(m_left);
    spine::NodeLoad::send(panel, m_item);
    m_left->resize(panel->sizeHint().expandedTo(kPanelSize));
    panel->setGeometry(m_left->rect());
    panel->show();
    m_sized = false;
    if (isVisible())
        showEvent(nullptr);
}

void CCustomGif::setEffectPanel(QWidget* panel)
{
    m_effectPanel = panel;
    panel->setParent(m_right);
    layoutRight();
    panel->show();
}

void CCustomGif::showEvent(QShowEvent* e)
{
    if (e)
        QDialog::showEvent(e);
    if (m_sized)
        return;
    m_sized = true;
    // Once: the zoom that fits, and the dialog grown when even zoom 1 does not.
    const QRect client = rect();
    const int h = m_left->height();
    const QRect area(0, kGifNavHeight, client.width(), std::max(0, client.height() - kGifNavHeight - h));
    const GifFit fit = fitGifZoom(area, m_contentSize.width(), m_contentSize.height(), zoom());
    m_canvas->setDot(fit.zoom);
    if (!fit.grow.isEmpty() || fit.grow.width() > 0 || fit.grow.height() > 0) {
        QSize want = size() + fit.grow;
        if (const QScreen* s = screen())
            want = want.boundedTo(s->availableSize());
        resize(want);
        if (parentWidget())
            move(parentWidget()->window()->geometry().center() - rect().center());
    }
    layoutCanvas();
    drawFrame();
}

void CCustomGif::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    const QRect c = rect();
    m_nav->setGeometry(0, 0, c.width(), kGifNavHeight);
    const QSize left = m_left->size();
    m_left->move(0, c.height() - left.height());
    m_right->setGeometry(left.width(), c.height() - left.height(), std::max(0, c.width() - left.width()), left.height());
    layoutRight();
    if (m_textPanel)
        m_textPanel->setGeometry(m_left->rect());
    layoutCanvas();
}

void CCustomGif::layoutRight()
{
    const int w = m_right->width();
    m_tab->setGeometry(0, 0, w, kGifTabHeight);
    if (m_effectPanel)
        m_effectPanel->setGeometry(0, kGifTabHeight, w, std::max(0, m_right->height() - kGifTabHeight));
}

void CCustomGif::layoutCanvas()
{
    m_canvas->setGeometry(gifCanvasRect(rect(), m_left->height(), m_contentSize.width(), m_contentSize.height(), zoom()));
}

void CCustomGif::setZoom(int z)
{
    m_canvas->setDot(z);
    layoutCanvas();
    drawFrame();
}

bool CCustomGif::event(QEvent* e)
{
    if (spine::GifNavCommand::dispatch(e, [this](int id, long value) { onNavCommand(id, value); }))
        return true;
    if (spine::GifTextChanged::dispatch(e, [this] { OnTextChanged(); }))
        return true;
    return QDialog::event(e);
}

void CCustomGif::onNavCommand(int id, long value)
{
    switch (id) {
    case GIFNAV_ZOOM_RESET:
        if (zoom() != kGifZoomMax)
            setZoom(kGifZoomMax);
        return;
    case GIFNAV_ZOOM_OUT:
        if (zoom() > 1)
            setZoom(zoom() - 1);
        return;
    case GIFNAV_ZOOM_IN:
        if (zoom() < kGifZoomMax)
            setZoom(zoom() + 1);
        return;
    case GIFNAV_PLAY: {
        if (m_timer.isActive())
            return;
        const ItemRecord* rec = m_item ? m_item->Item.TypeRecord : nullptr;
        const std::uint32_t interval = rec ? rec->get(records::textgif::Delay) : 100;
        m_nav->SetIdle(false);
        m_timer.start(int(std::clamp<std::uint32_t>(interval, kGifMinIntervalMs, 3600000)));
        return;
    }
    case GIFNAV_STOP:
        stop();
        return;
    default:
        if (m_frames.command(id, value))
            drawFrame();
    }
}

void CCustomGif::stop()
{
    m_timer.stop();
    m_nav->SetIdle(true);
}

void CCustomGif::closeEvent(QCloseEvent* e)
{
    stop();
    QDialog::closeEvent(e);
}

void CCustomGif::ResetFrames(int effectId)
{
    if (m_item && m_item->Item.TypeRecord)
        m_item->Item.TypeRecord->set(records::textgif::Effect, std::uint16_t(effectId));
    m_engine->SetEffect(effectId);
    m_frames.setCount(m_engine->FrameCount());
    drawFrame();
}

void CCustomGif::OnTextChanged()
{
    m_engine->FreeCharList();
    if (m_item)
        m_contentSize = QSize(int(std::clamp<std::uint32_t>(m_item->Item.ContentW, 1, 4096)),
                              int(std::clamp<std::uint32_t>(m_item->Item.ContentH, 1, 4096)));
    const ItemRecord* rec = m_item ? m_item->Item.TypeRecord : nullptr;
    const int effect = m_engine->Effect();
    m_engine = std::make_unique<render::TextCartoon>(m_contentSize.width(), m_contentSize.height());
    if (rec)
        m_engine->SetText(rec->text());
    m_engine->SetEffect(effect);
    m_frames.setCount(m_engine->FrameCount());
    m_canvas->setContentSize(m_contentSize);
    layoutCanvas();
    drawFrame();
}

void CCustomGif::drawFrame()
{
    // The engine draws onto the canvas-sized work picture; the part the
    // canvas shows at its zoom goes into its content.
    const QSize work = m_canvas->size().expandedTo(QSize(1, 1));
    QImage picture(work, QImage::Format_RGB32);
    picture.fill(Qt::black);
    m_engine->DrawFrame(picture, m_frames.current());
    QImage& content = m_canvas->content();
    content.fill(Qt::black);
    QPainter p(&content);
    const QRect shown(0, 0, work.width() / zoom(), work.height() / zoom());
    p.drawImage(QPoint(0, 0), picture, shown);
    p.end();
    m_canvas->update();
    QString text = platform::langString(kFrameTextId);
    m_nav->SetFrameText(text.isEmpty() ? QStringLiteral("%1 / %2").arg(m_frames.current()).arg(m_frames.count())
                                       : text.arg(m_frames.current()).arg(m_frames.count()));
}

} // namespace editor
