#pragma once
#include "world/entity_list.h"

// Debris pieces of a destroyed plane, and the smoke puffs they trail.
struct particle_tag {
    float x = 0;
    float y = 0;
    float xs = 0;  // horizontal speed
    float ys = 0;  // vertical speed, positive downwards
    int rot = 0;   // degrees
    int frame = 0;
    int smctr = 0;  // updates since the last smoke puff

    static void create_em(float x, float y, int first_frame, int count);
    void update();
    static void update_all();
    static void destroy_all();
};

struct smoke_tag {
    float x = 0;
    float y = 0;
    int rot = 0;  // degrees
    float scale = 0;
    float alpha = 0;  // remaining life; not used as the drawing alpha

    static void create_it(float x, float y);
    void update();
    static void update_all();
    static void destroy_all();
};

extern EntityList<particle_tag> particle_list;
extern EntityList<smoke_tag> smoke_list;
