#pragma once
// The screen: opening it on the platform back end (which makes the renderer's
// back buffer) and showing each finished frame, paced to the rate asked for.
#include "services/rendering/graphics.h"

namespace svc {

enum class ScreenMode { kWindow, kFullScreen };

// When flip_frame shows the back buffer.
enum class FlipTiming {
    kPaced,          // at the rate given to open_graphics: by the display's vertical
                     // blank when it runs at that rate, else by the clock
    kNow,            // at once, without waiting for the vertical blank
    kVerticalBlank,  // at once, then waiting for the vertical blank
};

// Opens a width x height screen in a window or full screen, paced to `hertz`
// frames per second (0: not paced); false when no display can be had.
bool open_graphics(int width, int height, ScreenMode mode, int hertz);
void close_graphics();
void flip_frame(FlipTiming timing);

}  // namespace svc
