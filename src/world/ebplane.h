#pragma once
#include "world/entity_list.h"

// Enemy biplane. Fields are added by its unit.
struct ebplane_tag {
    static void create_em();
    void update();
    static void update_all();
    static void destroy_all();
};

extern EntityList<ebplane_tag> ebplane_list;
