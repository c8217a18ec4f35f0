#include "world/enemy_plane.h"

#include <memory>

#include "drawing/plain_style.h"
#include "game/sprite_frames.h"
#include "services/audio/sound.h"
#include "services/rendering/graphics.h"
#include "services/timing.h"
#include "world/hits.h"
#include "world/world.h"

namespace {

constexpr float kWrapLow = -2000.0f;
constexpr float kWrapHigh = 2640.0f;
constexpr float kBandLeft = 80.0f;
constexpr float kBandRight = 560.0f;
constexpr int kEnemyPoints = 15;  // per stage number

void make_debris(World& world, float x, float y, int frame) {
    const int first_piece = frame == sprite_frame::kEnemyNoseLeft
                                ? sprite_frame::kEnemyPiecesNoseLeft
                                : sprite_frame::kEnemyPiecesNoseRight;
    DebrisPiece::spawn(world, x, y, first_piece, sprite_frame::kEnemyPieceCount);
}

}  // namespace

void EnemyPlane::spawn_for_stage(World& world) {
    const int count = world.counters.enemies_per_stage;
    for (int i = 0; i < count; ++i) {
        auto enemy = std::make_unique<EnemyPlane>();
        enemy->y = static_cast<int>(svc::random_real(kSkyTop, kSkyBottom));
        enemy->x = static_cast<float>(svc::random_real(-2000.0, 2640.0));
        enemy->frame = static_cast<int>(
            svc::random_real(sprite_frame::kEnemyNoseLeft, sprite_frame::kEnemyNoseRight + 1));
        if (enemy->frame == sprite_frame::kEnemyNoseLeft)
            enemy->speed = static_cast<float>(svc::random_real(-0.5, -3.5));
        else
            enemy->speed = static_cast<float>(svc::random_real(0.5, 3.5));
        world.enemies.add_last(std::move(enemy));
    }
}

void EnemyPlane::update(World& world, int place) {
    x = x + (static_cast<float>(world.mountains.scroll_speed) + speed);
    if (!(x >= kWrapLow)) x = kWrapHigh;
    if (!(x <= kWrapHigh)) x = kWrapLow;
    // Off the visible band an enemy is neither drawn nor tested.
    if (!(x > kBandLeft && x < kBandRight)) return;

    use_plain_mask_style();
    svc::draw_image(world.pictures.sprites, x, static_cast<float>(y), frame);
    // Every shot that overlaps in this walk is a hit of its own and scores.
    for_each_shot_hitting(world, *this, TestOrder::kTargetFirst,
                          [&](PlayerShot& shot) { shot_down(world, shot); });
    if (touches_plane(world, sprite(), TestOrder::kTargetSecond)) ram_plane(world, place);
}

SheetSprite EnemyPlane::sprite() const {
    return {static_cast<int>(x), y, frame};
}

void EnemyPlane::shot_down(World& world, PlayerShot& shot) {
    world.sounds.play(Effect::kExplosion);
    world.shots.remove(shot);
    award_points(world, static_cast<int>(x), y, kEnemyPoints);
    Explosion::spawn(world, x, static_cast<float>(y), 1.0f);
    make_debris(world, x, static_cast<float>(y), frame);
    world.enemies.remove(*this);
}

void EnemyPlane::ram_plane(World& world, int place) {
    world.sounds.play(Effect::kExplosion);
    Explosion::spawn(world, x, static_cast<float>(y), 1.0f);
    make_debris(world, x, static_cast<float>(y), frame);
    // The first enemy of the walk survives a ramming, so a ramming never
    // empties the list.
    if (place > 1) world.enemies.remove(*this);
    crash_plane(world);
}

void EnemyPlane::update_all(World& world) {
    int met = 0;
    world.enemies.enumerate([&](EnemyPlane& enemy) { enemy.update(world, ++met); });
    // The stage ends on the first walk that finds no enemy, and only while a
    // stage is being played: in the death sequence an empty list must not
    // restart the sequence's timer every frame.
    if (met != 0) return;
    GameFlow& flow = world.flow;
    if (flow.state != GameState::kStage || flow.phase != StagePhase::kPlay) return;
    flow.phase_timer = 0;
    flow.phase = StagePhase::kClear;
    svc::stop_channel(world.sounds.engine_channel());
    world.sounds.play(Effect::kStageEnd);
}
