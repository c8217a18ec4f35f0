#include "shell/demos.h"

#include <bit>
#include <iostream>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "services/audio/sound.h"
#include "services/input.h"
#include "services/input_script.h"
#include "services/platform.h"
#include "services/timing.h"
#include "shell/menus.h"
#include "shell/safe_save.h"
#include "world/world.h"

namespace {

constexpr const char* kLastDemo = "data/demos/last.demo";
constexpr const char* kBestDemo = "data/demos/best.demo";
// What the last check line and the end line may take of a demo's text.
constexpr std::size_t kRoomForTheEnd = 128;

// --- The check hash ----------------------------------------------------------------

// FNV-1a, 32 bits, over 32-bit words; floats by their bits.
class CheckHash {
  public:
    void add(std::uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            hash_ ^= (value >> (8 * i)) & 0xFFu;
            hash_ *= 16777619u;
        }
    }
    void add(int value) { add(static_cast<std::uint32_t>(value)); }
    void add(float value) { add(std::bit_cast<std::uint32_t>(value)); }
    template <typename Entity>
    void add_positions(const EntityList<Entity>& list) {
        list.for_each([&](const Entity& entity) {
            add(entity.x);
            add(entity.y);
        });
    }
    std::uint32_t value() const { return hash_; }

  private:
    std::uint32_t hash_ = 2166136261u;
};

// --- Recording -----------------------------------------------------------------------

class Recorder final : public svc::InputObserver {
  public:
    Recorder(World& world, std::function<void(const std::string&, bool)> on_recorded,
             bool first_game_only)
        : world_(world), on_recorded_(std::move(on_recorded)), first_game_only_(first_game_only) {}

    void on_event(const svc::InputEvent& event) override {
        if (recording_) pending_.push_back(event);
    }

    void start_game() {
        // The game before left for the title and this one started within the
        // same frame (Escape in the pause menu and a press that chose "Start
        // Game"): it has ended all the same, and is kept before this one begins.
        end_game();
        if (finished_for_good_) return;
        demo_ = Demo{};
        demo_.start = {this_game_version(), svc::random_state(), world_.sounds.volumes,
                       world_.player.best_score, svc::input_state().lasting()};
        pending_.clear();
        text_bytes_ = format_demo(demo_).size();
        recording_ = true;
    }

    // The events written since the previous intake are what this one took in.
    void intake(svc::Intake intake) {
        if (!recording_ || pending_.empty()) return;
        DemoBatch batch{demo_.frames, intake == svc::Intake::kAfterDelay, {}};
        std::size_t bytes = batch.wait ? 6 + std::to_string(batch.frame).size() : 0;
        for (const svc::InputEvent& event : std::exchange(pending_, {})) {
            if (auto script = svc::script_event(event, batch.frame)) {
                batch.events.push_back(*script);
                bytes += svc::format_script_line(*script).size() + 1;
            }
        }
        if (batch.events.empty()) return;
        // The demo ends with the frame shown rather than outgrow what a demo may hold.
        if (text_bytes_ + bytes + kRoomForTheEnd > kDemoMaxBytes) return finish();
        text_bytes_ += bytes;
        demo_.input.add(batch);
    }

    void frame_shown() {
        if (!recording_) return;
        ++demo_.frames;
        const Player& plane = world_.player;
        shown_ = {demo_check_hash(world_, demo_.version), plane.score, plane.level, plane.new_best};
        if (demo_.frames % kDemoCheckEvery == 0) add_check();
        // Game over, "Quit This Game" and Escape from the pause menu all end at
        // the title; a game as long as the longest demo ends its demo there.
        if (world_.flow.state == GameState::kTitle || demo_.frames == kDemoMaxFrames) finish();
    }

    // The program is closing: the game in progress ends with the last frame shown.
    void run_ending() { end_game(); }

  private:
    // What the demo's end holds of the last frame shown: whatever the rest of
    // that frame changed (Escape from the pause menu, say) came after it.
    struct Shown {
        std::uint32_t hash = 0;
        int score = 0;
        int stage = 0;
        bool new_best = false;
    };

    void end_game() {
        if (recording_ && demo_.frames > 0) finish();
        recording_ = false;
    }

    void add_check() {
        demo_.checks.push_back({demo_.frames, shown_.hash});
        text_bytes_ += 16 + std::to_string(demo_.frames).size();  // "check F HHHHHHHH"
    }

    void finish() {
        recording_ = false;
        pending_.clear();
        if (demo_.checks.empty() || demo_.checks.back().frame != demo_.frames) add_check();
        // Whatever a wait took in after the last frame shown cannot change it.
        demo_.input.drop_from(demo_.frames);
        demo_.score = shown_.score;
        demo_.stage = shown_.stage;
        finished_for_good_ = first_game_only_;
        if (on_recorded_) on_recorded_(format_demo(demo_), shown_.new_best);
    }

    World& world_;
    std::function<void(const std::string&, bool)> on_recorded_;
    bool first_game_only_;
    bool finished_for_good_ = false;
    bool recording_ = false;
    Demo demo_;
    Shown shown_;
    std::size_t text_bytes_ = 0;  // of the demo's text so far
    std::vector<svc::InputEvent> pending_;
};

// --- Playback --------------------------------------------------------------------------

class Playback {
  public:
    Playback(World& world, Demo demo, bool quit_after,
             std::function<void(const PlaybackEnd&)> on_played)
        : world_(world),
          demo_(std::move(demo)),
          batches_(demo_.input),
          quit_after_(quit_after),
          on_played_(std::move(on_played)) {}
    Playback(const Playback&) = delete;  // the cursor points into demo_
    Playback& operator=(const Playback&) = delete;

    bool active() const { return stage_ != Stage::kOver; }
    bool starting() const { return stage_ == Stage::kStarting; }
    bool input_ahead() const { return stage_ == Stage::kPlaying && !batches_.at_end(); }

    // The watcher's own events go to a state of their own; the game gets the demo's.
    void take_in(svc::InputState& input, svc::Intake intake) {
        svc::platform().pump_events(watcher_);
        if (watcher_.close_requested()) {
            watcher_closed_ = true;
            input.request_close();
        }
        if (watcher_.key_hit(svc::vk::kEscape) != 0 && stage_ == Stage::kPlaying)
            stop_asked_ = true;
        switch (stage_) {
            case Stage::kToTitle:
                go_to_title(input);
                break;
            case Stage::kStarting:
                drift(0);  // the click did not start the game
                break;
            case Stage::kPlaying:
                play_intake(input, intake);
                break;
            case Stage::kOver:
                break;
        }
    }

    // "Start Game" acted on: the game starts from the recorded state.
    void new_game() {
        svc::restore_random_state(demo_.start.random_state);
        svc::input_state().restore(demo_.start.input);
        stage_ = Stage::kPlaying;
    }

    void frame_shown() {
        if (stage_ == Stage::kStarting && drift_frame_) return end(PlaybackEnd::Kind::kDrifted);
        if (stage_ != Stage::kPlaying) return;
        ++frame_;
        if (drift_frame_) return end(PlaybackEnd::Kind::kDrifted);
        if (stop_asked_ || watcher_closed_) return end(PlaybackEnd::Kind::kStopped);
        if (next_check_ < demo_.checks.size() && demo_.checks[next_check_].frame == frame_) {
            if (demo_.checks[next_check_++].hash != demo_check_hash(world_, demo_.version))
                return drift_now();
        }
        if (frame_ < demo_.frames && world_.flow.state == GameState::kTitle) return drift_now();
        if (frame_ < demo_.frames) return;
        const bool as_recorded =
            world_.player.score == demo_.score && world_.player.level == demo_.stage;
        if (!as_recorded) return drift_now();
        end(PlaybackEnd::Kind::kAsRecorded);
    }

    void run_ending() {
        if (active())
            end(watcher_closed_ ? PlaybackEnd::Kind::kStopped : PlaybackEnd::Kind::kUnfinished);
    }

    // The recorded game never ended the program before its last frame: a quit
    // that the demo's input asked for (a close, "Exit Game", Escape at the
    // title) is where the replay left it. Only the watcher ends the program.
    void hold_quit() {
        if (!world_.flow.quit_requested || watcher_closed_ || stage_ == Stage::kToTitle) return;
        drift(stage_ == Stage::kStarting ? 0 : frame_);
        end(PlaybackEnd::Kind::kDrifted);
    }

  private:
    enum class Stage { kToTitle, kStarting, kPlaying, kOver };

    // Skips the splash, then clicks "Start Game" with the recorded state in place.
    void go_to_title(svc::InputState& input) {
        if (world_.flow.state == GameState::kStartingUp) {
            input.key_event(svc::vk::kEscape, true, false);
            input.key_event(svc::vk::kEscape, false, false);
            return;
        }
        if (world_.flow.state != GameState::kTitle) return;
        real_best_ = world_.player.best_score;
        watchers_volumes_ = world_.sounds.volumes;
        world_.sounds.volumes = demo_.start.volumes;
        world_.player.best_score = demo_.start.best_score;
        svc::LastingInput at_rest;
        at_rest.mouse_x = demo_.start.input.mouse_x;
        at_rest.mouse_y = demo_.start.input.mouse_y;
        input.restore(at_rest);
        input.mouse_button(1, true);
        input.mouse_button(1, false);
        stage_ = Stage::kStarting;
    }

    void play_intake(svc::InputState& input, svc::Intake intake) {
        const bool wait = intake == svc::Intake::kAfterDelay;
        if (!wait) empty_polls_ = 0;  // each frame's waits are counted afresh
        if (!batches_.at_end()) {
            // A batch left behind: the recorded game waited where this one did not.
            if (batches_.frame() < frame_) return drift(frame_);
            if (batches_.frame() == frame_ && batches_.wait() == wait) {
                empty_polls_ = 0;
                for (svc::ScriptEvent event; batches_.next_event(event);) {
                    svc::apply_event(event, input);
                }
                return;
            }
        }
        // After its last batch a wait ends within one more poll; this one would never end.
        if (wait && ++empty_polls_ > 1) {
            drift(frame_);
            release_from_waits(input);
        }
    }

    void drift(int frame) {
        if (!drift_frame_) drift_frame_ = frame;
    }
    void drift_now() {
        drift(frame_);
        end(PlaybackEnd::Kind::kDrifted);
    }

    // The window active again and the fire button let go: nothing keeps the game waiting.
    static void release_from_waits(svc::InputState& input) {
        input.focus_gained();
        input.joystick_button(0, 0, false);
    }

    void end(PlaybackEnd::Kind kind) {
        stage_ = Stage::kOver;
        const int frame =
            kind == PlaybackEnd::Kind::kDrifted ? drift_frame_.value_or(frame_) : frame_;
        if (on_played_) on_played_({kind, frame});
        // The watcher's own best score and volumes, whatever the demo's game did to them.
        world_.player.best_score = real_best_.value_or(world_.player.best_score);
        if (watchers_volumes_) world_.sounds.volumes = *watchers_volumes_;
        svc::InputState& input = svc::input_state();
        if (quit_after_) {
            input.request_close();
        } else if (!watcher_closed_) {
            back_to_title(input);
        }
    }

    // The demo's game is left where it stands; the title menu takes over.
    void back_to_title(svc::InputState& input) {
        svc::stop_channel(world_.sounds.engine_channel());
        world_.flow.state = GameState::kTitle;
        world_.flow.quit_requested = false;
        input.restore(svc::LastingInput{});
        park_menu_pointer();
    }

    World& world_;
    Demo demo_;
    DemoInput::Cursor batches_;
    bool quit_after_;
    std::function<void(const PlaybackEnd&)> on_played_;
    Stage stage_ = Stage::kToTitle;
    svc::InputState watcher_;
    bool watcher_closed_ = false;
    bool stop_asked_ = false;
    std::optional<int> real_best_;
    std::optional<Volumes> watchers_volumes_;
    int frame_ = 0;
    std::size_t next_check_ = 0;
    int empty_polls_ = 0;
    std::optional<int> drift_frame_;
};

}  // namespace

// --- The two together, at the services' intakes --------------------------------------------

class Demos::Desk final : public svc::InputHook {
  public:
    Desk(World& world, DemoSettings settings) {
        if (settings.on_recorded) {
            recorder.emplace(world, std::move(settings.on_recorded),
                             settings.record_first_game_only);
            svc::input_state().set_observer(&*recorder);
        }
        if (settings.playback) {
            playback.emplace(world, std::move(*settings.playback), settings.quit_after_playback,
                             std::move(settings.on_played));
        }
        svc::set_input_hook(this);
    }
    ~Desk() override {
        svc::set_input_hook(nullptr);
        if (recorder) svc::input_state().set_observer(nullptr);
    }
    Desk(const Desk&) = delete;
    Desk& operator=(const Desk&) = delete;

    void take_in(svc::InputState& input, svc::Intake intake) override {
        if (playing()) {
            playback->take_in(input, intake);
        } else {
            svc::platform().pump_events(input);
        }
        if (recorder) recorder->intake(intake);
    }

    bool playing() const { return playback && playback->active(); }

    std::optional<Recorder> recorder;
    std::optional<Playback> playback;
};

Demos::Demos(World& world, DemoSettings settings) {
    if (settings.on_recorded || settings.playback) {
        desk_ = std::make_unique<Desk>(world, std::move(settings));
    }
}

Demos::~Demos() = default;

void Demos::new_game() {
    Desk* d = desk_.get();
    if (!d) return;
    if (d->playback && d->playback->starting()) {
        d->playback->new_game();
    } else if (d->recorder && !d->playing()) {
        d->recorder->start_game();
    }
}

void Demos::frame_shown() {
    Desk* d = desk_.get();
    if (!d) return;
    if (d->playing()) d->playback->frame_shown();
    if (d->recorder) d->recorder->frame_shown();
}

void Demos::run_ending() {
    Desk* d = desk_.get();
    if (!d) return;
    if (d->playback) d->playback->run_ending();
    if (d->recorder) d->recorder->run_ending();
}

void Demos::hold_quit() {
    Desk* d = desk_.get();
    if (d && d->playing()) d->playback->hold_quit();
}

bool Demos::input_ahead() const {
    const Desk* d = desk_.get();
    return d && d->playing() && d->playback->input_ahead();
}

std::uint32_t demo_check_hash(const World& world, int version) {
    CheckHash hash;
    const Player& plane = world.player;
    for (const int value : {static_cast<int>(world.flow.state), static_cast<int>(world.flow.phase),
                            plane.score, plane.lives, plane.level}) {
        hash.add(value);
    }
    world.for_each_list([&](const char*, const auto& list) { hash.add(list.count()); });
    hash.add(plane.x);
    hash.add(plane.y);
    if (version < 2) return hash.value();
    const std::uint64_t random = svc::random_state();
    hash.add(static_cast<std::uint32_t>(random));
    hash.add(static_cast<std::uint32_t>(random >> 32));
    world.for_each_list([&](const char*, const auto& list) { hash.add_positions(list); });
    for (const int value :
         {world.blimp.x, world.blimp.y, world.mountains.mountain1_x, world.mountains.mountain2_x}) {
        hash.add(value);
    }
    return hash.value();
}

void save_recorded_game(const std::string& text, bool new_best) {
    for (const char* path : {kLastDemo, kBestDemo}) {
        if (path == kBestDemo && !new_best) return;
        if (const std::string reason = save_file_safely(path, text); !reason.empty()) {
            std::cerr << "could not save the demo to " << path << ": " << reason << '\n';
            return;
        }
    }
}
