#pragma once

struct World;

struct PlayerShot {
    int x = 0;
    int y = 0;
    int speed = 0;

    // A shot from the plane's nose, flying the way it faces.
    static void fire(World& world);
    void update(World& world);
    static void update_all(World& world);
};
