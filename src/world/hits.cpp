#include "world/hits.h"

#include "game/sprite_frames.h"
#include "services/rendering/graphics.h"

namespace {

SheetSprite plane_sprite(const Player& plane) {
    return {static_cast<int>(plane.x), static_cast<int>(plane.y), plane.frame()};
}

}  // namespace

bool target_touches(const World& world, const SheetSprite& target, const SheetSprite& other,
                    TestOrder order) {
    const SheetSprite& first = order == TestOrder::kTargetFirst ? target : other;
    const SheetSprite& second = order == TestOrder::kTargetFirst ? other : target;
    const svc::Image& sheet = world.pictures.sprites;
    return svc::images_collide(sheet, first.x, first.y, first.frame, sheet, second.x, second.y,
                               second.frame);
}

SheetSprite shot_sprite(const PlayerShot& shot) {
    return {shot.x, shot.y, sprite_frame::kShot};
}

bool touches_plane(const World& world, const SheetSprite& target, TestOrder order) {
    if (world.player.invulnerable_frames != 0) return false;
    return target_touches(world, target, plane_sprite(world.player), order);
}
