// Screenshots as PNG and the captured sound as WAV.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <vector>

#include "headless/harness.h"
#include "services/rendering/png_decode.h"

namespace harness {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Writes `bytes` as the whole file at `path`; `what` names it in the error.
void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes,
                const std::string& what) {
    File file(std::fopen(path.c_str(), "wb"));
    if (!file) throw Error("cannot write the " + what + " " + path);
    if (std::fwrite(bytes.data(), 1, bytes.size(), file.get()) != bytes.size() ||
        std::fflush(file.get()) != 0) {
        throw Error("cannot write the " + what + " " + path);
    }
}

void put_u16(std::vector<std::uint8_t>& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put_u32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put_u16(out, value & 0xFFFF);
    put_u16(out, value >> 16);
}

void put_tag(std::vector<std::uint8_t>& out, const char* tag) {
    out.insert(out.end(), tag, tag + 4);
}

}  // namespace

void write_png(const std::string& path, const std::uint32_t* pixels, int width, int height) {
    if (!pixels || width <= 0 || height <= 0) throw Error("no frame to write to " + path);
    const std::vector<std::uint8_t> bytes =
        svc::detail::encode_png(pixels, width, height, svc::detail::PngChannels::kRgb);
    if (bytes.empty()) throw Error("cannot write the picture " + path);
    write_file(path, bytes, "picture");
}

void write_wav(const std::string& path, const std::vector<std::int16_t>& samples, int rate) {
    constexpr int kChannels = 2;
    const std::uint32_t data_bytes = static_cast<std::uint32_t>(samples.size() * 2);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(44 + data_bytes);
    put_tag(bytes, "RIFF");
    put_u32(bytes, 36 + data_bytes);
    put_tag(bytes, "WAVE");
    put_tag(bytes, "fmt ");
    put_u32(bytes, 16);
    put_u16(bytes, 1);  // PCM
    put_u16(bytes, kChannels);
    put_u32(bytes, static_cast<std::uint32_t>(rate));
    put_u32(bytes, static_cast<std::uint32_t>(rate * kChannels * 2));
    put_u16(bytes, kChannels * 2);
    put_u16(bytes, 16);
    put_tag(bytes, "data");
    put_u32(bytes, data_bytes);
    for (const std::int16_t sample : samples) put_u16(bytes, static_cast<std::uint16_t>(sample));
    write_file(path, bytes, "sound");
}

}  // namespace harness
