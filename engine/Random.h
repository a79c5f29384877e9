#pragma once
// The run's random numbers: seedable, so tests and the renderer's --seed
// reproduce a chaos game or a random-colour run exactly.

#include <cstdint>

namespace zv {

// xoshiro256** (Blackman and Vigna): 256 bits of state, a few instructions per
// 64-bit number, statistically sound for pictures; the chaos game takes one
// number per point and was held up by a Mersenne Twister's refills. The state
// is spread from the 64-bit seed by splitmix64, so every seed, 0 included,
// gives a good start.
class RandomSource {
public:
    explicit RandomSource(std::uint64_t seed) { Reseed(seed); }
    void Reseed(std::uint64_t seed) {
        for (std::uint64_t& word : state_) {
            seed += 0x9E3779B97F4A7C15u;
            std::uint64_t z = seed;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
            word = z ^ (z >> 31);
        }
    }

    // Uniform in [0, 1): the top 53 (24) bits of one draw scaled by 2^-53
    // (2^-24), exact and free of the distributions' division; the chaos game
    // takes one per point.
    double NextDouble() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }
    float NextFloat() { return static_cast<float>(next() >> 40) * 0x1.0p-24f; }

    // Uniform in [0, n), n > 0: the high half of 32 random bits times n, with
    // the few low values that would favour some results drawn again.
    int NextIndex(int n) {
        const auto range = static_cast<std::uint32_t>(n);
        std::uint64_t product = (next() >> 32) * range;
        if (static_cast<std::uint32_t>(product) < range) {
            const std::uint32_t threshold = (0u - range) % range;
            while (static_cast<std::uint32_t>(product) < threshold) {
                product = (next() >> 32) * range;
            }
        }
        return static_cast<int>(product >> 32);
    }

private:
    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    std::uint64_t next() {
        const std::uint64_t result = rotl(state_[1] * 5, 7) * 9;
        const std::uint64_t t = state_[1] << 17;
        state_[2] ^= state_[0];
        state_[3] ^= state_[1];
        state_[1] ^= state_[2];
        state_[0] ^= state_[3];
        state_[2] ^= t;
        state_[3] = rotl(state_[3], 45);
        return result;
    }

    std::uint64_t state_[4];
};

} // namespace zv
