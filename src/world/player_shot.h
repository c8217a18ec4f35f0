#pragma once
#include "world/entity_list.h"

struct PlayerShot {
    int x = 0;
    int y = 0;
    int speed = 0;

    static void fire();
    void update();
    static void update_all();
};

extern EntityList<PlayerShot> player_shot_list;
