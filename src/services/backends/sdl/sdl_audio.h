#pragma once
// Sound through an SDL audio device: 44100 Hz stereo 16-bit in short buffers,
// mixed on SDL's audio thread.
#include <memory>

#include "services/platform.h"

namespace svc {

// Starts SDL's audio if needed and opens the default device, which calls `mix`
// for every buffer it plays; nullptr, after saying why on standard error, when
// no device opens.
std::unique_ptr<AudioOutput> open_sdl_audio(AudioMixFn mix);

}  // namespace svc
