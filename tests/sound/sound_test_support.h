#pragma once
// A back end for the sound tests whose audio output the test drives by hand.
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "services/platform.h"

namespace sound_test {

// A back end with no screen whose audio output (or none, when `has_device` is
// false) is mixed only when the test calls mix().
class ManualAudioPlatform final : public svc::Platform {
  public:
    explicit ManualAudioPlatform(bool has_device, int rate = 44100)
        : has_device_(has_device), rate_(rate) {}

    class Output final : public svc::AudioOutput {
      public:
        Output(ManualAudioPlatform& owner, svc::AudioMixFn mix)
            : owner_(owner), mix_(std::move(mix)) {
            owner_.output_ = this;
        }
        ~Output() override { owner_.output_ = nullptr; }
        int sample_rate() const override { return owner_.rate_; }

      private:
        ManualAudioPlatform& owner_;

      public:
        svc::AudioMixFn mix_;
    };

    bool open_screen(std::string_view, int, int, bool) override { return false; }
    void close_screen() override {}
    void present(const std::uint32_t*, bool) override {}
    bool has_vblank() const override { return false; }
    bool fullscreen() const override { return false; }
    void pump_events(svc::InputState&) override {}
    void move_pointer(svc::InputState&, int, int) override {}
    void hide_pointer() override {}
    int open_joysticks() override { return 0; }
    int milliseconds() override { return 0; }
    void sleep(int) override {}
    std::unique_ptr<svc::AudioOutput> open_audio(svc::AudioMixFn mix) override {
        ++open_calls;
        if (!has_device_) return nullptr;
        return std::make_unique<Output>(*this, std::move(mix));
    }

    // Mixes `frames` stereo frames through the open output; returns the left side.
    std::vector<int> mix(int frames) {
        std::vector<std::int16_t> out(static_cast<std::size_t>(frames) * 2, 0);
        if (output_) output_->mix_(out.data(), frames);
        std::vector<int> left;
        for (int i = 0; i < frames; ++i) left.push_back(out[static_cast<std::size_t>(i) * 2]);
        return left;
    }
    bool output_open() const { return output_ != nullptr; }

    int open_calls = 0;

  private:
    bool has_device_;
    int rate_;
    Output* output_ = nullptr;
};

}  // namespace sound_test
