// What the shell draws: the heads-up display's numbers and spare lives, the
// page margins that frame every main-loop frame, and golden pictures of the
// title menu, the game-over screen and a busy moment of play.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "game/assets.h"
#include "services/input.h"
#include "shell/stage_flow.h"
#include "shell_run.h"
#include "support/golden.h"
#include "world/balloon.h"
#include "world/blimp.h"
#include "world/enemy_plane.h"
#include "world/player.h"

namespace shell_test {
namespace {

constexpr int kWidth = 640;

struct Box {
    int left = kWidth, top = 480, right = -1, bottom = -1;  // inclusive
    bool empty() const { return right < 0; }
};

// The pixels where two pictures differ.
Box difference_box(const Pixels& a, const Pixels& b) {
    Box box;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * kWidth + x;
            if (rgb(a[i]) == rgb(b[i])) continue;
            box.left = std::min(box.left, x);
            box.right = std::max(box.right, x);
            box.top = std::min(box.top, y);
            box.bottom = std::max(box.bottom, y);
        }
    return box;
}

TEST(Display, NumbersHaveAtLeastTwoDigits) {
    EXPECT_EQ(two_digits(0), "00");
    EXPECT_EQ(two_digits(7), "07");
    EXPECT_EQ(two_digits(9), "09");
    EXPECT_EQ(two_digits(10), "10");
    EXPECT_EQ(two_digits(123456), "123456");
}

// The same run twice, the second with fewer lives from flip 340 on: the frames
// differ exactly where the spare-life planes stand (48 x 33 around x 140 + 53 i,
// y 452), during a stage only.
Pixels frame_with_lives(int lives, int flip, const std::string& script) {
    RunSpec plan;
    plan.script = script;
    plan.frames = flip;
    plan.keep = {flip};
    plan.on_flip = [lives](const Snapshot& s, World& world) {
        if (s.flip == 340) world.player.lives = lives;
    };
    return run_game(plan).picture(flip);
}

TEST(Display, SpareLivesStandAlongTheFootOfThePageDuringAStage) {
    const std::string start = "330 button 1 click\n";
    const Pixels three = frame_with_lives(3, 360, start);
    const Pixels two = frame_with_lives(2, 360, start);
    const Pixels one = frame_with_lives(1, 360, start);

    const Box second_plane = difference_box(three, two);
    ASSERT_FALSE(second_plane.empty());
    EXPECT_GE(second_plane.left, 193 - 24);
    EXPECT_LE(second_plane.right, 193 + 23);
    EXPECT_GE(second_plane.top, 452 - 17);
    EXPECT_LE(second_plane.bottom, 452 + 16);

    const Box both_planes = difference_box(three, one);
    EXPECT_GE(both_planes.left, 140 - 24);
    EXPECT_LE(both_planes.left, 140);
    EXPECT_EQ(both_planes.right, second_plane.right);
    EXPECT_GE(both_planes.top, 452 - 17);
    EXPECT_LE(both_planes.bottom, 452 + 16);
}

TEST(Display, NoSpareLivesInTheMenus) {
    const std::string pause = "330 button 1 click\n350 key 32 tap\n";
    EXPECT_EQ(frame_with_lives(3, 360, pause), frame_with_lives(1, 360, pause));
    EXPECT_EQ(frame_with_lives(3, 345, ""), frame_with_lives(1, 345, ""));
}

// Everything outside x 110-523 is covered by the paper's margins in every frame
// of the main loop, whatever was drawn there: the pointer, clouds, enemies,
// debris. The pointer straddling the margin shows only its visible part.
TEST(Display, MarginsHideEverythingOutsideThePlayfield) {
    RunSpec plan;
    plan.script =
        "0 mouse 320 292\n330 mouse 20 300\n332 mouse 105 300\n334 mouse 515 300\n"
        "336 mouse 320 292\n337 button 1 click\n460 key 37 tap\n480 key 40 down\n"
        "900 key 32 tap\n905 mouse 600 100\n";
    plan.frames = 1000;
    plan.keep = {333, 335};
    int checked = 0;
    plan.on_picture = [&](const Snapshot& s, const std::uint32_t* pixels, const Pixels& paper) {
        if (s.flip < kFirstTitleFlip) return;
        ++checked;
        for (int y = 0; y < 480; ++y)
            for (int x = 0; x < kWidth; ++x) {
                if (x == 110) x = 524;
                const std::size_t i = static_cast<std::size_t>(y) * kWidth + x;
                if (rgb(pixels[i]) != paper[i]) {
                    ADD_FAILURE() << "flip " << s.flip << " (state " << s.state
                                  << "): something shows through the margin at " << x << "," << y;
                    return;
                }
            }
    };
    const RunResult run = run_game(plan);
    EXPECT_EQ(checked, 1000 - kSplashFlips);

    // The pointer's top-left corner is its hot spot: at x 105 its columns
    // 110-124 show, at x 515 its columns 515-523.
    const Pixels& left = run.picture(333);
    const Pixels& right = run.picture(335);
    auto shows_in_columns = [&](const Pixels& picture, int from, int to) {
        for (int y = 300; y < 320; ++y)
            for (int x = from; x <= to; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * kWidth + x;
                if (rgb(picture[i]) != run.paper[i]) return true;
            }
        return false;
    };
    EXPECT_TRUE(shows_in_columns(left, 110, 124));
    EXPECT_TRUE(shows_in_columns(right, 515, 523));
    EXPECT_FALSE(shows_in_columns(left, 125, 200)) << "row 300 holds only the pointer there";
}

TEST(Golden, TitleMenu) {
    RunSpec plan;
    plan.frames = 340;
    plan.keep = {340};
    const RunResult run = run_game(plan);
    EXPECT_TRUE(test_support::matches_golden(run.picture(340), "title_menu"));
}

TEST(Golden, GameOverScreen) {
    RunSpec plan;
    plan.script = "330 button 1 click\n452 key 40 down\n";
    plan.frames = 1000;
    plan.on_flip = [](const Snapshot& s, World& world) {
        if (s.flip == 452) world.player.lives = 1;
        if (s.state == GameState::kDying)
            svc::input_state().key_event(svc::vk::kDown, false, false);
    };
    plan.keep_when = [](const Snapshot& s) {
        return s.state == GameState::kGameOver && s.timer == 100;
    };
    const RunResult run = run_game(plan);
    ASSERT_EQ(run.pictures.size(), 1u);
    EXPECT_TRUE(test_support::matches_golden(run.pictures.begin()->second, "game_over"));
}

// A busy sky made by hand on the first frame of play, so that the picture does
// not hang on where the stage's random draws put the enemies: planes and a
// balloon in the line of fire, the blimp behind them, more planes above and
// below.
void fill_the_sky(World& world) {
    world.enemies.remove_all();
    world.balloons.remove_all();
    const auto add_enemy = [&](float x, int y, float speed, int frame) {
        auto enemy = std::make_unique<EnemyPlane>();
        enemy->x = x;
        enemy->y = y;
        enemy->speed = speed;
        enemy->frame = frame;
        world.enemies.add_last(std::move(enemy));
    };
    add_enemy(300.0f, 200, 4.0f, sprite_frame::kEnemyNoseRight);  // held still against the scroll
    add_enemy(360.0f, 204, 4.0f, sprite_frame::kEnemyNoseRight);
    add_enemy(420.0f, 196, 4.0f, sprite_frame::kEnemyNoseRight);
    add_enemy(520.0f, 150, -1.0f, sprite_frame::kEnemyNoseLeft);
    add_enemy(210.0f, 290, 3.0f, sprite_frame::kEnemyNoseRight);
    add_enemy(560.0f, 320, -0.5f, sprite_frame::kEnemyNoseLeft);
    auto balloon = std::make_unique<Balloon>();
    balloon->x = 470;
    balloon->y = 200.0f;
    balloon->vertical_speed = -0.2f;
    world.balloons.add_last(std::move(balloon));
    world.blimp.state = BlimpState::kFlying;
    world.blimp.x = 540;
    world.blimp.y = 210;
    world.blimp.nose = Facing::kLeft;
}

// ----------------------------------------------------------------------- scenes

// The title, a busy moment of play and the pause menu, drawn at `scale`.
struct Scenes {
    Pixels title, busy, pause;
};

Scenes scenes_at(int scale) {
    Scenes scenes;
    int play_from = 0;
    RunSpec plan;
    plan.scale = scale;
    plan.script = "0 key 27 tap\n3 button 1 click\n";
    plan.frames = 400;
    plan.on_flip = [&](const Snapshot& s, World& world) {
        if (s.state != GameState::kStage || s.phase != StagePhase::kPlay) return;
        if (play_from == 0) {
            play_from = s.flip;
            fill_the_sky(world);
        }
        const int frame = s.flip - play_from;
        if (frame % 8 == 0) {
            svc::input_state().key_event(svc::vk::kLeftControl, true, false);
            svc::input_state().key_event(svc::vk::kLeftControl, false, false);
        }
        if (frame == 80) {
            svc::input_state().key_event(svc::vk::kSpace, true, false);
            svc::input_state().key_event(svc::vk::kSpace, false, false);
        }
        if (frame == 90) svc::input_state().request_close();
    };
    const std::size_t size = static_cast<std::size_t>(kWidth * scale) * 480 * scale;
    plan.on_picture = [&](const Snapshot& s, const std::uint32_t* pixels, const Pixels&) {
        if (s.flip == 2) scenes.title.assign(pixels, pixels + size);
        if (play_from > 0 && s.flip == play_from + 60) scenes.busy.assign(pixels, pixels + size);
        if (play_from > 0 && s.flip == play_from + 85) scenes.pause.assign(pixels, pixels + size);
    };
    run_game(plan);
    return scenes;
}

// A busy moment of play: the sky filled, a shot every eighth frame, the plane
// holding its height, 60 frames into play.
TEST(Golden, BusyPlay) {
    const Scenes scenes = scenes_at(1);
    ASSERT_FALSE(scenes.busy.empty()) << "the game never reached play";
    EXPECT_TRUE(test_support::matches_golden(scenes.busy, "busy_play"));
}

// ---------------------------------------------------------------- finer screens

// A frame drawn twice as fine, averaged over 2 x 2 blocks.
Pixels halved(const Pixels& fine) {
    Pixels out(static_cast<std::size_t>(kWidth) * 480);
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            std::uint32_t pixel = 0;
            for (int shift : {0, 8, 16}) {
                std::uint32_t sum = 0;
                for (int dy = 0; dy < 2; ++dy)
                    for (int dx = 0; dx < 2; ++dx)
                        sum +=
                            (fine[static_cast<std::size_t>(2 * y + dy) * 2 * kWidth + 2 * x + dx] >>
                             shift) &
                            255u;
                pixel |= ((sum + 2) / 4) << shift;
            }
            out[static_cast<std::size_t>(y) * kWidth + x] = pixel;
        }
    }
    return out;
}

struct Likeness {
    double mean = 0;         // mean difference per colour channel, 0-255
    double worst_block = 0;  // the same over the worst 16 x 16 block
};

// `b` is compared with `a` moved `dx` pixels to the right.
Likeness likeness(const Pixels& a, const Pixels& b, int dx = 0) {
    constexpr int kBlock = 16;
    std::vector<double> blocks((kWidth / kBlock) * (480 / kBlock), 0.0);
    double total = 0;
    for (int y = 0; y < 480; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const int ax = std::clamp(x - dx, 0, kWidth - 1);
            const std::uint32_t p = a[static_cast<std::size_t>(y) * kWidth + ax];
            const std::uint32_t q = b[static_cast<std::size_t>(y) * kWidth + x];
            int d = 0;
            for (int shift : {0, 8, 16})
                d += std::abs(static_cast<int>((p >> shift) & 255u) -
                              static_cast<int>((q >> shift) & 255u));
            total += d;
            blocks[static_cast<std::size_t>(y / kBlock) * (kWidth / kBlock) + x / kBlock] += d;
        }
    }
    Likeness l;
    l.mean = total / (kWidth * 480 * 3);
    l.worst_block = *std::max_element(blocks.begin(), blocks.end()) / (kBlock * kBlock * 3);
    return l;
}

// Drawn twice as fine and averaged back down, each screen is the same picture.
// The bounds: a mean difference under 5 per colour channel and under 60 in the
// worst 16 x 16 block. Finer pencil strokes, paper grain and sharper letter
// edges stay well inside them (measured: mean 2.9 to 3.9, worst block 31 to 50,
// the worst being the title's lettering, blurred when stretched at game
// resolution and sharp when drawn fine); a sprite or a text out of place by a
// few pixels does not (the same frame moved 3 pixels: mean 7.5 to 9.3, worst
// block 75 to 119, checked below each time).
TEST(FinerScreen, TwiceAsFineAveragedDownIsTheSamePicture) {
    constexpr double kMeanBound = 5.0, kBlockBound = 60.0;
    const Scenes one = scenes_at(1), two = scenes_at(2);
    const std::pair<const char*, std::pair<const Pixels*, const Pixels*>> cases[] = {
        {"title", {&one.title, &two.title}},
        {"busy play", {&one.busy, &two.busy}},
        {"pause menu", {&one.pause, &two.pause}}};
    for (const auto& [name, frames] : cases) {
        SCOPED_TRACE(name);
        ASSERT_EQ(frames.first->size(), static_cast<std::size_t>(kWidth) * 480);
        ASSERT_EQ(frames.second->size(), static_cast<std::size_t>(kWidth) * 480 * 4);
        const Pixels reduced = halved(*frames.second);
        const Likeness same = likeness(*frames.first, reduced);
        const Likeness moved = likeness(*frames.first, reduced, 3);
        std::printf("%s: mean %.2f, worst block %.2f; moved 3 px: mean %.2f, worst block %.2f\n",
                    name, same.mean, same.worst_block, moved.mean, moved.worst_block);
        EXPECT_LT(same.mean, kMeanBound);
        EXPECT_LT(same.worst_block, kBlockBound);
        EXPECT_GT(moved.mean, kMeanBound) << "the bounds would miss a misplaced picture";
        EXPECT_GT(moved.worst_block, kBlockBound) << "the bounds would miss a misplaced picture";
    }
}

}  // namespace
}  // namespace shell_test
