// artgen: draws every picture of Scribble Squadron and writes them as PNG files.
//
//   artgen ASSETS_DIR [CONTACT_SHEET.png]
//
// Writes the game's pictures and icons under ASSETS_DIR, and the pictures again
// at 2, 3 and 4 times the size, drawn from the same strokes, under ASSETS_DIR/2x,
// ASSETS_DIR/3x and ASSETS_DIR/4x with the same names. With a second argument
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

namespace {

namespace fs = std::filesystem;

art::AllArt draw_all(int scale) {
    art::AllArt all;
    all.parts = art::draw_sheet_parts(scale);
    all.sheet = art::assemble_sheet(all.parts, scale);
    all.paper = art::draw_paper(scale);
    all.mountains1 = art::draw_mountains(1, scale);
    all.mountains2 = art::draw_mountains(2, scale);
    all.pointer = art::draw_pointer(scale);
    all.logo = art::draw_logo(scale);
    return all;
}

void write_pictures(const art::AllArt& all, const fs::path& dir, art::RowFilter filter) {
    fs::create_directories(dir);
    auto write = [&](const art::Image& picture, const char* name) {
        picture.write_png((dir / name).string(), false, filter);
    };
    write(all.paper, "paper.png");
    write(all.sheet, "sprite_sheet.png");
    write(all.mountains1, "mountain_1.png");
    write(all.mountains2, "mountain_2.png");
    write(all.pointer, "pointer.png");
    write(all.logo, "logo.png");
}

void write_icons(const fs::path& dir) {
    fs::create_directories(dir);
    for (int size : {256, 128, 64, 48, 32}) {
        std::string name = "scribble-squadron-" + std::to_string(size) + ".png";
        art::draw_icon(size).write_png((dir / name).string(), true);
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s ASSETS_DIR [CONTACT_SHEET.png]\n", argv[0]);
        return 2;
    }
    try {
        const fs::path assets = argv[1];
        const art::AllArt all = draw_all(1);
        write_pictures(all, assets, art::RowFilter::kAdaptive);
        write_icons(assets / "icon");
        // The pencil grain defeats PNG's row predictors: unfiltered, the larger
        // pictures pack about a tenth smaller and decode about a third faster.
        // The scale-1 pictures keep the settings they were committed with.
        for (int scale : {2, 3, 4})
            write_pictures(draw_all(scale), assets / (std::to_string(scale) + "x"),
                           art::RowFilter::kNone);
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
