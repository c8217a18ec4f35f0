#include "shell_run.h"

#include <filesystem>
#include <stdexcept>
#include <string>

#include "services/audio/sound.h"
#include "services/input.h"
#include "support/files.h"
#include "support/scratch_dir.h"

namespace fs = std::filesystem;

namespace shell_test {
namespace {

Pixels paper_as_drawn(const Pictures& pictures) {
    Pixels paper;
    if (!pictures.paper || pictures.paper->pixmaps.empty()) return paper;
    for (std::uint32_t pixel : pictures.paper->pixmaps[0].pixels) paper.push_back(rgb(pixel));
    return paper;
}

}  // namespace

const Snapshot& RunResult::at(int flip) const {
    if (flip < 1 || flip > last_flip())
        throw std::out_of_range("no flip " + std::to_string(flip) + " in this run of " +
                                std::to_string(last_flip()));
    return flips[static_cast<std::size_t>(flip - 1)];
}

int RunResult::first(const std::function<bool(const Snapshot&)>& pred, int from) const {
    for (int flip = std::max(from, 1); flip <= last_flip(); ++flip)
        if (pred(at(flip))) return flip;
    return 0;
}

const Pixels& RunResult::picture(int flip) const {
    const auto it = pictures.find(flip);
    if (it == pictures.end())
        throw std::out_of_range("picture of flip " + std::to_string(flip) + " was not kept");
    return it->second;
}

RunResult run_game(const RunSpec& plan) {
    const test_support::GameWorkingDir scratch;
    if (plan.best_score_on_disk >= 0)
        test_support::write_best_score_file("data/hiscore.dat", plan.best_score_on_disk);

    RunResult result;
    harness::Options options;
    options.seed = plan.seed;
    options.frames = plan.frames;
    options.input_script = plan.script;
    options.scale = plan.scale;
    if (plan.capture_audio) options.audio_path = "sound.wav";
    result.status = harness::run(options, [&](const harness::FlipInfo& info) {
        result.flips.push_back(test_support::snapshot(info));
        if (plan.keep.count(info.flip) || (plan.keep_when && plan.keep_when(result.flips.back()))) {
            result.pictures[info.flip] = Pixels(
                info.pixels, info.pixels + static_cast<std::size_t>(info.width) * info.height);
        }
        if (result.paper.empty()) result.paper = paper_as_drawn(info.world->pictures);
        if (plan.on_picture) plan.on_picture(result.flips.back(), info.pixels, result.paper);
        if (plan.on_flip) plan.on_flip(result.flips.back(), *info.world);
    });
    result.best_score_file = test_support::read_best_score_file("data/hiscore.dat");
    if (plan.capture_audio) {
        // 16-bit stereo at 44100 Hz after a 44-byte header.
        const auto bytes = fs::file_size("sound.wav");
        result.audio_ms = static_cast<int>((bytes - 44) / 4 * 1000 / 44100);
    }
    return result;
}

}  // namespace shell_test
