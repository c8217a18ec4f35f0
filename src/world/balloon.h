#pragma once

struct PlayerShot;
struct SheetSprite;
struct World;

// A balloon that bobs between two heights and scrolls with the world; popping
// it costs points.
struct Balloon {
    int x = 0;                 // centre x; wraps within -2000 to 2640
    float y = 0;               // centre y; stays within 125.0 to 300.0
    float vertical_speed = 0;  // vertical speed: -0.2 rising, 0.2 sinking

    static void spawn_for_stage(World& world);
    void update(World& world);
    static void update_all(World& world);
    // Its frame where it is drawn, for the hit tests.
    SheetSprite sprite() const;

  private:
    // Popped by `shot`, or by the plane when there is none.
    void pop(World& world, PlayerShot* shot);
};
