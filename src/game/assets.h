#pragma once
// What the game loads at start-up: the font, the pictures (the sprites cut out
// of the embedded sprite sheet) and the sound effects from data/.
#include <optional>
#include <string>

#include "services/audio/sound.h"
#include "services/rendering/graphics.h"

struct Pictures {
    svc::Image paper;
    svc::Image pointer;
    svc::Image mountain1;
    svc::Image mountain2;
    svc::Image left_margin;  // captured from the paper by the page-margin set-up
    svc::Image right_margin;
    svc::Image cloud;
    svc::Image sprites;  // 26 frames of 48 x 33, handle at the centre
    svc::Image blimp;    // 4 frames of 80 x 33 (the hit blimp), handle at the centre
};

struct EffectSounds {
    svc::Sound fire;
    svc::Sound balloon_pop;
    svc::Sound blimp_hit;
    svc::Sound stage_start;
    svc::Sound stage_end;
    svc::Sound explosion;
    svc::Sound player_death;
    svc::Sound engine_drone;  // loops; decoded once, cued at every stage start and unpause
};

extern svc::ImageFont game_font;
extern Pictures pictures;
extern EffectSounds effect_sounds;

// Creates the pictures that start empty (the margin strips, the cloud, the
// sprite and blimp frames), to be filled by load_assets and the margin capture.
void create_blank_pictures();
// Loads the font, the pictures (cutting the sprite sheet) and the effect sounds.
// The font and the pictures are embedded in the program, so one that does not
// load is a build fault: returns a line naming it, and loads nothing after it.
// A sound that does not load stays silent.
std::optional<std::string> load_assets();
// The line load_assets gives for an embedded picture or font that is missing.
std::string missing_resource(const std::string& name);
// Loads the seven effects and the engine drone from data/ (part of load_assets).
void load_effect_sounds();
// Drops every loaded asset.
void reset_assets();
