#pragma once
// The hit tests a target makes once it is drawn: each of the player's shots
// against it, then the plane against it. Both compare frames of the sprite
// sheet with svc::images_collide, which maps them through the current drawing
// state, so no scale or rotation may be in force.
#include "world/world.h"

// A frame of the sprite sheet at a whole-pixel position.
struct SheetSprite {
    int x = 0;
    int y = 0;
    int frame = 0;
};

// Which of the two sprites images_collide is handed first. Each kind keeps the
// order its rule is written in, so every call stays argument for argument the same.
enum class TestOrder { kTargetFirst, kTargetSecond };

// Whether the target and the other sprite overlap, tested in the order given.
bool target_touches(const World& world, const SheetSprite& target, const SheetSprite& other,
                    TestOrder order);
SheetSprite shot_sprite(const PlayerShot& shot);

// Calls on_hit(shot) for each of the player's shots, first to last, that
// touches target.sprite(). The target is placed anew for every shot, so one
// that a hit has changed is tested as it stands after it; the walk goes on
// past every hit, so each overlapping shot counts.
template <typename Target, typename OnHit>
void for_each_shot_hitting(World& world, const Target& target, TestOrder order, OnHit&& on_hit) {
    world.shots.enumerate([&](PlayerShot& shot) {
        if (target_touches(world, target.sprite(), shot_sprite(shot), order)) on_hit(shot);
    });
}

// Whether the plane touches the target; never while it is invulnerable.
bool touches_plane(const World& world, const SheetSprite& target, TestOrder order);
