#include "world_fixture.h"

#include "services/audio/sound.h"
#include "services/input.h"
#include "services/platform.h"
#include "services/resources.h"
#include "services/screen.h"
#include "services/timing.h"

namespace world_test {

namespace {
constexpr int kWidth = 640;
constexpr int kHeight = 480;
}  // namespace

void WorldTest::SetUp() {
    session_.emplace(platform_);
    svc::register_embedded_assets();
    ASSERT_TRUE(svc::open_graphics(kWidth, kHeight, svc::ScreenMode::kWindow, 60));
    svc::set_mask_colour(200, 200, 200);
    svc::set_auto_image_flags(svc::kMasked);
    create_blank_pictures(world.pictures);
    world.sounds.create_engine_channel();
    svc::seed_random(20260);
    ASSERT_EQ(load_pictures(world.pictures), std::nullopt);
    world.sounds.load();
    sounds();
}

void WorldTest::start_empty_play() {
    world.flow.state = GameState::kStage;
    clear_world(world);
    start_new_game(world);
    start_stage(world);
    world.enemies.remove_all();
    world.balloons.remove_all();
    world.blimp.state = BlimpState::kGone;
    world.player.x = 200.0f;
    world.flow.phase = StagePhase::kPlay;
    sounds();
}

Frame WorldTest::drawn_by(const std::function<void()>& draw) {
    svc::clear_screen();
    draw();
    const std::uint32_t* pixels = svc::back_buffer();
    return Frame(pixels, pixels + kWidth * kHeight);
}

Frame WorldTest::image_at(const svc::Image& image, float x, float y, int frame) {
    return drawn_by([&] {
        svc::set_alpha(1.0f);
        svc::set_blend(svc::BlendMode::kMask);
        svc::set_colour(255, 255, 255);
        svc::draw_image(image, x, y, frame);
    });
}

Frame WorldTest::blank() {
    return drawn_by([] {});
}

bool WorldTest::has_ink(const Frame& frame) {
    const Frame empty = blank();
    return frame != empty;
}

void WorldTest::key_down(int vk) {
    svc::input_state().key_event(vk, true, false);
}
void WorldTest::key_up(int vk) {
    svc::input_state().key_event(vk, false, false);
}
void WorldTest::tap(int vk) {
    key_down(vk);
    key_up(vk);
}

void WorldTest::use_joystick() {
    platform_.set_joystick_count(1);
    svc::count_joysticks();
    svc::input_state().set_joystick_count(1);
}
void WorldTest::joystick_x(float value) {
    svc::input_state().joystick_axis(0, 0, value);
}
void WorldTest::joystick_y(float value) {
    svc::input_state().joystick_axis(0, 1, value);
}
void WorldTest::joystick_button(int button, bool down) {
    svc::input_state().joystick_button(0, button, down);
}

std::vector<std::string> WorldTest::sounds() {
    return svc::take_started_sounds();
}

::testing::AssertionResult same_frame(const Frame& actual, const Frame& expected) {
    if (actual.size() != expected.size())
        return ::testing::AssertionFailure() << "frames of different sizes";
    int differing = 0;
    int first = -1;
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if ((actual[i] & 0xFFFFFFu) != (expected[i] & 0xFFFFFFu)) {
            if (first < 0) first = static_cast<int>(i);
            ++differing;
        }
    }
    if (differing == 0) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << differing << " pixels differ, the first at ("
                                         << first % kWidth << ", " << first / kWidth << ")";
}

}  // namespace world_test
