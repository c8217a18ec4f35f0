// libFuzzer target: the input-script parser, applying whatever it accepts to an
// input state, and writing each event back as a line that reads back the same.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "services/input.h"
#include "services/input_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const svc::ParsedScript script = svc::parse_script(text);
    if (!script.ok() && script.error.empty()) __builtin_trap();
    svc::InputState input;
    for (const svc::ScriptEvent& event : script.events) {
        svc::apply_event(event, input);
        svc::release_tap(event, input);
        svc::ScriptEvent again;
        if (!svc::parse_script_line(svc::format_script_line(event), again).empty())
            __builtin_trap();
        again.line = event.line;
        if (!(again == event)) __builtin_trap();
    }
    return 0;
}
