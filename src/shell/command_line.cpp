#include "shell/command_line.h"

#include <string_view>
#include <utility>

namespace {

// 1 to 4 written as one digit, else 0.
int scale_from(std::string_view text) {
    if (text.size() != 1 || text[0] < '1' || text[0] > '4') return 0;
    return text[0] - '0';
}

}  // namespace

CommandLine parse_command_line(const std::vector<std::string>& arguments) {
    CommandLine line;
    bool help = false, version = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--scale") {
            line.scale = i + 1 < arguments.size() ? scale_from(arguments[++i]) : 0;
            if (line.scale == 0) {
                line.error = "--scale takes 1, 2, 3 or 4";
                return line;
            }
        } else if (argument == "--demo") {
            if (i + 1 == arguments.size()) {
                line.error = "--demo needs a file (see --help)";
                return line;
            }
            line.demo_path = arguments[++i];
        } else if (argument == "--windowed") {
            line.display = CommandLine::Display::kWindowed;
        } else if (argument == "--fullscreen") {
            line.display = CommandLine::Display::kFullScreen;
        } else if (argument == "--help" || argument == "-h") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else if (!argument.empty() && argument[0] == '-') {
            line.error = "unknown option '" + argument + "' (see --help)";
            return line;
        } else {
            line.error = "unexpected argument '" + argument + "' (see --help)";
            return line;
        }
    }
    if (help) {
        line.action = CommandLine::Action::kHelp;
    } else if (version) {
        line.action = CommandLine::Action::kVersion;
    }
    return line;
}

bool play_windowed(const CommandLine& line, const char* windowed_variable) {
    switch (line.display) {
        case CommandLine::Display::kWindowed:
            return true;
        case CommandLine::Display::kFullScreen:
            return false;
        case CommandLine::Display::kDefault:
            break;
    }
    return windowed_variable != nullptr && std::string_view(windowed_variable) == "1";
}

int play_scale(const CommandLine& line, const char* scale_variable) {
    if (line.scale != 0) return line.scale;
    return scale_variable ? scale_from(scale_variable) : 0;
}

std::string help_text(const std::string& program) {
    return "Usage: " + program + R"( [--windowed | --fullscreen] [--scale K] [--demo FILE]
       )" + program +
           R"( --help | --version

Scribble Squadron: a biplane shooter drawn in pencil on notebook paper.

Options:
  --windowed     play in a resizable window (also SCRIBBLE_WINDOWED=1)
  --fullscreen   play full screen (the default)
  --scale K      draw K times finer than 640 x 480 (1 to 4; also SCRIBBLE_SCALE);
                 by default the largest K whose picture fits the display
  --demo FILE    play back a recorded game, then go on at the title; Escape
                 ends it early (data/demos/best.demo is your best game)
  --help         show this help and quit
  --version      show the version and quit

Controls:
  Up / Down arrows       climb / dive        (joystick: stick or d-pad)
  Left / Right arrows    turn                (joystick: stick or d-pad)
  Left Control           fire                (joystick: button 0, south face)
  Space                  pause / resume      (joystick: button 2, west face or Start)
  Escape                 pause; in the pause menu back to the title; on the title, quit
  Alt+Enter or F11       switch between full screen and a window
  Mouse                  choose in the menus

The best score is kept in data/hiscore.dat under the working directory, and
each game is recorded in data/demos/last.demo (and best.demo when it set a new
best); the installed game runs from ${XDG_DATA_HOME:-~/.local/share}/scribble-squadron.
)";
}

std::string version_text_line() {
    return std::string("Scribble Squadron ") + SCRIBBLE_VERSION;
}
