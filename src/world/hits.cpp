#include "world/hits.h"

#include "game/assets.h"
#include "game/sprite_frames.h"
#include "services/rendering/graphics.h"
#include "world/player.h"

namespace {

bool sprites_touch(const SheetSprite& first, const SheetSprite& second) {
    return svc::images_collide(pictures.sprites, first.x, first.y, first.frame, pictures.sprites,
                               second.x, second.y, second.frame);
}

SheetSprite plane_sprite() {
    return {static_cast<int>(player.x), static_cast<int>(player.y), player.facing};
}

}  // namespace

bool target_touches(const SheetSprite& target, const SheetSprite& other, TestOrder order) {
    return order == TestOrder::kTargetFirst ? sprites_touch(target, other)
                                            : sprites_touch(other, target);
}

SheetSprite shot_sprite(const PlayerShot& shot) {
    return {shot.x, shot.y, sprite_frame::kShot};
}

bool touches_plane(const SheetSprite& target, TestOrder order) {
    if (player.invulnerable_frames != 0) return false;
    return target_touches(target, plane_sprite(), order);
}
