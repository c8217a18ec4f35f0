#pragma once
// The player's biplane and the numbers of the game in progress.
#include "game/sprite_frames.h"

struct World;

// Which way a nose points. The numbers are those of the harness's traces.
enum class Facing { kLeft = 0, kRight = 1 };

struct Player {
    int score = 0;
    int best_score = 0;
    bool new_best = false;  // this game has beaten the best score
    int lives = 0;
    int level = 0;  // the stage number
    Facing facing = Facing::kLeft;
    float x = 0;
    float y = 0;
    int invulnerable_frames = 0;  // frames left in which nothing can hit it
    int blink_phase = 0;          // 0-5 while invulnerable; shown while below 3

    // Its frame of the sprite sheet, the nose as it faces.
    int frame() const {
        return facing == Facing::kLeft ? sprite_frame::kPlayerNoseLeft
                                       : sprite_frame::kPlayerNoseRight;
    }

    // At the left edge, nose right, invulnerable for the first frames.
    void place_for_fly_in();
    // The play phase: the controls, the limits, the slide and the blink.
    void update(World& world);
    // The fly-in phase: from the left edge to where play begins.
    void update_fly_in(World& world);

  private:
    void read_controls(World& world);
};

// The plane is wrecked: a life is lost, it breaks up and leaves the sky, and
// the death sequence begins.
void crash_plane(World& world);
