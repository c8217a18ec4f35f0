// Debris, smoke, explosions, balloon pops and points texts: their creation,
// motion and exact lifetimes, and emptying one kind without touching others.
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "enemies/world_fixture.h"
#include "services/timing.h"
#include "shell/globals.h"
#include "world/balloon.h"
#include "world/ebplane.h"
#include "world/effects.h"
#include "world/particles.h"
#include "world/world.h"

namespace enemies_test {
namespace {

particle_tag& add_piece(float x, float y, float xs, float ys, int frame = 16) {
    auto piece = std::make_unique<particle_tag>();
    piece->x = x;
    piece->y = y;
    piece->xs = xs;
    piece->ys = ys;
    piece->frame = frame;
    return particle_list.add_last(std::move(piece));
}

template <typename T>
const T* only(const EntityList<T>& list) {
    const T* found = nullptr;
    list.for_each([&](const T& item) { found = &item; });
    return list.count() == 1 ? found : nullptr;
}

// Runs update_all until the list is empty; returns the number of updates.
template <typename Step, typename T>
int updates_until_empty(const EntityList<T>& list, Step step, int limit = 1000) {
    int updates = 0;
    while (!list.empty() && updates < limit) {
        step();
        ++updates;
    }
    return updates;
}

// ---------------------------------------------------------------- debris

using DebrisTest = WorldTest;

TEST_F(DebrisTest, CreationDrawsTurnFrameAndSpeedsInThatOrder) {
    svc::seed_random(3);
    particle_tag::create_em(300.0f, 200.0f, 16, 2);
    std::vector<const particle_tag*> pieces;
    particle_list.for_each([&](const particle_tag& p) { pieces.push_back(&p); });
    ASSERT_EQ(pieces.size(), 2u);

    svc::seed_random(3);
    for (int i = 0; i < 2; ++i) {
        const int rot = svc::rand(1, 360);
        const float xs = static_cast<float>(svc::rnd(-3.5, 3.5));
        const float ys = static_cast<float>(svc::rnd(-2.5, 1.5));
        EXPECT_EQ(pieces[i]->rot, rot);
        EXPECT_EQ(pieces[i]->frame, 16 + i);
        EXPECT_EQ(pieces[i]->xs, xs);
        EXPECT_EQ(pieces[i]->ys, ys);
        EXPECT_EQ(pieces[i]->x, 300.0f);
        EXPECT_EQ(pieces[i]->y, 200.0f);
        EXPECT_EQ(pieces[i]->smctr, 0);
    }

    particle_tag::create_em(300.0f, 200.0f, 2, 0);
    particle_tag::create_em(300.0f, 200.0f, 2, -3);
    EXPECT_EQ(particle_list.count(), 2);
}

TEST_F(DebrisTest, RisesSlowsAndFallsUnderGravity) {
    particle_tag& piece = add_piece(300.0f, 300.0f, 0.0f, -2.5f);
    float highest = 300.0f;
    int turned_on = 0;
    for (int update = 1; update <= 100; ++update) {
        const float y_before = piece.y;
        const float ys_before = piece.ys;
        particle_tag::update_all();
        highest = std::min(highest, piece.y);
        if (ys_before < 0 && piece.ys > 0) turned_on = update;
        if (update <= 84) {
            EXPECT_LT(piece.y, y_before) << update;
        } else {
            EXPECT_GT(piece.y, y_before) << update;
        }
    }
    EXPECT_EQ(turned_on, 84);
    EXPECT_NEAR(highest, 194.6f, 0.05f);
    EXPECT_EQ(particle_list.count(), 1);

    // From y 200 the same speed carries it out of the top of the box.
    particle_tag::destroy_all();
    particle_tag& high = add_piece(300.0f, 200.0f, 0.0f, -2.5f);
    int updates = 0;
    float last_ys = 0;
    while (!particle_list.empty() && updates < 200) {
        last_ys = high.ys;
        particle_tag::update_all();
        ++updates;
    }
    EXPECT_TRUE(particle_list.empty());
    EXPECT_LT(last_ys, 0.0f);
}

TEST_F(DebrisTest, DrawnOnceMoreWhereItLeavesTheBox) {
    add_piece(300.0f, 440.0f, 0.0f, 0.5f, 3);  // to 440.5: out
    add_piece(200.0f, 439.5f, 0.0f, 0.5f, 3);  // to 440.0: stays
    particle_tag::update_all();
    EXPECT_EQ(particle_list.count(), 1);
    EXPECT_EQ(pixel(300, 440), sprite_colour(3));
    EXPECT_EQ(only(particle_list)->y, 440.0f);

    // The sides of the box.
    clear_world();
    add_piece(81.0f, 300.0f, -1.5f, 0.0f);   // x 79.5: out
    add_piece(549.0f, 300.0f, 1.5f, 0.0f);   // x 550.5: out
    add_piece(81.0f, 300.0f, -1.0f, 0.0f);   // x 80.0: stays
    add_piece(549.0f, 300.0f, 1.0f, 0.0f);   // x 550.0: stays
    add_piece(300.0f, 100.5f, 0.0f, -1.0f);  // y 99.5: out
    particle_tag::update_all();
    EXPECT_EQ(particle_list.count(), 2);
    EXPECT_EQ(svc::get_rotation(), 0.0f);
}

TEST_F(DebrisTest, LaysAPuffEveryFifthUpdateEvenAsItLeaves) {
    particle_tag& piece = add_piece(300.0f, 200.0f, 1.0f, 0.0f);
    for (int update = 1; update <= 4; ++update) particle_tag::update_all();
    EXPECT_TRUE(smoke_list.empty());
    particle_tag::update_all();
    ASSERT_EQ(smoke_list.count(), 1);
    EXPECT_EQ(only(smoke_list)->x, piece.x);
    EXPECT_EQ(only(smoke_list)->y, piece.y);
    for (int update = 6; update <= 10; ++update) particle_tag::update_all();
    EXPECT_EQ(smoke_list.count(), 2);

    clear_world();
    // y: 430 + 2 + 2.03 + 2.06 + 2.09 + 2.12 > 440 on the fifth update.
    add_piece(300.0f, 430.0f, 0.0f, 2.0f);
    for (int update = 1; update <= 5; ++update) particle_tag::update_all();
    EXPECT_TRUE(particle_list.empty());
    ASSERT_EQ(smoke_list.count(), 1);
    EXPECT_GT(only(smoke_list)->y, 440.0f);
}

// ---------------------------------------------------------------- smoke

using SmokeTest = WorldTest;

TEST_F(SmokeTest, PuffGrowsTurnsAndLasts51UpdatesAtFullOpacity) {
    svc::seed_random(11);
    smoke_tag::create_it(300.0f, 200.0f);
    svc::seed_random(11);
    const int rot = static_cast<int>(svc::rnd(0.0, 360.0));
    const smoke_tag* puff = only(smoke_list);
    ASSERT_NE(puff, nullptr);
    EXPECT_EQ(puff->rot, rot);
    EXPECT_GE(puff->rot, 0);
    EXPECT_LE(puff->rot, 359);
    EXPECT_EQ(puff->alpha, 1.0f);
    EXPECT_EQ(puff->scale, 0.3f);

    float scale = 0.3f, last_drawn_scale = 0.0f;
    int updates = 0;
    while (!smoke_list.empty() && updates < 100) {
        EXPECT_EQ(puff->scale, scale);
        EXPECT_EQ(puff->rot, rot + 5 * updates);
        clear_screen();
        smoke_tag::update_all();
        // Opaque however much of its life is spent.
        EXPECT_EQ(pixel(300, 200), sprite_colour(20)) << updates;
        last_drawn_scale = scale;
        scale += 0.004f;
        ++updates;
    }
    EXPECT_EQ(updates, 51);
    EXPECT_NEAR(last_drawn_scale, 0.5f, 0.001f);
}

// ---------------------------------------------------------------- explosions

using ExplosionTest = WorldTest;

TEST_F(ExplosionTest, ShowsEachPictureFor25UpdatesAtItsScale) {
    explode_tag::create_it(300.0f, 200.0f, 1.5f);
    int updates = 0;
    while (!explode_list.empty() && updates < 200) {
        clear_screen();
        explode_tag::update_all();
        ++updates;
        EXPECT_EQ(pixel(300, 200), sprite_colour(22 + (updates - 1) / 25)) << updates;
        EXPECT_EQ(row_span(200).count, 72) << updates;
        // The scale is back to 1.0 after every update.
        clear_screen();
        svc::draw_image(sprite_frames, 300.0f, 200.0f, 0);
        EXPECT_EQ(row_span(200).count, 48) << updates;
    }
    EXPECT_EQ(updates, 100);
}

// ---------------------------------------------------------------- pops

using PopTest = WorldTest;

TEST_F(PopTest, FadesFromFullAlphaOver51Updates) {
    bpop_tag::create_it(300, 199.9f);
    const bpop_tag* pop = only(bpop_list);
    ASSERT_NE(pop, nullptr);
    EXPECT_EQ(pop->x, 300);
    EXPECT_EQ(pop->y, 199);

    std::vector<int> reds;
    float alpha = 1.0f;
    int updates = 0;
    while (!bpop_list.empty() && updates < 100) {
        EXPECT_EQ(pop->alpha, alpha);
        clear_screen();
        bpop_tag::update_all();
        reds.push_back(static_cast<int>(pixel(300, 199) >> 16));
        alpha -= 0.02f;
        ++updates;
    }
    EXPECT_EQ(updates, 51);
    const int full = static_cast<int>(sprite_colour(15) >> 16);
    EXPECT_EQ(reds.front(), full);
    for (size_t i = 1; i < reds.size(); ++i) EXPECT_LE(reds[i], reds[i - 1]);
    EXPECT_LE(reds.back(), 2);
}

// ---------------------------------------------------------------- points texts

using PointsTest = WorldTest;

TEST_F(PointsTest, TextShowsTheSignedAmount) {
    points_tag::create_it(250, 300, 45);
    points_tag::create_it(250, 300, -150);
    points_tag::create_it(250, 300, 0);
    points_tag::create_it(250, 300, -2147483647 - 1);
    std::vector<std::string> texts;
    points_list.for_each([&](const points_tag& p) { texts.push_back(p.amnt); });
    EXPECT_EQ(texts, (std::vector<std::string>{"+45", "-150", "-0", "-2147483648"}));
}

TEST_F(PointsTest, RisesToY100AndFadesThereOver250Updates) {
    points_tag::create_it(250, 300, 45);
    points_tag::create_it(250, 150, 45);
    points_tag::create_it(250, 101, 45);
    std::vector<const points_tag*> texts;
    points_list.for_each([&](const points_tag& p) { texts.push_back(&p); });

    points_tag::update_all();
    EXPECT_EQ(texts[0]->y, 298);
    EXPECT_EQ(texts[2]->y, 100);
    EXPECT_TRUE(anything_drawn());
    for (int update = 2; update <= 24; ++update) points_tag::update_all();
    EXPECT_EQ(texts[1]->y, 102);
    points_tag::update_all();
    EXPECT_EQ(texts[1]->y, 100);

    int updates = 25;
    while (!points_list.empty() && updates < 1000) {
        points_tag::update_all();
        ++updates;
        if (!points_list.empty()) {
            EXPECT_EQ(texts[1]->y, 100);
        }
    }
    EXPECT_EQ(updates, 250);
}

TEST_F(PointsTest, TextIsCentredOnItsPoint) {
    points_tag::create_it(320, 202, 45);
    points_tag::update_all();
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

using DestroyAllTest = WorldTest;

TEST_F(DestroyAllTest, EachKindEmptiesOnlyItself) {
    const auto fill = [] {
        explode_tag::create_it(300.0f, 200.0f, 1.0f);
        bpop_tag::create_it(300, 200.0f);
        points_tag::create_it(300, 200, 15);
        particle_tag::create_em(300.0f, 200.0f, 16, 2);
        smoke_tag::create_it(300.0f, 200.0f);
        enemies_per_stage = 2;
        ebplane_tag::create_em();
        balloons_per_stage = 2;
        balloon_tag::create_em();
    };
    const auto counts = [] {
        return std::vector<int>{explode_list.count(),  bpop_list.count(),  points_list.count(),
                                particle_list.count(), smoke_list.count(), ebplane_list.count(),
                                balloon_list.count()};
    };
    const std::vector<void (*)()> destroyers = {explode_tag::destroy_all, bpop_tag::destroy_all,
                                                points_tag::destroy_all,  particle_tag::destroy_all,
                                                smoke_tag::destroy_all,   ebplane_tag::destroy_all,
                                                balloon_tag::destroy_all};
    const std::vector<int> full = {1, 1, 1, 2, 1, 2, 2};
    for (size_t kind = 0; kind < destroyers.size(); ++kind) {
        SCOPED_TRACE(kind);
        clear_world();
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
