#include "shell/best_score.h"

#include <cstdint>
#include <iostream>
#include <string>

#include "services/files.h"
#include "shell/safe_save.h"
#include "world/player.h"

namespace {

constexpr const char* kScoreFile = "data/hiscore.dat";

// Four bytes, least significant first, read and written with the services' one encoding.
void load() {
    player.best_score = 0;
    // A directory (or anything but a file) in the file's place reads as no best yet.
    if (svc::file_type(kScoreFile) != svc::FileType::kFile) return;
    svc::StreamRef stream = svc::open_read(kScoreFile);
    if (!stream) return;
    player.best_score = svc::read_int(*stream);
    svc::close_stream(std::move(stream));
}

}  // namespace

void load_best_score() {
    load();
}

void save_best_score() {
    const std::string reason = save_file_safely(kScoreFile, svc::int_bytes(player.best_score));
    if (!reason.empty()) {
        std::cerr << "could not save the best score to " << kScoreFile << ": " << reason << '\n';
    }
}
