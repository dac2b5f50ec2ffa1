#include "app/spine/CoreRelay.h"

#include "core/api/Callbacks.h"

#include <QMutexLocker>
#include <QThread>

#include <algorithm>
#include <mutex>

namespace spine {

QRecursiveMutex CoreRelay::s_mutex;
CoreRelay* CoreRelay::s_current = nullptr;
std::weak_ptr<CoreRelay> CoreRelay::s_shared;

CoreRelay::CoreRelay(CCore& core, QObject* parent) : QObject(parent), m_core(core)
{
    qRegisterMetaType<CoreEvent>();
    QMutexLocker lock(&s_mutex);
    s_current = this;
    m_oldComm = m_core.SetCommCallBack(&CoreRelay::commTrampoline);
    m_oldFile = m_core.SetFileCallBack(&CoreRelay::fileTrampoline);
}

CoreRelay::~CoreRelay()
{
    // A worker may be inside a trampoline: it holds the lock while it emits.
    // Recursive: a slot reached directly may itself call the core.
    QMutexLocker lock(&s_mutex);
    if (s_current == this)
        s_current = nullptr;
    for (CoreSubscription* s : m_subscribers)
        s->m_relay = nullptr;
    if (m_core.GetCommCallBack() == &CoreRelay::commTrampoline)
        m_core.SetCommCallBack(m_oldComm);
    m_core.SetFileCallBack(m_oldFile);
}

CoreEvent CoreRelay::copyEvent(Channel channel, unsigned cmd, unsigned event, std::uintptr_t value)
{
    // The library's one decoder knows which reports point at texts or
    // records; search-phase reports of cmd 225 carry plain numbers.
    const CallbackPayload p =
        DecodeCallback(channel == Comm ? CallbackSource::Comm : CallbackSource::File, cmd, event, value);
    CoreEvent e;
    e.cmd = cmd;
    e.event = event;
    switch (p.kind) {
    case CallbackPayload::Kind::Number:
        e.value = p.number;
        break;
    case CallbackPayload::Kind::Text:
        e.text = p.text;   // the pointer dies with the call
        break;
    case CallbackPayload::Kind::Candidate: {
        CandidateCopy copy;
        copy.form = p.candidate.Form;
        copy.portName = p.candidate.PortName;
        copy.baudRate = p.candidate.BaudRate;
        copy.deviceName = QString::fromLocal8Bit(p.candidate.DeviceName);
        copy.deviceId = p.candidate.DeviceName;
        copy.port = p.candidate.Port;
        e.candidate = copy;
        break;
    }
    case CallbackPayload::Kind::None:
        break;
    }
    return e;
}

void CoreRelay::relay(Channel channel, unsigned cmd, unsigned event, std::uintptr_t value)
{
    const CoreEvent e = copyEvent(channel, cmd, event, value);
    // Held while delivering: a subscription cannot end under a worker's report.
    // Recursive: a handler reached directly may itself call the core.
    QMutexLocker lock(&s_mutex);
    if (!s_current)
        return;
    const std::vector<CoreSubscription*> subscribers = s_current->m_subscribers;
    for (CoreSubscription* s : subscribers)
        if (s_current && std::find(s_current->m_subscribers.begin(), s_current->m_subscribers.end(), s) !=
                             s_current->m_subscribers.end())   // a handler may have ended one
            s->deliver(channel, e);
}

void CoreRelay::commTrampoline(unsigned cmd, unsigned event, std::uintptr_t value)
{
    relay(Comm, cmd, event, value);
}

void CoreRelay::fileTrampoline(unsigned cmd, unsigned event, std::uintptr_t value)
{
    relay(File, cmd, event, value);
}

// Reports copied on another thread wait here for the receiver's thread; one
// queued call drains whatever came meanwhile.
struct CoreSubscription::Inbox {
    Handler handler;
    std::mutex mutex;
    std::vector<CoreReport> waiting;
};

CoreSubscription::CoreSubscription(CCore& core, QObject* receiver, Handler handler)
    : m_receiver(receiver), m_inbox(std::make_shared<Inbox>())
{
    m_inbox->handler = std::move(handler);
    QMutexLocker lock(&CoreRelay::s_mutex);
    if (CoreRelay::s_current && &CoreRelay::s_current->m_core == &core) {
        m_relay = CoreRelay::s_current;
        if (std::shared_ptr<CoreRelay> shared = CoreRelay::s_shared.lock(); shared.get() == m_relay)
            m_hold = shared;
    } else {
        m_hold = std::make_shared<CoreRelay>(core);
        CoreRelay::s_shared = m_hold;
        m_relay = m_hold.get();
    }
    m_relay->m_subscribers.push_back(this);
}

CoreSubscription::~CoreSubscription()
{
    {
        QMutexLocker lock(&CoreRelay::s_mutex);
        if (m_relay)
            std::erase(m_relay->m_subscribers, this);
    }
    // The last subscription of a relay they installed puts the callbacks back.
    m_hold.reset();
}

void CoreSubscription::deliver(CoreRelay::Channel channel, const CoreEvent& e)
{
    if (QThread::currentThread() == m_receiver->thread()) {
        m_inbox->handler({CoreReport{channel, e}});
        return;
    }
    bool first = false;
    {
        std::lock_guard<std::mutex> lock(m_inbox->mutex);
        first = m_inbox->waiting.empty();
        m_inbox->waiting.push_back(CoreReport{channel, e});
    }
    if (!first)
        return;
    // The inbox outlives the subscription until the call ran; a receiver that
    // is gone drops it.
    QMetaObject::invokeMethod(
        m_receiver,
        [inbox = m_inbox] {
            std::vector<CoreReport> reports;
            {
                std::lock_guard<std::mutex> lock(inbox->mutex);
                reports.swap(inbox->waiting);
            }
            inbox->handler(reports);
        },
        Qt::QueuedConnection);
}

} // namespace spine
