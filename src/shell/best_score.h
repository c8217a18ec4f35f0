#pragma once
// The best score kept between runs in data/hiscore.dat.

// Reads player.best_score; a missing or unreadable file reads as 0.
void load_best_score();
// Writes player.best_score safely (a crash mid-save keeps the old file); a
// failure is reported on stderr.
void save_best_score();
