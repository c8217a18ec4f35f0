#pragma once
#include <string>

#include "world/entity_list.h"

// Explosions, balloon pops and the floating points texts.
struct Explosion {
    float x = 0;
    float y = 0;
    float scale = 0;
    int frame = 0;        // sprite frame shown now: sprite_frame::kFirstBlast to kLastBlast
    int frame_timer = 0;  // updates since the frame last changed

    static void spawn(float x, float y, float scale);
    void update();
    static void update_all();
};

struct BalloonPop {
    int x = 0;
    int y = 0;
    float alpha = 0;

    static void spawn(int x, float y);
    void update();
    static void update_all();
};

struct PointsPopup {
    int x = 0;
    int y = 0;
    float alpha = 0;
    std::string text;  // the text shown, such as "+45" or "-150"

    static void spawn(int x, int y, int amount);
    void update();
    static void update_all();
};

extern EntityList<Explosion> explosion_list;
extern EntityList<BalloonPop> balloon_pop_list;
extern EntityList<PointsPopup> points_popup_list;
