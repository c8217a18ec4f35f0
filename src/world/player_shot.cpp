#include "world/player_shot.h"

#include <memory>

#include "drawing/plain_style.h"
#include "game/sprite_frames.h"
#include "services/rendering/graphics.h"
#include "world/world.h"

namespace {
constexpr int kShotSpeed = 8;
constexpr float kMuzzleOffset = 24.0f;
constexpr int kLeftLimit = 100;
constexpr int kRightLimit = 534;
}  // namespace

void PlayerShot::fire(World& world) {
    const Player& plane = world.player;
    auto shot = std::make_unique<PlayerShot>();
    if (plane.facing == Facing::kLeft) {
        shot->speed = -kShotSpeed;
        shot->x = static_cast<int>(plane.x - kMuzzleOffset);
    } else {
        shot->speed = kShotSpeed;
        shot->x = static_cast<int>(plane.x + kMuzzleOffset);
    }
    shot->y = static_cast<int>(plane.y);
    world.shots.add_last(std::move(shot));
}

// A shot is drawn once more where it crossed the limit, then removed.
void PlayerShot::update(World& world) {
    x += speed;
    svc::draw_image(world.pictures.sprites, static_cast<float>(x), static_cast<float>(y),
                    sprite_frame::kShot);
    if (x < kLeftLimit || x > kRightLimit) world.shots.remove(*this);
}

void PlayerShot::update_all(World& world) {
    use_plain_mask_style();
    world.shots.enumerate([&](PlayerShot& shot) { shot.update(world); });
}
