#pragma once
// Proof pictures for judging the art by eye: a labelled contact sheet of every
// picture and frame at 3x, and mock-ups of a play frame and the title screen.
#include <string>

#include "logo.h"
#include "sprites.h"

namespace art {

struct AllArt {
    Image paper, sheet, mountains1, mountains2, pointer, logo;
    SheetParts parts;
};

// `font_path` is the game's font, used for the labels and the mock-ups' texts.
void write_contact_sheet(const AllArt& art, const std::string& font_path, const std::string& path);
void write_mockups(const AllArt& art, const std::string& font_path, const std::string& prefix);

}  // namespace art
