#pragma once
// What the game draws, made at start-up: the font and the pictures (the sprites
// cut out of the embedded sprite sheet).
#include <optional>
#include <string>

#include "services/rendering/graphics.h"

struct Pictures {
    svc::ImageFont font;  // registered with the text drawing once loaded
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

// Creates the pictures that start empty (the margin strips, the cloud, the
// sprite and blimp frames), to be filled by load_pictures and the margin capture.
void create_blank_pictures(Pictures& pictures);
// Loads the font and the pictures, cutting the sprite sheet. Both are embedded
// in the program, so one that does not load is a build fault: returns a line
// naming it, and loads nothing after it.
std::optional<std::string> load_pictures(Pictures& pictures);
// The line load_pictures gives for an embedded picture or font that is missing.
std::string missing_resource(const std::string& name);
