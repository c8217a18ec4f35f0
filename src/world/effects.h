#pragma once
#include <string>

#include "world/entity_list.h"

// Explosions, balloon pops and the floating points texts.
struct explode_tag {
    float x = 0;
    float y = 0;
    float scale = 0;
    int frame = 0;   // sprite frame shown now: 22 to 25
    int fr_tmr = 0;  // updates since the frame last changed

    static void create_it(float x, float y, float scale);
    void update();
    static void update_all();
    static void destroy_all();
};

struct bpop_tag {
    int x = 0;
    int y = 0;
    float alpha = 0;

    static void create_it(int x, float y);
    void update();
    static void update_all();
    static void destroy_all();
};

struct points_tag {
    int x = 0;
    int y = 0;
    float alpha = 0;
    std::string amnt;  // the text shown, such as "+45" or "-150"

    static void create_it(int x, int y, int amount);
    void update();
    static void update_all();
    static void destroy_all();
};

extern EntityList<explode_tag> explode_list;
extern EntityList<bpop_tag> bpop_list;
extern EntityList<points_tag> points_list;
