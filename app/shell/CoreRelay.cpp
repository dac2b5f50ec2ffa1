#include "app/shell/CoreRelay.h"

#include "core/api/Callbacks.h"

#include <QMutexLocker>

QRecursiveMutex CoreRelay::s_mutex;
CoreRelay* CoreRelay::s_current = nullptr;


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
    QMutexLocker lock(&s_mutex);
    if (!s_current)
        return;
    // Receivers on another thread get it queued (automatic connections).
    if (channel == Comm)
        emit s_current->commEvent(e);
    else
        emit s_current->fileEvent(e);
}

void CoreRelay::commTrampoline(unsigned cmd, unsigned event, std::uintptr_t value)
{
    relay(Comm, cmd, event, value);
}

void CoreRelay::fileTrampoline(unsigned cmd, unsigned event, std::uintptr_t value)
{
    relay(File, cmd, event, value);
}
