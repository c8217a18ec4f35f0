#pragma once

struct PlayerShot;
struct SheetSprite;
struct World;

// Enemy biplane: flies level at its own speed while the world scrolls, wraps
// around the long world and is shot down for points.
struct EnemyPlane {
    float x = 0;      // centre x; wraps within -2000.0 to 2640.0
    int y = 0;        // centre y, fixed for the enemy's life
    float speed = 0;  // own speed: negative flies left, positive right
    int frame = 0;    // drawn and tested: sprite_frame::kEnemyNoseLeft or kEnemyNoseRight

    static void spawn_for_stage(World& world);
    // `place` is the enemy's place in the walk of update_all, from 1.
    void update(World& world, int place);
    // Updates every enemy; the walk that finds none ends a stage in play.
    static void update_all(World& world);
    // Its frame where it is drawn, for the hit tests.
    SheetSprite sprite() const;

  private:
    void shot_down(World& world, PlayerShot& shot);
    void ram_plane(World& world, int place);
};
