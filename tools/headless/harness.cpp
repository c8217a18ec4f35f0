#include "headless/harness.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string_view>

#include "services/audio/sound.h"
#include "services/backends/headless/headless_platform.h"
#include "services/input.h"
#include "services/input_script.h"
#include "services/platform.h"
#include "services/rendering/graphics.h"
#include "services/timing.h"
#include "shell/demos.h"
#include "shell/game_run.h"
#include "shell/safe_save.h"

namespace harness {
namespace {

using svc::ScriptEvent;

// A game that shows no frame for this long (virtual time) is stuck.
constexpr int kMaxMsWithoutFrame = 10 * 60 * 1000;
// A suspended game with nothing scheduled to wake it (a focus gained or a close)
// would wait for ever.
constexpr int kSuspendedGraceMs = 1000;
// The virtual clock counts milliseconds in an int: a run stops well before it
// would wrap, after 23 days of virtual time.
constexpr int kLastMs = 2'000'000'000;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Applies the script's events at their flips and times, releases taps one
// flip later, and makes the close request of --frames.
class Scheduler {
  public:
    Scheduler(std::vector<ScriptEvent> events, std::optional<int> close_after)
        : close_after_(close_after) {
        for (ScriptEvent& e : events) {
            (e.timing == ScriptEvent::Timing::kAtMs ? timed_ : by_flip_).push_back(e);
        }
        // Events of one moment keep their script order.
        auto by_when = [](const ScriptEvent& a, const ScriptEvent& b) { return a.when < b.when; };
        std::stable_sort(by_flip_.begin(), by_flip_.end(), by_when);
        std::stable_sort(timed_.begin(), timed_.end(), by_when);
    }

    // The moment before the first flip (flip 0, and the clock's start).
    void start(svc::InputState& input) {
        if (started_) return;
        started_ = true;
        apply_flip_events(0, input);
        if (close_after_ == 0) input.request_close();
    }

    void on_clock(int ms, svc::InputState& input) {
        start(input);
        while (next_timed_ < timed_.size() && timed_[next_timed_].when <= ms) {
            apply(timed_[next_timed_++], input);
        }
    }

    void after_flip(int flip, int ms, svc::InputState& input) {
        start(input);
        on_clock(ms, input);
        std::vector<ScriptEvent> releases;
        releases.swap(pending_releases_);
        for (const ScriptEvent& e : releases) svc::release_tap(e, input);
        apply_flip_events(flip, input);
        if (close_after_ == flip) input.request_close();
    }

    bool timed_events_pending() const { return next_timed_ < timed_.size(); }

  private:
    void apply_flip_events(int flip, svc::InputState& input) {
        while (next_by_flip_ < by_flip_.size() && by_flip_[next_by_flip_].when <= flip) {
            apply(by_flip_[next_by_flip_++], input);
        }
    }

    void apply(ScriptEvent e, svc::InputState& input) {
        // The pointer stays on the screen, as a window's does.
        if (e.kind == ScriptEvent::Kind::kMouseMove && svc::graphics_width() > 0) {
            e.x = std::clamp(e.x, 0, svc::graphics_width() - 1);
            e.y = std::clamp(e.y, 0, svc::graphics_height() - 1);
        }
        svc::apply_event(e, input);
        if (e.action == ScriptEvent::Action::kTap) pending_releases_.push_back(e);
    }

    std::optional<int> close_after_;
    std::vector<ScriptEvent> by_flip_, timed_;
    std::size_t next_by_flip_ = 0, next_timed_ = 0;
    std::vector<ScriptEvent> pending_releases_;
    bool started_ = false;
};

int joysticks_used(const std::vector<ScriptEvent>& events) {
    int count = 0;
    for (const ScriptEvent& e : events) {
        if (e.kind == ScriptEvent::Kind::kJoyAxis || e.kind == ScriptEvent::Kind::kJoyButton) {
            count = std::max(count, e.port + 1);
        }
    }
    return count;
}

File open_for_writing(const std::string& path, const char* what) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) throw Error("cannot write the " + std::string(what) + " " + path);
    return file;
}

void check_options(const Options& options) {
    if (options.frames && *options.frames < 0) throw Error("--frames must be 0 or more");
    if (options.scale < 1 || options.scale > 4) throw Error("--scale takes 1 to 4");
    if (options.demo && (!options.input_script.empty() || options.frames)) {
        throw Error("a demo's replay takes its input and its length from the demo, not a script");
    }
    if (options.demo && !options.record_path.empty()) {
        throw Error("a replay is not recorded again");
    }
    for (const auto& [flip, path] : options.shots) {
        if (flip < 1) throw Error("a shot's flip must be 1 or more (flip 1 is the first frame)");
        if (path.empty()) throw Error("a shot needs a file name");
    }
}

// What the demos of one run record and replay, and what came of it.
struct DemoRun {
    DemoRun(std::string record_to, std::optional<Demo> demo) : record_path(std::move(record_to)) {
        if (!record_path.empty()) {
            settings.record_first_game_only = true;
            // A demo that cannot be written is told after the run, whose exit
            // path still saves the best score.
            settings.on_recorded = [this](const std::string& text, bool) {
                record_failure = save_file_safely(record_path, text);
                recorded = true;
            };
        }
        if (demo) {
            demo_frames = demo->frames;
            settings.playback = std::move(demo);
            settings.quit_after_playback = true;
            settings.on_played = [this](const PlaybackEnd& end) { played = end; };
        }
    }
    DemoRun(const DemoRun&) = delete;  // its settings' functions point at it
    DemoRun& operator=(const DemoRun&) = delete;

    // The run's status once the demos have had their say.
    int status(int game_status) const {
        if (!record_failure.empty()) {
            std::fprintf(stderr, "scribble-headless: cannot write the demo %s: %s\n",
                         record_path.c_str(), record_failure.c_str());
            return 1;
        }
        if (!record_path.empty() && !recorded) {
            std::fprintf(stderr, "scribble-headless: no game was started; %s not written\n",
                         record_path.c_str());
            return 1;
        }
        if (!demo_frames) return game_status;
        switch (played.kind) {
            case PlaybackEnd::Kind::kAsRecorded:
                return game_status;
            case PlaybackEnd::Kind::kUnfinished:
                std::fprintf(stderr,
                             "scribble-headless: the run ended at frame %d, before the demo's "
                             "last frame %d\n",
                             played.frame, *demo_frames);
                return 1;
            default:
                std::fprintf(stderr, "scribble-headless: demo drifts at frame %d\n", played.frame);
                return 1;
        }
    }

    std::string record_path;
    DemoSettings settings;
    bool recorded = false;
    std::string record_failure;
    std::optional<int> demo_frames;
    PlaybackEnd played;
};

}  // namespace

int run(Options options, std::function<void(const FlipInfo&)> observer) {
    check_options(options);
    svc::ParsedScript script = svc::parse_script(options.input_script);
    if (!script.ok()) throw Error("input script, " + script.error);

    File trace;
    if (!options.trace_path.empty()) trace = open_for_writing(options.trace_path, "trace");

    svc::HeadlessPlatform platform;
    platform.set_keep_last_frame(false);
    platform.set_frame_scale(options.scale);
    platform.set_audio_capture(!options.audio_path.empty());
    platform.set_joystick_count(joysticks_used(script.events));
    Scheduler scheduler(std::move(script.events), options.frames);
    int last_flip_ms = 0;
    DemoRun demos(std::move(options.record_path), std::move(options.demo));
    // Ended before the sound and the missing shots are written, as the audio
    // output closes with it.
    std::optional<GameRun> game(std::in_place, platform, options.seed, std::move(demos.settings));

    platform.set_clock_hook([&](int ms) {
        svc::InputState& input = svc::input_state();
        scheduler.on_clock(ms, input);
        if (ms > kLastMs) throw Error("the virtual clock ran to its end, 23 days");
        // A demo's input still to come, or its playback, ends whatever the game waits for.
        if (game->demos().input_ahead()) return;
        const int idle = ms - last_flip_ms;
        if (idle > kSuspendedGraceMs && input.app_suspended() && !input.close_pending() &&
            !scheduler.timed_events_pending()) {
            throw Error("the game is suspended and no later '@MS focus gained' can wake it");
        }
        if (idle > kMaxMsWithoutFrame) {
            throw Error("the game showed no frame for " + std::to_string(idle) + " ms");
        }
    });
    platform.set_flip_hook([&](int flip) {
        svc::InputState& input = svc::input_state();
        const int ms = platform.milliseconds();
        last_flip_ms = ms;
        FlipInfo info{flip,
                      ms,
                      platform.current_frame(),
                      platform.width(),
                      platform.height(),
                      &platform,
                      &game->world(),
                      svc::take_started_sounds()};
        if (trace) {
            const std::string line =
                trace_line(game->world(), flip, ms, info.sounds, options.trace_entities) + "\n";
            if (std::fputs(line.c_str(), trace.get()) < 0 || std::fflush(trace.get()) != 0) {
                throw Error("cannot write the trace " + options.trace_path);
            }
        }
        for (const auto& [shot_flip, path] : options.shots) {
            if (shot_flip == flip) write_png(path, info.pixels, info.width, info.height);
        }
        if (observer) observer(info);
        scheduler.after_flip(flip, ms, input);
    });

    const int game_status = game->play();
    game.reset();
    const int status = demos.status(game_status);
    if (!options.audio_path.empty()) {
        write_wav(options.audio_path, platform.captured_audio(),
                  svc::HeadlessPlatform::kSampleRate);
    }
    for (const auto& [flip, path] : options.shots) {
        if (flip > platform.flips()) {
            std::fprintf(stderr, "scribble-headless: the run ended after flip %d; %s not written\n",
                         platform.flips(), path.c_str());
        }
    }
    return status;
}

}  // namespace harness
