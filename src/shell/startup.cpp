#include "shell/startup.h"

#include "drawing/qbdraw.h"
#include "services/graphics.h"
#include "services/input.h"
#include "services/platform.h"
#include "services/resources.h"
#include "services/sound.h"
#include "services/timing.h"
#include "shell/best_score.h"
#include "shell/globals.h"
#include "shell/sound_effects.h"
#include "world/player.h"
#include "world/world.h"

namespace {

// How long the waiting loops sleep between two questions to the window, so that
// an inactive game costs next to no processor time.
constexpr int kSuspendedPollMs = 5;

// The sheet is drawn with the mask blend onto a black buffer and cut with black
// as the mask colour, so its grey background ends up transparent in every cut.
void cut_sprite_sheet(const svc::Image& sheet) {
    svc::set_alpha(1.0f);
    svc::set_blend(svc::kMaskBlend);
    svc::set_mask_colour(0, 0, 0);
    svc::set_colour(255, 255, 255);
    svc::clear_screen();
    svc::draw_image(sheet, 0, 0, 0);
    svc::grab_image(cloud_image, 397, 79, 0);
    for (int f = 0; f <= 25; ++f)
        svc::grab_image(sprite_frames, 1 + 49 * (f % 13), 1 + 34 * (f / 13), f);
    for (int f = 0; f <= 3; ++f) svc::grab_image(blimp_frames, 1 + 81 * f, 71, f);
    svc::set_mask_colour(200, 200, 200);
}

bool splash_skipped() {
    return svc::key_hit(svc::vk::kEscape) != 0 || svc::key_hit(svc::vk::kSpace) != 0 ||
           svc::mouse_hit(1) != 0 || svc::joy_hit(0, 0) != 0;
}

}  // namespace

// The images made empty at start-up and filled later: the margin strips by
// page_margins(1), the sprites by cutting the sheet in load_assets. The drawer,
// the player, the mountains and the entity lists are static objects that
// reset_game_globals has already put to their start-up values.
void create_globals() {
    margin_left_image = svc::create_image(110, 480, 1, -1);
    margin_right_image = svc::create_image(116, 480, 1, -1);
    svc::set_auto_mid_handle(1);
    cloud_image = svc::create_image(116, 78, 1, -1);
    sprite_frames = svc::create_image(48, 33, 26, -1);
    blimp_frames = svc::create_image(80, 33, 4, -1);
    svc::set_auto_mid_handle(0);
    engine_channel = svc::allocate_channel();
}

bool start_up() {
    svc::register_embedded_assets();
    svc::set_app_title(app_title);
    if (!svc::open_graphics(640, 480, 32, 60, 2)) return false;
    svc::count_joysticks();
    svc::set_mask_colour(200, 200, 200);
    svc::set_auto_image_flags(svc::kMasked | svc::kDynamic);
    create_globals();
    svc::hide_pointer();
    svc::seed_random(svc::millisecs());
    load_assets();
    load_best_score();
    logo_splash(-25);
    page_margins(1);
    player_tag::reset(1);
    game_state = state::kTitle;
    startup_reset = 0;
    svc::move_mouse(320, 292);
    return true;
}

void load_assets() {
    game_font = svc::load_image_font("itckrist.ttf", 18, 4);
    svc::set_image_font(game_font);

    paper_image = svc::load_image("nb_paper_1v.png", -1);
    pointer_image = svc::load_image("dmpointerjg.png", -1);
    mountain_image1 = svc::load_image("jg_bp_mts1.png", -1);
    mountain_image2 = svc::load_image("jg_bp_mts2.png", -1);
    const svc::Image sheet = svc::load_image("jg_bplane01.png", -1);
    cut_sprite_sheet(sheet);

    load_effect_sounds();
}

void logo_splash(int y_offset) {
    const svc::Image logo = svc::load_image("qblogo_p.png", -1);
    svc::mid_handle_image(logo);
    const float cx = static_cast<float>(svc::graphics_width() / 2);
    const float cy = static_cast<float>(svc::graphics_height() / 2 + y_offset);

    // Full opacity while hold climbs past 1.0, then a fade of 0.01 per frame:
    // 326 frames when left alone.
    float alpha = 1.0f;
    float hold = 0.1f;
    do {
        begin_frame();
        svc::set_colour(255, 255, 255);
        text_drawer.sip(svc::kAlphaBlend, alpha, 0, 1.0f, 1.0f);
        text_drawer.i3d(logo, cx, cy, 0);
        if (hold > 1.0f)
            alpha -= 0.01f;
        else
            hold += 0.004f;
        if (alpha < 0) alpha = 0;
        svc::flip_frame(-1);
        wait_while_suspended();
        if (svc::app_terminate() != 0) {
            quit_requested = 1;
            break;
        }
        if (splash_skipped()) break;
    } while (alpha > 0);

    svc::set_colour(255, 255, 255);
    text_drawer.sip(svc::kMaskBlend, 1.0f, 0, 1.0f, 1.0f);
    // The press that ended the splash must not reach the title menu.
    svc::flush_keys();
    svc::flush_mouse();
}

void begin_frame() {
    svc::clear_screen();
    svc::set_colour(255, 255, 255);
    text_drawer.sip(svc::kSolidBlend, 1.0f, 0, 1.0f, 1.0f);
    svc::draw_image(paper_image, 0, 0, 0);
}

void page_margins(int grab) {
    svc::set_alpha(1.0f);
    svc::set_blend(svc::kSolidBlend);
    svc::set_colour(255, 255, 255);
    if (grab == 1) {
        svc::clear_screen();
        svc::draw_image(paper_image, 0, 0, 0);
        svc::grab_image(margin_left_image, 0, 0, 0);
        svc::grab_image(margin_right_image, 524, 0, 0);
    } else if (grab == 0) {
        svc::draw_image(margin_left_image, 0, 0, 0);
        svc::draw_image(margin_right_image, 524.0f, 0, 0);
    }
}

void wait_while_suspended() {
    while (svc::app_suspended() != 0) svc::delay(kSuspendedPollMs);
}
