#include "world/ebplane.h"

#include <memory>

#include "services/graphics.h"
#include "services/sound.h"
#include "services/timing.h"
#include "shell/globals.h"
#include "shell/sound_effects.h"
#include "world/effects.h"
#include "world/particles.h"
#include "world/player.h"
#include "world/pshot.h"
#include "world/scenery.h"
#include "world/world.h"

EntityList<ebplane_tag> ebplane_list;

namespace {

constexpr float kWrapLow = -2000.0f;
constexpr float kWrapHigh = 2640.0f;
constexpr float kBandLeft = 80.0f;
constexpr float kBandRight = 560.0f;
constexpr int kNoseLeft = 12;
constexpr int kShotFrame = 21;

void make_debris(float x, float y, int dir) {
    particle_tag::create_em(x, y, dir == kNoseLeft ? 16 : 18, 2);
}

}  // namespace

void ebplane_tag::create_em() {
    const int count = enemies_per_stage;
    for (int i = 0; i < count; ++i) {
        auto enemy = std::make_unique<ebplane_tag>();
        enemy->y = static_cast<int>(svc::rnd(125.0, 300.0));
        enemy->x = static_cast<float>(svc::rnd(-2000.0, 2640.0));
        enemy->dir = static_cast<int>(svc::rnd(12.0, 14.0));
        if (enemy->dir == kNoseLeft)
            enemy->spd = static_cast<float>(svc::rnd(-0.5, -3.5));
        else
            enemy->spd = static_cast<float>(svc::rnd(0.5, 3.5));
        ebplane_list.add_last(std::move(enemy));
    }
}

void ebplane_tag::update() {
    x = x + (static_cast<float>(mountains.mspd) + spd);
    if (!(x >= kWrapLow)) x = kWrapHigh;
    if (!(x <= kWrapHigh)) x = kWrapLow;
    // Off the visible band an enemy is neither drawn nor tested.
    if (!(x > kBandLeft && x < kBandRight)) return;

    svc::set_alpha(1.0f);
    svc::set_blend(svc::kMaskBlend);
    svc::set_colour(255, 255, 255);
    svc::draw_image(sprite_frames, x, static_cast<float>(y), dir);

    const int whole_x = static_cast<int>(x);
    // Every shot that overlaps in this walk is a hit of its own and scores.
    pshot_list.enumerate([&](pshot_tag& shot) {
        if (!svc::images_collide(sprite_frames, whole_x, y, dir, sprite_frames, shot.x, shot.y,
                                 kShotFrame))
            return;
        play_effect(snd_explode);
        pshot_list.remove(shot);
        points_tag::create_it(whole_x, y, 15 * player.level);
        player.score += 15 * player.level;
        explode_tag::create_it(x, static_cast<float>(y), 1.0f);
        make_debris(x, static_cast<float>(y), dir);
        ebplane_list.remove(*this);
    });

    if (safe_timer != 0) return;
    if (!svc::images_collide(sprite_frames, static_cast<int>(player.x), static_cast<int>(player.y),
                             player.dir, sprite_frames, whole_x, y, dir))
        return;
    play_effect(snd_explode);
    explode_tag::create_it(x, static_cast<float>(y), 1.0f);
    make_debris(x, static_cast<float>(y), dir);
    // live_enemies is this enemy's place in the walk: the first enemy of the
    // list survives a ramming, so a ramming never empties the list.
    if (live_enemies > 1) ebplane_list.remove(*this);
    player_tag::init_death();
}

void ebplane_tag::update_all() {
    live_enemies = 0;
    ebplane_list.enumerate([](ebplane_tag& enemy) {
        ++live_enemies;
        enemy.update();
    });
    // The stage ends on the first walk that finds no enemy, and only while a
    // stage is being played: in the death sequence an empty list must not
    // restart the sequence's timer every frame.
    if (live_enemies != 0) return;
    if (game_state != state::kStage || stage_phase != phase::kPlay) return;
    phase_timer = 0;
    stage_phase = phase::kClear;
    svc::stop_channel(engine_channel);
    play_effect(snd_endstage);
}

void ebplane_tag::destroy_all() {
    ebplane_list.enumerate([](ebplane_tag& enemy) { ebplane_list.remove(enemy); });
}
