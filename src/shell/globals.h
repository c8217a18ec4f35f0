#pragma once
// The shell's game-wide state and the images made at start-up.
#include <array>
#include <string>

#include "services/graphics.h"

namespace state {
constexpr int kStage = 2, kPaused = 3, kTitle = 4, kGameOver = 5, kDying = 6;
}
namespace phase {
constexpr int kFlyIn = 0, kPlay = 1, kClear = 2;
}

extern int game_state;
extern int stage_phase;
extern int phase_timer;
extern int quit_requested;

extern const std::string app_title;
extern const std::string version_text;
extern const std::array<std::string, 4> menu_items;

extern svc::ImageFont game_font;
extern svc::Image paper_image;
extern svc::Image pointer_image;
extern svc::Image mountain_image1;
extern svc::Image mountain_image2;
extern svc::Image margin_left_image;
extern svc::Image margin_right_image;
extern svc::Image cloud_image;
extern svc::Image sprite_frames;  // 26 frames of 48 x 33, handle at the centre
extern svc::Image blimp_frames;   // 4 frames of 80 x 33, handle at the centre

// Puts every shell and world global back to its start-up value.
void reset_game_globals();
