#include "shell/best_score.h"

#include <iostream>
#include <string>

#include "services/files.h"
#include "shell/safe_save.h"

namespace {

constexpr const char* kScoreFile = "data/hiscore.dat";

}  // namespace

// Four bytes, least significant first, read and written with the services' one encoding.
std::int32_t load_best_score() {
    // A directory (or anything but a file) in the file's place reads as no best yet.
    if (svc::file_type(kScoreFile) != svc::FileType::kFile) return 0;
    svc::StreamRef stream = svc::open_read(kScoreFile);
    if (!stream) return 0;
    const std::int32_t best = svc::read_int(*stream);
    svc::close_stream(std::move(stream));
    return best;
}

void save_best_score(std::int32_t best) {
    const std::string reason = save_file_safely(kScoreFile, svc::int_bytes(best));
    if (!reason.empty()) {
        std::cerr << "could not save the best score to " << kScoreFile << ": " << reason << '\n';
    }
}
