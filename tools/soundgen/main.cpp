// Builds the game's eight sounds from synthesis and writes them as Ogg Vorbis.
//
//   soundgen OUT_DIR [--wav WAV_DIR]
//
// Each sound is brought to its loudness, kept below -1 dBFS after encoding
// (the encoder can overshoot the peaks a little, so the decoded file is
// checked and the gain lowered until it fits), and the engine loop is checked
// for a seamless join. With --wav the decoded sounds are also written as WAV
// files to look at and listen to. Prints a table of the final levels.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <stdexcept>
#include <string>

#include "recipes.h"
#include "vorbis_io.h"

namespace soundgen {
namespace {

constexpr double kPeakLimitDb = -1.5;  // before encoding
constexpr double kDecodedPeakMaxDb = -1.0;
constexpr float kQuality = 0.5f;

double to_db(double amplitude) {
    return 20.0 * std::log10(std::max(amplitude, 1e-12));
}
double from_db(double db) {
    return std::pow(10.0, db / 20.0);
}

std::vector<std::int16_t> to_pcm(const Samples& samples, double gain) {
    std::vector<std::int16_t> pcm(samples.size());
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const double v = std::clamp(samples[i] * gain * 32767.0, -32768.0, 32767.0);
        pcm[i] = static_cast<std::int16_t>(std::lround(v));
    }
    return pcm;
}

Samples to_float(const std::vector<std::int16_t>& pcm) {
    Samples s(pcm.size());
    for (std::size_t i = 0; i < pcm.size(); ++i) s[i] = pcm[i] / 32768.0f;
    return s;
}

double peak_of(const Samples& s) {
    double peak = 0.0;
    for (float v : s) peak = std::max(peak, std::fabs(static_cast<double>(v)));
    return peak;
}

double rms_db(const Samples& s) {
    double sum = 0.0;
    for (float v : s) sum += static_cast<double>(v) * v;
    return 10.0 * std::log10(std::max(sum / std::max<std::size_t>(s.size(), 1), 1e-20));
}

// How sharp the join from the loop's last sample back to its first is: its
// second difference against the 99th percentile of the second differences
// inside the loop (1.0 or less: the join bends no more than the sound itself).
double seam_ratio(const Samples& s) {
    const std::size_t n = s.size();
    auto bend = [&s, n](std::size_t i) {  // second difference at i, wrapping round
        return std::fabs(double(s[(i + 1) % n]) - 2.0 * s[i] + s[(i + n - 1) % n]);
    };
    std::vector<double> inside;
    for (std::size_t i = 1; i + 1 < n; ++i) inside.push_back(bend(i));
    std::sort(inside.begin(), inside.end());
    const double typical = inside[inside.size() * 99 / 100];
    return std::max(bend(n - 1), bend(0)) / std::max(typical, 1e-9);
}

struct Result {
    std::vector<std::uint8_t> ogg;
    Samples decoded;
};

Result build(const Recipe& recipe, int serial) {
    const Samples raw = recipe.make();
    double gain = from_db(recipe.target_loudness - gated_rms_db(raw));
    gain = std::min(gain, from_db(kPeakLimitDb) / peak_of(raw));
    for (int attempt = 0; attempt < 8; ++attempt) {
        Result result;
        result.ogg = encode_vorbis(to_pcm(raw, gain), serial, kQuality);
        result.decoded = to_float(decode_vorbis(result.ogg));
        if (result.decoded.size() != raw.size()) {
            throw std::runtime_error(recipe.name + ": decoded length differs from the source");
        }
        const double overshoot = to_db(peak_of(result.decoded)) - kDecodedPeakMaxDb;
        if (overshoot <= 0.0) return result;
        gain *= from_db(-overshoot - 0.1);
    }
    throw std::runtime_error(recipe.name + ": cannot keep the encoded peaks below -1 dBFS");
}

int run(int argc, char** argv) {
    if (argc != 2 && !(argc == 4 && std::string(argv[2]) == "--wav")) {
        std::fprintf(stderr, "usage: soundgen OUT_DIR [--wav WAV_DIR]\n");
        return 2;
    }
    const std::string out_dir = argv[1];
    const std::string wav_dir = argc == 4 ? argv[3] : "";
    std::printf("%-11s %7s %9s %9s %9s %s\n", "sound", "seconds", "peak dB", "rms dB", "gated dB",
                "loop seam");
    int serial = 0x5C5100;
    for (const Recipe& recipe : recipes()) {
        const Result result = build(recipe, ++serial);
        write_file(out_dir + "/" + recipe.name + ".ogg", result.ogg);
        if (!wav_dir.empty()) {
            std::vector<std::int16_t> pcm(result.decoded.size());
            for (std::size_t i = 0; i < pcm.size(); ++i) {
                pcm[i] = static_cast<std::int16_t>(std::lround(result.decoded[i] * 32768.0f));
            }
            write_wav(wav_dir + "/" + recipe.name + ".wav", pcm);
        }
        std::string seam = "-";
        if (recipe.loops) {
            const double ratio = seam_ratio(result.decoded);
            seam = std::to_string(ratio);
            if (ratio > 1.0) throw std::runtime_error(recipe.name + ": the loop's seam clicks");
        }
        std::printf("%-11s %7.3f %9.2f %9.2f %9.2f %s\n", recipe.name.c_str(),
                    result.decoded.size() / double(kRate), to_db(peak_of(result.decoded)),
                    rms_db(result.decoded), gated_rms_db(result.decoded), seam.c_str());
    }
    return 0;
}

}  // namespace
}  // namespace soundgen

int main(int argc, char** argv) {
    try {
        return soundgen::run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "soundgen: %s\n", error.what());
        return 1;
    }
}
