// libFuzzer target: the best-score reader given any file contents, and the
// save that follows (which must write back exactly what was read).
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "shell/best_score.h"

namespace {

// Works in a private directory so the fuzzer never touches a real best score.
void enter_scratch_directory() {
    static bool entered = false;
    if (entered) return;
    std::string pattern =
        (std::filesystem::temp_directory_path() / "scribble-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) std::abort();
    std::filesystem::create_directory("data");
    entered = true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    enter_scratch_directory();
    if (std::FILE* file = std::fopen("data/hiscore.dat", "wb")) {
        if (size) std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    const std::int32_t loaded = load_best_score();
    std::uint8_t bytes[4] = {};
    for (std::size_t i = 0; i < 4 && i < size; ++i) bytes[i] = data[i];
    const auto expected = static_cast<std::int32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16 |
                                                    static_cast<std::uint32_t>(bytes[3]) << 24);
    if (loaded != expected) __builtin_trap();

    save_best_score(loaded);
    if (load_best_score() != expected) __builtin_trap();
    return 0;
}
