#include "world/pshot.h"

#include <memory>

#include "services/graphics.h"
#include "shell/globals.h"
#include "world/player.h"

EntityList<pshot_tag> pshot_list;

namespace {
constexpr int kShotFrame = 21;
constexpr int kShotSpeed = 8;
constexpr float kMuzzleOffset = 24.0f;
constexpr int kLeftLimit = 100;
constexpr int kRightLimit = 534;
}  // namespace

void pshot_tag::fire() {
    auto shot = std::make_unique<pshot_tag>();
    if (player.dir == 0) {
        shot->spd = -kShotSpeed;
        shot->x = static_cast<int>(player.x - kMuzzleOffset);
    } else {
        shot->spd = kShotSpeed;
        shot->x = static_cast<int>(player.x + kMuzzleOffset);
    }
    shot->y = static_cast<int>(player.y);
    pshot_list.add_last(std::move(shot));
}

// A shot is drawn once more where it crossed the limit, then removed.
void pshot_tag::update() {
    x += spd;
    svc::draw_image(sprite_frames, static_cast<float>(x), static_cast<float>(y), kShotFrame);
    if (x < kLeftLimit || x > kRightLimit) pshot_list.remove(*this);
}

void pshot_tag::update_all() {
    svc::set_alpha(1.0f);
    svc::set_blend(svc::kMaskBlend);
    svc::set_colour(255, 255, 255);
    pshot_list.enumerate([](pshot_tag& shot) { shot.update(); });
}

void pshot_tag::destroy_all() {
    pshot_list.enumerate([](pshot_tag& shot) { pshot_list.remove(shot); });
}
