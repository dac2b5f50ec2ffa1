#include "app/preview/RandomSource.h"

#include <chrono>

namespace preview {

RandomSource::RandomSource()
    : m_engine(static_cast<std::uint32_t>(std::chrono::steady_clock::now().time_since_epoch().count()) | 1u)
{
}

RandomSource::RandomSource(std::uint32_t seed) : m_engine(seed == 0 ? 1 : seed) {}

int RandomSource::next()
{
    std::lock_guard lock(m_mutex);
    if (m_override)
        return m_override() & 0x7FFF;
    return static_cast<int>(m_engine() % 32768u);
}

int RandomSource::below(int n)
{
    if (n <= 0)
        return 0;
    return static_cast<int>(static_cast<std::int64_t>(next()) * n / 32768);
}

void RandomSource::setGenerator(std::function<int()> generator)
{
    std::lock_guard lock(m_mutex);
    m_override = std::move(generator);
}

RandomSource& RandomSource::shared()
{
    static RandomSource source;
    return source;
}

}
