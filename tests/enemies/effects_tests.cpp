// Debris, smoke, explosions, balloon pops and points texts: their creation,
// motion and exact lifetimes, and emptying one kind without touching others.
#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "enemies/box_sprite_world.h"
#include "game/assets.h"
#include "game/game_state.h"
#include "support/spread.h"
#include "world/balloon.h"
#include "world/debris.h"
#include "world/effects.h"
#include "world/enemy_plane.h"
#include "world/world.h"

namespace enemies_test {
namespace {

using test_support::Spread;
using test_support::spreads_over;

DebrisPiece& add_piece(World& world, float x, float y, float speed_x, float speed_y,
                       int frame = sprite_frame::kEnemyPiecesNoseLeft) {
    auto piece = std::make_unique<DebrisPiece>();
    piece->x = x;
    piece->y = y;
    piece->speed_x = speed_x;
    piece->speed_y = speed_y;
    piece->frame = frame;
    return world.debris.add_last(std::move(piece));
}

template <typename T>
const T* only(const EntityList<T>& list) {
    const T* found = nullptr;
    list.for_each([&](const T& item) { found = &item; });
    return list.count() == 1 ? found : nullptr;
}

// ---------------------------------------------------------------- debris

using DebrisTest = BoxSpriteWorldTest;

TEST_F(DebrisTest, PiecesStartTogetherTurnedAndFlungWithinTheirRanges) {
    DebrisPiece::spawn(world, 300.0f, 200.0f, sprite_frame::kEnemyPiecesNoseLeft, 2);
    std::vector<const DebrisPiece*> pieces;
    world.debris.for_each([&](const DebrisPiece& p) { pieces.push_back(&p); });
    ASSERT_EQ(pieces.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(pieces[i]->frame, sprite_frame::kEnemyPiecesNoseLeft + i);
        EXPECT_EQ(pieces[i]->x, 300.0f);
        EXPECT_EQ(pieces[i]->y, 200.0f);
        EXPECT_EQ(pieces[i]->frames_since_smoke, 0);
    }

    constexpr int kFirstPiece = sprite_frame::kPlayerPiecesNoseLeft;
    for (int crash = 0; crash < 100; ++crash)
        DebrisPiece::spawn(world, 300.0f, 200.0f, kFirstPiece, 2);
    Spread rotation, speed_x, speed_y;
    world.debris.for_each([&](const DebrisPiece& p) {
        rotation.add(p.rotation);
        speed_x.add(p.speed_x);
        speed_y.add(p.speed_y);
    });
    EXPECT_TRUE(spreads_over(rotation, 1.0, 360.0));
    EXPECT_TRUE(spreads_over(speed_x, -3.5, 3.5));
    EXPECT_TRUE(spreads_over(speed_y, -2.5, 1.5));

    world.debris.remove_all();
    DebrisPiece::spawn(world, 300.0f, 200.0f, kFirstPiece, 0);
    DebrisPiece::spawn(world, 300.0f, 200.0f, kFirstPiece, -3);
    EXPECT_TRUE(world.debris.empty());
}

TEST_F(DebrisTest, RisesSlowsAndFallsUnderGravity) {
    DebrisPiece& piece = add_piece(world, 300.0f, 300.0f, 0.0f, -2.5f);
    float highest = 300.0f;
    int turned_on = 0;
    for (int update = 1; update <= 100; ++update) {
        const float y_before = piece.y;
        const float ys_before = piece.speed_y;
        DebrisPiece::update_all(world);
        highest = std::min(highest, piece.y);
        if (ys_before < 0 && piece.speed_y > 0) turned_on = update;
        if (update <= 84) {
            EXPECT_LT(piece.y, y_before) << update;
        } else {
            EXPECT_GT(piece.y, y_before) << update;
        }
    }
    EXPECT_EQ(turned_on, 84);
    EXPECT_NEAR(highest, 194.6f, 0.05f);
    EXPECT_EQ(world.debris.count(), 1);

    // From y 200 the same speed carries it out of the top of the box.
    world.debris.remove_all();
    DebrisPiece& high = add_piece(world, 300.0f, 200.0f, 0.0f, -2.5f);
    int updates = 0;
    float last_ys = 0;
    while (!world.debris.empty() && updates < 200) {
        last_ys = high.speed_y;
        DebrisPiece::update_all(world);
        ++updates;
    }
    EXPECT_TRUE(world.debris.empty());
    EXPECT_LT(last_ys, 0.0f);
}

TEST_F(DebrisTest, DrawnOnceMoreWhereItLeavesTheBox) {
    constexpr int kPiece = sprite_frame::kPlayerPiecesNoseLeft + 1;
    add_piece(world, 300.0f, 440.0f, 0.0f, 0.5f, kPiece);  // to 440.5: out
    add_piece(world, 200.0f, 439.5f, 0.0f, 0.5f, kPiece);  // to 440.0: stays
    DebrisPiece::update_all(world);
    EXPECT_EQ(world.debris.count(), 1);
    EXPECT_EQ(pixel(300, 440), sprite_colour(kPiece));
    EXPECT_EQ(only(world.debris)->y, 440.0f);

    // The sides of the box.
    clear_world(world);
    add_piece(world, 81.0f, 300.0f, -1.5f, 0.0f);   // x 79.5: out
    add_piece(world, 549.0f, 300.0f, 1.5f, 0.0f);   // x 550.5: out
    add_piece(world, 81.0f, 300.0f, -1.0f, 0.0f);   // x 80.0: stays
    add_piece(world, 549.0f, 300.0f, 1.0f, 0.0f);   // x 550.0: stays
    add_piece(world, 300.0f, 100.5f, 0.0f, -1.0f);  // y 99.5: out
    DebrisPiece::update_all(world);
    EXPECT_EQ(world.debris.count(), 2);
    EXPECT_EQ(svc::get_rotation(), 0.0f);
}

TEST_F(DebrisTest, LaysAPuffEveryFifthUpdateEvenAsItLeaves) {
    DebrisPiece& piece = add_piece(world, 300.0f, 200.0f, 1.0f, 0.0f);
    for (int update = 1; update <= 4; ++update) DebrisPiece::update_all(world);
    EXPECT_TRUE(world.smoke.empty());
    DebrisPiece::update_all(world);
    ASSERT_EQ(world.smoke.count(), 1);
    EXPECT_EQ(only(world.smoke)->x, piece.x);
    EXPECT_EQ(only(world.smoke)->y, piece.y);
    for (int update = 6; update <= 10; ++update) DebrisPiece::update_all(world);
    EXPECT_EQ(world.smoke.count(), 2);

    clear_world(world);
    // y: 430 + 2 + 2.03 + 2.06 + 2.09 + 2.12 > 440 on the fifth update.
    add_piece(world, 300.0f, 430.0f, 0.0f, 2.0f);
    for (int update = 1; update <= 5; ++update) DebrisPiece::update_all(world);
    EXPECT_TRUE(world.debris.empty());
    ASSERT_EQ(world.smoke.count(), 1);
    EXPECT_GT(only(world.smoke)->y, 440.0f);
}

// ---------------------------------------------------------------- smoke

using SmokeTest = BoxSpriteWorldTest;

TEST_F(SmokeTest, PuffsStartTurnedAnyWay) {
    for (int puff = 0; puff < 100; ++puff) SmokePuff::spawn(world, 300.0f, 200.0f);
    Spread rotation;
    world.smoke.for_each([&](const SmokePuff& p) { rotation.add(p.rotation); });
    EXPECT_TRUE(spreads_over(rotation, 0.0, 359.0));
}

TEST_F(SmokeTest, PuffGrowsTurnsAndLasts51UpdatesAtFullOpacity) {
    SmokePuff::spawn(world, 300.0f, 200.0f);
    const SmokePuff* puff = only(world.smoke);
    ASSERT_NE(puff, nullptr);
    const int rotation = puff->rotation;
    EXPECT_EQ(puff->life, 1.0f);
    EXPECT_EQ(puff->scale, 0.3f);

    float scale = 0.3f, last_drawn_scale = 0.0f;
    int updates = 0;
    while (!world.smoke.empty() && updates < 100) {
        EXPECT_EQ(puff->scale, scale);
        EXPECT_EQ(puff->rotation, rotation + 5 * updates);
        clear_screen();
        SmokePuff::update_all(world);
        // Opaque however much of its life is spent.
        EXPECT_EQ(pixel(300, 200), sprite_colour(sprite_frame::kSmoke)) << updates;
        last_drawn_scale = scale;
        scale += 0.004f;
        ++updates;
    }
    EXPECT_EQ(updates, 51);
    EXPECT_NEAR(last_drawn_scale, 0.5f, 0.001f);
}

// ---------------------------------------------------------------- explosions

using ExplosionTest = BoxSpriteWorldTest;

TEST_F(ExplosionTest, ShowsEachPictureFor25UpdatesAtItsScale) {
    Explosion::spawn(world, 300.0f, 200.0f, 1.5f);
    int updates = 0;
    while (!world.explosions.empty() && updates < 200) {
        clear_screen();
        Explosion::update_all(world);
        ++updates;
        EXPECT_EQ(pixel(300, 200), sprite_colour(sprite_frame::kFirstBlast + (updates - 1) / 25))
            << updates;
        EXPECT_EQ(row_span(200).count, 72) << updates;
        // The scale is back to 1.0 after every update.
        clear_screen();
        svc::draw_image(world.pictures.sprites, 300.0f, 200.0f, 0);
        EXPECT_EQ(row_span(200).count, 48) << updates;
    }
    EXPECT_EQ(updates, 100);
}

// ---------------------------------------------------------------- pops

using PopTest = BoxSpriteWorldTest;

TEST_F(PopTest, FadesFromFullAlphaOver51Updates) {
    BalloonPop::spawn(world, 300, 199.9f);
    const BalloonPop* pop = only(world.balloon_pops);
    ASSERT_NE(pop, nullptr);
    EXPECT_EQ(pop->x, 300);
    EXPECT_EQ(pop->y, 199);

    std::vector<int> reds;
    float alpha = 1.0f;
    int updates = 0;
    while (!world.balloon_pops.empty() && updates < 100) {
        EXPECT_EQ(pop->alpha, alpha);
        clear_screen();
        BalloonPop::update_all(world);
        reds.push_back(static_cast<int>(pixel(300, 199) >> 16));
        alpha -= 0.02f;
        ++updates;
    }
    EXPECT_EQ(updates, 51);
    const int full = static_cast<int>(sprite_colour(sprite_frame::kBalloonPop) >> 16);
    EXPECT_EQ(reds.front(), full);
    for (size_t i = 1; i < reds.size(); ++i) EXPECT_LE(reds[i], reds[i - 1]);
    EXPECT_LE(reds.back(), 2);
}

// ---------------------------------------------------------------- points texts

using PointsTest = BoxSpriteWorldTest;

TEST_F(PointsTest, TextShowsTheSignedAmount) {
    PointsPopup::spawn(world, 250, 300, 45);
    PointsPopup::spawn(world, 250, 300, -150);
    PointsPopup::spawn(world, 250, 300, 0);
    PointsPopup::spawn(world, 250, 300, -2147483647 - 1);
    std::vector<std::string> texts;
    world.points_popups.for_each([&](const PointsPopup& p) { texts.push_back(p.text); });
    EXPECT_EQ(texts, (std::vector<std::string>{"+45", "-150", "-0", "-2147483648"}));
}

TEST_F(PointsTest, RisesToY100AndFadesThereOver250Updates) {
    PointsPopup::spawn(world, 250, 300, 45);
    PointsPopup::spawn(world, 250, 150, 45);
    PointsPopup::spawn(world, 250, 101, 45);
    std::vector<const PointsPopup*> texts;
    world.points_popups.for_each([&](const PointsPopup& p) { texts.push_back(&p); });

    PointsPopup::update_all(world);
    EXPECT_EQ(texts[0]->y, 298);
    EXPECT_EQ(texts[2]->y, 100);
    EXPECT_TRUE(anything_drawn());
    for (int update = 2; update <= 24; ++update) PointsPopup::update_all(world);
    EXPECT_EQ(texts[1]->y, 102);
    PointsPopup::update_all(world);
    EXPECT_EQ(texts[1]->y, 100);

    int updates = 25;
    while (!world.points_popups.empty() && updates < 1000) {
        PointsPopup::update_all(world);
        ++updates;
        if (!world.points_popups.empty()) {
            EXPECT_EQ(texts[1]->y, 100);
        }
    }
    EXPECT_EQ(updates, 250);
}

TEST_F(PointsTest, TextIsCentredOnItsPoint) {
    PointsPopup::spawn(world, 320, 202, 45);
    PointsPopup::update_all(world);
    const int w = svc::text_width("+45");
    int first = 640, last = -1;
    for (int y = 150; y < 250; ++y) {
        const RowSpan span = row_span(y);
        if (span.count == 0) continue;
        first = std::min(first, span.first);
        last = std::max(last, span.last);
    }
    ASSERT_GE(last, 0);
    EXPECT_NEAR((first + last) / 2.0, 320.0, w / 4.0);
    EXPECT_LE(last - first + 1, w + 1);
}

// ---------------------------------------------------------------- emptying one kind

using DestroyAllTest = BoxSpriteWorldTest;

TEST_F(DestroyAllTest, EachKindEmptiesOnlyItself) {
    const auto fill = [&] {
        Explosion::spawn(world, 300.0f, 200.0f, 1.0f);
        BalloonPop::spawn(world, 300, 200.0f);
        PointsPopup::spawn(world, 300, 200, 15);
        DebrisPiece::spawn(world, 300.0f, 200.0f, sprite_frame::kEnemyPiecesNoseLeft, 2);
        SmokePuff::spawn(world, 300.0f, 200.0f);
        world.counters.enemies_per_stage = 2;
        EnemyPlane::spawn_for_stage(world);
        world.counters.balloons_per_stage = 2;
        Balloon::spawn_for_stage(world);
    };
    const auto counts = [&] {
        return std::vector<int>{world.explosions.count(),    world.balloon_pops.count(),
                                world.points_popups.count(), world.debris.count(),
                                world.smoke.count(),         world.enemies.count(),
                                world.balloons.count()};
    };
    const std::vector<std::function<void()>> destroyers = {
        [&] { world.explosions.remove_all(); },    [&] { world.balloon_pops.remove_all(); },
        [&] { world.points_popups.remove_all(); }, [&] { world.debris.remove_all(); },
        [&] { world.smoke.remove_all(); },         [&] { world.enemies.remove_all(); },
        [&] { world.balloons.remove_all(); }};
    const std::vector<int> full = {1, 1, 1, 2, 1, 2, 2};
    for (size_t kind = 0; kind < destroyers.size(); ++kind) {
        SCOPED_TRACE(kind);
        clear_world(world);
        fill();
        ASSERT_EQ(counts(), full);
        destroyers[kind]();
        std::vector<int> expected = full;
        expected[kind] = 0;
        EXPECT_EQ(counts(), expected);
    }
}

}  // namespace
}  // namespace enemies_test
