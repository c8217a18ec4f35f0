// Opening the screen, showing frames and pacing them. The software renderer owns
// the back buffer; this unit hands its pixels to the platform back end.
#include "services/screen.h"

#include <cstdlib>

#include "services/input.h"
#include "services/platform.h"
#include "services/rendering/graphics.h"
#include "services/rendering/render_target.h"
#include "services/timing.h"

namespace svc {
namespace {

constexpr int kProbeMs = 1000;
constexpr int kProbeHitsNeeded = 3;
// A back end whose clock stands still during a vertical-blank present would keep
// the probe running for ever; no real display needs more flips than this.
constexpr int kProbeMaxFlips = 1000;

struct Screen {
    bool open = false;
    bool fullscreen = false;
};

struct Pacing {
    bool soft_sync = false;
    int hertz = 0;
    int rate = 0;         // whole ms per frame
    int fraction = 0;     // the ms left over per second, spread over the frames
    int accumulator = 0;  // reaches `hertz` once per extra ms
    int time = 0;         // clock value at which the next frame is due
};

Screen screen;
Pacing pacing;

// Flips with vertical-blank wait for up to a second and decides whether the
// display really runs at `hertz`: three flips in a row that each take 1000 /
// hertz ms, give or take 1, mean it does.
bool vblank_matches(int hertz) {
    Platform& p = platform();
    if (!p.has_vblank()) return false;
    const int expected = 1000 / hertz;
    const int start = p.milliseconds();
    int hits = 0;
    for (int flip = 0; flip < kProbeMaxFlips && p.milliseconds() - start < kProbeMs; ++flip) {
        const int before = p.milliseconds();
        p.present(detail::render_target_pixels(), true);
        const int took = p.milliseconds() - before;
        hits = std::abs(took - expected) <= 1 ? hits + 1 : 0;
        if (hits == kProbeHitsNeeded) return true;
    }
    return false;
}

void start_pacing(int hertz) {
    pacing = Pacing{};
    pacing.soft_sync = hertz > 0;
    if (pacing.soft_sync && screen.fullscreen && vblank_matches(hertz)) pacing.soft_sync = false;
    pacing.hertz = hertz > 0 ? hertz : 0;
    pacing.rate = hertz > 0 ? 1000 / hertz : 0;
    pacing.fraction = 1000 - pacing.rate * pacing.hertz;
    pacing.accumulator = 0;
    pacing.time = milliseconds();
}

// Sleeps until the next frame is due. A frame that is already late moves the
// schedule to now, so the frames after it are not shortened to catch up.
void wait_for_next_frame() {
    pacing.time += pacing.rate;
    pacing.accumulator += pacing.fraction;
    if (pacing.accumulator >= pacing.hertz) {
        pacing.accumulator -= pacing.hertz;
        ++pacing.time;
    }
    const int wait = pacing.time - milliseconds();
    if (wait > 0) {
        delay(wait);
    } else {
        pacing.time -= wait;
    }
}

}  // namespace

bool open_graphics(int width, int height, int depth, int hertz) {
    close_graphics();
    const bool fullscreen = depth != 0;
    if (width <= 0 || height <= 0) return false;
    if (!platform().open_screen(window_title(), width, height, fullscreen)) return false;

    detail::create_render_target(width, height);
    screen = Screen{true, fullscreen};
    start_pacing(hertz);
    if (fullscreen) move_mouse(width / 2, height / 2);
    // Polled input starts from a clean slate.
    flush_keys();
    flush_mouse();
    return true;
}

void close_graphics() {
    if (!screen.open) return;
    screen.open = false;
    detail::destroy_render_target();
    platform().close_screen();
}

void flip_frame(int sync) {
    if (!screen.open || !detail::has_render_target()) return;
    Platform& p = platform();
    const std::uint32_t* pixels = detail::render_target_pixels();
    if (sync != -1) {
        p.present(pixels, sync != 0);
        return;
    }
    if (!pacing.soft_sync) {
        p.present(pixels, screen.fullscreen);
        return;
    }
    wait_for_next_frame();
    p.present(pixels, false);
}

}  // namespace svc
