#include "shell/startup.h"

#include "drawing/plain_style.h"
#include "drawing/text_pen.h"
#include "game/controls.h"
#include "services/input.h"
#include "services/platform.h"
#include "services/rendering/graphics.h"
#include "services/resources.h"
#include "services/screen.h"
#include "services/timing.h"
#include "shell/best_score.h"
#include "shell/menus.h"

namespace {

// How long the waiting loops sleep between two questions to the window, so that
// an inactive game costs next to no processor time.
constexpr int kSuspendedPollMs = 5;

constexpr const char* kLogoResource = "qblogo_p.png";
constexpr int kFramesPerSecond = 60;

}  // namespace

std::optional<std::string> start_up(World& world) {
    svc::register_embedded_assets();
    svc::set_app_title(app_title);
    // Full screen, unless the back end was asked for a window.
    if (!svc::open_graphics(640, 480, svc::ScreenMode::kFullScreen, kFramesPerSecond)) {
        const std::string reason = svc::platform().last_error();
        return "cannot open the display" + (reason.empty() ? "" : ": " + reason);
    }
    svc::count_joysticks();
    svc::set_mask_colour(200, 200, 200);
    svc::set_auto_image_flags(svc::kMasked);
    create_blank_pictures(world.pictures);
    world.sounds.create_engine_channel();
    svc::hide_pointer();
    svc::seed_random(svc::launch_clock());
    const svc::Image logo = svc::load_image(kLogoResource);
    if (!logo) return missing_resource(kLogoResource);
    if (std::optional<std::string> missing = load_pictures(world.pictures)) return missing;
    world.sounds.load();
    world.player.best_score = load_best_score();
    show_logo_splash(world, logo, -25);
    capture_page_margins(world.pictures);
    start_new_game(world);
    world.flow.state = GameState::kTitle;
    park_menu_pointer();
    return std::nullopt;
}

void show_logo_splash(World& world, const svc::Image& logo, int y_offset) {
    svc::mid_handle_image(logo);
    const float cx = static_cast<float>(svc::graphics_width() / 2);
    const float cy = static_cast<float>(svc::graphics_height() / 2 + y_offset);

    // Full opacity while hold climbs past 1.0, then a fade of 0.01 per frame:
    // 326 frames when left alone.
    float alpha = 1.0f;
    float hold = 0.1f;
    do {
        begin_frame(world.pictures);
        svc::set_colour(255, 255, 255);
        set_text_style(svc::BlendMode::kAlpha, alpha, kFontSize);
        svc::draw_image(logo, cx, cy, 0);
        if (hold > 1.0f)
            alpha -= 0.01f;
        else
            hold += 0.004f;
        if (alpha < 0) alpha = 0;
        svc::flip_frame(svc::FlipTiming::kPaced);
        wait_while_suspended(world.flow);
        if (world.flow.quit_requested || svc::close_requested()) {
            world.flow.quit_requested = true;
            break;
        }
        if (controls::skip_pressed()) break;
    } while (alpha > 0);

    svc::set_colour(255, 255, 255);
    set_text_style(svc::BlendMode::kMask, 1.0f, kFontSize);
    // The press that ended the splash must not reach the title menu.
    svc::flush_keys();
    svc::flush_mouse();
}

void begin_frame(const Pictures& pictures) {
    svc::clear_screen();
    svc::set_colour(255, 255, 255);
    set_text_style(svc::BlendMode::kSolid, 1.0f, kFontSize);
    svc::draw_image(pictures.paper, 0, 0, 0);
}

// The paper's margins, drawn solid and cut out once.
void capture_page_margins(Pictures& pictures) {
    use_plain_style(svc::BlendMode::kSolid);
    svc::clear_screen();
    svc::draw_image(pictures.paper, 0, 0, 0);
    svc::grab_image(pictures.left_margin, 0, 0, 0);
    svc::grab_image(pictures.right_margin, 524, 0, 0);
}

void draw_page_margins(const Pictures& pictures) {
    use_plain_style(svc::BlendMode::kSolid);
    svc::draw_image(pictures.left_margin, 0, 0, 0);
    svc::draw_image(pictures.right_margin, 524.0f, 0, 0);
}

// A close request ends the wait: a minimised window can be closed from the task
// bar, and a terminated game still saves its best score.
void wait_while_suspended(GameFlow& flow) {
    while (svc::app_suspended() && !flow.quit_requested) {
        if (svc::close_requested()) {
            flow.quit_requested = true;
            return;
        }
        svc::delay(kSuspendedPollMs);
    }
}
