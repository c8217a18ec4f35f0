#include "services/backends/headless/headless_platform.h"

#include <algorithm>
#include <cstddef>

#include "services/input.h"

namespace svc {

// The audio output of the headless back end: the platform calls its mix
// function as the virtual clock advances, for as long as the output lives.
class HeadlessPlatform::Output final : public AudioOutput {
  public:
    Output(HeadlessPlatform& owner, AudioMixFn mix) : owner_(&owner), mix_(std::move(mix)) {}
    ~Output() override {
        if (owner_ && owner_->audio_ == this) owner_->audio_ = nullptr;
    }
    int sample_rate() const override { return kSampleRate; }
    void mix(std::int16_t* out, int frames) { mix_(out, frames); }
    // The platform goes away first, or a newer output replaced this one.
    void detach() { owner_ = nullptr; }

  private:
    HeadlessPlatform* owner_;
    AudioMixFn mix_;
};

HeadlessPlatform::HeadlessPlatform() = default;

HeadlessPlatform::~HeadlessPlatform() {
    if (audio_) audio_->detach();
}

bool HeadlessPlatform::open_screen(std::string_view title, int width, int height, bool fullscreen) {
    if (fail_open_) return false;
    title_ = std::string(title);
    width_ = width * frame_scale_;
    height_ = height * frame_scale_;
    fullscreen_ = fullscreen;
    return true;
}

void HeadlessPlatform::close_screen() {
    current_frame_ = nullptr;
}

void HeadlessPlatform::present(const std::uint32_t* pixels, bool /*wait_vblank*/) {
    ++flips_;
    current_frame_ = pixels;
    if (keep_last_frame_ && pixels) {
        last_frame_.assign(pixels, pixels + static_cast<std::size_t>(width_) * height_);
    }
    if (flip_hook_) flip_hook_(flips_);
}

void HeadlessPlatform::pump_events(InputState& /*input*/) {}

void HeadlessPlatform::move_pointer(InputState& input, int x, int y) {
    input.mouse_move(x, y);
}

void HeadlessPlatform::sleep(int ms) {
    if (ms <= 0) return;
    clock_ms_ += ms;
    mix_until(clock_ms_);
    if (clock_hook_) clock_hook_(clock_ms_);
}

std::unique_ptr<AudioOutput> HeadlessPlatform::open_audio(AudioMixFn mix) {
    if (audio_) audio_->detach();  // only the newest output is mixed
    auto output = std::make_unique<Output>(*this, std::move(mix));
    audio_ = output.get();
    audio_start_ms_ = clock_ms_;
    audio_frames_mixed_ = 0;
    return output;
}

// Mixes the sample frames that fall due between the last mix and `ms`: frame n
// is due once (ms - start) * rate / 1000 exceeds n, so every advance of the
// clock produces exactly its share and no rounding error accumulates.
void HeadlessPlatform::mix_until(int ms) {
    if (!audio_) return;
    const std::int64_t due = (static_cast<std::int64_t>(ms) - audio_start_ms_) * kSampleRate / 1000;
    const std::int64_t frames = due - audio_frames_mixed_;
    if (frames <= 0) return;
    mix_buffer_.assign(static_cast<std::size_t>(frames) * 2, 0);
    audio_->mix(mix_buffer_.data(), static_cast<int>(frames));
    audio_frames_mixed_ = due;
    if (audio_capture_) {
        captured_audio_.insert(captured_audio_.end(), mix_buffer_.begin(), mix_buffer_.end());
    }
}

}  // namespace svc
