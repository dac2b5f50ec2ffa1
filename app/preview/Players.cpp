#include "app/preview/Players.h"

#include "app/preview/PreviewCanvas.h"
#include "app/preview/RandomSource.h"
#include "core/api/Core.h"
#include "core/api/Nodes.h"
#include "core/api/TextCartoon.h"

#include <QPainter>
#include <QRegion>

#include <algorithm>

namespace preview {
namespace {

std::atomic<std::uint32_t> g_generation{0};

QRect toQRect(const RECT& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

QRect nodeRect(CCore& core, tagItemData* node)
{
    RECT r;
    return core.GetRect(node, &r) ? toQRect(r) : QRect();
}

QRect nodeClientRect(CCore& core, tagItemData* node)
{
    RECT r;
    return core.GetClientRect(node, &r) ? toQRect(r) : QRect();
}

DynFrame* frameOf(tagItemData* node)
{
    if (!node)
        return nullptr;
    if (node->Level == LEVEL_SCENE)
        return node->Scene.Frame;
    if (node->Level == LEVEL_SECTION)
        return node->Section.Frame;
    return nullptr;
}

// The size of an item's picture: its content, at least its client area.
QSize pictureSizeOf(const QImage& picture, const tagItemData* item, const QRect& client)
{
    if (!picture.isNull())
        return picture.size();
    return {std::max<int>(client.width(), static_cast<int>(std::min<std::uint32_t>(item->Item.ContentW, 4096))),
            std::max<int>(client.height(), static_cast<int>(std::min<std::uint32_t>(item->Item.ContentH, 4096)))};
}

// Copies `src` (whose origin sits at `srcOrigin` in back-buffer coordinates)
// into the back buffer through `clip`.
void copyThrough(QImage& back, const QImage& src, QPoint srcOrigin, const QRegion& clip)
{
    if (src.isNull())
        return;
    for (const QRect& r : clip) {
        const QRect d = r.intersected(back.rect()).intersected(src.rect().translated(srcOrigin));
        for (int y = d.top(); y <= d.bottom(); ++y) {
            const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y - srcOrigin.y())) - srcOrigin.x();
            QRgb* o = reinterpret_cast<QRgb*>(back.scanLine(y));
            std::copy(s + d.left(), s + d.right() + 1, o + d.left());
        }
    }
}

// The rectangles of the sections of a scene.
QRegion sectionsOf(CCore& core, tagItemData* scene)
{
    QRegion region;
    if (!scene)
        return region;
    for (tagItemData* s = scene->FirstChild; s; s = s->NextSibling)
        region += nodeRect(core, s);
    return region;
}

std::uint32_t recordU32(const tagItemData* item, records::U32 field)
{
    return item->Item.TypeRecord ? item->Item.TypeRecord->get(field) : 0;
}

constexpr std::size_t kGifMaxDelays = records::picture::Delays.Count;

} // namespace

// ---- timer ----
void CMultimediaTimer::Arm(unsigned delay, bool oneShot)
{
    m_delay = EffectiveDelay(delay);
    if (!m_idle)
        return;
    m_loop.setTimer(m_delay, !oneShot);
    m_idle = false;
    m_rearm = false;
    m_periodic = !oneShot;
}

void CMultimediaTimer::Kill()
{
    if (m_idle)
        return;
    m_loop.killTimer();
    m_idle = true;
    m_rearm = false;
    m_periodic = false;
}

void CMultimediaTimer::Suspend()
{
    m_loop.killTimer();
    if (!m_idle)
        m_rearm = true;
}

void CMultimediaTimer::Rearm()
{
    if (!m_rearm)
        return;
    m_loop.setTimer(m_delay, m_periodic);
    m_idle = false;
    m_rearm = false;
}

// ---- base ----
CPlayBase::CPlayBase(PlayHost& host, PlayLoopClient& client, const char* name) : m_loop(host.makeLoop(client, name)) {}

CPlayBase::~CPlayBase() = default;

// ---- element ----
CPlayElement::CPlayElement(CCore& core, PlayHost& host, const char* name, RandomSource& random)
    : CPlayBase(host, *this, name), m_core(core), m_random(random)
{
}

void CPlayElement::NewGeneration() { m_generation = ++g_generation; }

void CPlayElement::loopStarted()
{
    OnRunStart();
    m_timer = std::make_unique<CMultimediaTimer>(*m_loop);
    m_itemIndex = 0;
    BeginItem();
    m_loop->post(preview::PlayBegin::make());
}

void CPlayElement::OnTimer()
{
    m_fired.fetch_add(1, std::memory_order_relaxed);
    int expected = 0;
    if (!m_tickPending.compare_exchange_strong(expected, 1)) {
        m_dropped.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    m_loop->post(m_stepIndex >= m_stepCount ? preview::PlayDone::make() : preview::PlayTick::make());
}

bool CPlayElement::loopMessage(const preview::PlayMessage& m)
{
    switch (m.id) {
    case preview::TM_PLAY_BEGIN:
        m_timer->Kill();
        BeginPhase();
        m_stepIndex = 0;
        m_stepsRemaining = m_stepCount;
        m_tickPending.store(0);
        if (m_stepCount > 0)
            m_timer->Arm(m_period, !m_periodic);
        else
            m_loop->post(preview::PlayDone::make());
        return true;
    case preview::TM_PLAY_TICK: {
        int one = 1;
        m_tickPending.compare_exchange_strong(one, 0);
        if (m_stepIndex >= m_stepCount)
            return true;
        DrawStep();
        ++m_stepIndex;
        --m_stepsRemaining;
        if (m_stepsRemaining > 0) {
            if (!m_periodic) {
                m_timer->Kill();
                m_timer->Arm(m_period, true);
            }
        } else {
            m_timer->Kill();
            if (m_stay == 0)
                m_loop->post(preview::PlayDone::make());
            else
                m_timer->Arm(m_stay, true);
        }
        return true;
    }
    case preview::TM_PLAY_DONE:
        m_tickPending.store(0);
        m_timer->Kill();
        if (m_exitPending) {
            m_exitPending = false;
            m_phase = 1;
            m_loop->post(preview::PlayBegin::make());
            return true;
        }
        if (m_pageIndex < m_pageCount - 1) {
            ++m_pageIndex;
            m_phase = 0;
            m_loop->post(preview::PlayBegin::make());
            return true;
        }
        EndItem();
        ++m_itemIndex;
        if (m_itemIndex < m_itemCount) {
            BeginItem();
            m_loop->post(preview::PlayBegin::make());
            return true;
        }
        if (m_loopFlag && m_itemCount > 0) {
            m_itemIndex = 0;
            BeginItem();
            m_loop->post(preview::PlayBegin::make());
            return true;
        }
        if (m_controller)
            m_controller->Post(preview::PlayDone::make(m_generation, this));
        return false;
    default:
        OnMessage(m);
        return true;
    }
}

void CPlayElement::loopPauseBegin()
{
    if (m_timer)
        m_timer->Suspend();
}

void CPlayElement::loopPauseEnd()
{
    if (m_timer)
        m_timer->Rearm();
}

void CPlayElement::loopEnded()
{
    if (m_timer)
        m_timer->Kill();
    OnRunEnd();
    m_timer.reset();
}

// ---- border ----
CPlayBorder::CPlayBorder(CCore& core, PlayHost& host, RandomSource& random)
    : CPlayElement(core, host, "border", random)
{
    m_loopFlag = true;
}

CPlayBorder::~CPlayBorder()
{
    Stop();
    for (auto& entry : m_colours)
        CCore::ReleaseFrameElementColors(entry.second);
}

bool CPlayBorder::Attach(tagItemData* node)
{
    if (m_node || !node)
        return false;
    m_frame = frameOf(node);
    if (!m_frame)
        return false;
    m_node = node;
    m_itemIndex = 0;
    int n = 0;
    for (DynFrameElement* e = m_frame->First; e; e = e->Next)
        ++n;
    m_itemCount = n;   // the list, not a stored count that may disagree with it
    NewGeneration();
    return true;
}

tagItemData* CPlayBorder::Detach()
{
    Stop();
    tagItemData* node = m_node;
    m_frame = nullptr;
    m_element = nullptr;
    m_node = nullptr;
    return node;
}

DynFrameElement* CPlayBorder::elementAt(int index) const
{
    DynFrameElement* e = m_frame ? m_frame->First : nullptr;
    for (int i = 0; e && i < index; ++i)
        e = e->Next;
    return e;
}

unsigned CPlayBorder::StepsFor(int mode, int perimeter, int patternLength, int* bandLength)
{
    const int P = std::max(0, perimeter), L = patternLength;
    if (bandLength)
        *bandLength = 0;
    switch (mode) {
    case 0: return 1;
    case 1: return 16;
    case 4:
    case 5: {
        const int band = L * 3 / 2;
        if (bandLength)
            *bandLength = band;
        unsigned steps = static_cast<unsigned>(P);
        if (L > 0)
            for (int g = P - L; g > 0; g -= L)
                steps += static_cast<unsigned>(std::min(g, band));
        return steps;
    }
    default:
        if (L <= 0)
            return 1;   // a pattern of no length cannot move
        return static_cast<unsigned>(L * ((P + L - 1) / L));
    }
}

void CPlayBorder::BeginItem()
{
    m_pageIndex = 0;
    m_pageCount = 1;
    m_exitPending = false;
    m_phase = 0;
}

void CPlayBorder::BeginPhase()
{
    m_element = elementAt(m_itemIndex);
    m_stepCount = 0;
    m_stay = 0;
    if (!m_element || !m_frame) {
        m_stay = 2000;   // nothing to draw: wait, never spin
        return;
    }
    std::uint32_t*& colours = m_colours[m_element];
    if (!colours && m_canvas) {
        // The core's border caches are shared: its painting runs under the canvas lock.
        std::lock_guard lock(m_canvas->mutex());
        CCore::GetFrameElementColors(colours, m_frame->Width, m_element);
    }
    m_rect = nodeRect(m_core, m_node);
    int mode = m_element->Motion;
    if (mode == 255)
        mode = randomBorderMode(m_random);
    m_periodic = true;
    m_period = m_element->Speed;
    m_stay = m_element->Duration;
    const int fw = m_frame->Width;
    const int P = 2 * ((m_rect.width() - 2 * fw) + (m_rect.height() - 2 * fw));
    int band = 0;
    m_stepCount = StepsFor(mode, P, m_element->Period, &band);
    std::fill(std::begin(m_state), std::end(m_state), 0);
    m_state[2] = band;
    m_state[3] = 0;
    m_state[4] = P;
    m_state[5] = mode;
}

void CPlayBorder::DrawStep()
{
    if (!m_canvas || !m_element || !m_frame)
        return;
    m_state[1] = static_cast<std::int32_t>(m_stepIndex);
    std::lock_guard lock(m_canvas->mutex());
    // The painter draws only the band inside the rectangle.
    CCore::PaintDynFrame(&m_canvas->backBuffer(), &m_rect, m_frame, m_state, m_element, m_colours[m_element]);
    m_canvas->updateRect(m_rect, m_frame->Width);
}

// ---- program ----
CPlayProgram::CPlayProgram(CCore& core, PlayHost& host, RandomSource& random, const char* name)
    : CPlayElement(core, host, name, random), m_border(core, host, random)
{
}

CPlayProgram::~CPlayProgram() { Stop(); }

void CPlayProgram::SetCanvas(PreviewCanvas* canvas)
{
    m_canvas = canvas;
    m_border.SetCanvas(canvas);
}

bool CPlayProgram::Start()
{
    if (m_hasMovingBorder)
        m_border.Start();
    return CPlayBase::Start();
}

bool CPlayProgram::Pause()
{
    if (m_hasMovingBorder)
        m_border.Pause();
    return CPlayBase::Pause();
}

bool CPlayProgram::Resume()
{
    if (m_hasMovingBorder)
        m_border.Resume();
    return CPlayBase::Resume();
}

bool CPlayProgram::Stop()
{
    if (m_hasMovingBorder)
        m_border.Stop();
    return CPlayBase::Stop();
}

bool CPlayProgram::Attach(tagItemData* node)
{
    if (m_node || !node)
        return false;
    m_itemIndex = 0;
    m_itemCount = 0;
    m_phase = 0;
    m_exitPending = false;
    m_node = node;
    if (node->Level == LEVEL_SCENE)
        m_itemCount = 1;
    else if (node->Level == LEVEL_SECTION)
        m_itemCount = CCore::GetChildNum(node);
    if (m_hasMovingBorder)
        m_border.Attach(node);
    NewGeneration();
    return true;
}

tagItemData* CPlayProgram::Detach()
{
    if (m_hasMovingBorder)
        m_border.Detach();
    Stop();
    m_hasMovingBorder = false;
    tagItemData* node = m_node;
    m_node = nullptr;
    m_item = nullptr;
    m_page = QImage();
    m_generation = 0;
    return node;
}

void CPlayProgram::SetBackgroundHoles(const QRegion& holes) { m_holes = holes; }

void CPlayProgram::BeginItem()
{
    m_phase = 0;
    m_exitPending = false;
    m_pageIndex = 0;
    m_pageCount = 1;
    m_item = nullptr;
    m_page = QImage();
    m_cartoon.reset();
    if (!m_node || !m_canvas)
        return;
    const QRect rect = nodeRect(m_core, m_node);
    const QRect client = nodeClientRect(m_core, m_node);
    if (!m_hasMovingBorder && rect != client && !rect.isEmpty()) {
        std::lock_guard lock(m_canvas->mutex());
        m_core.Paint(m_node);
        const QRegion ring = QRegion(rect).subtracted(QRegion(client));
        const QPoint origin = m_node->Level == LEVEL_SCENE ? QPoint(0, 0) : rect.topLeft();
        copyThrough(m_canvas->backBuffer(), GetNodePicture(m_node), origin, ring);
        m_canvas->updateRect(rect, client.left() - rect.left());
    }
    if (m_node->Level != LEVEL_SECTION)
        return;
    tagItemData* item = m_node->FirstChild;
    for (int i = 0; item && i < m_itemIndex; ++i)
        item = item->NextSibling;
    if (!item || item->Level != LEVEL_PROGRAM)
        return;
    m_item = item;
    {
        // Made before the pages are counted: making it brings the content size up to date.
        std::lock_guard lock(m_canvas->mutex());
        m_page = GetNodePicture(item);
    }
    m_client = nodeClientRect(m_core, item);
    m_entryCode = item->InEffect == 255 ? randomEntryCode(m_random) : item->InEffect;
    const int W = std::max(1, m_client.width()), H = std::max(1, m_client.height());
    // A damaged size must not wrap the page arithmetic.
    auto pages = [](std::uint32_t content, int size) {
        const std::int64_t n = (static_cast<std::int64_t>(content) + size - 1) / size;
        return static_cast<int>(std::clamp<std::int64_t>(n, 1, 4096));
    };
    m_hPages = pages(item->Item.ContentW, W);
    m_vPages = pages(item->Item.ContentH, H);
    m_pageCount = pageCountFor(m_entryCode, m_hPages, m_vPages);
}

ItemFacts CPlayProgram::FactsOf(tagItemData* item) const
{
    ItemFacts f;
    f.width = m_client.width();
    f.height = m_client.height();
    f.contentWidth = static_cast<int>(std::min<std::uint32_t>(item->Item.ContentW, 1u << 20));
    f.contentHeight = static_cast<int>(std::min<std::uint32_t>(item->Item.ContentH, 1u << 20));
    f.stay = item->PlayTime;
    f.inSpeed = item->InSpeed;
    f.outSpeed = item->Item.OutSpeed;
    f.outCode = item->Item.OutEffect;
    if (item->Item.TypeCode == IT_GIF) {
        f.frameCount = recordU32(item, records::picture::FrameCount);
        f.firstDelay = recordU32(item, records::picture::Delays[0]);
    } else if (item->Item.TypeCode == IT_TEXTGIF && item->Item.TypeRecord) {
        f.frameCount = recordU32(item, records::textgif::FrameCount);
        f.repeat = item->Item.TypeRecord->get(records::textgif::Repeat);
        f.frameInterval = recordU32(item, records::textgif::Delay);
    }
    return f;
}

void CPlayProgram::BeginPhase()
{
    if (m_phase == 0)
        BeginEntryPhase();
    else
        BeginExitPhase();
}

void CPlayProgram::BeginEntryPhase()
{
    m_periodic = true;
    m_exitPending = false;
    if (!m_node || m_node->Level == LEVEL_SCENE || !m_item) {
        // The scene's one step draws its background; a non-item draws nothing.
        m_stepCount = m_node && m_node->Level == LEVEL_SCENE ? 1 : 0;
        m_period = 0;
        m_stay = 0;
        return;
    }
    ItemFacts facts = FactsOf(m_item);
    if (m_entryCode == kTextEffectCode) {
        // The engine gives the frame count when the record does not hold it yet.
        const QSize size = pictureSizeOf(m_page, m_item, m_client);
        m_cartoon = std::make_unique<render::TextCartoon>(std::max(1, size.width()), std::max(1, size.height()));
        if (m_item->Item.TypeRecord) {
            std::lock_guard lock(m_canvas->mutex());
            m_cartoon->SetText(m_item->Item.TypeRecord->text());
            m_cartoon->SetEffect(m_item->Item.TypeRecord->get(records::textgif::Effect));
        }
        if (facts.frameCount == 0)
            facts.frameCount = static_cast<std::uint32_t>(std::max(0, m_cartoon->FrameCount()));
        if (facts.frameInterval == 0)
            facts.frameInterval = 100;
    }
    m_frameCount = facts.frameCount;
    const PhasePlan plan = planEntry(m_entryCode, facts);
    m_effect = plan.code;
    m_stepCount = plan.steps;
    m_period = plan.period;
    m_periodic = plan.periodic;
    m_stay = plan.stay;
    m_exitPending = plan.exitPending;
    m_effectState = EffectState{};
    if (m_canvas && (m_entryCode == 0 || isLiveScrollCode(m_entryCode))) {
        std::lock_guard lock(m_canvas->mutex());
        m_core.Paint(m_item);
        m_page = GetNodePicture(m_item);
    }
}

void CPlayProgram::BeginExitPhase()
{
    m_exitPending = false;
    if (!m_item) {
        m_stepCount = 0;
        m_stay = 0;
        return;
    }
    int code = m_item->Item.OutEffect;
    if (code == 255)
        code = randomExitCode(m_random);
    const PhasePlan plan = planExit(code, FactsOf(m_item));
    m_effect = plan.code;
    m_stepCount = plan.steps;
    m_period = plan.period;
    m_periodic = plan.periodic;
    m_stay = 0;
}

void CPlayProgram::DrawStep()
{
    if (!m_canvas || !m_node)
        return;
    if (m_node->Level == LEVEL_SCENE) {
        DrawSceneBackground();
        return;
    }
    if (!m_item)
        return;
    if (m_phase == 0)
        DrawEntryStep();
    else
        DrawExitStep();
}

void CPlayProgram::DrawEntryStep()
{
    std::lock_guard lock(m_canvas->mutex());
    QImage& back = m_canvas->backBuffer();
    StepTarget t;
    t.back = &back;
    t.page = &m_page;
    t.area = m_client;
    const QPoint origin = pageOrigin(m_entryCode, m_pageIndex, m_hPages, m_client.width(), m_client.height());
    t.px = origin.x();
    t.py = origin.y();
    t.k = static_cast<int>(m_stepIndex);
    t.n = static_cast<int>(m_stepCount);
    t.state = &m_effectState;
    const int code = m_effect;
    if (isLiveCode(code)) {
        m_core.Paint(m_item);
        m_page = GetNodePicture(m_item);
        drawWholeFromOrigin(t);
    } else if (isLiveScrollCode(code)) {
        t.px = t.py = 0;
        entryStepFunction(1)(t);
    } else if (code == kAnimationCode) {
        const ItemRecord* rec = m_item->Item.TypeRecord;
        if (rec) {
            const QString path = rec->get(records::picture::Path);
            CCore::ReadImageToDCEx(&back, m_client, reinterpret_cast<const char16_t*>(path.utf16()),
                                   rec->get(records::picture::Mode), t.k);
            // The delay of the next frame, never past the last one stored.
            const std::size_t last = std::min<std::size_t>(std::max(1u, m_frameCount), kGifMaxDelays) - 1;
            const std::size_t next = std::min<std::size_t>(static_cast<std::size_t>(t.k) + 1, last);
            m_period = rec->get(records::picture::Delays[next]);
        }
    } else if (code == kTextEffectCode) {
        if (m_cartoon && m_frameCount > 0) {
            const QSize size = pictureSizeOf(m_page, m_item, m_client);
            QImage frame(std::max(1, size.width()), std::max(1, size.height()), QImage::Format_RGB32);
            frame.fill(Qt::black);
            m_cartoon->DrawFrame(frame, static_cast<int>(static_cast<unsigned>(t.k) % m_frameCount) + 1);
            t.page = &frame;
            drawWholeFromOrigin(t);
        }
        const std::uint32_t interval = recordU32(m_item, records::textgif::Delay);
        m_period = interval ? interval : 100;
    } else if (code >= 0 && code <= 43) {
        entryStepFunction(code)(t);
    } else {
        drawWholeFromOrigin(t);
    }
    m_canvas->updateRect(m_client, 0);
}

void CPlayProgram::DrawExitStep()
{
    std::lock_guard lock(m_canvas->mutex());
    StepTarget t;
    t.back = &m_canvas->backBuffer();
    t.page = &m_page;
    t.area = m_client;
    t.k = static_cast<int>(m_stepIndex);
    t.n = static_cast<int>(m_stepCount);
    t.state = &m_effectState;
    exitStepFunction(m_effect)(t);
    m_canvas->updateRect(m_client, 0);
}

void CPlayProgram::DrawSceneBackground()
{
    tagItemData* scene = m_node;
    QRect area = nodeRect(m_core, scene);
    if (m_hasMovingBorder)
        area = nodeClientRect(m_core, scene);
    QRegion region = QRegion(area).subtracted(m_holes);
    region = region.subtracted(sectionsOf(m_core, scene));
    std::lock_guard lock(m_canvas->mutex());
    m_core.Paint(scene);
    // The scene's picture is the size of the screen, in screen coordinates.
    copyThrough(m_canvas->backBuffer(), GetNodePicture(scene), QPoint(0, 0), region);
    m_canvas->updateRect(nodeRect(m_core, scene), 0);
}

// ---- controller ----
CPlayControl::CPlayControl(CCore& core, PlayHost& host, RandomSource& random)
    : CPlayBase(host, *this, "control"), m_core(core)
{
    for (std::size_t i = 0; i < m_players.size(); ++i)
        m_players[i] = std::make_unique<CPlayProgram>(core, host, random, "section");
    m_scenePlayer = std::make_unique<CPlayProgram>(core, host, random, "scene");
}

CPlayControl::~CPlayControl() { Stop(); }

void CPlayControl::SetCanvas(PreviewCanvas* canvas)
{
    m_canvas = canvas;
    for (auto& p : m_players)
        p->SetCanvas(canvas);
    m_scenePlayer->SetCanvas(canvas);
}

bool CPlayControl::Stop()
{
    const bool ok = CPlayBase::Stop();
    // The loop detaches its players when it ends; these are for a loop that never ran.
    for (auto& p : m_players)
        p->Stop();
    m_scenePlayer->Stop();
    return ok;
}

void CPlayControl::DetachPlayer(CPlayProgram& player)
{
    const bool hadBorder = player.HasMovingBorder() && player.Node();
    player.Detach();
    if (hadBorder)
        m_bordersInUse = std::max(0, m_bordersInUse - 1);
}

bool CPlayControl::AttachSection(CPlayProgram& player, tagItemData* section, bool loop)
{
    const bool border = m_core.HasMotiveBorder(section) && m_bordersInUse < kBorderQuota;
    player.SetMovingBorder(border);
    if (!player.Attach(section)) {
        player.SetMovingBorder(false);
        return false;
    }
    if (border)
        ++m_bordersInUse;
    player.SetLoop(loop);
    return true;
}

void CPlayControl::loopStarted()
{
    m_timer = std::make_unique<CMultimediaTimer>(*m_loop);
    for (auto& p : m_players)
        DetachPlayer(*p);
    DetachPlayer(*m_scenePlayer);
    for (auto& p : m_players)
        p->SetController(this);
    m_scenePlayer->SetController(this);

    m_globalPlayers = 0;
    m_inUse = 0;
    tagItemData* global = CCore::GetGlobalScene(m_sceneRef);
    if (global) {
        for (tagItemData* s = global->FirstChild; s && m_globalPlayers < kPlayers; s = s->NextSibling) {
            if (m_core.GetValidChildNum(s) == 0)
                continue;
            if (AttachSection(*m_players[static_cast<std::size_t>(m_globalPlayers)], s, true))
                ++m_globalPlayers;
        }
    }
    m_inUse = m_globalPlayers;
    if (m_current)
        BeginScene(m_current);
    if (m_scenePlayer->Node())
        m_scenePlayer->Start();
    for (int i = 0; i < m_globalPlayers; ++i)
        m_players[static_cast<std::size_t>(i)]->Start();
    StartSceneSections();
}

void CPlayControl::StartSceneSections()
{
    for (int i = m_globalPlayers; i < m_inUse; ++i)
        m_players[static_cast<std::size_t>(i)]->Start();
}

void CPlayControl::BeginScene(tagItemData* scene)
{
    // A scene timer of the scene before must never cut this one short.
    m_timer->Kill();
    ++m_sceneGeneration;
    m_sceneEndPosted = false;
    ++m_scenesBegun;
    tagItemData* global = CCore::GetGlobalScene(m_sceneRef);
    const QRegion globalSections = sectionsOf(m_core, global);
    if ((scene->Scene.DisplayOption & 1) && m_canvas) {
        RECT r;
        m_core.GetRect(scene, &r);
        const QRect rect = toQRect(r);
        std::lock_guard lock(m_canvas->mutex());
        QImage& back = m_canvas->backBuffer();
        QPainter painter(&back);
        painter.setClipRegion(QRegion(rect).subtracted(globalSections));
        painter.fillRect(rect, Qt::black);
        painter.end();
        m_canvas->updateRect(rect, 0);
    }
    const bool border = m_core.HasMotiveBorder(scene) && m_bordersInUse < kBorderQuota;
    m_scenePlayer->SetMovingBorder(border);
    m_scenePlayer->SetBackgroundHoles(globalSections);
    if (m_scenePlayer->Attach(scene)) {
        if (border)
            ++m_bordersInUse;
    } else {
        m_scenePlayer->SetMovingBorder(false);
    }
    m_scenePlayer->SetLoop(false);

    const std::int32_t mode = scene->PlayTime;
    const bool once = static_cast<std::uint32_t>(mode) == 0xFFFF0000u;
    if (!once && mode != -1)
        m_loop->post(preview::PlayArmTimer::make(static_cast<std::uint32_t>(mode), 1));

    m_inUse = m_globalPlayers;
    for (tagItemData* s = scene->FirstChild; s && m_inUse < kPlayers; s = s->NextSibling) {
        if (m_core.GetValidChildNum(s) == 0)
            continue;
        if (AttachSection(*m_players[static_cast<std::size_t>(m_inUse)], s, !once))
            ++m_inUse;
    }
    m_finished = 0;
}

void CPlayControl::PostSceneEnd()
{
    if (m_sceneEndPosted)
        return;
    m_sceneEndPosted = true;
    m_loop->post(preview::PlayNextScene::make(m_sceneGeneration));
}

void CPlayControl::CheckSceneOver()
{
    if (m_finished >= m_inUse - m_globalPlayers)
        PostSceneEnd();
}

bool CPlayControl::loopMessage(const preview::PlayMessage& m)
{
    switch (m.id) {
    case preview::TM_PLAY_ARMTIMER: {
        const auto arm = preview::PlayArmTimer::read(m);
        m_timer->Kill();
        if (arm->w)
            m_timer->Arm(arm->w, arm->l == 1);
        return true;
    }
    case preview::TM_PLAY_DONE: {
        const auto done = preview::PlayDone::read(m);
        const CPlayElement* from = done->l;
        // A notice from a player detached since (an earlier scene) is stale.
        if (!from || from->Generation() != done->w || !from->Node())
            return true;
        if (from == m_scenePlayer.get()) {
            CheckSceneOver();
            return true;
        }
        for (int i = m_globalPlayers; i < m_inUse; ++i) {
            if (m_players[static_cast<std::size_t>(i)].get() == from) {
                ++m_finished;
                CheckSceneOver();
                break;
            }
        }
        return true;
    }
    case preview::TM_PLAY_SCENEEND:
        PostSceneEnd();
        return true;
    case preview::TM_PLAY_NEXTSCENE: {
        if (!m_current || preview::PlayNextScene::read(m)->w != m_sceneGeneration)
            return true;
        for (int i = m_globalPlayers; i < kPlayers; ++i)
            DetachPlayer(*m_players[static_cast<std::size_t>(i)]);
        DetachPlayer(*m_scenePlayer);
        tagItemData* next = m_current->NextSibling;
        if (!next && m_current->Parent)
            next = m_current->Parent->FirstChild;
        if (next && CCore::IsGlobalScene(next) == 1)
            next = next->NextSibling;
        if (!next)
            next = m_current;   // the only normal scene plays again
        m_current = next;
        BeginScene(m_current);
        if (m_scenePlayer->Node())
            m_scenePlayer->Start();
        StartSceneSections();
        return true;
    }
    default:
        return true;
    }
}

void CPlayControl::loopTimer()
{
    // The one-shot scene timer: the scene is over.
    m_timer->Kill();
    PostSceneEnd();
}

void CPlayControl::loopPauseBegin()
{
    if (m_timer)
        m_timer->Suspend();
    for (int i = 0; i < m_inUse; ++i)
        m_players[static_cast<std::size_t>(i)]->Pause();
    m_scenePlayer->Pause();
}

void CPlayControl::loopPauseEnd()
{
    for (int i = 0; i < m_inUse; ++i)
        m_players[static_cast<std::size_t>(i)]->Resume();
    m_scenePlayer->Resume();
    if (m_timer)
        m_timer->Rearm();
}

void CPlayControl::loopEnded()
{
    for (auto& p : m_players)
        DetachPlayer(*p);
    DetachPlayer(*m_scenePlayer);
    m_inUse = m_globalPlayers = 0;
    if (m_timer)
        m_timer->Kill();
    m_timer.reset();
}

}
