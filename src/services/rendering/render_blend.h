#pragma once
// The blend arithmetic of one pixel, for the blits in render_blit.cpp: the
// drawing colour and alpha as a tint, and each blend mode's rule (see
// render_internal.h for the formulas).
#include <algorithm>
#include <cstdint>

#include "services/rendering/render_internal.h"

namespace svc::detail {

inline Tint tint_of(const DrawState& s) {
    Tint t;
    t.r = static_cast<std::uint32_t>(s.red);
    t.g = static_cast<std::uint32_t>(s.green);
    t.b = static_cast<std::uint32_t>(s.blue);
    t.a = static_cast<std::uint32_t>(alpha_to_255(s.alpha));
    t.white = t.r == 255 && t.g == 255 && t.b == 255;
    return t;
}

inline std::uint32_t channel(std::uint32_t p, int shift) {
    return (p >> shift) & 255u;
}

inline std::uint32_t source_rgb(std::uint32_t t, const Tint& k) {
    if (k.white) return t & 0xFFFFFFu;
    return (div255(channel(t, 16) * k.r) << 16) | (div255(channel(t, 8) * k.g) << 8) |
           div255(channel(t, 0) * k.b);
}

inline std::uint32_t source_alpha(std::uint32_t t, const Tint& k) {
    std::uint32_t ta = t >> 24;
    return k.a == 255 ? ta : div255(ta * k.a);
}

template <BlendMode Mode>
inline void blend(std::uint32_t& d, std::uint32_t t, const Tint& k);

template <>
inline void blend<BlendMode::kMask>(std::uint32_t& d, std::uint32_t t, const Tint& k) {
    if ((t >> 24) < 128 || source_alpha(t, k) < 128) return;
    d = 0xFF000000u | source_rgb(t, k);
}

template <>
inline void blend<BlendMode::kSolid>(std::uint32_t& d, std::uint32_t t, const Tint& k) {
    d = 0xFF000000u | source_rgb(t, k);
}

template <>
inline void blend<BlendMode::kAlpha>(std::uint32_t& d, std::uint32_t t, const Tint& k) {
    const std::uint32_t a = source_alpha(t, k);
    if (a == 0) return;
    const std::uint32_t s = source_rgb(t, k);
    if (a == 255) {
        d = 0xFF000000u | s;
        return;
    }
    const std::uint32_t keep = 255 - a;
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        out |= div255(channel(s, shift) * a + channel(d, shift) * keep) << shift;
    }
    d = out;
}

template <>
inline void blend<BlendMode::kLight>(std::uint32_t& d, std::uint32_t t, const Tint& k) {
    const std::uint32_t a = source_alpha(t, k);
    if (a == 0) return;
    const std::uint32_t s = source_rgb(t, k);
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        out |= std::min(255u, channel(d, shift) + div255(channel(s, shift) * a)) << shift;
    }
    d = out;
}

template <>
inline void blend<BlendMode::kShade>(std::uint32_t& d, std::uint32_t t, const Tint& k) {
    const std::uint32_t s = source_rgb(t, k);
    std::uint32_t out = 0xFF000000u;
    for (int shift = 0; shift < 24; shift += 8) {
        out |= div255(channel(s, shift) * channel(d, shift)) << shift;
    }
    d = out;
}

template <BlendMode Mode>
void blend_run(std::uint32_t* dst, const std::uint32_t* src, int count, const Tint& k) {
    for (int i = 0; i < count; ++i) blend<Mode>(dst[i], src[i], k);
}

}  // namespace svc::detail
