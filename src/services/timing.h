#pragma once
// The millisecond clock, sleeping, random numbers and the end of the program.
#include <functional>
#include <optional>

namespace svc {

int milliseconds();
void delay(int ms);  // a negative value does nothing

// Seeds the generator; while a seed is forced, that seed is used instead of the
// one passed (the harness's --seed replaces the clock seed the game passes).
void seed_random(int seed);
void force_random_seed(std::optional<int> seed);
double random_real(double min, double max);  // uniform in [min, max) of the two bounds
int random_int(int min, int max);            // uniform in [min, max] inclusive

// Close-down steps run by end_program in the reverse order of registration.
void add_close_down_step(std::function<void()> step);
// Runs and forgets the registered steps, last registered first (end_program does
// this; so does a harness whose run was aborted).
void run_close_down_steps();

// Thrown by end_program after the close-down steps: the game's entry point
// catches it and returns, so that the process ends through main (and tests can
// run the game in-process).
struct ProgramEnded {
    int exit_code = 0;
};
[[noreturn]] void end_program();

}  // namespace svc
