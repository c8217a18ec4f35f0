// libFuzzer target: the harness's input-script parser, and applying whatever
// it accepts to an input state.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "headless/script.h"
#include "services/input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const harness::ParsedScript script = harness::parse_script(text);
    if (!script.ok() && script.error.empty()) __builtin_trap();
    svc::InputState input;
    for (const harness::ScriptEvent& event : script.events) {
        harness::apply_event(event, input);
        harness::release_tap(event, input);
    }
    return 0;
}
