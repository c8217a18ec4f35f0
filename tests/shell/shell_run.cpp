#include "shell_run.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <system_error>

#include "game/assets.h"
#include "game/game_state.h"
#include "game/sound_cues.h"
#include "services/audio/sound.h"
#include "services/input.h"
#include "world/enemy_plane.h"
#include "world/player.h"
#include "world/player_shot.h"

namespace fs = std::filesystem;

namespace shell_test {
namespace {

// A fresh working directory with the game's sounds in data/, entered for the
// lifetime of the object.
class ScratchDir {
  public:
    ScratchDir() : previous_(fs::current_path()) {
        std::string pattern = (fs::temp_directory_path() / "shell-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot make a scratch directory");
        path_ = pattern;
        fs::create_directory(path_ / "data");
        for (const auto& entry : fs::directory_iterator(fs::path(SCRIBBLE_SOURCE_DIR) / "data")) {
            if (entry.path().extension() == ".ogg")
                fs::create_symlink(entry.path(), path_ / "data" / entry.path().filename());
        }
        fs::current_path(path_);
    }
    ~ScratchDir() {
        std::error_code ignored;
        fs::current_path(previous_, ignored);
        fs::remove_all(path_, ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

  private:
    fs::path previous_;
    fs::path path_;
};

void write_best_score(std::int32_t value) {
    std::ofstream out("data/hiscore.dat", std::ios::binary);
    for (int i = 0; i < 4; ++i) out.put(static_cast<char>((value >> (8 * i)) & 0xFF));
}

std::optional<std::int32_t> read_best_score() {
    std::ifstream in("data/hiscore.dat", std::ios::binary);
    if (!in) return std::nullopt;
    unsigned char bytes[4] = {};
    in.read(reinterpret_cast<char*>(bytes), 4);
    if (in.gcount() != 4 || in.peek() != std::char_traits<char>::eof()) return std::nullopt;
    return static_cast<std::int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                     static_cast<std::uint32_t>(bytes[3]) << 24);
}

Snapshot snapshot(const harness::FlipInfo& info) {
    Snapshot s;
    s.flip = info.flip;
    s.ms = info.ms;
    s.state = game_state;
    s.phase = stage_phase;
    s.timer = phase_timer;
    s.score = player.score;
    s.best = player.best_score;
    s.new_best = player.new_best;
    s.lives = player.lives;
    s.level = player.level;
    s.x = player.x;
    s.y = player.y;
    s.mouse_x = svc::input_state().mouse_x();
    s.mouse_y = svc::input_state().mouse_y();
    s.quit = quit_requested;
    s.engine = engine_channel && svc::channel_playing(engine_channel) ? 1 : 0;
    s.enemies = enemy_plane_list.count();
    s.shots = player_shot_list.count();
    s.sfx_step = volumes.effects_step;
    s.engine_step = volumes.engine_step;
    s.sounds = info.sounds;
    return s;
}

Pixels paper_as_drawn() {
    Pixels paper;
    if (!pictures.paper || pictures.paper->pixmaps.empty()) return paper;
    for (std::uint32_t pixel : pictures.paper->pixmaps[0].pixels) paper.push_back(rgb(pixel));
    return paper;
}

fs::path golden_path(const std::string& name) {
    return fs::path(SCRIBBLE_SOURCE_DIR) / "tests/shell/golden" / (name + ".png");
}

struct PngReadCloser {
    png_structp png;
    png_infop info;
    ~PngReadCloser() { png_destroy_read_struct(&png, &info, nullptr); }
};

// Reads an 8-bit RGB PNG into 0x00RRGGBB pixels; empty when it cannot.
Pixels read_rgb_png(const fs::path& path, int& width, int& height) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"),
                                                         &std::fclose);
    if (!file) return {};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngReadCloser closer{png, info};
    if (setjmp(png_jmpbuf(png))) return {};
    png_init_io(png, file.get());
    png_read_png(png, info,
                 PNG_TRANSFORM_STRIP_16 | PNG_TRANSFORM_STRIP_ALPHA | PNG_TRANSFORM_EXPAND,
                 nullptr);
    width = static_cast<int>(png_get_image_width(png, info));
    height = static_cast<int>(png_get_image_height(png, info));
    if (png_get_channels(png, info) != 3) return {};
    png_bytepp rows = png_get_rows(png, info);
    Pixels pixels;
    pixels.reserve(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const png_bytep p = rows[y] + 3 * x;
            pixels.push_back(static_cast<std::uint32_t>(p[0]) << 16 | p[1] << 8 | p[2]);
        }
    return pixels;
}

}  // namespace

int channel_difference(std::uint32_t a, std::uint32_t b) {
    int most = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int d =
            std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
        most = std::max(most, d);
    }
    return most;
}

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
    ScratchDir scratch;
    if (plan.best_score_on_disk >= 0) write_best_score(plan.best_score_on_disk);

    RunResult result;
    harness::Options options;
    options.seed = plan.seed;
    options.frames = plan.frames;
    options.input_script = plan.script;
    if (plan.capture_audio) options.audio_path = "sound.wav";
    result.status = harness::run(options, [&](const harness::FlipInfo& info) {
        result.flips.push_back(snapshot(info));
        if (plan.keep.count(info.flip) || (plan.keep_when && plan.keep_when(result.flips.back()))) {
            result.pictures[info.flip] = Pixels(
                info.pixels, info.pixels + static_cast<std::size_t>(info.width) * info.height);
        }
        if (result.paper.empty()) result.paper = paper_as_drawn();
        if (plan.on_picture) plan.on_picture(result.flips.back(), info.pixels, result.paper);
        if (plan.on_flip) plan.on_flip(result.flips.back());
    });
    result.best_score_file = read_best_score();
    if (plan.capture_audio) {
        // 16-bit stereo at 44100 Hz after a 44-byte header.
        const auto bytes = fs::file_size("sound.wav");
        result.audio_ms = static_cast<int>((bytes - 44) / 4 * 1000 / 44100);
    }
    return result;
}

void expect_matches_golden(const Pixels& picture, const std::string& name) {
    constexpr int kWidth = 640, kHeight = 480;
    const fs::path path = golden_path(name);
    const char* update = std::getenv("SCRIBBLE_UPDATE_GOLDEN");
    if (update && std::string(update) == "1") {
        fs::create_directories(path.parent_path());
        harness::write_png(path.string(), picture.data(), kWidth, kHeight);
        std::printf("rewrote %s\n", path.c_str());
        return;
    }
    int width = 0, height = 0;
    const Pixels golden = read_rgb_png(path, width, height);
    ASSERT_FALSE(golden.empty()) << "cannot read " << path
                                 << " (set SCRIBBLE_UPDATE_GOLDEN=1 to write it)";
    ASSERT_EQ(width, kWidth);
    ASSERT_EQ(height, kHeight);
    // Small rendering changes (rounding in a blend, a glyph's edge) are tolerated;
    // anything moved, missing or recoloured is not.
    int differing = 0;
    int worst = 0;
    for (std::size_t i = 0; i < golden.size(); ++i) {
        const int d = channel_difference(golden[i], rgb(picture[i]));
        worst = std::max(worst, d);
        if (d > 24) ++differing;
    }
    if (differing <= kWidth * kHeight / 1000) return;
    const fs::path actual = fs::path(SCRIBBLE_BINARY_DIR) / (name + ".actual.png");
    harness::write_png(actual.string(), picture.data(), kWidth, kHeight);
    ADD_FAILURE() << name << ": " << differing << " pixels differ by more than 24 (worst " << worst
                  << "); the picture shown is " << actual
                  << ". If the change is intended, look at it, then rerun with "
                     "SCRIBBLE_UPDATE_GOLDEN=1 to make it the reference.";
}

}  // namespace shell_test
