#pragma once
// A scripted pilot for games on the headless back end: once per frame of play
// it turns towards the nearest enemy, climbs or dives to its height and fires
// when level with it, through the same input state the keyboard feeds. Its
// style says whether it keeps clear of low enemies and whether it dodges.
//
// Use: call fly(world) once per frame, before the frame's run_frame() or from
// a harness::run observer.
#include <algorithm>
#include <cmath>
#include <optional>

#include "services/input.h"
#include "world/world.h"

namespace pilot {

struct Style {
    // No climbing or diving below this height after an enemy (the mountains
    // are deadly); unset, it follows an enemy all the way down.
    std::optional<float> lowest_aim;
    // Climbs or dives away from a visible enemy about to fly into the plane.
    bool dodges = false;
};

class Pilot {
  public:
    explicit Pilot(Style style) : style_(style) {}

    // One decision per frame of play; elsewhere the climb and dive keys are let go.
    void fly(const World& world) {
        if (world.flow.state != GameState::kStage || world.flow.phase != StagePhase::kPlay) {
            hold(svc::vk::kUp, false);
            hold(svc::vk::kDown, false);
            return;
        }
        ++frame_;
        const Player& player = world.player;
        const EnemyPlane* target = nearest_enemy(world);
        if (!target) return;
        const bool target_left = target->x < player.x;
        if (frame_ - last_turn_ > kFramesBetweenTurns &&
            target_left != (player.facing == Facing::kLeft)) {
            tap(target_left ? svc::vk::kLeft : svc::vk::kRight);
            last_turn_ = frame_;
        }
        const float level = target_height(*target);
        float aim = level;
        if (const EnemyPlane* close = style_.dodges ? too_close(world) : nullptr)
            aim = close->y < player.y ? kDodgeLow : kDodgeHigh;
        hold(svc::vk::kUp, aim < player.y - 2.0f);
        hold(svc::vk::kDown, aim > player.y + 2.0f);
        if (std::abs(level - player.y) < 12.0f && frame_ % 5 == 0) tap(svc::vk::kLeftControl);
    }

  private:
    static constexpr int kFramesBetweenTurns = 45;
    static constexpr float kDodgeLow = 420.0f;
    static constexpr float kDodgeHigh = 120.0f;

    // The enemy nearest along x, whether on screen or not.
    static const EnemyPlane* nearest_enemy(const World& world) {
        const EnemyPlane* best = nullptr;
        float best_distance = 1e9f;
        world.enemies.for_each([&](const EnemyPlane& e) {
            const float d = std::abs(e.x - world.player.x);
            if (d < best_distance) {
                best_distance = d;
                best = &e;
            }
        });
        return best;
    }
    // A visible enemy about to fly into the plane, unless it is safe for a while yet.
    static const EnemyPlane* too_close(const World& world) {
        const Player& player = world.player;
        const EnemyPlane* found = nullptr;
        world.enemies.for_each([&](const EnemyPlane& e) {
            if (e.x > 80.0f && e.x < 560.0f && std::abs(e.x - player.x) < 70.0f &&
                std::abs(static_cast<float>(e.y) - player.y) < 40.0f)
                found = &e;
        });
        return player.invulnerable_frames > 20 ? nullptr : found;
    }
    // The height the plane follows the target at, and fires at when level with it.
    float target_height(const EnemyPlane& target) const {
        const float height = static_cast<float>(target.y);
        return style_.lowest_aim ? std::min(height, *style_.lowest_aim) : height;
    }
    static void tap(int key) {
        svc::input_state().key_event(key, true, false);
        svc::input_state().key_event(key, false, false);
    }
    void hold(int key, bool down) {
        bool& held = key == svc::vk::kUp ? up_ : down_;
        if (held == down) return;
        held = down;
        svc::input_state().key_event(key, down, false);
    }

    Style style_;
    int frame_ = 0;
    int last_turn_ = -1000;
    bool up_ = false, down_ = false;
};

}  // namespace pilot
