// The monkey pilot plays the real game through the harness for many frames;
// every frame is checked against what must always hold. The length comes from
// SCRIBBLE_SOAK_FRAMES (scripts/soak runs a million frames under AddressSanitizer
// and UndefinedBehaviorSanitizer); by default each test is a short soak for CI.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "headless/harness.h"
#include "monkey/monkey.h"
#include "services/input.h"
#include "support/scratch_dir.h"
#include "world/world.h"

#if defined(__SANITIZE_ADDRESS__)
#include <cstddef>
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#else
#include <malloc.h>
#endif

namespace {

// Bytes the heap holds now.
std::int64_t heap_in_use() {
#if defined(__SANITIZE_ADDRESS__)
    return static_cast<std::int64_t>(__sanitizer_get_current_allocated_bytes());
#else
    return static_cast<std::int64_t>(mallinfo2().uordblks);
#endif
}

int soak_frames(int fallback) {
    const char* text = std::getenv("SCRIBBLE_SOAK_FRAMES");
    return text ? std::atoi(text) : fallback;
}

int listed_instances(const World& world) {
    int instances = 0;
    world.for_each_list([&](const char*, const auto& list) { instances += list.count(); });
    return instances;
}

// What a soak saw, and the first broken rule (empty when none).
struct SoakResult {
    int frames = 0;
    int runs = 0;
    int stage_frames = 0;
    int deaths = 0;
    int games_over = 0;
    int longest_death = 0;
    int max_instances = 0;
    std::int64_t heap_growth = 0;  // beyond what the lists hold, after warm-up
    std::string broken;
};

class InvariantChecker {
  public:
    explicit InvariantChecker(int warm_up) : warm_up_(warm_up) {}

    void check(const World& world, int frame, SoakResult& result) {
        if (!result.broken.empty()) return;
        const Player& player = world.player;
        const GameState state = world.flow.state;
        // The logo splash comes before the game has any state of its own.
        started_ = started_ || state != GameState::kStartingUp;
        if (!started_) return;
        const int instances = listed_instances(world);
        result.max_instances = std::max(result.max_instances, instances);
        if (player.score < 0) fail(world, frame, "score below 0", result);
        // A frame seen in state 2 right after a death ran the death sequence's
        // last step, not a stage step; points scored while dying wait for the
        // next stage step to reach the best.
        const bool stage_step = state == GameState::kStage && previous_state_ == GameState::kStage;
        if (stage_step && player.best_score < player.score) {
            fail(world, frame, "best below the score in a stage frame", result);
        }
        if (player.lives < 0 || player.lives > 3)
            fail(world, frame, "lives outside 0 to 3", result);
        const int state_number = static_cast<int>(state);
        if (state_number < 2 || state_number > 6) {
            fail(world, frame, "game_state outside 2 to 6", result);
        }
        world.for_each_list([&](const char* name, const auto& list) {
            if (list.count() < 0)
                fail(world, frame, std::string("a count below 0: ") + name, result);
        });
        if (state == GameState::kStage) ++result.stage_frames;
        check_death_length(world, frame, result);
        if (state == GameState::kGameOver && previous_state_ != GameState::kGameOver) {
            ++result.games_over;
        }
        previous_state_ = state;
        check_memory(world, frame, instances, result);
    }

    // A new run starts with the logo splash again.
    void new_run() {
        started_ = false;
        dying_frames_ = 0;
        previous_state_ = GameState::kStartingUp;
    }

  private:
    // Heap not accounted for by the lists' instances: at most this much per instance.
    static constexpr std::int64_t kBytesPerInstance = 1024;
    static constexpr std::int64_t kSlack = 4 << 20;

    void check_death_length(const World& world, int frame, SoakResult& result) {
        if (world.flow.state == GameState::kDying) {
            if (dying_frames_++ == 0) ++result.deaths;
            result.longest_death = std::max(result.longest_death, dying_frames_);
            if (dying_frames_ > 250) {
                fail(world, frame, "a death sequence longer than 250 frames", result);
            }
        } else {
            dying_frames_ = 0;
        }
    }

    void check_memory(const World& world, int frame, int instances, SoakResult& result) {
        const std::int64_t unexplained = heap_in_use() - kBytesPerInstance * instances;
        if (frame == warm_up_) baseline_ = unexplained;
        if (frame <= warm_up_) return;
        result.heap_growth = std::max(result.heap_growth, unexplained - baseline_);
        if (unexplained - baseline_ > kSlack) fail(world, frame, "the heap keeps growing", result);
    }

    static void fail(const World& world, int frame, const std::string& what, SoakResult& result) {
        if (!result.broken.empty()) return;
        const Player& player = world.player;
        std::ostringstream text;
        text << "frame " << frame << ": " << what << " (state "
             << static_cast<int>(world.flow.state) << ", score " << player.score << ", best "
             << player.best_score << ", lives " << player.lives << ")";
        result.broken = text.str();
    }

    int warm_up_;
    bool started_ = false;
    int dying_frames_ = 0;
    GameState previous_state_ = GameState::kStartingUp;
    std::int64_t baseline_ = 0;
};

// Plays `frames` frames from `seed`. The monkey keeps clear of "Quit", but a
// run that ends early anyway is followed by another until the frames are done.
SoakResult soak(std::uint32_t seed, int frames) {
    test_support::GameWorkingDir dir;
    monkey::Monkey pilot(seed);
    InvariantChecker checker(std::min(frames / 10, 20'000));
    SoakResult result;
    while (result.frames < frames && result.broken.empty()) {
        harness::Options options;
        options.seed = static_cast<int>(seed) + result.runs;
        options.frames = frames - result.frames;
        options.input_script = pilot.timed_script(*options.frames);
        ++result.runs;
        const int before = result.frames;
        checker.new_run();
        harness::run(options, [&](const harness::FlipInfo& info) {
            checker.check(*info.world, ++result.frames, result);
            if (result.frames % 100'000 == 0) {
                std::printf("soak seed %u: %d frames, %s\n", seed, result.frames,
                            result.broken.empty() ? "all well" : result.broken.c_str());
                std::fflush(stdout);
            }
            pilot.act(svc::input_state(), info.world->flow.state);
        });
        if (result.frames == before) {
            result.broken = "a run showed no frame";
        }
    }
    return result;
}

void expect_clean_soak(std::uint32_t seed, int default_frames) {
    const int frames = soak_frames(default_frames);
    const SoakResult result = soak(seed, frames);
    EXPECT_EQ(result.broken, "");
    EXPECT_EQ(result.frames, frames);
    EXPECT_GT(result.stage_frames, frames / 4) << "the monkey hardly played";
    std::printf(
        "soak seed %u: %d frames in %d run(s), %d stage frames, %d deaths (longest %d frames), "
        "%d games over, at most %d listed instances, heap growth beyond the lists %lld bytes\n",
        seed, result.frames, result.runs, result.stage_frames, result.deaths, result.longest_death,
        result.games_over, result.max_instances, static_cast<long long>(result.heap_growth));
}

TEST(Soak, MonkeyPilotFirstSeedKeepsEveryInvariant) {
    expect_clean_soak(1, 25'000);
}
TEST(Soak, MonkeyPilotSecondSeedKeepsEveryInvariant) {
    expect_clean_soak(2024, 25'000);
}

}  // namespace
