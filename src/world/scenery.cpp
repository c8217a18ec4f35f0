#include "world/scenery.h"

#include <memory>

#include "drawing/plain_style.h"
#include "drawing/scoped_transform.h"
#include "services/rendering/graphics.h"
#include "services/timing.h"
#include "world/world.h"

namespace {
constexpr int kCloudCount = 19;
constexpr float kCloudWrapLeft = -1000.0f;
constexpr float kCloudWrapRight = 1640.0f;

// A mountain at -306 lies wholly behind the left margin and one at 522 all
// but behind the right one, so the two 416-pixel pictures form one endless band.
constexpr int kMountainWrapLeft = -306;
constexpr int kMountainWrapRight = 522;
constexpr int kMountain1Top = 300;
constexpr int kMountain2Top = 304;

int wrap_mountain_left(int x) {
    return x < kMountainWrapLeft ? kMountainWrapRight : x;
}
int wrap_mountain_right(int x) {
    return x > kMountainWrapRight ? kMountainWrapLeft : x;
}
}  // namespace

void Cloud::spawn_for_stage(World& world) {
    for (int i = 0; i < kCloudCount; ++i) {
        auto cloud = std::make_unique<Cloud>();
        cloud->x = static_cast<float>(svc::random_real(-1000.0, 1640.0));
        cloud->y = static_cast<int>(svc::random_real(kSkyTop, kSkyBottom));
        cloud->speed = static_cast<float>(svc::random_real(-1.5, 1.5));
        cloud->scale = static_cast<float>(svc::random_real(0.5, 1.0));
        world.clouds.add_last(std::move(cloud));
    }
}

void Cloud::update(World& world) {
    const ScopedScale scaled(scale, scale);
    x = x + (static_cast<float>(world.mountains.scroll_speed) + speed);
    if (x < kCloudWrapLeft) x = kCloudWrapRight;
    if (x > kCloudWrapRight) x = kCloudWrapLeft;
    svc::draw_image(world.pictures.cloud, x, static_cast<float>(y), 0);
}

void Cloud::update_all(World& world) {
    use_plain_mask_style();
    world.clouds.enumerate([&](Cloud& cloud) { cloud.update(world); });
}

// The ground kills whatever the plane's state: the test runs while it blinks
// and while it rests unseen during the stage clear.
void Mountains::update(World& world) {
    const Pictures& pictures = world.pictures;
    use_plain_mask_style();
    mountain1_x += scroll_speed;
    mountain2_x += scroll_speed;
    mountain1_x = wrap_mountain_left(mountain1_x);
    mountain2_x = wrap_mountain_left(mountain2_x);
    mountain1_x = wrap_mountain_right(mountain1_x);
    mountain2_x = wrap_mountain_right(mountain2_x);
    svc::draw_image(pictures.mountain1, static_cast<float>(mountain1_x),
                    static_cast<float>(kMountain1Top), 0);
    svc::draw_image(pictures.mountain2, static_cast<float>(mountain2_x),
                    static_cast<float>(kMountain2Top), 0);

    const Player& plane = world.player;
    const int px = static_cast<int>(plane.x);
    const int py = static_cast<int>(plane.y);
    const bool hit1 = svc::images_collide(pictures.sprites, px, py, plane.frame(),
                                          pictures.mountain1, mountain1_x, kMountain1Top, 0);
    const bool hit2 = svc::images_collide(pictures.sprites, px, py, plane.frame(),
                                          pictures.mountain2, mountain2_x, kMountain2Top, 0);
    if (hit1 || hit2) crash_plane(world);
}
