#pragma once
// A fresh working directory for a game run: data/ holds links to the game's
// sounds, so the best-score file a run writes stays out of the source tree.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

class RunDirectory {
  public:
    RunDirectory() {
        namespace fs = std::filesystem;
        std::string pattern = (fs::temp_directory_path() / "scribble-run-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
        fs::create_directories(path_ / "data");
        const fs::path sounds = fs::path(SCRIBBLE_SOURCE_DIR) / "data";
        if (fs::is_directory(sounds)) {
            for (const auto& entry : fs::directory_iterator(sounds)) {
                if (entry.path().extension() == ".ogg") {
                    fs::create_symlink(entry.path(), path_ / "data" / entry.path().filename());
                }
            }
        }
        previous_ = fs::current_path();
        fs::current_path(path_);
    }
    ~RunDirectory() {
        std::error_code ignored;
        std::filesystem::current_path(previous_, ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    RunDirectory(const RunDirectory&) = delete;
    RunDirectory& operator=(const RunDirectory&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

    void write(const std::string& name, const std::string& text) const {
        std::ofstream(path_ / name, std::ios::binary) << text;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path_ / name, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    std::vector<std::string> lines(const std::string& name) const {
        std::istringstream in(read(name));
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }

  private:
    std::filesystem::path path_;
    std::filesystem::path previous_;
};

// The integer after "name": in one trace line (-1 when absent).
inline long trace_int(const std::string& line, const std::string& name) {
    const std::string key = "\"" + name + "\":";
    const auto at = line.find(key);
    if (at == std::string::npos) return -1;
    return std::stol(line.substr(at + key.size()));
}

}  // namespace testing_support
