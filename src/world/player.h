#pragma once
// The player's biplane and the numbers of the game in progress.

struct player_tag {
    int score = 0;
    int best_sc = 0;
    int new_bs = 0;
    int lives = 0;
    int level = 0;
    int dir = 0;  // 0 nose left, 1 nose right; also the sprite frame
    float x = 0;
    float y = 0;
    float rotation = 0;
    float scale = 0;
    int frame = 0;
    int a_tmr = 0;
    int a_ctr = 0;

    // Starts a new game's counters (new_game != 0) and, unless start-up is
    // still running, sets up a stage.
    static void reset(int new_game);
    void update();   // play phase
    void update2();  // fly-in phase
    void get_inputs();
    static void init_death();
};

extern player_tag player;
