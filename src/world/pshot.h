#pragma once
#include "world/entity_list.h"

struct pshot_tag {
    int x = 0;
    int y = 0;
    int spd = 0;

    static void fire();
    void update();
    static void update_all();
    static void destroy_all();
};

extern EntityList<pshot_tag> pshot_list;
