#include "shell/best_score.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <string>

#include "services/files.h"
#include "world/player.h"

namespace {

constexpr const char* kDataDir = "data";
constexpr const char* kScoreFile = "data/hiscore.dat";
constexpr const char* kTempFile = "data/hiscore.dat.tmp";

void load() {
    player.best_score = 0;
    // A directory (or anything but a file) in the file's place reads as no best yet.
    if (svc::file_type(kScoreFile) != svc::FileType::kFile) return;
    svc::StreamRef stream = svc::open_read(kScoreFile);
    if (!stream) return;
    player.best_score = svc::read_int(*stream);
    svc::close_stream(std::move(stream));
}

std::string reason_from_errno(const char* fallback) {
    return errno != 0 ? std::strerror(errno) : fallback;
}

// Writes the best to a temporary file beside the real one and renames it over
// the old file, so that a crash or a full disk mid-save leaves the previous
// best whole. Returns an empty string on success, else the reason.
std::string save() {
    if (svc::file_type(kDataDir) != svc::FileType::kDirectory) {
        errno = 0;
        if (!svc::make_directory(kDataDir)) return reason_from_errno("cannot create data/");
    }
    if (svc::file_type(kScoreFile) == svc::FileType::kDirectory)
        return "a directory is in its place";

    errno = 0;
    svc::StreamRef stream = svc::open_write(kTempFile);
    if (!stream) return reason_from_errno("cannot create the file");
    errno = 0;
    const bool written = svc::write_int(*stream, player.best_score);
    std::string reason = written ? "" : reason_from_errno("write failed");
    errno = 0;
    const bool closed = svc::close_stream(std::move(stream));
    if (reason.empty() && !closed) reason = reason_from_errno("write failed");
    if (reason.empty()) {
        errno = 0;
        if (svc::replace_file(kTempFile, kScoreFile)) return "";
        reason = reason_from_errno("cannot replace the old file");
    }
    svc::remove_file(kTempFile);
    return reason;
}

}  // namespace

void load_best_score() {
    load();
}

void save_best_score() {
    const std::string reason = save();
    if (!reason.empty()) {
        std::cerr << "could not save the best score to " << kScoreFile << ": " << reason << '\n';
    }
}
