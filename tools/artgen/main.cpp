// artgen: draws every picture of Scribble Squadron and writes them as PNG files.
//
//   artgen ASSETS_DIR [CONTACT_SHEET.png]
//
// Writes the game's pictures and icons under ASSETS_DIR; with a second argument
// also writes a labelled contact sheet there and mock-up screens beside it
// (NAME-play.png, NAME-title.png, NAME-logo.png, NAME-seams.png).
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

#include "contact.h"
#include "logo.h"
#include "scenery.h"
#include "sprites.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s ASSETS_DIR [CONTACT_SHEET.png]\n", argv[0]);
        return 2;
    }
    try {
        namespace fs = std::filesystem;
        const fs::path assets = argv[1];
        fs::create_directories(assets / "icon");
        art::AllArt all;
        all.parts = art::draw_sheet_parts();
        all.sheet = art::assemble_sheet(all.parts);
        all.paper = art::draw_paper();
        all.mountains1 = art::draw_mountains(1);
        all.mountains2 = art::draw_mountains(2);
        all.pointer = art::draw_pointer();
        all.logo = art::draw_logo();

        all.paper.write_png((assets / "paper.png").string());
        all.sheet.write_png((assets / "sprite_sheet.png").string());
        all.mountains1.write_png((assets / "mountain_1.png").string());
        all.mountains2.write_png((assets / "mountain_2.png").string());
        all.pointer.write_png((assets / "pointer.png").string());
        all.logo.write_png((assets / "logo.png").string());
        for (int size : {256, 128, 64, 48, 32}) {
            std::string name = "scribble-squadron-" + std::to_string(size) + ".png";
            art::draw_icon(size).write_png((assets / "icon" / name).string(), true);
        }
        if (argc == 3) {
            const std::string font = (assets / "font" / "ComicNeue-Bold.otf").string();
            fs::path contact = argv[2];
            art::write_contact_sheet(all, font, contact.string());
            fs::path stem = contact.parent_path() / contact.stem();
            art::write_mockups(all, font, stem.string());
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "artgen: %s\n", e.what());
        return 1;
    }
    return 0;
}
