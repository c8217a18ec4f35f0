// Decoding a whole Ogg Vorbis stream from memory into 16-bit PCM.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <bit>
#include <cstring>

#include "services/audio/mixer.h"

namespace svc::detail {
namespace {

struct MemoryReader {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

std::size_t read_memory(void* dest, std::size_t size, std::size_t count, void* source) {
    auto& reader = *static_cast<MemoryReader*>(source);
    if (size == 0) return 0;
    const std::size_t left = reader.bytes.size() - reader.position;
    const std::size_t items = std::min(count, left / size);
    std::memcpy(dest, reader.bytes.data() + reader.position, items * size);
    reader.position += items * size;
    return items;
}

int seek_memory(void* source, ogg_int64_t offset, int whence) {
    auto& reader = *static_cast<MemoryReader*>(source);
    ogg_int64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<ogg_int64_t>(reader.position);
    if (whence == SEEK_END) base = static_cast<ogg_int64_t>(reader.bytes.size());
    const ogg_int64_t target = base + offset;
    if (target < 0 || target > static_cast<ogg_int64_t>(reader.bytes.size())) return -1;
    reader.position = static_cast<std::size_t>(target);
    return 0;
}

long tell_memory(void* source) {
    return static_cast<long>(static_cast<MemoryReader*>(source)->position);
}

const char* open_error(int code) {
    switch (code) {
        case OV_ENOTVORBIS:
            return "not an Ogg Vorbis file";
        case OV_EVERSION:
            return "unsupported Vorbis version";
        case OV_EBADHEADER:
            return "damaged Vorbis header";
        case OV_EREAD:
            return "read error";
        default:
            return "cannot open the Ogg Vorbis stream";
    }
}

// Closes the decoder whatever way decoding ends.
struct VorbisFile {
    OggVorbis_File file{};
    bool open = false;
    ~VorbisFile() {
        if (open) ov_clear(&file);
    }
};

}  // namespace

Sound decode_ogg(std::span<const std::uint8_t> bytes, std::string& error) {
    MemoryReader reader{bytes, 0};
    const ov_callbacks callbacks{read_memory, seek_memory, nullptr, tell_memory};
    VorbisFile vorbis;
    const int opened = ov_open_callbacks(&reader, &vorbis.file, nullptr, 0, callbacks);
    if (opened < 0) {
        error = open_error(opened);
        return nullptr;
    }
    vorbis.open = true;

    const vorbis_info* info = ov_info(&vorbis.file, -1);
    if (!info || info->channels < 1 || info->channels > 2 || info->rate <= 0) {
        error = "only mono and stereo sounds are supported";
        return nullptr;
    }
    auto sound = std::make_shared<SoundData>();
    sound->channels = info->channels;
    sound->rate = static_cast<int>(info->rate);
    const ogg_int64_t total = ov_pcm_total(&vorbis.file, -1);
    if (total > 0) sound->samples.reserve(static_cast<std::size_t>(total) * sound->channels);

    const int big_endian = std::endian::native == std::endian::big ? 1 : 0;
    char buffer[8192];
    for (;;) {
        int section = 0;
        const long got = ov_read(&vorbis.file, buffer, sizeof buffer, big_endian, 2, 1, &section);
        if (got == 0) break;
        if (got == OV_HOLE) continue;  // a gap in the data: skip it and go on
        if (got < 0) {
            error = "damaged Vorbis stream";
            return nullptr;
        }
        const vorbis_info* part = ov_info(&vorbis.file, section);
        if (!part || part->channels != sound->channels || part->rate != sound->rate) {
            error = "the stream changes its format midway";
            return nullptr;
        }
        const std::size_t old_size = sound->samples.size();
        sound->samples.resize(old_size + static_cast<std::size_t>(got) / 2);
        std::memcpy(sound->samples.data() + old_size, buffer, static_cast<std::size_t>(got));
    }
    if (sound->samples.empty()) {
        error = "the stream holds no samples";
        return nullptr;
    }
    return sound;
}

}  // namespace svc::detail
