#pragma once
// The millisecond clock, sleeping and random numbers.
#include <optional>

namespace svc {

int milliseconds();
void delay(int ms);  // a negative value does nothing
// Milliseconds on a clock that differs between launches of the program: the
// seed that makes each game's stages its own.
int launch_clock();

// Seeds the generator; while a seed is forced, that seed is used instead of the
// one passed (the harness's --seed replaces the clock seed the game passes).
void seed_random(int seed);
void force_random_seed(std::optional<int> seed);
double random_real(double min, double max);  // uniform in [min, max) of the two bounds
int random_int(int min, int max);            // uniform in [min, max] inclusive

}  // namespace svc
