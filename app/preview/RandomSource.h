#pragma once
// The preview's one random source: seeded once, so items that start in the
// same second still get different effects. Tests put in a fixed sequence.
#include <cstdint>
#include <functional>
#include <mutex>
#include <random>

namespace preview {

class RandomSource {
public:
    RandomSource();
    explicit RandomSource(std::uint32_t seed);
    // A value 0..32767.
    int next();
    // floor(r / 32768 * n) for the next value r.
    int below(int n);
    // Replaces the generator (tests); an empty function restores the seeded one.
    void setGenerator(std::function<int()> generator);

    // The source the players share unless they are given another.
    static RandomSource& shared();

private:
    std::mutex m_mutex;
    std::minstd_rand m_engine;
    std::function<int()> m_override;
};

}
