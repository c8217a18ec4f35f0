#include <gtest/gtest.h>

#include <climits>
#include <set>
#include <vector>

#include "services/timing.h"

namespace {

TEST(Rand, CoversTheInclusiveRangeWhicheverWayRoundTheBoundsCome) {
    svc::seed_random(1);
    std::set<int> forward, backward;
    for (int i = 0; i < 2000; ++i) {
        forward.insert(svc::random_int(1, 3));
        backward.insert(svc::random_int(3, 1));
    }
    EXPECT_EQ(forward, (std::set<int>{1, 2, 3}));
    EXPECT_EQ(backward, (std::set<int>{1, 2, 3}));
    EXPECT_EQ(svc::random_int(5, 5), 5);
    std::set<int> negative;
    for (int i = 0; i < 2000; ++i) negative.insert(svc::random_int(-2, 1));
    EXPECT_EQ(negative, (std::set<int>{-2, -1, 0, 1}));
}

TEST(Rand, TheWidestRangeStaysInsideItsBounds) {
    svc::seed_random(2);
    bool negative = false, positive = false;
    for (int i = 0; i < 1000; ++i) {
        const int value = svc::random_int(INT_MIN, INT_MAX);
        negative = negative || value < 0;
        positive = positive || value > 0;
        const int swapped = svc::random_int(INT_MAX, INT_MIN);
        (void)swapped;  // any int is in range; the point is no overflow trap
    }
    EXPECT_TRUE(negative && positive);
}

TEST(RandomReal, StaysInTheHalfOpenRangeOfTheTwoBounds) {
    svc::seed_random(3);
    double low = 10, high = -10;
    for (int i = 0; i < 20000; ++i) {
        const double a = svc::random_real(2.0, 5.0);
        const double b = svc::random_real(5.0, 2.0);
        ASSERT_GE(a, 2.0);
        ASSERT_LT(a, 5.0);
        ASSERT_GE(b, 2.0);
        ASSERT_LT(b, 5.0);
        low = std::min({low, a, b});
        high = std::max({high, a, b});
    }
    EXPECT_LT(low, 2.01);
    EXPECT_GT(high, 4.99);
    EXPECT_EQ(svc::random_real(7.0, 7.0), 7.0);
}

TEST(RandomReal, IsRoughlyUniform) {
    svc::seed_random(4);
    std::vector<int> buckets(10);
    const int draws = 100000;
    for (int i = 0; i < draws; ++i) ++buckets[static_cast<int>(svc::random_real(0.0, 10.0))];
    for (int count : buckets) EXPECT_NEAR(count, draws / 10, draws / 100);
}

std::vector<double> draws(int count) {
    std::vector<double> out;
    for (int i = 0; i < count; ++i) out.push_back(svc::random_real(0.0, 1.0));
    return out;
}

TEST(Seeding, ASeedGivesItsOwnRepeatableSequence) {
    svc::seed_random(1234);
    const auto first = draws(10);
    svc::seed_random(1234);
    EXPECT_EQ(draws(10), first);
    svc::seed_random(1235);
    EXPECT_NE(draws(10), first);
}

TEST(Seeding, ARestoredStateDrawsTheSameNumbersAgainAndZeroIsRefused) {
    svc::seed_random(77);
    draws(3);
    const std::uint64_t state = svc::random_state();
    const auto next = draws(10);
    EXPECT_TRUE(svc::restore_random_state(state));
    EXPECT_EQ(draws(10), next);
    EXPECT_FALSE(svc::restore_random_state(0));
    EXPECT_NE(svc::random_state(), 0u);
}

TEST(Seeding, AForcedSeedReplacesTheOnePassedUntilLifted) {
    svc::seed_random(42);
    const auto forty_two = draws(5);
    svc::force_random_seed(42);
    svc::seed_random(999);
    EXPECT_EQ(draws(5), forty_two);
    svc::force_random_seed(std::nullopt);
    svc::seed_random(999);
    EXPECT_NE(draws(5), forty_two);
}

}  // namespace
