#include "world/balloon.h"

#include <memory>

#include "drawing/plain_style.h"
#include "game/assets.h"
#include "game/game_state.h"
#include "game/sound_cues.h"
#include "game/sprite_frames.h"
#include "services/rendering/graphics.h"
#include "services/timing.h"
#include "world/effects.h"
#include "world/hits.h"
#include "world/player.h"
#include "world/player_shot.h"
#include "world/scenery.h"
#include "world/world.h"

EntityList<Balloon> balloon_list;

namespace {

constexpr float kTop = 125.0f;
constexpr float kBottom = 300.0f;
constexpr float kBobSpeed = 0.2f;

}  // namespace

void Balloon::spawn_for_stage() {
    const int count = stage_counters.balloons_per_stage;
    for (int i = 0; i < count; ++i) {
        auto balloon = std::make_unique<Balloon>();
        balloon->y = static_cast<float>(svc::random_real(125.0, 300.0));
        balloon->x = static_cast<int>(svc::random_real(-2000.0, 2640.0));
        balloon->vertical_speed = -kBobSpeed;
        balloon_list.add_last(std::move(balloon));
    }
}

void Balloon::update() {
    y += vertical_speed;
    if (!(y >= kTop)) {
        y = kTop;
        vertical_speed = kBobSpeed;
    }
    if (!(y <= kBottom)) {
        y = kBottom;
        vertical_speed = -kBobSpeed;
    }
    x += mountains.scroll_speed;
    if (x < -2000) x = 2640;
    if (x > 2640) x = -2000;
    if (!(x > 80 && x < 560)) return;

    use_plain_mask_style();
    svc::draw_image(pictures.sprites, static_cast<float>(x), y, sprite_frame::kBalloon);
    // Every overlapping shot pops it again, and touching the plane in the same
    // update costs once more.
    for_each_shot_hitting(*this, TestOrder::kTargetFirst, [this](PlayerShot& shot) { pop(&shot); });
    if (touches_plane(sprite(), TestOrder::kTargetFirst)) pop(nullptr);
}

SheetSprite Balloon::sprite() const {
    return {x, static_cast<int>(y), sprite_frame::kBalloon};
}

void Balloon::pop(PlayerShot* shot) {
    play_effect(effect_sounds.balloon_pop);
    if (shot) player_shot_list.remove(*shot);
    BalloonPop::spawn(x, y);
    PointsPopup::spawn(x, static_cast<int>(y), -150 * player.level);
    player.score -= 150 * player.level;
    if (player.score < 0) player.score = 0;
    balloon_list.remove(*this);
}

void Balloon::update_all() {
    balloon_list.enumerate([](Balloon& balloon) { balloon.update(); });
}
