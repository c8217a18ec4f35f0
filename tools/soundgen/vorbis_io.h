#pragma once
// Encoding mono sounds to Ogg Vorbis, decoding them back to check what the
// game will hear, and writing WAV files to look at and listen to.
#include <cstdint>
#include <string>
#include <vector>

#include "synth.h"

namespace soundgen {

// Encodes 16-bit mono samples at kRate; `serial` fixes the stream's serial
// number so that a rebuild produces the same bytes.
std::vector<std::uint8_t> encode_vorbis(const std::vector<std::int16_t>& pcm, int serial,
                                        float quality);

// Decodes a whole Ogg Vorbis file held in memory to 16-bit mono samples;
// throws std::runtime_error on failure.
std::vector<std::int16_t> decode_vorbis(const std::vector<std::uint8_t>& bytes);

void write_file(const std::string& path, const std::vector<std::uint8_t>& bytes);
void write_wav(const std::string& path, const std::vector<std::int16_t>& pcm);

}  // namespace soundgen
