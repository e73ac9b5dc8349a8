#pragma once
// The program's one uniform random source. Design ticks and the random
// background consume single-precision draws in [0, 1) in fixed orders, so a
// test that installs a scripted source knows exactly what every draw feeds.

#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

namespace lh {

class RandomSource {
public:
    virtual ~RandomSource() = default;
    // A uniform value in [0, 1); never 1.0.
    virtual float next() = 0;
};

// Mersenne twister, seeded once; 24 random bits per draw, so every value is
// an exact single-precision number in [0, 1).
class SeededRandom final : public RandomSource {
public:
    explicit SeededRandom(std::uint32_t seed) : engine_(seed) {}
    float next() override { return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f); }

private:
    std::mt19937 engine_;
};

// Hands out a given sequence, then starts it again; counts every draw.
class ScriptedRandom final : public RandomSource {
public:
    explicit ScriptedRandom(std::vector<float> values) : values_(std::move(values)) {}
    float next() override
    {
        const float v = values_.empty() ? 0.0f : values_[count_ % values_.size()];
        ++count_;
        return v;
    }
    std::size_t count() const { return count_; }

private:
    std::vector<float> values_;
    std::size_t count_ = 0;
};

// The program-wide source. Seeded from the clock at first use and never
// reseeded during a run. Tests may install their own source (and must put
// the previous one back).
RandomSource& programRandom();
RandomSource* replaceProgramRandom(RandomSource* source);

}   // namespace lh
