#pragma once
// The best score kept between runs in data/hiscore.dat.

// flag 0 loads player.best_sc, flag 1 saves it.
void best_score_file(int flag);
inline void load_best_score() {
    best_score_file(0);
}
inline void save_best_score() {
    best_score_file(1);
}
