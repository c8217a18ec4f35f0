// libFuzzer target: the demo reader given any text. It never throws and names
// what is wrong in one line; whatever it accepts writes back as a text that
// reads as the same demo.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "shell/demo_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const DemoRead read = parse_demo(text);
    if (!read.demo) {
        if (read.error.empty() || read.error.find('\n') != std::string::npos) __builtin_trap();
        return 0;
    }
    const DemoRead again = parse_demo(format_demo(*read.demo));
    if (!again.demo || !(*again.demo == *read.demo)) __builtin_trap();
    return 0;
}
