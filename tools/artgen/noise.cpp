#include "noise.h"

#include <cmath>

namespace art {

namespace {

std::uint32_t mix(std::uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352dU;
    h ^= h >> 15;
    h *= 0x846ca68bU;
    h ^= h >> 16;
    return h;
}

float fade(float t) {
    return t * t * (3.0f - 2.0f * t);
}

float hash1(int x, std::uint32_t seed) {
    return static_cast<float>(mix(static_cast<std::uint32_t>(x) * 0x9e3779b9U ^ seed) >> 8) *
           (1.0f / 16777216.0f);
}

}  // namespace

std::uint32_t Rng::seed_of(std::string_view name) {
    std::uint32_t h = 2166136261U;
    for (char c : name) {
        h ^= static_cast<unsigned char>(c);
        h *= 16777619U;
    }
    return mix(h);
}

float hash2(int x, int y, std::uint32_t seed) {
    std::uint32_t h = mix(static_cast<std::uint32_t>(x) * 0x8da6b343U ^
                          static_cast<std::uint32_t>(y) * 0xd8163841U ^ seed);
    return static_cast<float>(h >> 8) * (1.0f / 16777216.0f);
}

float noise1(float x, std::uint32_t seed) {
    float fx = std::floor(x);
    int ix = static_cast<int>(fx);
    float t = fade(x - fx);
    float a = hash1(ix, seed);
    float b = hash1(ix + 1, seed);
    return a + (b - a) * t;
}

float noise2(float x, float y, std::uint32_t seed) {
    float fx = std::floor(x);
    float fy = std::floor(y);
    int ix = static_cast<int>(fx);
    int iy = static_cast<int>(fy);
    float tx = fade(x - fx);
    float ty = fade(y - fy);
    float a = hash2(ix, iy, seed);
    float b = hash2(ix + 1, iy, seed);
    float c = hash2(ix, iy + 1, seed);
    float d = hash2(ix + 1, iy + 1, seed);
    float top = a + (b - a) * tx;
    float bottom = c + (d - c) * tx;
    return top + (bottom - top) * ty;
}

float fbm2(float x, float y, std::uint32_t seed) {
    return (noise2(x, y, seed) * 2.0f + noise2(x * 2.13f, y * 2.13f, seed ^ 0x5bd1e995U)) / 3.0f;
}

}  // namespace art
