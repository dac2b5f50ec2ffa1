#pragma once
// Spies on numbered messages. MessageLog keeps what it is given, from any
// thread; MessageSpy is a widget (so it can parent the control under test)
// that logs the messages it watches and answers sent ones.
#include "platform/MessageEvent.h"

#include <QList>
#include <QWidget>
#include <any>
#include <functional>
#include <map>
#include <mutex>
#include <utility>
#include <vector>

namespace support {

struct SpiedMessage {
    unsigned id = 0;
    platform::WPARAM w = 0;
    platform::LPARAM l = 0;
    std::any payload;   // what a reader copied while the message's pointers were valid
};

class MessageLog {
public:
    MessageLog() = default;
    MessageLog(const MessageLog&) = delete;
    MessageLog& operator=(const MessageLog&) = delete;
    virtual ~MessageLog() = default;

    void record(unsigned id, platform::WPARAM w, platform::LPARAM l, std::any payload = {});
    QList<SpiedMessage> messages() const;
    QList<unsigned> ids() const;
    int count(unsigned id) const;
    qsizetype size() const;
    bool isEmpty() const { return size() == 0; }
    void clear();

private:
    mutable std::mutex m_lock;
    QList<SpiedMessage> m_messages;
};

class MessageSpy : public QWidget, public MessageLog {
public:
    using PayloadReader = std::function<std::any(const platform::MessageEvent&)>;

    explicit MessageSpy(QWidget* parent = nullptr) : QWidget(parent) {}
    // Ids logged (and taken) by the spy; others go on to QWidget.
    MessageSpy& watch(unsigned id, PayloadReader reader = {}) { return watchRange(id, id, std::move(reader)); }
    MessageSpy& watchRange(unsigned first, unsigned last, PayloadReader reader = {});
    // The result a sent message gets back.
    void setAnswer(unsigned id, std::intptr_t result) { m_answers[id] = result; }

protected:
    bool event(QEvent* e) override;

private:
    struct Range {
        unsigned first, last;
        PayloadReader reader;
    };
    std::vector<Range> m_watched;
    std::map<unsigned, std::intptr_t> m_answers;
};

// Payload readers for messages whose wParam points to a value.
template <typename T>
std::any copyPointedWParam(const platform::MessageEvent& m)
{
    if (!m.wParam())
        return {};
    return *reinterpret_cast<const T*>(m.wParam());
}

template <typename T>
T payloadOf(const SpiedMessage& m)
{
    const T* v = std::any_cast<T>(&m.payload);
    return v ? *v : T{};
}

} // namespace support
