#pragma once
// The one relay of the core's two progress callbacks to the windows. The core
// calls a bare function on whatever thread made the request, and its text and
// record values live only during the call, so the trampolines copy the payload
// at once with the library's decoder and hand it on as a value. Windows
// subscribe through a CoreSubscription: its handler runs on the receiver's
// thread, at once when the report comes on that thread, queued otherwise.
// One relay is installed at a time; it puts back the callbacks it found when
// it is destroyed.
#include "core/api/Core.h"

#include <QByteArray>
#include <QMetaType>
#include <QObject>
#include <QRecursiveMutex>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace spine {

// A search candidate as reported with cmd 225, copied out of the core's record.
struct CandidateCopy {
    std::uint32_t form = 0;     // 0 serial, 1 adapter, 2 network
    QString portName;           // form 0
    std::uint32_t baudRate = 0; // form 0
    QString deviceName;         // form 1
    QByteArray deviceId;        // form 1: the capture-device name as the core has it
    std::uint16_t port = 0;     // form 2
    bool operator==(const CandidateCopy&) const = default;
};

// One callback, owned: numbers as they came, texts and records copied.
struct CoreEvent {
    unsigned cmd = 0;
    unsigned event = 0;
    std::uintptr_t value = 0;   // a number; for texts and records only the copy below counts
    QString text;               // comm events 1 and 13, file event 1
    std::optional<CandidateCopy> candidate;   // cmd 225
};

enum class CoreChannel { Comm, File };

// A relayed report and the callback it came through.
struct CoreReport {
    CoreChannel channel = CoreChannel::Comm;
    CoreEvent event;
};

class CoreSubscription;

class CoreRelay : public QObject {
    Q_OBJECT
public:
    using Channel = CoreChannel;
    static constexpr Channel Comm = CoreChannel::Comm;
    static constexpr Channel File = CoreChannel::File;

    // Installs the trampolines into `core`.
    explicit CoreRelay(CCore& core, QObject* parent = nullptr);
    ~CoreRelay() override;
    CoreRelay(const CoreRelay&) = delete;
    CoreRelay& operator=(const CoreRelay&) = delete;

    // Copies what the value points at, on the calling thread; a null pointer
    // gives an empty text or no candidate.
    static CoreEvent copyEvent(Channel channel, unsigned cmd, unsigned event, std::uintptr_t value);

    // The trampolines the core holds while a relay lives.
    static void commTrampoline(unsigned cmd, unsigned event, std::uintptr_t value);
    static void fileTrampoline(unsigned cmd, unsigned event, std::uintptr_t value);

private:
    friend class CoreSubscription;
    static void relay(Channel channel, unsigned cmd, unsigned event, std::uintptr_t value);

    CCore& m_core;
    CoreCallBack m_oldComm = nullptr;
    CoreCallBack m_oldFile = nullptr;
    std::vector<CoreSubscription*> m_subscribers;   // oldest first
    static QRecursiveMutex s_mutex;
    static CoreRelay* s_current;
    static std::weak_ptr<CoreRelay> s_shared;
};

// A window's hold on the core's reports for as long as it lives: every
// subscription gets every report. It joins the relay installed for `core`, or
// installs one that goes with the last subscription.
class CoreSubscription {
public:
    // Reports in the order they came: one at a time when they come on the
    // receiver's thread, else all that came before the queued call ran (a
    // fast transfer's reports then cost one repaint, not one each).
    using Handler = std::function<void(const std::vector<CoreReport>&)>;
    // `receiver` must outlive the subscription; the handler runs on its thread.
    CoreSubscription(CCore& core, QObject* receiver, Handler handler);
    ~CoreSubscription();
    CoreSubscription(const CoreSubscription&) = delete;
    CoreSubscription& operator=(const CoreSubscription&) = delete;

private:
    friend class CoreRelay;
    struct Inbox;
    void deliver(CoreRelay::Channel channel, const CoreEvent& e);

    CoreRelay* m_relay = nullptr;
    std::shared_ptr<CoreRelay> m_hold;   // a relay the subscriptions installed
    QObject* m_receiver;
    std::shared_ptr<Inbox> m_inbox;
};

} // namespace spine

Q_DECLARE_METATYPE(spine::CoreEvent)
