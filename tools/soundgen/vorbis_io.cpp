#include "vorbis_io.h"

#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string_view>

namespace soundgen {
namespace {

void append_page(std::vector<std::uint8_t>& out, const ogg_page& page) {
    out.insert(out.end(), page.header, page.header + page.header_len);
    out.insert(out.end(), page.body, page.body + page.body_len);
}

// The libvorbis encoder state, cleared in the reverse order of creation.
struct Encoder {
    vorbis_info info{};
    vorbis_comment comment{};
    vorbis_dsp_state dsp{};
    vorbis_block block{};
    ogg_stream_state stream{};
    Encoder(int serial, float quality) {
        vorbis_info_init(&info);
        if (vorbis_encode_init_vbr(&info, 1, kRate, quality) != 0) {
            vorbis_info_clear(&info);
            throw std::runtime_error("vorbis encoder refused the settings");
        }
        vorbis_comment_init(&comment);
        vorbis_comment_add_tag(&comment, "ENCODER", "scribble soundgen");
        vorbis_analysis_init(&dsp, &info);
        vorbis_block_init(&dsp, &block);
        ogg_stream_init(&stream, serial);
    }
    ~Encoder() {
        ogg_stream_clear(&stream);
        vorbis_block_clear(&block);
        vorbis_dsp_clear(&dsp);
        vorbis_comment_clear(&comment);
        vorbis_info_clear(&info);
    }
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    void drain(std::vector<std::uint8_t>& out) {
        while (vorbis_analysis_blockout(&dsp, &block) == 1) {
            vorbis_analysis(&block, nullptr);
            vorbis_bitrate_addblock(&block);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp, &packet) == 1) {
                ogg_stream_packetin(&stream, &packet);
                ogg_page page;
                while (ogg_stream_pageout(&stream, &page) != 0) append_page(out, page);
            }
        }
    }
};

struct MemoryFile {
    const std::vector<std::uint8_t>* bytes;
    std::size_t position = 0;
};

std::size_t read_memory(void* dest, std::size_t size, std::size_t count, void* source) {
    auto& file = *static_cast<MemoryFile*>(source);
    const std::size_t items = std::min(count, (file.bytes->size() - file.position) / size);
    std::memcpy(dest, file.bytes->data() + file.position, items * size);
    file.position += items * size;
    return items;
}

}  // namespace

std::vector<std::uint8_t> encode_vorbis(const std::vector<std::int16_t>& pcm, int serial,
                                        float quality) {
    Encoder encoder(serial, quality);
    std::vector<std::uint8_t> out;

    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&encoder.dsp, &encoder.comment, &header, &comments, &codebooks);
    ogg_stream_packetin(&encoder.stream, &header);
    ogg_stream_packetin(&encoder.stream, &comments);
    ogg_stream_packetin(&encoder.stream, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&encoder.stream, &page) != 0) append_page(out, page);

    constexpr std::size_t kChunk = 4096;
    for (std::size_t done = 0; done < pcm.size(); done += kChunk) {
        const std::size_t count = std::min(kChunk, pcm.size() - done);
        float** buffer = vorbis_analysis_buffer(&encoder.dsp, static_cast<int>(count));
        for (std::size_t i = 0; i < count; ++i) buffer[0][i] = pcm[done + i] / 32768.0f;
        vorbis_analysis_wrote(&encoder.dsp, static_cast<int>(count));
        encoder.drain(out);
    }
    vorbis_analysis_wrote(&encoder.dsp, 0);  // end of stream
    encoder.drain(out);
    while (ogg_stream_flush(&encoder.stream, &page) != 0) append_page(out, page);
    return out;
}

std::vector<std::int16_t> decode_vorbis(const std::vector<std::uint8_t>& bytes) {
    MemoryFile file{&bytes};
    const ov_callbacks callbacks{read_memory, nullptr, nullptr, nullptr};
    OggVorbis_File vf;
    if (ov_open_callbacks(&file, &vf, nullptr, 0, callbacks) < 0) {
        throw std::runtime_error("cannot decode the encoded stream");
    }
    std::vector<std::int16_t> pcm;
    char buffer[8192];
    int section = 0;
    long got = 0;
    while ((got = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section)) != 0) {
        if (got < 0) {
            ov_clear(&vf);
            throw std::runtime_error("damaged encoded stream");
        }
        const std::size_t old = pcm.size();
        pcm.resize(old + static_cast<std::size_t>(got) / 2);
        std::memcpy(pcm.data() + old, buffer, static_cast<std::size_t>(got));
    }
    ov_clear(&vf);
    return pcm;
}

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

void write_wav(const std::string& path, const std::vector<std::int16_t>& pcm) {
    std::vector<std::uint8_t> bytes;
    auto put32 = [&bytes](std::uint32_t v) {
        for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&bytes](std::uint16_t v) {
        bytes.push_back(static_cast<std::uint8_t>(v));
        bytes.push_back(static_cast<std::uint8_t>(v >> 8));
    };
    auto tag = [&bytes](std::string_view text) {
        for (char c : text) bytes.push_back(static_cast<std::uint8_t>(c));
    };
    const auto data_size = static_cast<std::uint32_t>(pcm.size() * 2);
    tag("RIFF");
    put32(36 + data_size);
    tag("WAVE");
    tag("fmt ");
    put32(16);
    put16(1);  // PCM
    put16(1);  // mono
    put32(kRate);
    put32(kRate * 2);
    put16(2);
    put16(16);
    tag("data");
    put32(data_size);
    for (std::int16_t s : pcm) put16(static_cast<std::uint16_t>(s));
    write_file(path, bytes);
}

}  // namespace soundgen
