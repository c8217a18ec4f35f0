#pragma once
// The recipes of the game's eight sounds.
#include <string>
#include <vector>

#include "synth.h"

namespace soundgen {

struct Recipe {
    std::string name;        // file name without ".ogg"
    Samples (*make)();       // the raw sound, any level
    double target_loudness;  // gated RMS to normalise to, in dBFS
    bool loops;              // must join end to start without a seam
};

const std::vector<Recipe>& recipes();

// Loudness measured over the parts of a sound within 20 dB of its loudest
// 20 ms, so that a short shot and a long fanfare with a fading tail compare
// the way a listener hears them.
double gated_rms_db(const Samples& samples);

}  // namespace soundgen
