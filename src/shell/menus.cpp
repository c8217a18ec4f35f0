#include "shell/menus.h"

#include <string_view>

#include "drawing/text_pen.h"
#include "game/controls.h"
#include "services/input.h"
#include "services/rendering/graphics.h"

const std::string app_title = "Scribble Squadron";
const std::string version_text = "Version 1.0  -  drawn in pencil, 2026";
const std::array<std::string, 11> volume_labels = {"Off", "10%", "20%", "30%", "40%", "50%",
                                                   "60%", "70%", "80%", "90%", "Max"};

namespace {

constexpr int kFirstItemRow = menu_item_top_row(MenuItem::kStart);
constexpr int kPointerStep = 6;  // pixels per frame on each axis the stick holds

// A line of text drawn at `scale` and centred for it.
void draw_scaled_line(std::string_view text, float x, float y, TextScale scale) {
    set_text_style(svc::BlendMode::kAlpha, 1.0f, scale);
    draw_centred(text, x, y, scale);
}

void draw_heading() {
    svc::set_colour(80, 80, 80);
    draw_scaled_line("Jotpad Games Vol. 1", 320, 122, kFontSize);

    svc::set_colour(60, 60, 60);
    draw_scaled_line("Retro Action Games on Notebook Paper!", 320, 139, {0.9f, 0.9f});

    svc::set_colour(60, 60, 60);
    draw_scaled_line(app_title, 320, 210, {1.5f, 4.0f});

    svc::set_colour(60, 60, 60);
    draw_scaled_line(version_text, 320, 455, kFontSize);
}

// The highlighted item is drawn darker and 20 % larger, still centred on its line.
void draw_items(const World& world, std::optional<MenuItem> selected) {
    for (int i = 0; i < kMenuItemCount; ++i) {
        const MenuItem item = static_cast<MenuItem>(i);
        const float line_y = static_cast<float>(menu_item_line_y(item));
        float scale = 1.0f;
        svc::set_colour(80, 80, 80);
        if (item == selected) {
            scale = 1.2f;
            svc::set_colour(20, 20, 20);
        }
        draw_scaled_line(menu_item_text(item, world.flow.state, world.sounds.volumes), kMenuCentreX,
                         line_y, {scale, scale});
    }
}

void begin_new_game(World& world, Demos& demos) {
    demos.new_game();
    world.flow.state = GameState::kStage;
    clear_world(world);
    start_new_game(world);
    start_stage(world);
}

void act_on(World& world, Demos& demos, std::optional<MenuItem> selected) {
    if (!selected) return;
    const bool paused = world.flow.state == GameState::kPaused;
    switch (*selected) {
        case MenuItem::kStart:
            if (paused) {
                world.flow.state = GameState::kStage;
                world.sounds.start_engine_loop();
            } else {
                begin_new_game(world, demos);
            }
            break;
        case MenuItem::kEffectsVolume:
            world.sounds.step_effects_volume();
            break;
        case MenuItem::kEngineVolume:
            world.sounds.step_engine_volume();
            break;
        case MenuItem::kExit:
            if (paused) {
                world.flow.state = GameState::kTitle;
                park_menu_pointer();
            } else {
                world.flow.quit_requested = true;
            }
            break;
    }
}

}  // namespace

std::optional<MenuItem> menu_item_at(int y) {
    if (y <= kFirstItemRow) return std::nullopt;
    const int item = (y - kFirstItemRow) / kMenuItemPitch;
    if (item >= kMenuItemCount) return std::nullopt;
    return static_cast<MenuItem>(item);
}

void park_menu_pointer() {
    svc::move_mouse(kParkedPointerX, kParkedPointerY);
}

std::string menu_item_text(MenuItem item, GameState menu, const Volumes& volumes) {
    const bool paused = menu == GameState::kPaused;
    switch (item) {
        case MenuItem::kStart:
            return paused ? "Resume Game" : "Start Game";
        case MenuItem::kEffectsVolume:
            return "Sound Volume: " + volume_labels[volumes.effects_step];
        case MenuItem::kEngineVolume:
            return "BiPlane Volume: " + volume_labels[volumes.engine_step];
        case MenuItem::kExit:
            return paused ? "Quit This Game" : "Exit Game";
    }
    return {};
}

void run_menu(World& world, Demos& demos) {
    steer_pointer();
    const int mx = svc::mouse_x();
    const int my = svc::mouse_y();

    draw_heading();
    const std::optional<MenuItem> selected = menu_item_at(my);
    draw_items(world, selected);

    // A click on no item is consumed all the same.
    if (controls::choose_pressed()) {
        act_on(world, demos, selected);
        svc::flush_keys();
        svc::flush_mouse();
    }

    svc::set_colour(255, 255, 255);
    set_text_style(svc::BlendMode::kMask, 1.0f, kFontSize);
    svc::draw_image(world.pictures.pointer, static_cast<float>(mx), static_cast<float>(my), 0);
}

void steer_pointer() {
    const controls::StickPush push = controls::stick_push();
    if (push.x == 0 && push.y == 0) return;
    svc::move_mouse(svc::mouse_x() + kPointerStep * push.x, svc::mouse_y() + kPointerStep * push.y);
}
