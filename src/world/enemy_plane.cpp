#include "world/enemy_plane.h"

#include <memory>

#include "drawing/plain_style.h"
#include "game/assets.h"
#include "game/game_state.h"
#include "game/sound_cues.h"
#include "game/sprite_frames.h"
#include "services/audio/sound.h"
#include "services/rendering/graphics.h"
#include "services/timing.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/hits.h"
#include "world/player.h"
#include "world/player_shot.h"
#include "world/scenery.h"
#include "world/world.h"

EntityList<EnemyPlane> enemy_plane_list;

namespace {

constexpr float kWrapLow = -2000.0f;
constexpr float kWrapHigh = 2640.0f;
constexpr float kBandLeft = 80.0f;
constexpr float kBandRight = 560.0f;

void make_debris(float x, float y, int frame) {
    const int first_piece = frame == sprite_frame::kEnemyNoseLeft
                                ? sprite_frame::kEnemyPiecesNoseLeft
                                : sprite_frame::kEnemyPiecesNoseRight;
    DebrisPiece::spawn(x, y, first_piece, sprite_frame::kEnemyPieceCount);
}

}  // namespace

void EnemyPlane::spawn_for_stage() {
    const int count = stage_counters.enemies_per_stage;
    for (int i = 0; i < count; ++i) {
        auto enemy = std::make_unique<EnemyPlane>();
        enemy->y = static_cast<int>(svc::random_real(125.0, 300.0));
        enemy->x = static_cast<float>(svc::random_real(-2000.0, 2640.0));
        enemy->frame = static_cast<int>(
            svc::random_real(sprite_frame::kEnemyNoseLeft, sprite_frame::kEnemyNoseRight + 1));
        if (enemy->frame == sprite_frame::kEnemyNoseLeft)
            enemy->speed = static_cast<float>(svc::random_real(-0.5, -3.5));
        else
            enemy->speed = static_cast<float>(svc::random_real(0.5, 3.5));
        enemy_plane_list.add_last(std::move(enemy));
    }
}

void EnemyPlane::update() {
    x = x + (static_cast<float>(mountains.scroll_speed) + speed);
    if (!(x >= kWrapLow)) x = kWrapHigh;
    if (!(x <= kWrapHigh)) x = kWrapLow;
    // Off the visible band an enemy is neither drawn nor tested.
    if (!(x > kBandLeft && x < kBandRight)) return;

    use_plain_mask_style();
    svc::draw_image(pictures.sprites, x, static_cast<float>(y), frame);
    // Every shot that overlaps in this walk is a hit of its own and scores.
    for_each_shot_hitting(*this, TestOrder::kTargetFirst,
                          [this](PlayerShot& shot) { shot_down(shot); });
    if (touches_plane(sprite(), TestOrder::kTargetSecond)) ram_plane();
}

SheetSprite EnemyPlane::sprite() const {
    return {static_cast<int>(x), y, frame};
}

void EnemyPlane::shot_down(PlayerShot& shot) {
    play_effect(effect_sounds.explosion);
    player_shot_list.remove(shot);
    PointsPopup::spawn(static_cast<int>(x), y, 15 * player.level);
    player.score += 15 * player.level;
    Explosion::spawn(x, static_cast<float>(y), 1.0f);
    make_debris(x, static_cast<float>(y), frame);
    enemy_plane_list.remove(*this);
}

void EnemyPlane::ram_plane() {
    play_effect(effect_sounds.explosion);
    Explosion::spawn(x, static_cast<float>(y), 1.0f);
    make_debris(x, static_cast<float>(y), frame);
    // enemies_counted is this enemy's place in the walk: the first enemy of
    // the list survives a ramming, so a ramming never empties the list.
    if (stage_counters.enemies_counted > 1) enemy_plane_list.remove(*this);
    Player::crash();
}

void EnemyPlane::update_all() {
    stage_counters.enemies_counted = 0;
    enemy_plane_list.enumerate([](EnemyPlane& enemy) {
        ++stage_counters.enemies_counted;
        enemy.update();
    });
    // The stage ends on the first walk that finds no enemy, and only while a
    // stage is being played: in the death sequence an empty list must not
    // restart the sequence's timer every frame.
    if (stage_counters.enemies_counted != 0) return;
    if (game_state != GameState::kStage || stage_phase != StagePhase::kPlay) return;
    phase_timer = 0;
    stage_phase = StagePhase::kClear;
    svc::stop_channel(engine_channel);
    play_effect(effect_sounds.stage_end);
}
