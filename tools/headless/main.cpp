// scribble-headless: runs the game without a window, driven by an input script.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>

#include "headless/harness.h"
#include "services/text_words.h"
#include "shell/demo_file.h"

namespace {

constexpr const char* kUsage =
    "usage: scribble-headless [--seed S] [--frames N] [--input FILE] [--trace FILE]\n"
    "                         [--trace-entities] [--shot F:FILE.png]... [--audio FILE.wav]\n"
    "                         [--scale K] [--record FILE.demo | --demo FILE.demo]\n";

struct UsageError {
    std::string message;
};

// A demo file that cannot be replayed: one line, exit status 2.
struct BadDemo {
    std::string message;
};

Demo read_demo(const std::string& path) {
    DemoRead read = read_demo_file(path);
    if (!read.demo) throw BadDemo{path + ": " + read.error};
    return std::move(*read.demo);
}

int parse_int(std::string_view text, const char* what) {
    int value = 0;
    if (!svc::parse_number(text, value)) {
        throw UsageError{std::string(what) + " must be a whole number, not '" + std::string(text) +
                         "'"};
    }
    return value;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw UsageError{"cannot read the input script " + path};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

harness::Options parse_arguments(int argc, char** argv) {
    harness::Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&]() -> std::string_view {
            if (i + 1 >= argc) throw UsageError{std::string(arg) + " needs a value"};
            return argv[++i];
        };
        if (arg == "--seed") {
            options.seed = parse_int(value(), "--seed");
        } else if (arg == "--frames") {
            options.frames = parse_int(value(), "--frames");
            if (*options.frames < 0) throw UsageError{"--frames must be 0 or more"};
        } else if (arg == "--input") {
            options.input_script = read_file(std::string(value()));
        } else if (arg == "--trace") {
            options.trace_path = value();
        } else if (arg == "--trace-entities") {
            options.trace_entities = true;
        } else if (arg == "--shot") {
            const std::string_view shot = value();
            const auto colon = shot.find(':');
            if (colon == std::string_view::npos || colon + 1 == shot.size()) {
                throw UsageError{"--shot takes F:FILE.png, not '" + std::string(shot) + "'"};
            }
            const int flip = parse_int(shot.substr(0, colon), "the flip of --shot");
            if (flip < 1) throw UsageError{"the flip of --shot must be 1 or more"};
            options.shots.emplace_back(flip, std::string(shot.substr(colon + 1)));
        } else if (arg == "--scale") {
            options.scale = parse_int(value(), "--scale");
            if (options.scale < 1 || options.scale > 4) throw UsageError{"--scale takes 1 to 4"};
        } else if (arg == "--audio") {
            options.audio_path = value();
        } else if (arg == "--demo") {
            options.demo = read_demo(std::string(value()));
        } else if (arg == "--record") {
            options.record_path = value();
        } else if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            std::exit(0);
        } else {
            throw UsageError{"unknown argument '" + std::string(arg) + "'"};
        }
    }
    return options;
}

}  // namespace

int main(int argc, char** argv) {
    harness::Options options;
    try {
        options = parse_arguments(argc, argv);
    } catch (const UsageError& e) {
        std::fprintf(stderr, "scribble-headless: %s\n%s", e.message.c_str(), kUsage);
        return 2;
    } catch (const BadDemo& e) {
        std::fprintf(stderr, "scribble-headless: %s\n", e.message.c_str());
        return 2;
    }
    try {
        return harness::run(std::move(options));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "scribble-headless: %s\n", e.what());
        return 1;
    }
}
