#pragma once
// Files relative to the working directory, read and written as little-endian
// 32-bit integers or as whole texts.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace svc {

// An open file. Destroying it closes the file; close_stream also reports
// whether the data written reached the disk.
struct Stream {
    Stream(std::FILE* file, bool writing) : file(file), writing(writing) {}
    ~Stream();
    Stream(const Stream&) = delete;
    Stream& operator=(const Stream&) = delete;
    std::FILE* file;
    bool writing;
};
using StreamRef = std::unique_ptr<Stream>;

// What is at a path; anything but a plain file or a directory counts as nothing.
enum class FileType { kNothing, kFile, kDirectory };
FileType file_type(std::string_view path);
StreamRef open_read(std::string_view path);
StreamRef open_write(std::string_view path);  // creates or truncates
// A 32-bit integer as 4 bytes, least significant first, and back: the one
// encoding of read_int and write_int, for callers that write the bytes otherwise.
std::string int_bytes(std::int32_t value);
std::int32_t int_from_bytes(const unsigned char (&bytes)[4]);
// Reads 4 bytes, least significant first; bytes past the end of the file count as 0.
std::int32_t read_int(Stream& stream);
// Writes 4 bytes, least significant first; false when the write could not complete.
bool write_int(Stream& stream, std::int32_t value);
// Writes every byte of `bytes`; false when the write could not complete.
bool write_bytes(Stream& stream, std::string_view bytes);
// Flushes and closes; false when the data could not be written out.
bool close_stream(StreamRef stream);

// Every byte of the file; empty, with errno saying why, when it cannot be
// opened or read to its end (a directory cannot).
std::optional<std::vector<std::uint8_t>> read_whole_file(std::string_view path);

bool make_directory(std::string_view path);
// Replaces `to` by `from` in one step (rename), so readers see the old or the new file.
bool replace_file(std::string_view from, std::string_view to);
bool remove_file(std::string_view path);

}  // namespace svc
