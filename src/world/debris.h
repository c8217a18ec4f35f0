#pragma once

struct World;

// Debris pieces of a destroyed plane, and the smoke puffs they trail.
struct DebrisPiece {
    float x = 0;
    float y = 0;
    float speed_x = 0;
    float speed_y = 0;  // positive downwards
    int rotation = 0;   // degrees
    int frame = 0;
    int frames_since_smoke = 0;  // updates since the last smoke puff

    static void spawn(World& world, float x, float y, int first_frame, int count);
    void update(World& world);
    static void update_all(World& world);
};

struct SmokePuff {
    float x = 0;
    float y = 0;
    int rotation = 0;  // degrees
    float scale = 0;
    float life = 0;  // 1.0 when made, gone once it is no longer above 0

    static void spawn(World& world, float x, float y);
    void update(World& world);
    static void update_all(World& world);
};
