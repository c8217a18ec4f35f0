#pragma once
// A world of the test's own on the headless services, with the game's pictures
// and sounds loaded, for calling the world's functions directly, and ways to
// see what a call drew: every check of a picture compares the back buffer with
// the same draw made by hand, so the tests hold whatever the art looks like.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "services/backends/headless/headless_platform.h"
#include "services/rendering/graphics.h"
#include "services/session.h"
#include "support/scratch_dir.h"
#include "world/world.h"

namespace world_test {

using Frame = std::vector<std::uint32_t>;

class WorldTest : public ::testing::Test {
  protected:
    void SetUp() override;

    // A stage in play with nothing in it but the plane and the scenery: no
    // enemies, balloons or blimp, plane at rest facing right at (200, 200).
    void start_empty_play();

    // The back buffer after `draw` ran on a cleared screen.
    static Frame drawn_by(const std::function<void()>& draw);
    // What one plain masked draw of an image frame leaves on a cleared screen.
    static Frame image_at(const svc::Image& image, float x, float y, int frame);
    static Frame blank();
    static bool has_ink(const Frame& frame);

    // Keyboard and joystick, as the platform would report them.
    static void key_down(int vk);
    static void key_up(int vk);
    static void tap(int vk);
    void use_joystick();
    static void joystick_x(float value);
    static void joystick_y(float value);
    static void joystick_button(int button, bool down);

    // Names of the effects started since the last call ("fire", "pldeath", ...).
    static std::vector<std::string> sounds();

    test_support::GameWorkingDir dir_;  // where the sounds load from
    svc::HeadlessPlatform platform_;
    std::optional<svc::Session> session_;
    // Goes before the session, which closes the audio output its sounds play on.
    World world;
};

// Fails the test when the pictures differ, naming how many pixels do.
::testing::AssertionResult same_frame(const Frame& actual, const Frame& expected);

}  // namespace world_test
