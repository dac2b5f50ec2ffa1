#include "app/shell/CoreRelay.h"

#include "core/api/Callbacks.h"

#include <QMutexLocker>

QRecursiveMutex CoreRelay::s_mutex;
CoreRelay* CoreRelay::s_current = nullptr;

namespace {

QString wideText(std::uintptr_t value)
{
    const auto* p = reinterpret_cast<const char16_t*>(value);
    return p ? QString::fromUtf16(p) : QString();
}

bool carriesText(CoreRelay::Channel channel, unsigned cmd, unsigned event)
{
    if (cmd == CBC_SEARCH_CANDIDATE && channel == CoreRelay::Comm)
        return false;
    if (channel == CoreRelay::File)
        return event == UFE_OPEN_FAILED;
    return event == CBE_OPEN_FAILED || event == CBE_HOST_FAILED;
}

} // namespace

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
    CoreEvent e;
    e.cmd = cmd;
    e.event = event;
    e.value = value;
    if (channel == Comm && cmd == CBC_SEARCH_CANDIDATE) {
        e.value = 0;
        if (const auto* c = reinterpret_cast<const SearchCandidate*>(value)) {
            CandidateCopy copy;
            copy.form = c->Form;
            if (c->PortName)
                copy.portName = QString::fromUtf16(c->PortName);
            copy.baudRate = c->BaudRate;
            if (c->DeviceName)
                copy.deviceName = QString::fromLocal8Bit(c->DeviceName);
            copy.port = c->Port;
            e.candidate = copy;
        }
    } else if (carriesText(channel, cmd, event)) {
        e.text = wideText(value);
        e.value = 0;   // the pointer dies with the call
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
