#pragma once

struct World;

struct Cloud {
    float x = 0;
    int y = 0;
    float speed = 0;
    float scale = 0;

    static void spawn_for_stage(World& world);
    void update(World& world);
    static void update_all(World& world);
};

struct Mountains {
    static constexpr int kScrollFacingLeft = 4, kScrollFacingRight = -4;

    int mountain1_x = 0;
    int mountain2_x = 0;
    int scroll_speed = 0;  // the whole world's: kScrollFacingLeft or kScrollFacingRight

    // Scrolls and draws both mountains; one touching the plane crashes it.
    void update(World& world);
};
