#pragma once
// The main frame's listener for the core's two progress callbacks. The core
// calls a bare function on whatever thread made the request and its text
// and record values live only during the call, so the trampolines copy the
// payload at once and hand it on as a value; the signals reach receivers on
// the GUI thread queued. One relay is installed at a time; it puts back the
// callbacks it found when it is destroyed.
#include "core/api/Core.h"

#include <QMetaType>
#include <QRecursiveMutex>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

// A search candidate as reported with cmd 225, copied out of the core's record.
struct CandidateCopy {
    std::uint32_t form = 0;     // 0 serial, 1 adapter, 2 network
    QString portName;           // form 0
    std::uint32_t baudRate = 0; // form 0
    QString deviceName;         // form 1
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
Q_DECLARE_METATYPE(CoreEvent)

class CoreRelay : public QObject {
    Q_OBJECT
public:
    enum Channel { Comm, File };

    // Installs the trampolines into `core`.
    explicit CoreRelay(CCore& core, QObject* parent = nullptr);
    ~CoreRelay() override;
    CoreRelay(const CoreRelay&) = delete;
    CoreRelay& operator=(const CoreRelay&) = delete;

    // Copies what the value points at, on the calling thread; a null pointer
    // gives an empty text or no candidate.
    static CoreEvent copyEvent(Channel channel, unsigned cmd, unsigned event, std::uintptr_t value);

    // The trampolines the core holds while this relay lives.
    static void commTrampoline(unsigned cmd, unsigned event, std::uintptr_t value);
    static void fileTrampoline(unsigned cmd, unsigned event, std::uintptr_t value);

signals:
    void commEvent(const CoreEvent& e);
    void fileEvent(const CoreEvent& e);

private:
    static void relay(Channel channel, unsigned cmd, unsigned event, std::uintptr_t value);

    CCore& m_core;
    CoreCallBack m_oldComm = nullptr;
    CoreCallBack m_oldFile = nullptr;
    static QRecursiveMutex s_mutex;
    static CoreRelay* s_current;
};
