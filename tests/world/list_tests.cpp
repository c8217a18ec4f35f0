// The walking rules every entity list keeps: append order, removal of the
// instance being walked, removal of other lists' instances, and the deferred
// freeing that lets an instance finish the update in which it was removed.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "world/entity_list.h"

namespace {

int live_probes = 0;

struct Probe {
    explicit Probe(int id_) : id(id_) { ++live_probes; }
    ~Probe() {
        --live_probes;
        id = -999;  // a use after free shows as a wrong id (and under ASan as an error)
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;
    int id;
    int updates = 0;
};

class EntityListTest : public ::testing::Test {
  protected:
    void SetUp() override { live_probes = 0; }
    void TearDown() override {
        a.enumerate([this](Probe& p) { a.remove(p); });
        b.enumerate([this](Probe& p) { b.remove(p); });
        EXPECT_EQ(live_probes, 0) << "instances leaked";
    }
    static void fill(EntityList<Probe>& list, std::initializer_list<int> ids) {
        for (int id : ids) list.add_last(std::make_unique<Probe>(id));
    }
    static std::vector<int> ids_of(EntityList<Probe>& list) {
        std::vector<int> ids;
        list.for_each([&](const Probe& p) { ids.push_back(p.id); });
        return ids;
    }
    EntityList<Probe> a;
    EntityList<Probe> b;
};

TEST_F(EntityListTest, WalksInAppendOrderAndReachesInstancesAppendedDuringTheWalk) {
    fill(a, {1, 2, 3});
    std::vector<int> walked;
    a.enumerate([&](Probe& p) {
        walked.push_back(p.id);
        if (p.id == 2) a.add_last(std::make_unique<Probe>(4));
    });
    EXPECT_EQ(walked, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(ids_of(a), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(a.count(), 4);
    EXPECT_EQ(a.first()->id, 1);
}

TEST_F(EntityListTest, RemovingTheCurrentInstanceKeepsTheWalkGoing) {
    fill(a, {1, 2, 3, 4, 5});
    std::vector<int> walked;
    a.enumerate([&](Probe& p) {
        walked.push_back(p.id);
        if (p.id % 2 == 0) a.remove(p);
    });
    EXPECT_EQ(walked, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(ids_of(a), (std::vector<int>{1, 3, 5}));
    EXPECT_EQ(a.count(), 3);
    EXPECT_EQ(live_probes, 3) << "removed instances are freed once the walk is over";
}

TEST_F(EntityListTest, RemovingAllDuringAWalkEndsItAndFreesOnlyAfterIt) {
    fill(a, {1, 2, 3});
    std::vector<int> walked;
    a.enumerate([&](Probe& p) {
        walked.push_back(p.id);
        a.remove_all();
        EXPECT_EQ(live_probes, 3);
        EXPECT_EQ(p.id, 1);
    });
    EXPECT_EQ(walked, std::vector<int>{1});
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(live_probes, 0);
    fill(a, {4});
    a.remove_all();
    EXPECT_EQ(live_probes, 0);
}

TEST_F(EntityListTest, AnInstanceRemovedDuringItsOwnUpdateFinishesIt) {
    fill(a, {1, 2});
    a.enumerate([&](Probe& p) {
        a.remove(p);
        // Still alive for the rest of its update, though no longer in the list.
        EXPECT_EQ(live_probes, 2);
        p.updates += 1;
        EXPECT_GT(p.id, 0);
        EXPECT_EQ(p.updates, 1);
        a.for_each([&](const Probe& other) { EXPECT_NE(&other, &p); });
    });
    EXPECT_TRUE(a.empty());
    EXPECT_EQ(a.first(), nullptr);
    EXPECT_EQ(live_probes, 0);
}

TEST_F(EntityListTest, RemovingInstancesOfAnotherListDuringAWalk) {
    fill(a, {1, 2, 3});
    fill(b, {10, 20, 30});
    Probe* third = nullptr;
    a.enumerate([&](Probe& p) {
        if (p.id == 3) third = &p;
    });
    std::vector<int> walked;
    a.enumerate([&](Probe& p) {
        walked.push_back(p.id);
        // Like an enemy removing the shot that hit it: b is not being walked,
        // so the shot goes at once.
        if (p.id == 2) {
            Probe* shot = nullptr;
            b.enumerate([&](Probe& s) {
                if (s.id == 20) shot = &s;
            });
            ASSERT_NE(shot, nullptr);
            b.remove(*shot);
            // A nested walk of b removing an instance of a (which is being
            // walked) defers its freeing; the walk of a skips it.
            b.enumerate([&](Probe& s) {
                if (s.id == 30) a.remove(*third);
            });
        }
    });
    EXPECT_EQ(walked, (std::vector<int>{1, 2}));
    EXPECT_EQ(ids_of(a), (std::vector<int>{1, 2}));
    EXPECT_EQ(ids_of(b), (std::vector<int>{10, 30}));
    EXPECT_EQ(live_probes, 4);
}

TEST_F(EntityListTest, RemovingTwiceOrRemovingAStrangerDoesNothing) {
    fill(a, {1, 2});
    fill(b, {7});
    a.enumerate([&](Probe& p) {
        a.remove(p);
        a.remove(p);  // a second hit on the same instance in the same walk
    });
    EXPECT_EQ(a.count(), 0);
    b.remove(*b.first());
    EXPECT_EQ(live_probes, 0);
    Probe stranger(99);
    a.remove(stranger);
    fill(a, {3});
    a.remove(stranger);
    EXPECT_EQ(ids_of(a), (std::vector<int>{3}));
}

TEST_F(EntityListTest, NestedWalksOfTheSameListFreeOnlyAfterTheOuterWalk) {
    fill(a, {1, 2, 3});
    std::vector<int> outer;
    a.enumerate([&](Probe& p) {
        outer.push_back(p.id);
        if (p.id == 1) {
            a.enumerate([&](Probe& q) {
                if (q.id == 2) a.remove(q);
            });
            EXPECT_EQ(live_probes, 3);
        }
    });
    EXPECT_EQ(outer, (std::vector<int>{1, 3}));
    EXPECT_EQ(live_probes, 2);
}

}  // namespace
