#pragma once
#include "world/entity_list.h"

// Explosions, balloon pops and the floating points texts.
struct explode_tag {
    static void create_it(float x, float y, float scale);
    void update();
    static void update_all();
    static void destroy_all();
};

struct bpop_tag {
    static void create_it(int x, float y);
    void update();
    static void update_all();
    static void destroy_all();
};

struct points_tag {
    static void create_it(int x, int y, int amount);
    void update();
    static void update_all();
    static void destroy_all();
};

extern EntityList<explode_tag> explode_list;
extern EntityList<bpop_tag> bpop_list;
extern EntityList<points_tag> points_list;
