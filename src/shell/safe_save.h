#pragma once
// Files written so that a crash or a full disk in the middle of a save leaves the
// previous file whole: the new contents go to a temporary file beside it, which
// is then renamed over it in one step.
#include <string>
#include <string_view>

// Replaces the file at `path` (relative to the working directory; missing
// folders on the way are made) by `contents`. Returns an empty string on
// success, else the reason.
std::string save_file_safely(const std::string& path, std::string_view contents);
