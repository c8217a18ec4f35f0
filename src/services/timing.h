#pragma once
// The millisecond clock, sleeping and random numbers.
#include <cstdint>
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
// The generator's whole state, to draw the same numbers again from that moment:
// restore_random_state(random_state()) changes nothing. A state of 0, which
// the generator can never hold, is refused (false).
std::uint64_t random_state();
bool restore_random_state(std::uint64_t state);
double random_real(double min, double max);  // uniform in [min, max) of the two bounds
int random_int(int min, int max);            // uniform in [min, max] inclusive

}  // namespace svc
