#pragma once
// The preview's players: a section or scene player (CPlayProgram), a moving
// border player (CPlayBorder) and the controller (CPlayControl). Each runs a
// loop of its own (PlayLoop) and draws into the PreviewCanvas under its lock.
// Nodes are the core's and are only read, never written.
#include "app/preview/Effects.h"
#include "app/preview/PlayLoop.h"

#include <QRect>

#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>

class CCore;
struct tagItemData;
struct DynFrame;
struct DynFrameElement;

namespace render {
class TextCartoon;
}

namespace preview {

class PreviewCanvas;
class RandomSource;

// The timer of a player's loop: delays clamped to the device's range, armed
// only when idle, and suspended across a pause so the interrupted period
// restarts in full.
class CMultimediaTimer {
public:
    static constexpr unsigned kMinPeriod = 1;
    static constexpr unsigned kMaxPeriod = 1000000;

    explicit CMultimediaTimer(PlayLoop& loop) : m_loop(loop) {}
    ~CMultimediaTimer() { Kill(); }
    CMultimediaTimer(const CMultimediaTimer&) = delete;
    CMultimediaTimer& operator=(const CMultimediaTimer&) = delete;

    static void HalveValue(unsigned& v) { v >>= 1; }
    static void DoubleValue(unsigned& v) { v <<= 1; }
    static unsigned EffectiveDelay(unsigned delay) { return std::max(kMinPeriod, std::min(delay, kMaxPeriod)); }

    void Arm(unsigned delay, bool oneShot);
    void Kill();
    void Suspend();   // pause: stop the event, remember to re-arm
    void Rearm();     // resume
    bool IsIdle() const { return m_idle; }
    unsigned Delay() const { return m_delay; }

private:
    PlayLoop& m_loop;
    unsigned m_delay = 10;
    bool m_idle = true;
    bool m_rearm = false;
    bool m_periodic = false;
};

class CPlayBase {
public:
    CPlayBase(PlayHost& host, PlayLoopClient& client, const char* name);
    virtual ~CPlayBase();
    CPlayBase(const CPlayBase&) = delete;
    CPlayBase& operator=(const CPlayBase&) = delete;

    virtual void SetCanvas(PreviewCanvas* canvas) { m_canvas = canvas; }
    virtual bool Start() { return m_loop->start(); }
    virtual bool Pause() { return m_loop->pause(); }
    virtual bool Resume() { return m_loop->resume(); }
    virtual bool Stop() { return m_loop->stop(); }

    bool IsActive() const { return m_loop->isActive(); }
    bool IsPaused() const { return m_loop->isPaused(); }
    void Post(const preview::PlayMessage& m) { m_loop->post(m); }

protected:
    std::unique_ptr<PlayLoop> m_loop;
    PreviewCanvas* m_canvas = nullptr;
};

// A player of a node that has a sequence of items.
class CPlayElement : public CPlayBase, public PlayLoopClient {
public:
    CPlayElement(CCore& core, PlayHost& host, const char* name, RandomSource& random);

    virtual bool Attach(tagItemData* node) = 0;
    virtual tagItemData* Detach() = 0;

    // Where the finished notice goes, with the attachment's generation.
    void SetController(CPlayBase* controller) { m_controller = controller; }
    void SetLoop(bool loop) { m_loopFlag = loop; }
    tagItemData* Node() const { return m_node; }
    std::uint32_t Generation() const { return m_generation; }
    // Ticks the timer fired while one was still pending.
    std::uint64_t DroppedTicks() const { return m_dropped.load(); }
    std::uint64_t FiredTicks() const { return m_fired.load(); }

protected:
    // PlayLoopClient
    void loopStarted() override;
    bool loopMessage(const preview::PlayMessage& m) override;
    void loopTimer() override { OnTimer(); }
    void loopPauseBegin() override;
    void loopPauseEnd() override;
    void loopEnded() override;

    void OnTimer();
    virtual void OnMessage(const preview::PlayMessage&) {}
    virtual void OnRunStart() {}
    virtual void OnRunEnd() {}
    virtual void BeginItem() = 0;
    virtual void BeginPhase() = 0;
    virtual void DrawStep() = 0;
    virtual void EndItem() {}
    void NewGeneration();

    CCore& m_core;
    RandomSource& m_random;
    std::unique_ptr<CMultimediaTimer> m_timer;
    CPlayBase* m_controller = nullptr;
    tagItemData* m_node = nullptr;
    bool m_loopFlag = false;
    int m_itemIndex = 0;
    int m_itemCount = 0;
    std::atomic<int> m_tickPending{0};
    unsigned m_period = 0;
    bool m_periodic = true;
    unsigned m_stay = 0;
    unsigned m_stepCount = 0;
    unsigned m_stepIndex = 0;
    unsigned m_stepsRemaining = 0;
    int m_effect = 0;
    int m_phase = 0;   // 0 entry and stay, 1 exit
    bool m_exitPending = false;
    int m_pageIndex = 0;
    int m_pageCount = 1;
    std::uint32_t m_generation = 0;
    std::atomic<std::uint64_t> m_dropped{0};
    std::atomic<std::uint64_t> m_fired{0};
};

// A moving border: the frame's elements in list order, cycling.
class CPlayBorder : public CPlayElement {
public:
    CPlayBorder(CCore& core, PlayHost& host, RandomSource& random);
    ~CPlayBorder() override;

    bool Attach(tagItemData* node) override;
    tagItemData* Detach() override;

    // The step-state record handed to the border painter.
    const std::int32_t* StepState() const { return m_state; }
    unsigned StepCount() const { return m_stepCount; }
    int CurrentElement() const { return m_itemIndex; }

    // Steps of one element's run around a rectangle (mode already drawn for 255).
    static unsigned StepsFor(int mode, int perimeter, int patternLength, int* bandLength);

protected:
    void BeginItem() override;
    void BeginPhase() override;
    void DrawStep() override;

private:
    DynFrameElement* elementAt(int index) const;
    DynFrame* m_frame = nullptr;
    DynFrameElement* m_element = nullptr;
    QRect m_rect;
    std::map<DynFrameElement*, std::uint32_t*> m_colours;
    std::int32_t m_state[8] = {};
};

// A section's player, or the scene's (one step: the scene background).
class CPlayProgram : public CPlayElement {
public:
    CPlayProgram(CCore& core, PlayHost& host, RandomSource& random, const char* name = "program");
    ~CPlayProgram() override;

    void SetCanvas(PreviewCanvas* canvas) override;
    bool Start() override;
    bool Pause() override;
    bool Resume() override;
    bool Stop() override;

    bool Attach(tagItemData* node) override;
    tagItemData* Detach() override;

    void SetMovingBorder(bool on) { m_hasMovingBorder = on; }
    bool HasMovingBorder() const { return m_hasMovingBorder; }
    const CPlayBorder& Border() const { return m_border; }
    // Sections that must not be drawn over by the scene background.
    void SetBackgroundHoles(const QRegion& holes);

protected:
    void BeginItem() override;
    void BeginPhase() override;
    void DrawStep() override;

private:
    void BeginEntryPhase();
    void BeginExitPhase();
    void DrawEntryStep();
    void DrawExitStep();
    void DrawSceneBackground();
    ItemFacts FactsOf(tagItemData* item) const;

    bool m_hasMovingBorder = false;
    CPlayBorder m_border;
    int m_entryCode = 0;
    int m_hPages = 1;
    int m_vPages = 1;
    tagItemData* m_item = nullptr;
    QImage m_page;   // the item's picture, held while it plays
    QRect m_client;
    QRegion m_holes;
    EffectState m_effectState;
    std::unique_ptr<render::TextCartoon> m_cartoon;
    unsigned m_frameCount = 0;
};

// The preview controller: up to seven section players (the global scene's
// first), one scene player and at most one moving border.
class CPlayControl : public CPlayBase, public PlayLoopClient {
public:
    static constexpr int kPlayers = 7;
    static constexpr int kBorderQuota = 1;

    CPlayControl(CCore& core, PlayHost& host, RandomSource& random);
    ~CPlayControl() override;

    void SetCanvas(PreviewCanvas* canvas) override;
    // Before Start: a scene of the screen, and the first scene to play (never the global scene).
    void SetScene(tagItemData* sceneReference, tagItemData* current)
    {
        m_sceneRef = sceneReference;
        m_current = current;
    }
    bool Stop() override;

    // Controller-thread state, for tests on the virtual clock.
    tagItemData* CurrentScene() const { return m_current; }
    int GlobalPlayers() const { return m_globalPlayers; }
    int PlayersInUse() const { return m_inUse; }
    int BordersInUse() const { return m_bordersInUse; }
    const CPlayProgram& Player(int i) const { return *m_players[static_cast<std::size_t>(i)]; }
    const CPlayProgram& ScenePlayer() const { return *m_scenePlayer; }
    int ScenesBegun() const { return m_scenesBegun; }

protected:
    void loopStarted() override;
    bool loopMessage(const preview::PlayMessage& m) override;
    void loopTimer() override;
    void loopPauseBegin() override;
    void loopPauseEnd() override;
    void loopEnded() override;

private:
    void BeginScene(tagItemData* scene);
    bool AttachSection(CPlayProgram& player, tagItemData* section, bool loop);
    void DetachPlayer(CPlayProgram& player);
    void StartSceneSections();
    void CheckSceneOver();
    void PostSceneEnd();

    CCore& m_core;
    std::unique_ptr<CMultimediaTimer> m_timer;
    tagItemData* m_sceneRef = nullptr;
    tagItemData* m_current = nullptr;
    std::array<std::unique_ptr<CPlayProgram>, kPlayers> m_players;
    std::unique_ptr<CPlayProgram> m_scenePlayer;
    int m_globalPlayers = 0;
    int m_inUse = 0;
    int m_bordersInUse = 0;
    int m_finished = 0;
    std::uint32_t m_sceneGeneration = 0;
    bool m_sceneEndPosted = false;
    int m_scenesBegun = 0;
};

}
