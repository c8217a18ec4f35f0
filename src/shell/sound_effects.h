#pragma once
// The game's effects, the engine drone and the two volumes.
#include <array>
#include <string>

#include "services/sound.h"

extern float sfx_volume;
extern int sfx_volume_step;
extern float engine_volume;
extern int engine_volume_step;
extern svc::Channel engine_channel;
extern const std::array<std::string, 11> volume_labels;

extern svc::Sound snd_fire;
extern svc::Sound snd_balloonpop;
extern svc::Sound snd_blimphit;
extern svc::Sound snd_startstage;
extern svc::Sound snd_endstage;
extern svc::Sound snd_explode;
extern svc::Sound snd_pldeath;

// Loads the seven effects from data/.
void load_effect_sounds();
// Plays one effect at sfx_volume on a channel of its own.
void play_effect(const svc::Sound& sound);
// Stops the drone if it sounds and starts it afresh on a new engine_channel.
void start_engine_loop();
// The menu steps: one click advances step and volume together, wrapping to Off.
void step_sfx_volume();
void step_engine_volume();
// Back to the start-up values (for a new run in the same process).
void reset_sound_globals();
