#pragma once
// The game's command line: how to show the game, or a question answered
// without starting it.
#include <optional>
#include <string>
#include <vector>

struct CommandLine {
    enum class Action { kPlay, kHelp, kVersion };
    enum class Display { kDefault, kWindowed, kFullScreen };

    Action action = Action::kPlay;
    Display display = Display::kDefault;  // kDefault: full screen unless SCRIBBLE_WINDOWED=1
    int scale = 0;  // 1 to 4: frames drawn that many times finer; 0: SCRIBBLE_SCALE, else the
                    // display decides
    std::string demo_path;  // --demo FILE: a recorded game to play back first
    std::string error;      // set when the line cannot be understood
};

// Reads the arguments after the program's name. The last of --windowed and
// --fullscreen wins; --help and --version win over playing. An unknown option
// or a stray argument leaves a one-line reason in `error`.
CommandLine parse_command_line(const std::vector<std::string>& arguments);

// Whether to play in a window: an option beats the SCRIBBLE_WINDOWED variable.
bool play_windowed(const CommandLine& line, const char* windowed_variable);
// The scale to draw at, 0 for the display's choice: --scale beats SCRIBBLE_SCALE
// (which counts only when it is 1 to 4).
int play_scale(const CommandLine& line, const char* scale_variable);

// What --help prints: the usage, the controls and where the best score lives.
std::string help_text(const std::string& program);
std::string version_text_line();
