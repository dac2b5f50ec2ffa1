#pragma once
// Numbered window messages between the program's parts travel as one event
// class whose QEvent type is the message id; wParam and lParam ride along.
#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>
#include <cstdint>

namespace platform {

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;

// A control's command notification (wParam: control id in the low word, code
// in the high word; lParam: the sending object). Windows numbers it 0x0111,
// which lies inside Qt's own event range, so it travels at 0xE111.
inline constexpr unsigned WM_COMMAND = 0xE111;

inline constexpr WPARAM makeCommandWParam(int id, int code)
{
    return (static_cast<WPARAM>(id) & 0xFFFFu) | ((static_cast<WPARAM>(code) & 0xFFFFu) << 16);
}
inline constexpr int commandId(WPARAM w) { return static_cast<int>(w & 0xFFFFu); }
inline constexpr int commandCode(WPARAM w) { return static_cast<int>((w >> 16) & 0xFFFFu); }

class MessageEvent : public QEvent {
public:
    MessageEvent(unsigned message, WPARAM wParam, LPARAM lParam)
        : QEvent(static_cast<QEvent::Type>(message)), m_wParam(wParam), m_lParam(lParam) {}

    unsigned message() const { return static_cast<unsigned>(type()); }
    WPARAM wParam() const { return m_wParam; }
    LPARAM lParam() const { return m_lParam; }

    // The receiver's answer to a sent message.
    void setResult(std::intptr_t r) { m_result = r; }
    std::intptr_t result() const { return m_result; }

private:
    WPARAM m_wParam;
    LPARAM m_lParam;
    std::intptr_t m_result = 0;
};

// SendMessage: delivered at once; returns what the receiver set as its result.
// A receiver living on another thread is refused (nothing delivered, 0
// returned): its handler would run on the sender's thread. Post to it instead.
inline std::intptr_t sendMessage(QObject* receiver, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    if (!receiver)
        return 0;
    if (receiver->thread() != QThread::currentThread()) {
        qWarning("sendMessage: message 0x%x refused, its receiver lives on another thread", message);
        return 0;
    }
    MessageEvent ev(message, wParam, lParam);
    QCoreApplication::sendEvent(receiver, &ev);
    return ev.result();
}

// PostMessage: queued for the receiver's thread.
inline bool postMessage(QObject* receiver, unsigned message, WPARAM wParam = 0, LPARAM lParam = 0)
{
    if (!receiver)
        return false;
    QCoreApplication::postEvent(receiver, new MessageEvent(message, wParam, lParam));
    return true;
}

inline const MessageEvent* asMessage(const QEvent* e, unsigned message)
{
    return e && static_cast<unsigned>(e->type()) == message ? static_cast<const MessageEvent*>(e) : nullptr;
}

} // namespace platform
