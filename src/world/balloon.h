#pragma once
#include "world/entity_list.h"

struct balloon_tag {
    static void create_em();
    void update();
    static void update_all();
    static void destroy_all();
};

extern EntityList<balloon_tag> balloon_list;
