#pragma once
// The game's sound effects and engine drone, played at the two volumes that the
// menus step through.
#include "services/audio/sound.h"

struct Volumes {
    float effects = 1.0f;
    int effects_step = 10;  // the menu's step, 0 (Off) to 10 (Max)
    float engine = 0.6f;
    int engine_step = 6;
    bool operator==(const Volumes&) const = default;
};

extern Volumes volumes;
extern svc::Channel engine_channel;

// An idle channel for the drone, so that it can be asked about before it first sounds.
void create_engine_channel();
// Plays one effect at volumes.effects on a channel of its own.
void play_effect(const svc::Sound& sound);
// Stops the drone if it sounds and starts it afresh on a new engine_channel.
void start_engine_loop();
// The menu steps: one click advances step and volume together, wrapping to Off.
void step_effects_volume();
void step_engine_volume();
// Back to the start-up volumes, with no engine channel.
void reset_sound_cues();
