#include "shell/globals.h"

#include "drawing/qbdraw.h"
#include "shell/sound_effects.h"
#include "world/world.h"

int game_state = 0;
int stage_phase = phase::kFlyIn;
int phase_timer = 0;
int quit_requested = 0;

const std::string app_title = "Scribble Squadron";
const std::string version_text = "Version 1.0  -  drawn in pencil, 2026";
const std::array<std::string, 4> menu_items = {"Start Game",
                                               "Sound Volume: ", "BiPlane Volume: ", "Exit Game"};

svc::ImageFont game_font;
svc::Image paper_image;
svc::Image pointer_image;
svc::Image mountain_image1;
svc::Image mountain_image2;
svc::Image margin_left_image;
svc::Image margin_right_image;
svc::Image cloud_image;
svc::Image sprite_frames;
svc::Image blimp_frames;

void reset_game_globals() {
    game_state = 0;
    stage_phase = phase::kFlyIn;
    phase_timer = 0;
    quit_requested = 0;

    text_drawer = qbdraw_tag{};
    for (svc::Image* image :
         {&paper_image, &pointer_image, &mountain_image1, &mountain_image2, &margin_left_image,
          &margin_right_image, &cloud_image, &sprite_frames, &blimp_frames})
        image->reset();
    game_font.reset();

    reset_world_globals();
    reset_sound_globals();
}
