#include "game/sound_cues.h"

#include "game/assets.h"

Volumes volumes;
svc::Channel engine_channel;

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

}  // namespace

void create_engine_channel() {
    engine_channel = svc::allocate_channel();
}

void play_effect(const svc::Sound& sound) {
    // Cued paused first, so the volume is in force from the first sample. The
    // channel is not kept: the effect plays to its end on its own.
    const svc::Channel channel = svc::cue_sound(sound);
    svc::set_channel_volume(channel, volumes.effects);
    svc::resume_channel(channel);
}

void start_engine_loop() {
    // A drone still sounding (leaving a pause during the stage-clear phase,
    // then the next stage starting) would otherwise drone on unreachable.
    svc::stop_channel(engine_channel);
    engine_channel = svc::cue_sound(effect_sounds.engine_drone);
    svc::set_channel_volume(engine_channel, volumes.engine);
    svc::resume_channel(engine_channel);
}

void step_effects_volume() {
    step_volume(volumes.effects_step, volumes.effects);
    play_effect(effect_sounds.fire);
}

void step_engine_volume() {
    step_volume(volumes.engine_step, volumes.engine);
}

void reset_sound_cues() {
    volumes = Volumes{};
    engine_channel = nullptr;
}
