#pragma once
#include <optional>
#include <string>

#include "services/rendering/graphics.h"
#include "world/world.h"
// Start-up steps and the two routines that frame every picture.

// Runs start-up in its order, from registering the embedded pictures to the
// title menu with the pointer under its first item. Returns why it stopped
// short (no display, or a missing embedded picture or font), or nothing.
std::optional<std::string> start_up(World& world);

// The maker's logo, fading out; a key, a click or the fire button skips it.
void show_logo_splash(World& world, const svc::Image& logo, int y_offset);
// Clears the frame, resets the drawing state and draws the paper.
void begin_frame(const Pictures& pictures);
// Takes the paper's two margin strips, once, at start-up.
void capture_page_margins(Pictures& pictures);
// Lays the margin strips over both sides of the finished frame, so that the
// playfield is the column x 110-523.
void draw_page_margins(const Pictures& pictures);
// Waits, without spinning, while the window is inactive and no quit is asked for.
void wait_while_suspended(GameFlow& flow);
