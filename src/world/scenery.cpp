#include "world/scenery.h"

#include <memory>

#include "services/graphics.h"
#include "services/timing.h"
#include "shell/globals.h"
#include "world/player.h"

EntityList<cloud_tag> cloud_list;
mountain_tag mountains;

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

void set_plain_mask_state() {
    svc::set_alpha(1.0f);
    svc::set_blend(svc::kMaskBlend);
    svc::set_colour(255, 255, 255);
}

int wrap_mountain_left(int x) {
    return x < kMountainWrapLeft ? kMountainWrapRight : x;
}
int wrap_mountain_right(int x) {
    return x > kMountainWrapRight ? kMountainWrapLeft : x;
}
}  // namespace

void cloud_tag::create_em() {
    for (int i = 0; i < kCloudCount; ++i) {
        auto cloud = std::make_unique<cloud_tag>();
        cloud->x = static_cast<float>(svc::rnd(-1000.0, 1640.0));
        cloud->y = static_cast<int>(svc::rnd(125.0, 300.0));
        cloud->spd = static_cast<float>(svc::rnd(-1.5, 1.5));
        cloud->scale = static_cast<float>(svc::rnd(0.5, 1.0));
        cloud_list.add_last(std::move(cloud));
    }
}

void cloud_tag::update() {
    svc::set_scale(scale, scale);
    x = x + (static_cast<float>(mountains.mspd) + spd);
    if (x < kCloudWrapLeft) x = kCloudWrapRight;
    if (x > kCloudWrapRight) x = kCloudWrapLeft;
    svc::draw_image(cloud_image, x, static_cast<float>(y), 0);
    svc::set_scale(1.0f, 1.0f);
}

void cloud_tag::update_all() {
    set_plain_mask_state();
    cloud_list.enumerate([](cloud_tag& cloud) { cloud.update(); });
}

void cloud_tag::destroy_all() {
    cloud_list.enumerate([](cloud_tag& cloud) { cloud_list.remove(cloud); });
}

// The ground kills whatever the plane's state: the test runs while it blinks
// and while it rests unseen during the stage clear.
void mountain_tag::update() {
    set_plain_mask_state();
    mt1_x += mspd;
    mt2_x += mspd;
    mt1_x = wrap_mountain_left(mt1_x);
    mt2_x = wrap_mountain_left(mt2_x);
    mt1_x = wrap_mountain_right(mt1_x);
    mt2_x = wrap_mountain_right(mt2_x);
    svc::draw_image(mountain_image1, static_cast<float>(mt1_x), static_cast<float>(kMountain1Top),
                    0);
    svc::draw_image(mountain_image2, static_cast<float>(mt2_x), static_cast<float>(kMountain2Top),
                    0);

    const int px = static_cast<int>(player.x);
    const int py = static_cast<int>(player.y);
    const bool hit1 = svc::images_collide(sprite_frames, px, py, player.dir, mountain_image1, mt1_x,
                                          kMountain1Top, 0) != 0;
    const bool hit2 = svc::images_collide(sprite_frames, px, py, player.dir, mountain_image2, mt2_x,
                                          kMountain2Top, 0) != 0;
    if (hit1 || hit2) player_tag::init_death();
}
