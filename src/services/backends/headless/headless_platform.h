#pragma once
// A back end without a window, a sound card or a wall clock, for tests and tooling.
//
// - The screen always opens (unless set_fail_open(true)); present() keeps the
//   frame and counts it. Flip 1 is the first frame shown.
// - The millisecond clock is virtual: it starts at 0 and advances only through
//   sleep() (delay and the frame pacing), so 60 paced flips are exactly 1000 ms
//   and a run goes as fast as the processor allows. There is no vertical blank.
// - Audio: open_audio() gives a 44100 Hz stereo output whose mix function is
//   called on the game thread as the virtual clock advances, exactly for the
//   sample frames that became due; with capture on, the samples are kept.
// - Input comes from the test or the harness: write events straight into
//   svc::input_state() (key_event, mouse_button, focus_lost, ...), typically from
//   the flip hook or the clock hook. pump_events() adds nothing of its own.
//
// Hooks run on the game thread, inside the service call that triggered them;
// they may inject input events and read game state, and may throw to abort a run.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "services/platform.h"

namespace svc {

class HeadlessPlatform final : public Platform {
  public:
    static constexpr int kSampleRate = 44100;

    HeadlessPlatform();
    ~HeadlessPlatform() override;
    HeadlessPlatform(const HeadlessPlatform&) = delete;
    HeadlessPlatform& operator=(const HeadlessPlatform&) = delete;

    // --- Platform -------------------------------------------------------------
    bool open_screen(std::string_view title, int width, int height, bool fullscreen) override;
    int frame_scale() const override { return frame_scale_; }
    void close_screen() override;
    void present(const std::uint32_t* pixels, bool wait_vblank) override;
    bool has_vblank() const override { return false; }
    void pump_events(InputState& input) override;
    void move_pointer(InputState& input, int x, int y) override;
    void hide_pointer() override {}  // there is no pointer to hide
    int open_joysticks() override { return joystick_count_; }
    int milliseconds() override { return clock_ms_; }
    void sleep(int ms) override;  // advances the virtual clock; ms <= 0 does nothing
    std::unique_ptr<AudioOutput> open_audio(AudioMixFn mix) override;

    // --- Hooks ----------------------------------------------------------------
    // Called right after each present with the flip number (1 = the first frame
    // shown). During the call, current_frame() is the frame just shown.
    void set_flip_hook(std::function<void(int flip)> hook) { flip_hook_ = std::move(hook); }
    // Called after every advance of the clock with its new value in ms (after
    // the audio due by then has been mixed).
    void set_clock_hook(std::function<void(int ms)> hook) { clock_hook_ = std::move(hook); }

    // --- Set-up ---------------------------------------------------------------
    // Make open_screen fail, as when no display can be opened.
    void set_fail_open(bool fail) { fail_open_ = fail; }
    // Frames drawn `scale` times finer than the game's pixels (1 by default).
    void set_frame_scale(int scale) { frame_scale_ = scale; }
    // How many joysticks open_joysticks() reports (0 by default). Joystick events
    // for ports below it can then be injected through svc::input_state().
    void set_joystick_count(int count) { joystick_count_ = count; }
    // Keep a copy of every presented frame for last_frame() (on by default; the
    // harness turns it off and reads current_frame() in its flip hook instead).
    void set_keep_last_frame(bool keep) { keep_last_frame_ = keep; }
    // Keep the mixed audio for captured_audio() (off by default).
    void set_audio_capture(bool capture) { audio_capture_ = capture; }

    // --- Observation ----------------------------------------------------------
    int flips() const { return flips_; }
    bool fullscreen() const override { return fullscreen_; }
    const std::string& title() const { return title_; }
    // Of the frames shown: the screen's game pixels times the frame scale.
    int width() const { return width_; }
    int height() const { return height_; }
    // The frame being shown, width() x height() pixels 0xAARRGGBB; valid inside
    // the flip hook only (afterwards the game draws over it). Null before flip 1.
    const std::uint32_t* current_frame() const { return current_frame_; }
    // A copy of the last frame shown (empty before the first, or when keeping is off).
    const std::vector<std::uint32_t>& last_frame() const { return last_frame_; }
    // Interleaved stereo samples mixed while capture was on.
    const std::vector<std::int16_t>& captured_audio() const { return captured_audio_; }
    // Sample frames mixed so far (whether captured or not).
    std::int64_t audio_frames_mixed() const { return audio_frames_mixed_; }
    bool audio_open() const { return audio_ != nullptr; }

  private:
    class Output;
    friend class Output;
    void mix_until(int ms);

    bool fail_open_ = false;
    int frame_scale_ = 1;
    bool fullscreen_ = false;
    std::string title_;
    int width_ = 0, height_ = 0;
    int joystick_count_ = 0;
    bool keep_last_frame_ = true;
    bool audio_capture_ = false;

    int clock_ms_ = 0;
    int flips_ = 0;
    const std::uint32_t* current_frame_ = nullptr;
    std::vector<std::uint32_t> last_frame_;

    Output* audio_ = nullptr;  // the live output, owned by whoever opened it
    std::int64_t audio_frames_mixed_ = 0;
    std::int64_t audio_start_ms_ = 0;  // clock when the output opened
    std::vector<std::int16_t> captured_audio_;
    std::vector<std::int16_t> mix_buffer_;

    std::function<void(int)> flip_hook_;
    std::function<void(int)> clock_hook_;
};

}  // namespace svc
