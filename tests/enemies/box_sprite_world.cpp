#include "enemies/box_sprite_world.h"

#include "drawing/plain_style.h"
#include "services/audio/sound.h"
#include "services/input.h"
#include "services/platform.h"
#include "services/screen.h"
#include "services/timing.h"

namespace enemies_test {

std::unique_ptr<test_support::GameWorkingDir> BoxSpriteWorldTest::dir_;
std::unique_ptr<svc::HeadlessPlatform> BoxSpriteWorldTest::platform_;
std::unique_ptr<GameRun> BoxSpriteWorldTest::run_;

std::uint32_t sprite_colour(int frame) {
    return static_cast<std::uint32_t>(8 * (frame + 1)) << 16;
}

std::uint32_t blimp_colour(int frame) {
    return static_cast<std::uint32_t>(40 * (frame + 1)) << 8;
}

namespace {

svc::Image solid_sheet(int width, int height, int frames, std::uint32_t (*colour)(int)) {
    svc::Image image = svc::create_image(width, height, frames, svc::kMasked);
    svc::mid_handle_image(image);
    for (int f = 0; f < frames; ++f) {
        for (std::uint32_t& p : image->pixmaps[f].pixels) p = 0xFF000000u | colour(f);
    }
    return image;
}

}  // namespace

svc::Image test_sprite_sheet() {
    static const svc::Image sheet = solid_sheet(48, 33, 26, sprite_colour);
    return sheet;
}

svc::Image test_blimp_sheet() {
    static const svc::Image sheet = solid_sheet(80, 33, 4, blimp_colour);
    return sheet;
}

void BoxSpriteWorldTest::SetUpTestSuite() {
    dir_ = std::make_unique<test_support::GameWorkingDir>();
    platform_ = std::make_unique<svc::HeadlessPlatform>();
    run_ = std::make_unique<GameRun>(*platform_);
    // One Escape press skips the logo splash at its first frame.
    svc::input_state().key_event(svc::vk::kEscape, true, false);
    svc::input_state().key_event(svc::vk::kEscape, false, false);
    ASSERT_EQ(run_->start_up(), std::nullopt);
}

void BoxSpriteWorldTest::TearDownTestSuite() {
    run_.reset();
    platform_.reset();
    dir_.reset();
}

void BoxSpriteWorldTest::SetUp() {
    world.pictures = run_->world().pictures;
    world.pictures.sprites = test_sprite_sheet();
    world.pictures.blimp = test_blimp_sheet();
    world.sounds = run_->world().sounds;
    svc::seed_random(1234);
    world.flow.state = GameState::kStage;
    world.flow.phase = StagePhase::kPlay;
    start_new_game(world);
    world.player.facing = Facing::kRight;
    world.mountains.scroll_speed = -4;
    world.blimp.state = BlimpState::kGone;
    use_plain_mask_style();
    svc::set_transform(0.0f, 1.0f, 1.0f);
    svc::take_started_sounds();
    clear_screen();
}

void BoxSpriteWorldTest::clear_screen() {
    svc::clear_screen();
}

std::uint32_t BoxSpriteWorldTest::pixel(int x, int y) {
    return svc::back_buffer()[y * svc::graphics_width() + x] & 0xFFFFFFu;
}

bool BoxSpriteWorldTest::anything_drawn() {
    const int n = svc::graphics_width() * svc::graphics_height();
    const std::uint32_t* pixels = svc::back_buffer();
    for (int i = 0; i < n; ++i)
        if ((pixels[i] & 0xFFFFFFu) != 0) return true;
    return false;
}

BoxSpriteWorldTest::RowSpan BoxSpriteWorldTest::row_span(int y) {
    RowSpan span;
    for (int x = 0; x < svc::graphics_width(); ++x) {
        if (pixel(x, y) == 0) continue;
        ++span.count;
        if (span.first < 0) span.first = x;
        span.last = x;
    }
    return span;
}

}  // namespace enemies_test
