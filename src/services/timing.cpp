#include "services/timing.h"

#include <cmath>
#include <cstdint>

#include "services/input.h"
#include "services/platform.h"

namespace svc {

int milliseconds() {
    return has_platform() ? platform().milliseconds() : 0;
}

int launch_clock() {
    return has_platform() ? platform().launch_clock() : 0;
}

void delay(int ms) {
    if (ms <= 0 || !has_platform()) return;
    platform().sleep(ms);
    detail::note_delay();
}

// --- Random numbers ----------------------------------------------------------------
//
// A 64-bit xorshift* generator whose state is spread from the seed by splitmix64;
// each call yields a double with 53 random bits, uniform in [0, 1).
namespace {

struct Random {
    std::uint64_t state = 0x9E3779B97F4A7C15ull;
    std::optional<int> forced_seed;

    void seed(int seed) {
        std::uint64_t z =
            static_cast<std::uint64_t>(static_cast<std::int64_t>(seed)) + 0x9E3779B97F4A7C15ull;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        z ^= z >> 31;
        state = z ? z : 0x9E3779B97F4A7C15ull;  // xorshift must never hold 0
    }

    double uniform() {
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        const std::uint64_t bits = state * 0x2545F4914F6CDD1Dull;
        return static_cast<double>(bits >> 11) * 0x1.0p-53;
    }
};

Random& generator() {
    static Random random;
    return random;
}

}  // namespace

void seed_random(int seed) {
    Random& random = generator();
    random.seed(random.forced_seed.value_or(seed));
}

void force_random_seed(std::optional<int> seed) {
    generator().forced_seed = seed;
}

std::uint64_t random_state() {
    return generator().state;
}

bool restore_random_state(std::uint64_t state) {
    if (state == 0) return false;
    generator().state = state;
    return true;
}

double random_real(double min, double max) {
    const double u = generator().uniform();
    const double low = max > min ? min : max;
    const double high = max > min ? max : min;
    const double value = low + u * (high - low);
    // With u just below 1 the sum can round up to the upper bound, which the
    // range excludes.
    if (value >= high && high > low) return std::nextafter(high, low);
    return value;
}

int random_int(int min, int max) {
    const double u = generator().uniform();
    const std::int64_t span = static_cast<std::int64_t>(max) - min;
    const std::int64_t low = span > 0 ? min : max;
    const std::int64_t count = span > 0 ? span + 1 : 1 - span;
    std::int64_t offset = static_cast<std::int64_t>(u * static_cast<double>(count));
    if (offset >= count) offset = count - 1;  // rounding of u * count for huge spans
    return static_cast<int>(low + offset);
}

}  // namespace svc
