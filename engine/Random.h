#pragma once
// The run's random numbers: seedable, so tests and the renderer's --seed
// reproduce a chaos game or a random-colour run exactly.

#include <cstdint>
#include <random>

namespace zv {

class RandomSource {
public:
    explicit RandomSource(std::uint64_t seed) : generator_(seed) {}
    void Reseed(std::uint64_t seed) { generator_.seed(seed); }

    // Uniform in [0, 1).
    double NextDouble() { return std::uniform_real_distribution<double>(0.0, 1.0)(generator_); }
    float NextFloat() { return std::uniform_real_distribution<float>(0.0f, 1.0f)(generator_); }
    // Uniform in [0, n), n > 0.
    int NextIndex(int n) { return std::uniform_int_distribution<int>(0, n - 1)(generator_); }

private:
    std::mt19937_64 generator_;
};

} // namespace zv
