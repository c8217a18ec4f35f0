#pragma once
// The blimp: one per stage, drifting at half the scroll speed across a world
// three times as long as the enemies'. Shooting it pays a bonus and blows it
// off the page; ramming it costs a life.

struct PlayerShot;
struct SheetSprite;
struct World;

struct Blimp {
    static constexpr int kHit = 0, kFlying = 1, kGone = 2;

    int x = 0;
    int y = 0;
    int frame = 0;       // flying: sprite_frame::kBlimpNose*; hit: blimp_frame::kHitNose*
    int state = 0;       // kFlying, kHit (blown off) or kGone
    int puff_frame = 0;  // hit: 0 or 1, the gas puff at its nose
    int puff_timer = 0;

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
