#include "app/preview/PreView.h"

#include "app/controls/ControlMessages.h"
#include "app/controls/IconButton.h"
#include "app/preview/RandomSource.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/ScreenCopy.h"
#include "platform/LangPack.h"

#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace preview {

int previewDotFor(int w, int h, const QSize& available)
{
    int dot = 3;
    while (dot > 1 && available.isValid() && !available.isEmpty()) {
        const QSize need = editor::displaySize(QSize(std::max(1, w), std::max(1, h)), editor::dotGeometry(dot, dot));
        if (need.width() <= available.width() && need.height() <= available.height())
            break;
        --dot;
    }
    return dot;
}

QString previewTitle(const QString& titleString, const QString& screenName)
{
    const int cut = titleString.indexOf(QLatin1Char('\n'));
    const QString part = cut >= 0 ? titleString.mid(cut + 1) : titleString;
    return part + QLatin1Char('-') + screenName;
}

// ---- canvas ----
CPreviewLed::CPreviewLed(CCore& core, PlayHost& host, RandomSource& random, QWidget* parent)
    : editor::CLed(parent), m_core(core), m_control(core, host, random)
{
    controls::setControlId(this, IDC_PREVIEW_CANVAS);
    setObjectName(QString::number(IDC_PREVIEW_CANVAS));
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The players write a frame in steps and ask for its render when it is whole.
    setRetainedDisplay(true);
    m_control.SetCanvas(this);
    // Workers only ask; the repaint runs here, and a late ask after this
    // widget is gone is dropped with it.
    setRepaintRequest([this] { QMetaObject::invokeMethod(this, [this] { flush(); }, Qt::QueuedConnection); });
    m_hover.setSingleShot(true);
    m_hover.setInterval(20);
    connect(&m_hover, &QTimer::timeout, this, &CPreviewLed::hovered);
}

CPreviewLed::~CPreviewLed()
{
    m_windowGone = true;
    m_control.Stop();
    setRepaintRequest({});
}

bool CPreviewLed::StartFrom(tagItemData* node)
{
    if (!node)
        return false;
    tagItemData* scene = CCore::GetCurScene(node);
    if (!scene)
        return false;
    tagItemData* current = CCore::IsGlobalScene(scene) == 1 ? scene->NextSibling : scene;
    m_control.SetScene(scene, current);
    return m_control.Start();
}

void CPreviewLed::SetDot(int dot)
{
    std::lock_guard lock(mutex());
    SetDotSize(dot, dot, true);
}

void CPreviewLed::ResizeContent(int w, int h)
{
    std::lock_guard lock(mutex());
    Resize(w, h, true);
}

void CPreviewLed::ApplyWorkMode(int workMode)
{
    std::lock_guard lock(mutex());
    SetWorkMode(workMode, true);
}

QSize CPreviewLed::DisplaySize()
{
    std::lock_guard lock(mutex());
    return GetDisplaySize();
}

QImage CPreviewLed::DisplayCopy()
{
    std::lock_guard lock(mutex());
    return display().copy();
}

QRect CPreviewLed::renderLeds(const QRect& leds, int ring)
{
    // Render only: the repaint is asked for on the window's own thread.
    UpdateRect(leds, ring, false);
    return displayRectOf(leds, dots()).translated(-scrollOrigin());
}

void CPreviewLed::flush()
{
    const QRegion dirty = takeDirty();
    if (!dirty.isEmpty())
        update(dirty);
}

void CPreviewLed::paintEvent(QPaintEvent* e)
{
    QPainter p(this);
    p.fillRect(e->rect(), Qt::black);
    std::lock_guard lock(mutex());
    Draw(p, e->rect());
}

void CPreviewLed::mousePressEvent(QMouseEvent* e)
{
    // Dragged by its content.
    if (e->button() == Qt::LeftButton && window()->windowHandle())
        window()->windowHandle()->startSystemMove();
    QWidget::mousePressEvent(e);
}

void CPreviewLed::mouseMoveEvent(QMouseEvent* e)
{
    if (m_track) {
        m_track = false;
        m_hover.start();
    }
    QWidget::mouseMoveEvent(e);
}

void CPreviewLed::leaveEvent(QEvent* e)
{
    m_track = true;
    m_hover.stop();
    emit left();
    QWidget::leaveEvent(e);
}

// ---- bar ----
CPreViewBar::CPreViewBar(QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(2);
    auto make = [&](unsigned id, unsigned icon) {
        auto* b = new controls::CIconButton(this);
        controls::setControlId(b, static_cast<int>(id));
        b->setObjectName(QString::number(id));
        b->AssignIcons(icon);
        b->SetFlat(true);
        b->DrawBorder(false);
        b->setAutoDefault(false);
        b->setDefault(false);
        b->setFixedSize(28, 28);
        b->setIconSize(QSize(20, 20));
        connect(b, &QPushButton::clicked, this, [this, id] { emit command(id); });
        layout->addWidget(b);
        return b;
    };
    m_play = make(IDC_PREVIEW_PLAY, IDI_PREVIEW_PLAY);
    m_pause = make(IDC_PREVIEW_PAUSE, IDI_PREVIEW_PAUSE);
    m_close = make(IDC_PREVIEW_CLOSE, IDI_PREVIEW_CLOSE);
    setWindowOpacity(192.0 / 255.0);
    retranslate();
    adjustSize();
    hide();
}

void CPreViewBar::retranslate()
{
    for (auto* b : {m_play, m_pause, m_close}) {
        const unsigned id = static_cast<unsigned>(controls::controlId(b));
        b->SetTooltipText(platform::langDialogText(IDD_PREVIEW_BAR, id));
        b->setAccessibleName(platform::langDialogText(IDD_PREVIEW_BAR, id));
    }
}

controls::CIconButton* CPreViewBar::Button(unsigned id) const
{
    switch (id) {
    case IDC_PREVIEW_PLAY: return m_play;
    case IDC_PREVIEW_PAUSE: return m_pause;
    case IDC_PREVIEW_CLOSE: return m_close;
    default: return nullptr;
    }
}

void CPreViewBar::paintEvent(QPaintEvent*)
{
    // A child widget cannot be a layered window: the bar paints itself
    // translucent over the LEDs.
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QColor(255, 255, 255, 192));
    p.setBrush(QColor(48, 48, 48, 192));
    p.drawRoundedRect(rect().adjusted(0, 0, -1, -1), 4, 4);
}

void CPreViewBar::leaveEvent(QEvent* e)
{
    emit left();
    QWidget::leaveEvent(e);
}

// ---- window ----
namespace {
std::unique_ptr<CScreenCopy> copyOfScreen(tagItemData* node)
{
    auto copy = std::make_unique<CScreenCopy>(CCore::GetCurRoot(node));
    return copy->ok() ? std::move(copy) : nullptr;
}
} // namespace

CPreView::CPreView(CCore& core, tagItemData* node, QWidget* parent)
    : CPreView(core, node, threadHost(), RandomSource::shared(), parent)
{
}

CPreView::CPreView(CCore& core, tagItemData* node, PlayHost& host, RandomSource& random, QWidget* parent)
    : QDialog(parent), m_core(core), m_copy(copyOfScreen(node)), m_node(m_copy ? m_copy->NodeFor(node) : nullptr)
{
    setObjectName(QString::number(IDD_PREVIEW));
    setModal(true);
    setSizeGripEnabled(false);
    m_led = new CPreviewLed(core, host, random, this);
    m_bar = new CPreViewBar(this);
    m_bar->raise();
    connect(m_bar, &CPreViewBar::command, this, &CPreView::OnCommand);
    connect(m_led, &CPreviewLed::hovered, this, [this] {
        m_bar->show();
        m_bar->raise();
    });
    connect(m_led, &CPreviewLed::left, this, &CPreView::maybeHideBar);
    connect(m_bar, &CPreViewBar::left, this, &CPreView::maybeHideBar);
    init();
}

CPreView::~CPreView()
{
    stopPlaying();
    // The players hold nodes of the copy: they go before it does.
    delete m_led;
    m_led = nullptr;
}

void CPreView::init()
{
    tagItemData* screen = m_node ? CCore::GetCurRoot(m_node) : nullptr;
    const QString name = screen ? QString::fromUtf16(screen->Name) : QString();
    setWindowTitle(previewTitle(platform::langString(IDS_PREVIEW_TITLE), name));
    const int w = screen ? std::max(1, static_cast<int>(screen->Global.Width)) : 1;
    const int h = screen ? std::max(1, static_cast<int>(screen->Global.Height)) : 1;
    QSize available;
    if (QScreen* s = QGuiApplication::primaryScreen())
        available = s->availableSize();
    m_led->SetDot(previewDotFor(w, h, available));
    // The LEDs show what the controller shows: the screen's work mode. Set
    // while the picture is still one LED, so that the full size's dots are
    // drawn once.
    if (screen)
        m_led->ApplyWorkMode(screen->Global.Type);
    m_led->ResizeContent(w, h);
    const QSize client = m_led->DisplaySize();
    resize(client);
    m_bar->Button(IDC_PREVIEW_PAUSE)->setEnabled(true);
    m_bar->Button(IDC_PREVIEW_PLAY)->setEnabled(false);
    placeChildren();
}

void CPreView::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    if (QWidget* p = parentWidget())
        move(p->window()->geometry().center() - rect().center());
    if (!m_started) {
        m_started = true;
        PlayOrResume();
    }
}

bool CPreView::PlayOrResume()
{
    CPlayControl& control = m_led->Control();
    if (!control.IsActive())
        m_led->StartFrom(m_node);
    else if (control.IsPaused())
        control.Resume();
    return true;
}

void CPreView::OnCommand(unsigned id)
{
    switch (id) {
    case IDC_PREVIEW_PLAY:
        m_bar->Button(IDC_PREVIEW_PAUSE)->setEnabled(true);
        m_bar->Button(IDC_PREVIEW_PLAY)->setEnabled(false);
        PlayOrResume();
        break;
    case IDC_PREVIEW_PAUSE:
        m_bar->Button(IDC_PREVIEW_PAUSE)->setEnabled(false);
        m_bar->Button(IDC_PREVIEW_PLAY)->setEnabled(true);
        m_led->Control().Pause();
        break;
    case IDC_PREVIEW_CLOSE:
        stopPlaying();
        close();
        break;
    default: break;
    }
}

void CPreView::resizeEvent(QResizeEvent* e)
{
    QDialog::resizeEvent(e);
    placeChildren();
}

void CPreView::placeChildren()
{
    if (!m_led || !m_bar)
        return;
    m_led->setGeometry(rect());
    m_led->show();
    const QSize b = m_bar->sizeHint();
    m_bar->setGeometry((width() - b.width()) / 2, 0, b.width(), b.height());
}

void CPreView::maybeHideBar()
{
    const QPoint cursor = QCursor::pos();
    const bool inWindow = rect().contains(mapFromGlobal(cursor));
    const bool onBar = m_bar->isVisible() && QRect(m_bar->mapToGlobal(QPoint(0, 0)), m_bar->size()).contains(cursor);
    if (!inWindow && !onBar)
        m_bar->hide();
}

void CPreView::keyPressEvent(QKeyEvent* e)
{
    switch (e->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        e->accept();   // no default button
        return;
    default:
        QDialog::keyPressEvent(e);
    }
}

bool CPreView::focusNextPrevChild(bool next)
{
    // The bar's buttons are reachable from the keyboard too: Tab shows it.
    if (!m_bar->isVisible()) {
        m_bar->show();
        m_bar->raise();
    }
    return QDialog::focusNextPrevChild(next);
}

void CPreView::stopPlaying()
{
    if (m_led)
        m_led->Control().Stop();
}

void CPreView::closeEvent(QCloseEvent* e)
{
    stopPlaying();
    QDialog::closeEvent(e);
}

void CPreView::done(int r)
{
    // Every player stops before the window and its canvas go.
    stopPlaying();
    QDialog::done(r);
}

int runPreview(CCore& core, tagItemData* node, QWidget* parent)
{
    if (!node)
        return 0;
    CPreView dialog(core, node, parent);
    return dialog.exec();
}

}
