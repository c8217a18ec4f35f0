#include "game/assets.h"

#include <utility>

#include "drawing/plain_style.h"
#include "game/sprite_frames.h"

namespace {

// The sheet is drawn with the mask blend onto a black buffer and cut with black
// as the mask colour, so its grey background ends up transparent in every cut.
void cut_sprite_sheet(const svc::Image& sheet, Pictures& pictures) {
    use_plain_mask_style();
    svc::set_mask_colour(0, 0, 0);
    svc::clear_screen();
    svc::draw_image(sheet, 0, 0, 0);
    svc::grab_image(pictures.cloud, 397, 79, 0);
    for (int f = 0; f < sprite_frame::kCount; ++f)
        svc::grab_image(pictures.sprites, 1 + 49 * (f % 13), 1 + 34 * (f / 13), f);
    for (int f = 0; f < blimp_frame::kCount; ++f)
        svc::grab_image(pictures.blimp, 1 + 81 * f, 71, f);
    svc::set_mask_colour(200, 200, 200);
}

}  // namespace

void create_blank_pictures(Pictures& pictures) {
    pictures.left_margin = svc::create_image(110, 480, 1);
    pictures.right_margin = svc::create_image(116, 480, 1);
    svc::set_auto_mid_handle(true);
    pictures.cloud = svc::create_image(116, 78, 1);
    pictures.sprites = svc::create_image(48, 33, sprite_frame::kCount);
    pictures.blimp = svc::create_image(80, 33, blimp_frame::kCount);
    svc::set_auto_mid_handle(false);
}

std::string missing_resource(const std::string& name) {
    return "the embedded " + name + " is missing or unreadable; the program was built without it";
}

std::optional<std::string> load_pictures(Pictures& pictures) {
    constexpr const char* kFont = "itckrist.ttf";
    constexpr int kFontPixels = 18;
    pictures.font = svc::load_image_font(kFont, kFontPixels, {.smooth = true});
    if (!pictures.font) return missing_resource(kFont);
    svc::set_image_font(pictures.font);

    const std::pair<svc::Image*, const char*> embedded[] = {
        {&pictures.paper, "nb_paper_1v.png"},
        {&pictures.pointer, "dmpointerjg.png"},
        {&pictures.mountain1, "jg_bp_mts1.png"},
        {&pictures.mountain2, "jg_bp_mts2.png"},
    };
    for (const auto& [picture, name] : embedded) {
        *picture = svc::load_image(name);
        if (!*picture) return missing_resource(name);
    }
    constexpr const char* kSheet = "jg_bplane01.png";
    const svc::Image sheet = svc::load_image(kSheet);
    if (!sheet) return missing_resource(kSheet);
    cut_sprite_sheet(sheet, pictures);
    return std::nullopt;
}
