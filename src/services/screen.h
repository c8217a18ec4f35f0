#pragma once
// The screen: opening it on the platform back end (which makes the renderer's
// back buffer) and showing each finished frame, paced to the rate asked for.
#include "services/rendering/graphics.h"

namespace svc {

// Opens a width x height screen, full screen when depth is nonzero, paced to
// `hertz` frames per second; false when no display can be had.
bool open_graphics(int width, int height, int depth, int hertz);
void close_graphics();
// Shows the back buffer. sync -1: paced to the rate given to open_graphics, by
// the display's vertical blank when it runs at that rate, else by the clock;
// 0 or 1: at once, without or with the vertical-blank wait.
void flip_frame(int sync);

}  // namespace svc
