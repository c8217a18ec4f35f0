#include "shell/sound_effects.h"

float sfx_volume = 1.0f;
int sfx_volume_step = 10;
float engine_volume = 0.6f;
int engine_volume_step = 6;
svc::Channel engine_channel;
const std::array<std::string, 11> volume_labels = {"Off", "10%", "20%", "30%", "40%", "50%",
                                                   "60%", "70%", "80%", "90%", "Max"};

svc::Sound snd_fire;
svc::Sound snd_balloonpop;
svc::Sound snd_blimphit;
svc::Sound snd_startstage;
svc::Sound snd_endstage;
svc::Sound snd_explode;
svc::Sound snd_pldeath;

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

void load_effect_sounds() {
    snd_fire = svc::load_sound("data/fire.ogg", 0);
    snd_balloonpop = svc::load_sound("data/balloonpop.ogg", 0);
    snd_blimphit = svc::load_sound("data/blimphit.ogg", 0);
    snd_startstage = svc::load_sound("data/startstage.ogg", 0);
    snd_endstage = svc::load_sound("data/endstage.ogg", 0);
    snd_explode = svc::load_sound("data/explode.ogg", 0);
    snd_pldeath = svc::load_sound("data/pldeath.ogg", 0);
}

void play_effect(const svc::Sound& sound) {
    // Cued paused first, so the volume is in force from the first sample. The
    // channel is not kept: the effect plays to its end on its own.
    const svc::Channel channel = svc::cue_sound(sound);
    svc::set_channel_volume(channel, sfx_volume);
    svc::resume_channel(channel);
}

void start_engine_loop() {
    // A drone still sounding (leaving a pause during the stage-clear phase,
    // then the next stage starting) would otherwise drone on unreachable.
    svc::stop_channel(engine_channel);
    const svc::Sound drone = svc::load_sound("data/bploop.ogg", svc::kLoopSound);
    engine_channel = svc::cue_sound(drone);
    svc::set_channel_volume(engine_channel, engine_volume);
    svc::resume_channel(engine_channel);
}

void step_sfx_volume() {
    step_volume(sfx_volume_step, sfx_volume);
    play_effect(snd_fire);
}

void step_engine_volume() {
    step_volume(engine_volume_step, engine_volume);
}

void reset_sound_globals() {
    // The previous run's output and channels go; the next sound operation
    // opens the output of the back end now installed.
    svc::close_audio();
    sfx_volume = 1.0f;
    sfx_volume_step = 10;
    engine_volume = 0.6f;
    engine_volume_step = 6;
    engine_channel = nullptr;
    for (svc::Sound* sound : {&snd_fire, &snd_balloonpop, &snd_blimphit, &snd_startstage,
                              &snd_endstage, &snd_explode, &snd_pldeath}) {
        *sound = nullptr;
    }
}
