// libFuzzer target: the sound loader given arbitrary bytes as an Ogg Vorbis file.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "services/audio/mixer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const svc::Sound sound =
        svc::detail::decode_ogg(std::span<const std::uint8_t>(data, size), error);
    if (!sound && error.empty()) __builtin_trap();  // a failure always says why
    return 0;
}
