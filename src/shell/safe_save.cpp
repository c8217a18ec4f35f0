#include "shell/safe_save.h"

#include <cerrno>
#include <cstring>

#include "services/files.h"

namespace {

std::string reason_from_errno(const char* fallback) {
    return errno != 0 ? std::strerror(errno) : fallback;
}

// Makes each missing folder of the path's parents; the reason when one cannot be.
std::string make_parent_folders(const std::string& path) {
    for (std::size_t slash = path.find('/'); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        if (folder.empty() || svc::file_type(folder) == svc::FileType::kDirectory) continue;
        errno = 0;
        if (!svc::make_directory(folder)) {
            return reason_from_errno(("cannot create " + folder + "/").c_str());
        }
    }
    return "";
}

}  // namespace

std::string save_file_safely(const std::string& path, std::string_view contents) {
    if (std::string reason = make_parent_folders(path); !reason.empty()) return reason;
    if (svc::file_type(path) == svc::FileType::kDirectory) return "a directory is in its place";

    const std::string temporary = path + ".tmp";
    errno = 0;
    svc::StreamRef stream = svc::open_write(temporary);
    if (!stream) return reason_from_errno("cannot create the file");
    errno = 0;
    const bool written = svc::write_bytes(*stream, contents);
    std::string reason = written ? "" : reason_from_errno("write failed");
    errno = 0;
    const bool closed = svc::close_stream(std::move(stream));
    if (reason.empty() && !closed) reason = reason_from_errno("write failed");
    if (reason.empty()) {
        errno = 0;
        if (svc::replace_file(temporary, path)) return "";
        reason = reason_from_errno("cannot replace the old file");
    }
    svc::remove_file(temporary);
    return reason;
}
