#include "logo.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "lettering.h"
#include "noise.h"
#include "planes.h"
#include "sketch.h"

namespace art {

namespace {

constexpr Rgb kPencilYellow{238, 186, 52};
constexpr Rgb kWood{226, 196, 150};
constexpr Rgb kEraser{226, 134, 140};
constexpr Rgb kFerrule{170, 170, 176};

// A pencil lying from `tip` along `dir_deg`, `length` long and `thick` wide.
void draw_pencil(Canvas& c, Pt tip, float dir_deg, float length, float thick, float line_scale) {
    auto body = [&](float a, float b, float half) {
        return Path{{a, -half}, {b, -half}, {b, half}, {a, half}};
    };
    auto place = [&](const Path& p) {
        return translated(rotated(p, {0, 0}, dir_deg), tip.x, tip.y);
    };
    float half = thick * 0.5f;
    float cone = thick * 1.4f;
    Pen edge = sized(pens::outline(), line_scale);
    Pen thin = sized(pens::detail(), line_scale);
    Path wood = place({{0, 0}, {cone, -half}, {cone, half}});
    c.fill(wood, kWood);
    Path lead = place({{0, 0}, {cone * 0.45f, -half * 0.45f}, {cone * 0.45f, half * 0.45f}});
    c.fill(lead, ink::kGraphite);
    Path shaft = place(body(cone, length - thick * 1.5f, half));
    Mask shaft_mask = c.polygon_mask(shaft);
    c.fill(shaft_mask, ink::kBody);
    c.hatch(shaft_mask, dir_deg > 0 ? 10 : -10, 1.1f * line_scale,
            sized(Pen{kPencilYellow, 0.9f, 0.9f, 0.1f, 1, 0.25f, 0.4f}, line_scale));
    Path ferrule = place(body(length - thick * 1.5f, length - thick * 0.8f, half));
    c.fill(ferrule, kFerrule);
    Path eraser = place(body(length - thick * 0.8f, length, half));
    c.fill(eraser, kEraser);
    c.stroke(closed(wood), edge);
    c.stroke(closed(shaft), edge);
    c.stroke(closed(ferrule), thin);
    c.stroke(closed(eraser), edge);
    c.stroke(place({{cone, 0}, {length - thick * 1.5f, 0}}), thin);
}

void draw_notepad(Canvas& c) {
    Pt pivot{80, 125};
    auto place = [&](const Path& p) { return rotated(p, pivot, -7.0f); };
    Path sheet = place({{22, 42}, {142, 42}, {144, 212}, {20, 210}});
    c.fill(sheet, ink::kBody);
    Pen edge = pens::outline();
    edge.width = 1.7f;
    edge.wobble = 0.5f;
    // A second sheet peeking out below the first.
    Path under = place({{24, 208}, {146, 210}, {142, 216}, {26, 214}});
    c.fill(under, ink::kBody);
    c.stroke(closed(under), edge);
    c.stroke(closed(sheet), edge);
    Pen lines{Rgb{120, 160, 210}, 1.0f, 0.6f, 0.3f, 1, 0.4f, 1.0f};
    for (float y = 80; y < 205; y += 14) c.stroke(place({{28, y}, {136, y + 0.5f}}), lines);
    Pen red{Rgb{210, 80, 80}, 1.1f, 0.6f, 0.3f, 1, 0.4f, 1.0f};
    c.stroke(place({{42, 62}, {43, 206}}), red);
    // Spiral binding across the top.
    Pen wire = pens::outline();
    wire.width = 1.6f;
    for (int i = 0; i < 8; ++i) {
        float x = 34 + i * 14.5f;
        c.fill(place(ellipse({x, 52}, 2.2f, 2.2f, 12)), Rgb{110, 104, 98});
        c.stroke(place(ellipse({x + 1.5f, 44}, 4.0f, 9.0f, 20, 100, 250)), wire);
    }
    // A tiny biplane scribbled on the page.
    draw_player_plane(c, Place{46, 116, 1.5f});
    Pen scribble = pens::detail();
    c.stroke(place(smooth({{120, 104}, {108, 96}, {98, 108}, {86, 100}}, false)), scribble);
}

}  // namespace

Image draw_logo(int scale) {
    Canvas c(414, 230, 3, Rng::seed_of("logo"), scale);
    draw_notepad(c);
    draw_pencil(c, {112, 210}, -48, 118, 14, 1.6f);

    // "Jotpad" in outlined bubble letters with a hatched drop shadow.
    Lettering big = letter("Jotpad", {166, 100}, 31.5f, 0.12f, 0.2f);
    Mask letters = c.mask();
    for (const Path& s : big.strokes) letters.add_line(s, 10.0f);
    Mask shadow = c.mask();
    for (const Path& s : big.strokes) shadow.add_line(translated(s, 4.0f, 3.5f), 10.0f);
    shadow.cut(letters);
    c.fill(shadow, ink::kBody);
    c.hatch(shadow, 45, 1.7f, pens::dark_hatch());
    c.fill(letters, ink::kBody);
    c.hatch(letters, -50, 4.0f, Pen{Rgb{90, 130, 200}, 1.2f, 0.45f, 0.2f, 1, 0.4f, 1.0f});
    Pen edge = pens::outline();
    edge.width = 2.2f;
    edge.wobble = 0.7f;
    c.outline(letters, edge);

    // "Games" written underneath in a firm pencil hand.
    Lettering small = letter("Games", {200, 186}, 30.0f, 0.16f, 0.2f);
    Pen hand = pens::outline();
    hand.width = 3.8f;
    hand.wobble = 0.6f;
    hand.taper = 3.0f;
    for (const Path& s : small.strokes) c.stroke(s, hand);
    Pen underline = pens::outline();
    underline.width = 2.2f;
    underline.wobble = 1.0f;
    c.stroke(smooth({{194, 200}, {260, 205}, {330, 199}, {392, 203}}, false), underline);
    return c.resolve(ink::kPaper, 0.3f);
}

Image draw_pointer(int scale) {
    Canvas c(20, 20, 6, Rng::seed_of("pointer"), scale);
    draw_pencil(c, {0.3f, 0.3f}, 45, 26.5f, 5.8f, 0.75f);
    Image out = c.resolve(ink::kPaper, 0.4f);
    // The very tip is the hot spot: it must be a solid graphite pixel, at
    // every scale the whole block that stands for it.
    for (int y = 0; y < scale; ++y) {
        for (int x = 0; x < scale; ++x) out.set(x, y, {50, 50, 56});
    }
    return out;
}

Image draw_icon(int size) {
    // Drawn big once and reduced, so every size keeps the same picture.
    const int base = 256;
    Canvas c(base, base, 2, Rng::seed_of("icon"));
    float r = 30;
    Path card;
    for (int corner = 0; corner < 4; ++corner) {
        Pt centre{corner == 0 || corner == 3 ? 12 + r : base - 12 - r,
                  corner < 2 ? 12 + r : base - 12 - r};
        for (int i = 0; i <= 6; ++i) {
            float a = (180.0f + corner * 90.0f + i * 15.0f) * 3.14159265f / 180.0f;
            card.push_back({centre.x + r * std::cos(a), centre.y + r * std::sin(a)});
        }
    }
    c.fill(card, ink::kPaper);
    Pen ruled{Rgb{150, 184, 222}, 2.0f, 0.6f, 0.0f, 1, 0.3f, 0.0f};
    Mask card_mask = c.polygon_mask(card);
    for (float y = 60; y < 250; y += 36) c.stroke({{0, y}, {256, y}}, ruled, &card_mask);
    Pen margin{Rgb{214, 84, 84}, 2.4f, 0.7f, 0.6f, 2, 0.3f, 0.0f};
    c.stroke({{52, 0}, {52, 256}}, margin, &card_mask);
    Place at{128.0f - 25.5f * 5.5f, 128.0f - 16.5f * 5.5f, 5.5f};
    draw_player_plane(c, at);
    Pen edge = pens::outline();
    edge.width = 3.0f;
    c.stroke(closed(card), edge);
    Image big = c.resolve_alpha(ink::kPaper);
    if (size == base) return big;
    // Box-filter down to the requested size, weighting colour by alpha.
    Image out(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            int x0 = x * base / size, x1 = (x + 1) * base / size;
            int y0 = y * base / size, y1 = (y + 1) * base / size;
            float r_ = 0, g = 0, b = 0, a = 0;
            int n = 0;
            for (int yy = y0; yy < y1; ++yy) {
                for (int xx = x0; xx < x1; ++xx) {
                    float al = big.alpha_at(xx, yy) / 255.0f;
                    Rgb8 p = big.at(xx, yy);
                    r_ += p.r * al, g += p.g * al, b += p.b * al, a += al;
                    ++n;
                }
            }
            Rgb8 colour = a > 0 ? Rgb8{static_cast<std::uint8_t>(std::lround(r_ / a)),
                                       static_cast<std::uint8_t>(std::lround(g / a)),
                                       static_cast<std::uint8_t>(std::lround(b / a))}
                                : Rgb8{247, 243, 232};
            out.set(x, y, colour);
            out.set_alpha(x, y, static_cast<std::uint8_t>(std::lround(255.0f * a / n)));
        }
    }
    return out;
}

}  // namespace art
