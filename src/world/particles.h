#pragma once
#include "world/entity_list.h"

// Debris pieces of a destroyed plane, and the smoke puffs they trail.
struct particle_tag {
    static void create_em(float x, float y, int first_frame, int count);
    void update();
    static void update_all();
    static void destroy_all();
};

struct smoke_tag {
    static void create_it(float x, float y);
    void update();
    static void update_all();
    static void destroy_all();
};

extern EntityList<particle_tag> particle_list;
extern EntityList<smoke_tag> smoke_list;
