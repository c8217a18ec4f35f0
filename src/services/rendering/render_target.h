#pragma once
// Between the screen's opening and flipping (the platform side) and the
// software renderer that owns the back buffer and the drawing state.
#include <cstdint>

namespace svc::detail {

// Makes a new back buffer for a screen of width x height game pixels drawn
// `scale` times finer (so width * scale x height * scale pixels), cleared to
// black, and a fresh
// drawing context with its initial values (white, alpha 1, mask blend, no
// rotation, scale 1). Also puts the image loader's state back to its defaults
// (mask colour black, automatic flags 0, mid handle off).
void create_render_target(int width, int height, int scale = 1);
void destroy_render_target();
bool has_render_target();
std::uint32_t* render_target_pixels();

}  // namespace svc::detail
