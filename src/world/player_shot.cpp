#include "world/player_shot.h"

#include <memory>

#include "drawing/plain_style.h"
#include "game/assets.h"
#include "game/game_state.h"
#include "game/sprite_frames.h"
#include "services/rendering/graphics.h"
#include "world/player.h"

EntityList<PlayerShot> player_shot_list;

namespace {
constexpr int kShotSpeed = 8;
constexpr float kMuzzleOffset = 24.0f;
constexpr int kLeftLimit = 100;
constexpr int kRightLimit = 534;
}  // namespace

void PlayerShot::fire() {
    auto shot = std::make_unique<PlayerShot>();
    if (player.facing == 0) {
        shot->speed = -kShotSpeed;
        shot->x = static_cast<int>(player.x - kMuzzleOffset);
    } else {
        shot->speed = kShotSpeed;
        shot->x = static_cast<int>(player.x + kMuzzleOffset);
    }
    shot->y = static_cast<int>(player.y);
    player_shot_list.add_last(std::move(shot));
}

// A shot is drawn once more where it crossed the limit, then removed.
void PlayerShot::update() {
    x += speed;
    svc::draw_image(pictures.sprites, static_cast<float>(x), static_cast<float>(y),
                    sprite_frame::kShot);
    if (x < kLeftLimit || x > kRightLimit) player_shot_list.remove(*this);
}

void PlayerShot::update_all() {
    use_plain_mask_style();
    player_shot_list.enumerate([](PlayerShot& shot) { shot.update(); });
}
