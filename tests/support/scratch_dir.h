#pragma once
// Temporary folders for tests that write files or run the game: each is made
// fresh and removed with everything in it when the object goes.
#include <filesystem>
#include <string>

namespace test_support {

class ScratchDir {
  public:
    // Whether the folder is the working directory for the object's lifetime.
    enum class Enter : bool { kNo, kYes };

    explicit ScratchDir(Enter enter = Enter::kYes);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` inside the folder, as a string for the game's calls.
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
    std::filesystem::path previous_;  // empty unless the folder was entered
};

// The working directory a run of the game expects, entered: data/ holds links
// to the game's sounds, and the best score a run saves lands there too, out of
// the source tree.
class GameWorkingDir : public ScratchDir {
  public:
    GameWorkingDir();
};

}  // namespace test_support
