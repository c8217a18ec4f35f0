#include "support/scratch_dir.h"

#include <unistd.h>

#include <stdexcept>
#include <system_error>

#include "support/files.h"

namespace test_support {

namespace fs = std::filesystem;

ScratchDir::ScratchDir(Enter enter) {
    std::string pattern = (fs::temp_directory_path() / "scribble-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("cannot make a scratch directory from " + pattern);
    path_ = pattern;
    if (enter == Enter::kYes) {
        previous_ = fs::current_path();
        fs::current_path(path_);
    }
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    if (!previous_.empty()) fs::current_path(previous_, ignored);
    fs::remove_all(path_, ignored);
}

GameWorkingDir::GameWorkingDir() {
    const fs::path data = path() / "data";
    fs::create_directory(data);
    for (const auto& entry : fs::directory_iterator(source_path("data"))) {
        if (entry.path().extension() == ".ogg")
            fs::create_symlink(entry.path(), data / entry.path().filename());
    }
}

}  // namespace test_support
