#pragma once
#include <string>

struct World;

// Explosions, balloon pops and the floating points texts.
struct Explosion {
    float x = 0;
    float y = 0;
    float scale = 0;
    int frame = 0;        // sprite frame shown now: sprite_frame::kFirstBlast to kLastBlast
    int frame_timer = 0;  // updates since the frame last changed

    static void spawn(World& world, float x, float y, float scale);
    void update(World& world);
    static void update_all(World& world);
};

struct BalloonPop {
    int x = 0;
    int y = 0;
    float alpha = 0;

    static void spawn(World& world, int x, float y);
    void update(World& world);
    static void update_all(World& world);
};

// Adds points_per_stage times the stage number to the score, or takes them
// away when negative (never below 0), and shows them rising from (x, y).
void award_points(World& world, int x, int y, int points_per_stage);

struct PointsPopup {
    int x = 0;
    int y = 0;
    float alpha = 0;
    std::string text;  // the text shown, such as "+45" or "-150"

    static void spawn(World& world, int x, int y, int amount);
    void update(World& world);
    static void update_all(World& world);
};
