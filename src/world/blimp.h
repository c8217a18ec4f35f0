#pragma once
// The blimp: one per stage, drifting at half the scroll speed across a world
// three times as long as the enemies'. Shooting it pays a bonus and blows it
// off the page; ramming it costs a life.

#include "world/player.h"

struct PlayerShot;
struct SheetSprite;
struct World;

// The numbers are those of the harness's traces, where a blimp not yet set up
// for a stage reads as hit.
enum class BlimpState { kHit = 0, kFlying = 1, kGone = 2 };

struct Blimp {
    int x = 0;
    int y = 0;
    BlimpState state = BlimpState::kHit;  // hit: blown off the page
    Facing nose = Facing::kLeft;
    int puff_frame = 0;  // hit: 0 or 1, the gas puff at its nose
    int puff_timer = 0;

    // Flying: its frame of the sprite sheet (sprite_frame::kBlimpNose*). Hit:
    // the first of its two punctured pictures (blimp_frame::kHitNose*).
    int frame() const;

    // A new blimp somewhere along its world, flying.
    void set_up_for_stage();
    // Moves, draws and tests it (flying), or blows it off (hit).
    void update(World& world);
    // Its frame where it is drawn, for the hit tests.
    SheetSprite sprite() const;

  private:
    void fly(World& world);
    void shot_hit(World& world, PlayerShot& shot);
    void ram_plane(World& world);
    void puncture();
    void blow_off(World& world);
};
