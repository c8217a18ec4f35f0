#include "game/sound_cues.h"

namespace {

constexpr int kTopStep = 10;

// One menu click: the step and the volume advance together, the volume by a
// single-precision 0.1 so that it drifts in the last bits exactly as the
// player's clicks add up; past the top both wrap to silence.
void step_volume(int& step, float& volume) {
    step = step + 1;
    volume = volume + 0.1f;
    if (step > kTopStep) {
        step = 0;
        volume = 0.0f;
    }
}

constexpr std::array<const char*, kEffectCount> kEffectFiles = {
    "data/fire.ogg",     "data/balloonpop.ogg", "data/blimphit.ogg", "data/startstage.ogg",
    "data/endstage.ogg", "data/explode.ogg",    "data/pldeath.ogg"};

}  // namespace

void SoundCues::load() {
    for (int i = 0; i < kEffectCount; ++i) effects_[i] = svc::load_sound(kEffectFiles[i], 0);
    engine_drone_ = svc::load_sound("data/bploop.ogg", svc::kLoopSound);
}

void SoundCues::create_engine_channel() {
    engine_channel_ = svc::allocate_channel();
}

void SoundCues::play(Effect effect) const {
    // Cued paused first, so the volume is in force from the first sample. The
    // channel is not kept: the effect plays to its end on its own.
    const svc::Channel channel = svc::cue_sound(sound(effect));
    svc::set_channel_volume(channel, volumes.effects);
    svc::resume_channel(channel);
}

void SoundCues::start_engine_loop() {
    // A drone still sounding (leaving a pause during the stage-clear phase,
    // then the next stage starting) would otherwise drone on unreachable.
    svc::stop_channel(engine_channel_);
    engine_channel_ = svc::cue_sound(engine_drone_);
    svc::set_channel_volume(engine_channel_, volumes.engine);
    svc::resume_channel(engine_channel_);
}

void SoundCues::step_effects_volume() {
    step_volume(volumes.effects_step, volumes.effects);
    play(Effect::kFire);
}

void SoundCues::step_engine_volume() {
    step_volume(volumes.engine_step, volumes.engine);
}
