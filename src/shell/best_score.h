#pragma once
// The best score kept between runs in data/hiscore.dat.
#include <cstdint>

// The best score on disk; a missing or unreadable file reads as 0.
std::int32_t load_best_score();
// Writes `best` safely (a crash mid-save keeps the old file); a failure is
// reported on stderr.
void save_best_score(std::int32_t best);
