#pragma once
// Deterministic randomness for the generator: a seeded generator whose output
// does not depend on the standard library's distributions, and smooth value
// noise for wobble, pressure changes and paper grain.
#include <cstdint>
#include <random>
#include <string_view>

namespace art {

class Rng {
  public:
    explicit Rng(std::uint32_t seed) : engine_(seed) {}
    // A seed derived from a name, so each picture has its own stable stream.
    static std::uint32_t seed_of(std::string_view name);

    float uniform() { return static_cast<float>(engine_() >> 8) * (1.0f / 16777216.0f); }
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
    int between(int lo, int hi) { return lo + static_cast<int>(engine_() % (hi - lo + 1)); }
    std::uint32_t next() { return static_cast<std::uint32_t>(engine_()); }

  private:
    std::mt19937 engine_;
};

// Value noise in [0, 1], smooth between integer lattice points.
float noise1(float x, std::uint32_t seed);
float noise2(float x, float y, std::uint32_t seed);
// Two octaves of noise2, still in [0, 1].
float fbm2(float x, float y, std::uint32_t seed);
// A hash of an integer lattice point, in [0, 1).
float hash2(int x, int y, std::uint32_t seed);

}  // namespace art
