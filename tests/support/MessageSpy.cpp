#include "support/MessageSpy.h"

namespace support {

void MessageLog::record(unsigned id, platform::WPARAM w, platform::LPARAM l, std::any payload)
{
    std::lock_guard g(m_lock);
    m_messages.append(SpiedMessage{id, w, l, std::move(payload)});
}

QList<SpiedMessage> MessageLog::messages() const
{
    std::lock_guard g(m_lock);
    return m_messages;
}

QList<unsigned> MessageLog::ids() const
{
    std::lock_guard g(m_lock);
    QList<unsigned> out;
    for (const SpiedMessage& m : m_messages)
        out.append(m.id);
    return out;
}

int MessageLog::count(unsigned id) const
{
    std::lock_guard g(m_lock);
    int n = 0;
    for (const SpiedMessage& m : m_messages)
        n += m.id == id;
    return n;
}

qsizetype MessageLog::size() const
{
    std::lock_guard g(m_lock);
    return m_messages.size();
}

void MessageLog::clear()
{
    std::lock_guard g(m_lock);
    m_messages.clear();
}

MessageSpy& MessageSpy::watchRange(unsigned first, unsigned last, PayloadReader reader)
{
    m_watched.push_back(Range{first, last, std::move(reader)});
    return *this;
}

bool MessageSpy::event(QEvent* e)
{
    const auto t = static_cast<unsigned>(e->type());
    for (const Range& r : m_watched) {
        if (t < r.first || t > r.last)
            continue;
        auto* m = static_cast<platform::MessageEvent*>(e);
        record(t, m->wParam(), m->lParam(), r.reader ? r.reader(*m) : std::any());
        if (auto a = m_answers.find(t); a != m_answers.end())
            m->setResult(a->second);
        return true;
    }
    return QWidget::event(e);
}

} // namespace support
