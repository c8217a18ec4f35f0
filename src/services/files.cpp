// Files relative to the working directory. Failures are answered by return
// values (and errno, for callers that want to say why); nothing throws.
#include "services/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <string>

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace svc {
namespace {

// Paths come as views; the C library wants terminated strings. A path that
// cannot even be copied counts as one that cannot be opened.
template <typename Fn>
auto with_c_path(std::string_view path, Fn fn, decltype(fn("")) on_failure) {
    try {
        const std::string terminated(path);
        return fn(terminated.c_str());
    } catch (...) {
        errno = ENOMEM;
        return on_failure;
    }
}

std::string parent_directory(std::string_view path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string_view::npos) return ".";
    if (slash == 0) return "/";
    return std::string(path.substr(0, slash));
}

// After a rename the directory entry itself must reach the disk for the new
// file to survive a power cut; a failure here does not undo the rename.
void sync_directory(const std::string& directory) {
#ifdef __EMSCRIPTEN__
    // A page's files live in memory; the page stores them in the browser
    // (IndexedDB), all changes in one transaction, when asked to here.
    static_cast<void>(directory);
    EM_ASM({
        if (Module.storeFiles) Module.storeFiles();
    });
#else
    const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#endif
}

StreamRef open_stream(std::string_view path, const char* mode, bool writing) {
    std::FILE* file = with_c_path(
        path, [mode](const char* p) { return std::fopen(p, mode); },
        static_cast<std::FILE*>(nullptr));
    if (!file) return nullptr;
    try {
        return std::make_unique<Stream>(file, writing);
    } catch (...) {
        std::fclose(file);
        errno = ENOMEM;
        return nullptr;
    }
}

// The rest of an open file; empty when a read fails, with errno saying why.
std::optional<std::vector<std::uint8_t>> read_to_end(std::FILE* file) {
    try {
        std::vector<std::uint8_t> bytes;
        std::uint8_t chunk[16384];
        std::size_t got = 0;
        while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
            bytes.insert(bytes.end(), chunk, chunk + got);
        }
        if (std::ferror(file)) return std::nullopt;
        return bytes;
    } catch (const std::bad_alloc&) {
        errno = ENOMEM;
        return std::nullopt;
    }
}

}  // namespace

Stream::~Stream() {
    if (file) std::fclose(file);
}

FileType file_type(std::string_view path) {
    return with_c_path(
        path,
        [](const char* p) {
            struct stat info {};
            if (::stat(p, &info) != 0) return FileType::kNothing;
            if (S_ISREG(info.st_mode)) return FileType::kFile;
            if (S_ISDIR(info.st_mode)) return FileType::kDirectory;
            return FileType::kNothing;
        },
        FileType::kNothing);
}

StreamRef open_read(std::string_view path) {
    return open_stream(path, "rb", false);
}

StreamRef open_write(std::string_view path) {
    return open_stream(path, "wb", true);
}

std::string int_bytes(std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(bits >> (8 * i) & 0xFF);
    return bytes;
}

std::int32_t int_from_bytes(const unsigned char (&bytes)[4]) {
    const std::uint32_t value = std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                                std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24;
    return static_cast<std::int32_t>(value);
}

std::int32_t read_int(Stream& stream) {
    unsigned char bytes[4] = {0, 0, 0, 0};
    if (stream.file) std::fread(bytes, 1, sizeof bytes, stream.file);
    return int_from_bytes(bytes);
}

bool write_int(Stream& stream, std::int32_t value) {
    if (!stream.file) return false;
    return write_bytes(stream, int_bytes(value));
}

bool write_bytes(Stream& stream, std::string_view bytes) {
    return std::fwrite(bytes.data(), 1, bytes.size(), stream.file) == bytes.size();
}

bool close_stream(StreamRef stream) {
    if (!stream || !stream->file) return false;
    bool ok = true;
    if (stream->writing) {
        ok = std::fflush(stream->file) == 0 && !std::ferror(stream->file);
        // Written data must be on the disk before the file may replace another.
        if (ok) ok = ::fsync(::fileno(stream->file)) == 0;
    }
    const int saved_errno = errno;
    const bool closed = std::fclose(stream->file) == 0;
    stream->file = nullptr;
    if (!ok) errno = saved_errno;
    return ok && closed;
}

std::optional<std::vector<std::uint8_t>> read_whole_file(std::string_view path) {
    StreamRef stream = open_read(path);
    if (!stream) return std::nullopt;
    auto bytes = read_to_end(stream->file);
    const int saved_errno = errno;  // closing must not hide why the read failed
    stream.reset();
    errno = saved_errno;
    return bytes;
}

bool make_directory(std::string_view path) {
    return with_c_path(
        path,
        [](const char* p) {
            if (::mkdir(p, 0777) == 0) return true;
            const int saved_errno = errno;
            struct stat info {};
            if (saved_errno == EEXIST && ::stat(p, &info) == 0 && S_ISDIR(info.st_mode)) {
                return true;
            }
            errno = saved_errno;
            return false;
        },
        false);
}

bool replace_file(std::string_view from, std::string_view to) {
    try {
        const std::string source(from), target(to);
        if (std::rename(source.c_str(), target.c_str()) != 0) return false;
        const int saved_errno = errno;
        sync_directory(parent_directory(to));
        errno = saved_errno;
        return true;
    } catch (...) {
        errno = ENOMEM;
        return false;
    }
}

bool remove_file(std::string_view path) {
    // unlink, not remove: an empty directory in the file's place is left alone.
    return with_c_path(
        path, [](const char* p) { return ::unlink(p) == 0; }, false);
}

}  // namespace svc
