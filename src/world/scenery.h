#pragma once
#include "world/entity_list.h"

struct cloud_tag {
    float x = 0;
    int y = 0;
    float spd = 0;
    float scale = 0;

    static void create_em();
    void update();
    static void update_all();
    static void destroy_all();
};

struct mountain_tag {
    int mt1_x = 0;
    int mt2_x = 0;
    int mspd = 0;  // world scroll speed: -4 facing right, +4 facing left

    void update();
};

extern EntityList<cloud_tag> cloud_list;
extern mountain_tag mountains;
