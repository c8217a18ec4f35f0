#pragma once
#include "world/entity_list.h"

struct Cloud {
    float x = 0;
    int y = 0;
    float speed = 0;
    float scale = 0;

    static void spawn_for_stage();
    void update();
    static void update_all();
};

struct Mountains {
    static constexpr int kScrollFacingLeft = 4, kScrollFacingRight = -4;

    int mountain1_x = 0;
    int mountain2_x = 0;
    int scroll_speed = 0;  // the whole world's: kScrollFacingLeft or kScrollFacingRight

    void update();
};

extern EntityList<Cloud> cloud_list;
extern Mountains mountains;
