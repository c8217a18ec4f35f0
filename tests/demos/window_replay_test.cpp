// A game played through the real SDL back end (SDL's offscreen video, the dummy
// audio driver, a clock that only sleeping moves), driven by events pushed into
// SDL's queue: shots, deaths, a pause with a volume change, an inactive window,
// a game over whose fire button is let go during the wait that follows. Its
// demo must replay frame for frame in the harness and in the window, where
// what the watcher presses must not reach the game and only the watcher ends
// the program.
#include <SDL.h>
#include <gtest/gtest.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "game/game_state.h"
#include "game/sound_cues.h"
#include "headless/harness.h"
#include "services/audio/sound.h"
#include "services/backends/headless/headless_platform.h"
#include "services/backends/sdl/sdl_platform.h"
#include "services/input.h"
#include "shell/demo_file.h"
#include "shell/game_run.h"
#include "shell/menus.h"
#include "support/files.h"
#include "support/scratch_dir.h"
#include "world/world.h"

namespace {

class DrivenSdl final : public svc::Platform {
  public:
    // Called at each present with the frame count, and at each pump.
    std::function<void(int flip)> on_flip;
    std::function<void()> on_pump;
    std::vector<std::string> trace;  // one line per frame shown
    const World* world = nullptr;    // the game being played, for the trace

    bool open_screen(std::string_view title, int width, int height, bool fullscreen) override {
        return sdl_.open_screen(title, width, height, fullscreen);
    }
    void close_screen() override { sdl_.close_screen(); }
    void present(const std::uint32_t* pixels, bool) override {
        sdl_.present(pixels, false);
        ++flips_;
        trace.push_back(
            harness::trace_line(*world, flips_, clock_, svc::take_started_sounds(), true));
        if (on_flip) on_flip(flips_);
    }
    bool has_vblank() const override { return false; }
    bool fullscreen() const override { return sdl_.fullscreen(); }
    void pump_events(svc::InputState& input) override {
        if (on_pump) on_pump();
        sdl_.pump_events(input);
    }
    void move_pointer(svc::InputState& input, int x, int y) override {
        sdl_.move_pointer(input, x, y);
    }
    void hide_pointer() override { sdl_.hide_pointer(); }
    int open_joysticks() override { return sdl_.open_joysticks(); }
    int milliseconds() override { return clock_; }
    void sleep(int ms) override { clock_ += ms > 0 ? ms : 0; }
    std::unique_ptr<svc::AudioOutput> open_audio(svc::AudioMixFn mix) override {
        return sdl_.open_audio(std::move(mix));
    }

  private:
    svc::SdlPlatform sdl_{svc::SdlOptions{.windowed = true}};
    int flips_ = 0;
    int clock_ = 0;
};

void push(SDL_Event event) {
    SDL_PushEvent(&event);
}
void push_key(SDL_Scancode scancode, bool down) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.keysym.scancode = scancode;
    push(e);
}
void push_tap(SDL_Scancode scancode) {
    push_key(scancode, true);
    push_key(scancode, false);
}
void push_click(int x, int y) {
    SDL_Event e{};
    e.button.button = SDL_BUTTON_LEFT;
    e.button.x = x;
    e.button.y = y;
    e.type = SDL_MOUSEBUTTONDOWN;
    push(e);
    e.type = SDL_MOUSEBUTTONUP;
    push(e);
}
void push_window(Uint8 what) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = what;
    push(e);
}

// The trace lines of the game's frames, the frame numbers and clock aside.
std::vector<std::string> game_frames(const std::vector<std::string>& trace, int frames) {
    const std::regex clock(R"("flip":\d+,"ms":\d+,)");
    std::vector<std::string> lines;
    for (const std::string& line : trace) {
        if (lines.empty() && line.find("\"state\":2,") == std::string::npos) continue;
        if (static_cast<int>(lines.size()) < frames)
            lines.push_back(std::regex_replace(line, clock, ""));
    }
    return lines;
}

class WindowReplay : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("SDL_AUDIODRIVER", "dummy", 1);
        // The offscreen window never has the focus; let the stick report anyway.
        SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
        test_support::write_best_score_file(dir.path() / "data/hiscore.dat", -1);
    }
    void TearDown() override {
        unsetenv("SDL_VIDEODRIVER");
        unsetenv("SDL_AUDIODRIVER");
    }

    // Plays one game through to its game over, recording it as the real game does.
    std::vector<std::string> play_recorded_game() {
        DrivenSdl sdl;
        SDL_Joystick* stick = nullptr;
        int device = -1, start = 0, wait_polls = 0, suspended_polls = 0;
        bool holding_fire = false;
        sdl.on_flip = [&](int flip) {
            if (!stick) {
                // A pad plugged in during the splash, picked up as any would be.
                device = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, 2, 4, 1);
                stick = SDL_JoystickOpen(device);
            }
            if (flip == 2) push_tap(SDL_SCANCODE_ESCAPE);  // past the splash
            if (flip == 5) push_click(320, 292);           // "Start Game"
            const GameFlow& flow = sdl.world->flow;
            if (!start && flow.state == GameState::kStage) start = flip;
            const int g = start ? flip - start + 1 : 0;
            if (g == 130 || g == 150) push_tap(SDL_SCANCODE_LCTRL);
            if (g == 160) push_tap(SDL_SCANCODE_LEFT);
            if (g == 200 || g == 212) push_tap(SDL_SCANCODE_SPACE);  // pause, resume
            if (g == 206) push_click(320, 320);                      // "Sound Volume": one step
            if (g == 240) push_window(SDL_WINDOWEVENT_FOCUS_LOST);
            if (g == 260) push_key(SDL_SCANCODE_DOWN, true);  // into the mountains
            if (flow.state == GameState::kGameOver && flow.phase_timer == 200) {
                push_key(SDL_SCANCODE_DOWN, false);
                SDL_JoystickSetVirtualButton(stick, 0, SDL_PRESSED);
                holding_fire = true;
            }
            if (g > 0 && flow.state == GameState::kTitle && !holding_fire)
                push(SDL_Event{SDL_QUIT});
        };
        sdl.on_pump = [&] {
            if (svc::input_state().app_suspended() && ++suspended_polls == 4) {
                push_click(200, 200);  // while inactive
                push_window(SDL_WINDOWEVENT_FOCUS_GAINED);
            }
            // The game-over screen has ended and waits for the fire button.
            if (holding_fire && sdl.world->flow.state == GameState::kTitle && ++wait_polls == 3) {
                SDL_JoystickSetVirtualButton(stick, 0, SDL_RELEASED);
                holding_fire = false;
            }
        };
        DemoSettings demos;
        demos.on_recorded = save_recorded_game;
        {
            GameRun run(sdl, std::nullopt, std::move(demos));
            sdl.world = &run.world();
            EXPECT_EQ(run.play(), 0);
        }
        EXPECT_GE(suspended_polls, 4);
        EXPECT_GE(wait_polls, 3);
        SDL_JoystickClose(stick);
        SDL_JoystickDetachVirtual(device);
        return sdl.trace;
    }

    test_support::GameWorkingDir dir;
};

TEST_F(WindowReplay, AGamePlayedInTheWindowReplaysExactlyInTheHarnessAndTheWindow) {
    const std::vector<std::string> live = play_recorded_game();
    const DemoRead read = read_demo_file("data/demos/last.demo");
    ASSERT_TRUE(read.demo) << read.error;
    const Demo& demo = *read.demo;
    EXPECT_TRUE(std::filesystem::exists("data/demos/best.demo")) << "0 beat the best of -1";
    EXPECT_EQ(demo.start.volumes, Volumes{});
    const std::string demo_text = test_support::read_text("data/demos/last.demo");
    EXPECT_NE(demo_text.find("\nwait "), std::string::npos) << "the waits were recorded";
    const auto best_after_game = test_support::read_best_score_file("data/hiscore.dat");
    const std::vector<std::string> recorded = game_frames(live, demo.frames);
    ASSERT_EQ(static_cast<int>(recorded.size()), demo.frames);

    harness::Options options;
    options.demo = demo;
    std::vector<std::string> harness_trace;
    EXPECT_EQ(harness::run(options,
                           [&](const harness::FlipInfo& info) {
                               harness_trace.push_back(harness::trace_line(
                                   *info.world, info.flip, info.ms, info.sounds, true));
                           }),
              0);
    const std::vector<std::string> in_harness = game_frames(harness_trace, demo.frames);
    for (int i = 0; i < demo.frames; ++i)
        ASSERT_EQ(in_harness[i], recorded[i]) << "frame " << i + 1;

    // In the window the watcher presses keys and clicks on "Quit This Game"'s row
    // throughout; once the playback is back at the title the window is closed.
    DrivenSdl window;
    std::optional<PlaybackEnd> ended;
    std::optional<Volumes> volumes_after;
    window.on_flip = [&](int flip) {
        if (flip % 7 == 0) push_tap(flip % 2 ? SDL_SCANCODE_SPACE : SDL_SCANCODE_LCTRL);
        if (flip % 11 == 0) push_click(320, 385);
        if (ended && !volumes_after) volumes_after = window.world->sounds.volumes;
        if (ended) push(SDL_Event{SDL_QUIT});
    };
    DemoSettings playback;
    playback.on_recorded = save_recorded_game;  // as the game always does
    playback.playback = demo;
    playback.on_played = [&](const PlaybackEnd& end) { ended = end; };
    {
        GameRun run(window, std::nullopt, std::move(playback));
        window.world = &run.world();
        EXPECT_EQ(run.play(), 0);
    }
    ASSERT_TRUE(ended);
    EXPECT_EQ(ended->kind, PlaybackEnd::Kind::kAsRecorded) << "at frame " << ended->frame;
    const std::vector<std::string> in_window = game_frames(window.trace, demo.frames);
    for (int i = 0; i < demo.frames; ++i) ASSERT_EQ(in_window[i], recorded[i]) << "frame " << i + 1;
    EXPECT_EQ(test_support::read_text("data/demos/last.demo"), demo_text);
    EXPECT_EQ(test_support::read_best_score_file("data/hiscore.dat"), best_after_game);
    EXPECT_EQ(volumes_after, Volumes{}) << "the demo's volume click is undone";
}

// In the window only the watcher ends the program: a demo whose click lands on
// "Exit Game", or whose input asks to close, drifts and leaves the title menu
// to the watcher, who closes the window at flip 300.
TEST_F(WindowReplay, APlaybackNeverEndsTheProgram) {
    const std::string text =
        test_support::read_text(test_support::source_path("fuzz/corpus/demo/short_game.demo"));
    const std::string parked = "pointer 320 292\n";
    const std::pair<std::string, std::string> edits[] = {
        {parked, "pointer 320 " + std::to_string(menu_item_line_y(MenuItem::kExit)) + "\n"},
        {parked, parked + "close pending\n"},
        {"check 60 ", "30 close\ncheck 60 "},
    };
    for (const auto& [from, to] : edits) {
        SCOPED_TRACE(to);
        std::string edited = text;
        DemoRead read = parse_demo(edited.replace(edited.find(from), from.size(), to));
        ASSERT_TRUE(read.demo) << read.error;
        svc::HeadlessPlatform window;
        window.set_flip_hook([](int flip) {
            if (flip == 300) svc::input_state().request_close();
        });
        std::optional<PlaybackEnd> ended;
        DemoSettings playback;
        playback.playback = std::move(read.demo);
        playback.on_played = [&](const PlaybackEnd& end) { ended = end; };
        EXPECT_EQ(run_game(window, 4, std::move(playback)), 0);
        EXPECT_EQ(window.flips(), 300);
        ASSERT_TRUE(ended);
        EXPECT_EQ(ended->kind, PlaybackEnd::Kind::kDrifted);
    }
}

}  // namespace
