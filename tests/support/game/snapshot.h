#pragma once
// What a test of a whole run sees of the game when a frame is shown: the state
// machine, the game's numbers, the plane, the counts the tests follow, the
// volumes and the engine, the pointer and the sounds started. Header only, for
// the programs that run the game: the support library itself links the
// services alone.
#include <ostream>
#include <string>
#include <vector>

#include "headless/harness.h"
#include "services/audio/sound.h"
#include "services/input.h"
#include "world/world.h"

// Failure messages name the state, the phase and the facing by their numbers.
inline std::ostream& operator<<(std::ostream& out, GameState state) {
    return out << static_cast<int>(state);
}
inline std::ostream& operator<<(std::ostream& out, StagePhase phase) {
    return out << static_cast<int>(phase);
}
inline std::ostream& operator<<(std::ostream& out, Facing facing) {
    return out << static_cast<int>(facing);
}

namespace test_support {

struct Snapshot {
    int flip = 0;
    int ms = 0;
    GameState state = GameState::kStartingUp;
    StagePhase phase = StagePhase::kFlyIn;
    int timer = 0;
    int score = 0;
    int best = 0;
    bool new_best = false;
    int lives = 0;
    int level = 0;
    float x = 0;
    float y = 0;
    Facing dir = Facing::kLeft;
    int mouse_x = 0;
    int mouse_y = 0;
    int quit = 0;
    int engine = 0;  // 1 while the engine channel plays
    int enemies = 0;
    int shots = 0;
    int sfx_step = 0;
    int engine_step = 0;
    std::vector<std::string> sounds;  // started since the previous flip
};

// The run's world as the flip `info` left it.
inline Snapshot snapshot(const harness::FlipInfo& info) {
    const World& world = *info.world;
    const Player& plane = world.player;
    const svc::Channel& engine = world.sounds.engine_channel();
    Snapshot s;
    s.flip = info.flip;
    s.ms = info.ms;
    s.state = world.flow.state;
    s.phase = world.flow.phase;
    s.timer = world.flow.phase_timer;
    s.score = plane.score;
    s.best = plane.best_score;
    s.new_best = plane.new_best;
    s.lives = plane.lives;
    s.level = plane.level;
    s.x = plane.x;
    s.y = plane.y;
    s.dir = plane.facing;
    s.mouse_x = svc::input_state().mouse_x();
    s.mouse_y = svc::input_state().mouse_y();
    s.quit = world.flow.quit_requested;
    s.engine = engine && svc::channel_playing(engine) ? 1 : 0;
    s.enemies = world.enemies.count();
    s.shots = world.shots.count();
    s.sfx_step = world.sounds.volumes.effects_step;
    s.engine_step = world.sounds.volumes.engine_step;
    s.sounds = info.sounds;
    return s;
}

}  // namespace test_support
