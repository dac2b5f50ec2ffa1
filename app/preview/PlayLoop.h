#pragma once
// The thread-message loop of one player: a queue of TM_PLAY_* messages, one
// timer, and the running/paused state. Players are written against this
// interface only, so the same scheduling code runs on real threads
// (ThreadLoop) and, in tests, on a virtual clock to the millisecond.
#include "app/preview/PlayMessages.h"

#include <memory>

namespace preview {

// What a loop calls on its player, always on the loop's own thread.
class PlayLoopClient {
public:
    virtual ~PlayLoopClient() = default;
    virtual void loopStarted() = 0;
    // False leaves the loop.
    virtual bool loopMessage(const preview::PlayMessage& message) = 0;
    // The timer fired; the client only posts.
    virtual void loopTimer() = 0;
    // TM_PLAY_PAUSE arrived: before the loop blocks, and after it runs again.
    virtual void loopPauseBegin() = 0;
    virtual void loopPauseEnd() = 0;
    virtual void loopEnded() = 0;
};

class PlayLoop {
public:
    virtual ~PlayLoop() = default;

    // Owner side. Start returns once the loop is ready (true), or false when
    // no thread could be made; it does nothing while the loop runs.
    virtual bool start() = 0;
    virtual bool isActive() const = 0;
    // Active and not running.
    virtual bool isPaused() const = 0;
    virtual bool pause() = 0;
    virtual bool resume() = 0;
    // Ends the loop and waits for it.
    virtual bool stop() = 0;

    // Any thread.
    virtual void post(const preview::PlayMessage& message) = 0;

    // The loop's own thread only: one timer, one-shot or periodic, in ms.
    virtual void setTimer(unsigned delay, bool periodic) = 0;
    virtual void killTimer() = 0;
};

// Makes the loops of one preview (threads, or the virtual clock in tests).
class PlayHost {
public:
    virtual ~PlayHost() = default;
    virtual std::unique_ptr<PlayLoop> makeLoop(PlayLoopClient& client, const char* name) = 0;
};

// The host of real threads.
PlayHost& threadHost();

}
