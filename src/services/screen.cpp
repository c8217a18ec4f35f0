// Opening the screen, showing frames and pacing them. The software renderer owns
// the back buffer; this unit hands its pixels to the platform back end.
#include "services/screen.h"

#include <algorithm>
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
    bool fullscreen = false;  // as the pacing was last chosen
};

// How frames are paced:
// - kVerticalBlank: a full screen whose display runs at the game's rate; each
//   present waits for the vertical blank and nothing else waits.
// - kClockAndVerticalBlank: a full screen at another refresh rate (75, 120, 144
//   Hz ...): the clock keeps the game's rate, and each present still waits for
//   the next vertical blank (at most one refresh) so that nothing tears, which
//   also keeps the rate where a driver ignores the wait.
// - kClock: a window, or a display without a usable vertical blank: the clock
//   alone, and presents do not wait.
// - kNone: no rate asked for; a full screen presents with the wait, a window without.
enum class PacingMode { kNone, kVerticalBlank, kClockAndVerticalBlank, kClock };

struct Pacing {
    PacingMode mode = PacingMode::kNone;
    int hertz = 0;
    int rate = 0;         // whole ms per frame
    int fraction = 0;     // the ms left over per second, spread over the frames
    int accumulator = 0;  // reaches `hertz` once per extra ms
    int time = 0;         // clock value at which the next frame is due
    int last_present = 0;
    int quick_presents = 0;  // vertical-blank presents in a row that came too soon
};

Screen screen;
Pacing pacing;

// Frames this much shorter than the game's rate, many in a row, mean that the
// vertical blank is not pacing the presents after all.
constexpr int kQuickFrameMs = 4;
constexpr int kQuickFramesToGiveUp = 30;

// Flips with vertical-blank wait for up to a second and decides whether the
// display really runs at `hertz`: three flips in a row that each take 1000 /
// hertz ms, give or take 1, mean it does.
bool vblank_matches(int hertz) {
    Platform& p = platform();
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

// The display's own refresh rate decides when it gives one; only a display that
// does not say is probed, and only when `may_probe` (at start-up, not when the
// player switches to full screen in the middle of a game, where a second of
// probing would stall the game).
PacingMode choose_mode(int hertz, bool may_probe) {
    Platform& p = platform();
    if (hertz <= 0) return PacingMode::kNone;
    if (!screen.fullscreen || !p.has_vblank()) return PacingMode::kClock;
    const int refresh = p.refresh_rate();
    if (refresh == hertz) return PacingMode::kVerticalBlank;
    if (refresh > 0) return PacingMode::kClockAndVerticalBlank;
    return may_probe && vblank_matches(hertz) ? PacingMode::kVerticalBlank : PacingMode::kClock;
}

void start_pacing(int hertz, bool may_probe) {
    pacing = Pacing{};
    pacing.mode = choose_mode(hertz, may_probe);
    pacing.hertz = hertz > 0 ? hertz : 0;
    pacing.rate = hertz > 0 ? 1000 / hertz : 0;
    pacing.fraction = 1000 - pacing.rate * pacing.hertz;
    pacing.time = milliseconds();
    pacing.last_present = pacing.time;
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

// A vertical blank that lets frames through much faster than the game's rate
// for half a second is not pacing them: the clock takes over, still waiting for
// the blank so that nothing tears.
void watch_vertical_blank_pacing() {
    const int now = milliseconds();
    const bool quick = now - pacing.last_present < pacing.rate - kQuickFrameMs;
    pacing.last_present = now;
    pacing.quick_presents = quick ? pacing.quick_presents + 1 : 0;
    if (pacing.quick_presents < kQuickFramesToGiveUp) return;
    pacing.mode = PacingMode::kClockAndVerticalBlank;
    pacing.time = now;
}

// The player switched between full screen and a window: the pacing follows.
void follow_display_switch() {
    const bool fullscreen = platform().fullscreen();
    if (fullscreen == screen.fullscreen) return;
    screen.fullscreen = fullscreen;
    start_pacing(pacing.hertz, false);
}

}  // namespace

bool open_graphics(int width, int height, ScreenMode mode, int hertz) {
    close_graphics();
    const bool fullscreen = mode == ScreenMode::kFullScreen;
    if (width <= 0 || height <= 0) return false;
    // Polled input starts from a clean slate: what was pressed before the screen
    // opened is dropped, before it opens. A press made once the window shows
    // counts, even while the screen is still being set up (a full screen may
    // probe the vertical blank for a second, longer on a busy machine).
    flush_keys();
    flush_mouse();
    if (!platform().open_screen(window_title(), width, height, fullscreen)) return false;

    detail::create_render_target(width, height, std::clamp(platform().frame_scale(), 1, 8));
    screen = Screen{true, platform().fullscreen()};
    start_pacing(hertz, true);
    if (fullscreen) move_mouse(width / 2, height / 2);
    return true;
}

void close_graphics() {
    if (!screen.open) return;
    screen.open = false;
    detail::destroy_render_target();
    platform().close_screen();
}

void flip_frame(FlipTiming timing) {
    if (!screen.open || !detail::has_render_target()) return;
    Platform& p = platform();
    const std::uint32_t* pixels = detail::render_target_pixels();
    // The next input query takes in what happened until this frame was shown.
    detail::note_flip();
    if (timing != FlipTiming::kPaced) {
        p.present(pixels, timing == FlipTiming::kVerticalBlank);
        return;
    }
    follow_display_switch();
    switch (pacing.mode) {
        case PacingMode::kNone:
            p.present(pixels, screen.fullscreen);
            break;
        case PacingMode::kVerticalBlank:
            p.present(pixels, true);
            watch_vertical_blank_pacing();
            break;
        case PacingMode::kClockAndVerticalBlank:
            wait_for_next_frame();
            p.present(pixels, true);
            break;
        case PacingMode::kClock:
            wait_for_next_frame();
            p.present(pixels, false);
            break;
    }
}

}  // namespace svc
