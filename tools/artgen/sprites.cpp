#include "sprites.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <string>

#include "noise.h"
#include "planes.h"
#include "scenery.h"

namespace art {

namespace {

constexpr int kSs = 4;
constexpr float kThreshold = 0.34f;
constexpr Pt kCentre{24.0f, 16.5f};

Image resolve_sprite(const Canvas& c) {
    Image img = c.resolve(ink::kPaper, kThreshold);
    seal_pockets(img);
    return img;
}

Image draw_cell(const std::string& name, const std::function<void(Canvas&)>& draw, int scale) {
    Canvas c(kCellW, kCellH, kSs, Rng::seed_of(name), scale);
    draw(c);
    return resolve_sprite(c);
}

// A torn line from a to b, zigzagging sideways.
Path jagged(Pt a, Pt b, int teeth, float amplitude, Rng& rng) {
    Path p;
    float nx = -(b.y - a.y), ny = b.x - a.x;
    float len = std::hypot(nx, ny);
    nx /= len, ny /= len;
    for (int i = 0; i <= teeth; ++i) {
        float t = static_cast<float>(i) / teeth;
        float off = (i == 0 || i == teeth) ? 0.0f : rng.range(-amplitude, amplitude);
        p.push_back({a.x + (b.x - a.x) * t + nx * off, a.y + (b.y - a.y) * t + ny * off});
    }
    return p;
}

// The polygon on one side of a torn line: the line plus two far corners.
Path side_of(const Path& cut, Pt far1, Pt far2) {
    Path p = cut;
    p.push_back(far1);
    p.push_back(far2);
    return p;
}

// Cuts one piece out of a whole drawing, centres it and inks its torn edges.
Image piece(const std::string& name, const std::function<void(Canvas&, const Place&)>& draw,
            const std::vector<Path>& keep_sides, const std::vector<Path>& tears, int scale) {
    Canvas c(kCellW, kCellH, kSs, Rng::seed_of(name), scale);
    draw(c, Place{});
    Mask keep = c.mask();
    keep.add_polygon({{-5, -5}, {60, -5}, {60, 40}, {-5, 40}});
    for (const Path& side : keep_sides) keep.intersect_polygon(side);
    c.keep_only(keep);
    Mask solid_part = c.coverage(0.5f);
    Pen torn = pens::outline();
    torn.width = 1.3f;
    for (const Path& tear : tears) c.stroke(tear, torn, &solid_part);
    c.centre_content(kCentre.x, kCentre.y);
    return resolve_sprite(c);
}

std::array<Image, 4> player_pieces(int scale) {
    Rng rng(Rng::seed_of("player pieces"));
    Path cut_a = jagged({15.5f, -3}, {15.0f, 36}, 12, 1.2f, rng);  // behind the engine
    Path cut_c = jagged({29.8f, -3}, {30.6f, 36}, 12, 1.2f, rng);  // the tail with the pilot
    Path cut_b = jagged({-3, 11.6f}, {51, 11.2f}, 16, 0.9f, rng);  // the struts snap
    Path left_of_a = side_of(cut_a, {-10, 36}, {-10, -3});
    Path right_of_a = side_of(cut_a, {60, 36}, {60, -3});
    Path left_of_c = side_of(cut_c, {-10, 36}, {-10, -3});
    Path right_of_c = side_of(cut_c, {60, 36}, {60, -3});
    Path above_b = side_of(cut_b, {51, -10}, {-3, -10});
    Path below_b = side_of(cut_b, {51, 40}, {-3, 40});
    auto draw = [](Canvas& c, const Place& at) { draw_player_plane(c, at); };
    return {piece("player piece nose", draw, {left_of_a}, {cut_a}, scale),
            piece("player piece wing", draw, {right_of_a, left_of_c, above_b},
                  {cut_a, cut_b, cut_c}, scale),
            piece("player piece tail", draw, {right_of_c}, {cut_c}, scale),
            piece("player piece belly", draw, {right_of_a, left_of_c, below_b},
                  {cut_a, cut_b, cut_c}, scale)};
}

std::array<Image, 2> enemy_pieces(int scale) {
    Rng rng(Rng::seed_of("enemy pieces"));
    Path cut = jagged({24.5f, -3}, {22.0f, 36}, 13, 1.4f, rng);
    auto draw = [](Canvas& c, const Place& at) { draw_enemy_plane(c, at); };
    return {piece("enemy piece front", draw, {side_of(cut, {-10, 36}, {-10, -3})}, {cut}, scale),
            piece("enemy piece back", draw, {side_of(cut, {60, 36}, {60, -3})}, {cut}, scale)};
}

// A cluster of round puffs, filled and outlined: smoke, gas and the like.
Mask puff_mask(const Canvas& c, const std::vector<std::array<float, 3>>& circles) {
    Mask m = c.mask();
    for (const auto& [x, y, r] : circles) m.add_polygon(ellipse({x, y}, r, r, 28));
    return m;
}

void draw_puffs(Canvas& c, const std::vector<std::array<float, 3>>& circles, Rgb fill,
                float pen_pressure) {
    Mask m = puff_mask(c, circles);
    c.fill(m, fill);
    c.hatch(m.rim(1.5f, 4.0f), 45, 1.5f, pens::hatch());
    Pen edge = pens::outline();
    edge.pressure = pen_pressure;
    edge.wobble = 0.25f;
    c.outline(m, edge);
}

void draw_balloon(Canvas& c) {
    Path body;
    for (int i = 0; i < 56; ++i) {
        float t = 6.2831853f * i / 56.0f;
        float s = std::sin(t);
        // Narrower towards the knot at the bottom.
        float rx = 9.2f * (s > 0 ? 1.0f - 0.22f * s * s : 1.0f);
        body.push_back({24.0f + rx * std::cos(t), 12.6f + (s > 0 ? 11.0f : 10.2f) * s});
    }
    c.fill(body, ink::kBody);
    Mask red = c.polygon_mask(body);
    red.cut_polygon(rotated(ellipse({20.4f, 7.8f}, 2.6f, 1.6f, 16), {20.4f, 7.8f}, -40));
    Pen crayon{ink::kRed, 0.85f, 0.8f, 0.12f, 1, 0.3f, 0.5f};
    c.hatch(red, 55, 1.15f, crayon);
    Mask shade = c.polygon_mask(body);
    shade.cut_polygon(ellipse({21.0f, 10.0f}, 8.6f, 10.0f, 30));
    Pen deep{Rgb{150, 36, 40}, 0.8f, 0.8f, 0.12f, 1, 0.3f, 0.5f};
    c.hatch(shade, -35, 1.2f, deep);
    Pen rim{Rgb{120, 40, 42}, 1.05f, 0.92f, 0.16f, 2, 0.3f, 0.8f};
    c.stroke(closed(body), rim);
    Path knot{{22.6f, 24.9f}, {25.4f, 24.9f}, {24.0f, 23.2f}};
    c.fill(knot, ink::kRed);
    c.stroke(closed(knot), rim);
    Pen string = pens::detail();
    string.width = 0.8f;
    c.stroke(smooth({{24.0f, 25.0f}, {25.0f, 27.2f}, {23.4f, 29.4f}, {24.4f, 32.2f}}, false),
             string);
}

void draw_balloon_burst(Canvas& c) {
    Rng rng(Rng::seed_of("burst shreds"));
    Pen rim{Rgb{120, 40, 42}, 0.95f, 0.9f, 0.12f, 2, 0.3f, 0.5f};
    for (int i = 0; i < 7; ++i) {
        float a = 6.2831853f * (i + rng.range(-0.2f, 0.2f)) / 7.0f;
        float r = rng.range(8.5f, 11.5f);
        Pt at{kCentre.x + r * std::cos(a) * 1.25f, kCentre.y + r * std::sin(a)};
        Path shred{{-2.2f, -1.0f}, {0.6f, -1.8f}, {2.4f, -0.4f},
                   {1.2f, 0.6f},   {2.0f, 1.8f},  {-1.4f, 1.2f}};
        shred = translated(rotated(scaled(shred, {0, 0}, rng.range(0.9f, 1.3f), 1.0f), {0, 0},
                                   a * 57.3f + rng.range(-30.0f, 30.0f)),
                           at.x, at.y);
        c.fill(shred, ink::kRed);
        c.stroke(closed(shred), rim);
    }
    Pen dash = pens::outline();
    dash.width = 0.9f;
    for (int i = 0; i < 7; ++i) {
        float a = 6.2831853f * (i + 0.5f) / 7.0f;
        c.stroke({{kCentre.x + 4.0f * std::cos(a) * 1.2f, kCentre.y + 4.0f * std::sin(a)},
                  {kCentre.x + 8.0f * std::cos(a) * 1.25f, kCentre.y + 7.5f * std::sin(a)}},
                 dash);
    }
    Path star;
    for (int i = 0; i < 10; ++i) {
        float a = 6.2831853f * i / 10.0f;
        float r = i % 2 ? 1.4f : 3.2f;
        star.push_back({kCentre.x + r * std::cos(a), kCentre.y + r * std::sin(a)});
    }
    c.fill(star, ink::kYellow);
    c.stroke(closed(star), pens::detail());
}

void draw_smoke(Canvas& c) {
    draw_puffs(c,
               {{15.5f, 18.0f, 8.5f},
                {25.0f, 12.5f, 10.0f},
                {33.5f, 18.5f, 8.5f},
                {23.0f, 21.5f, 8.5f},
                {30.0f, 23.0f, 7.0f}},
               Rgb{196, 194, 190}, 0.85f);
}

void draw_shot(Canvas& c) {
    Path ring = ellipse({24.5f, 16.5f}, 2.6f, 2.6f, 20);
    c.fill(ring, ink::kBody);
    Pen p = pens::outline();
    p.width = 1.35f;
    p.wobble = 0.05f;
    c.stroke(closed(ring), p);
}

Path star_shape(Pt centre, int points, float outer, float inner, float squash, Rng& rng) {
    Path p;
    for (int i = 0; i < points * 2; ++i) {
        float a = 3.14159265f * i / points + 0.2f;
        float r = i % 2 ? inner * rng.range(0.85f, 1.1f) : outer * rng.range(0.75f, 1.05f);
        p.push_back({centre.x + r * std::cos(a) * 1.25f, centre.y + r * std::sin(a) * squash});
    }
    return p;
}

void draw_flash(Canvas& c) {
    Rng rng(Rng::seed_of("flash"));
    Path star = star_shape(kCentre, 8, 13.0f, 5.5f, 0.95f, rng);
    c.fill(star, ink::kBody);
    Mask m = c.polygon_mask(star);
    c.hatch(m, 60, 1.0f, Pen{ink::kYellow, 0.9f, 0.9f, 0.1f, 1, 0.2f, 0.4f});
    Mask core = c.polygon_mask(ellipse(kCentre, 5.5f, 4.5f, 20));
    c.hatch(core, -30, 1.1f, Pen{ink::kOrange, 0.8f, 0.85f, 0.1f, 1, 0.2f, 0.4f});
    c.stroke(closed(star), pens::outline());
}

void draw_burst(Canvas& c) {
    Rng rng(Rng::seed_of("burst"));
    std::vector<std::array<float, 3>> lobes;
    for (int i = 0; i < 9; ++i) {
        float a = 6.2831853f * i / 9.0f;
        lobes.push_back({kCentre.x + 11.0f * std::cos(a), kCentre.y + 7.5f * std::sin(a),
                         rng.range(5.0f, 7.0f)});
    }
    lobes.push_back({kCentre.x, kCentre.y, 9.0f});
    Mask m = puff_mask(c, lobes);
    c.fill(m, ink::kBody);
    c.hatch(m, 50, 1.0f, Pen{ink::kOrange, 0.85f, 0.85f, 0.12f, 1, 0.25f, 0.4f});
    Mask core = c.polygon_mask(ellipse(kCentre, 8.0f, 5.5f, 24));
    c.hatch(core, -40, 1.0f, Pen{ink::kYellow, 0.85f, 0.9f, 0.12f, 1, 0.2f, 0.4f});
    Mask rim = m;
    rim.cut_polygon(ellipse(kCentre, 11.0f, 8.0f, 30));
    c.hatch(rim, -45, 1.3f, Pen{ink::kRed, 0.7f, 0.7f, 0.12f, 1, 0.3f, 0.4f});
    Pen edge = pens::outline();
    edge.wobble = 0.3f;
    c.outline(m, edge);
    for (int i = 0; i < 5; ++i) {
        float a = 6.2831853f * (i + 0.3f) / 5.0f;
        Pt p{kCentre.x + 20.5f * std::cos(a), kCentre.y + 13.5f * std::sin(a)};
        Path bit = rotated(Path{{p.x - 1.1f, p.y - 0.7f},
                                {p.x + 1.2f, p.y - 0.5f},
                                {p.x + 0.7f, p.y + 0.9f},
                                {p.x - 0.9f, p.y + 0.7f}},
                           p, i * 40.0f);
        c.fill(bit, ink::kSoftGraphite);
    }
}

void draw_smoke_ring(Canvas& c) {
    std::vector<std::array<float, 3>> puffs;
    // Eight puffs round the middle with one gap where the ring has broken open.
    for (int i = 0; i < 8; ++i) {
        float a = 6.2831853f * i / 9.0f + 0.6f;
        puffs.push_back({kCentre.x + 14.0f * std::cos(a), kCentre.y + 9.5f * std::sin(a),
                         4.6f + 0.6f * (i % 3)});
    }
    draw_puffs(c, puffs, Rgb{214, 211, 205}, 0.8f);
    Pen ember{ink::kOrange, 0.8f, 0.8f, 0.1f, 1, 0.3f, 0.4f};
    c.stroke({{kCentre.x - 2.0f, kCentre.y + 1.0f}, {kCentre.x + 1.0f, kCentre.y - 1.0f}}, ember);
}

void draw_wisps(Canvas& c) {
    // The last of the smoke: a few loose curls drifting apart.
    Rng rng(Rng::seed_of("wisps"));
    Pen wisp = pens::outline();
    wisp.colour = ink::kSoftGraphite;
    wisp.pressure = 0.85f;
    wisp.width = 1.05f;
    wisp.passes = 1;
    for (int i = 0; i < 5; ++i) {
        float a = 6.2831853f * (i + rng.range(-0.15f, 0.15f)) / 5.0f;
        Pt base{kCentre.x + 12.0f * std::cos(a) * 1.2f, kCentre.y + 8.5f * std::sin(a)};
        Path curl;
        for (int k = 0; k <= 20; ++k) {
            float t = k / 20.0f;
            float ang = a + 2.0f + t * 5.5f;
            float r = 4.6f * (1.0f - 0.7f * t);
            curl.push_back({base.x + r * std::cos(ang) - (1.0f - t) * 3.0f * std::cos(a),
                            base.y + r * std::sin(ang) - (1.0f - t) * 2.0f * std::sin(a)});
        }
        c.stroke(curl, wisp);
    }
}

Image blimp_frame(int index, int scale) {
    Canvas c(kBlimpW, kCellH, kSs, Rng::seed_of("blimp frame " + std::to_string(index)), scale);
    draw_blimp(c, Place{16.0f, 0.0f, 1.0f}, true);
    // Gas bursting from the torn nose, in two shapes that alternate.
    if (index == 0) {
        draw_puffs(
            c,
            {{17.5f, 14.5f, 4.4f}, {11.5f, 12.0f, 5.4f}, {10.0f, 19.0f, 4.6f}, {4.6f, 15.0f, 3.6f}},
            Rgb{232, 230, 224}, 0.75f);
    } else {
        draw_puffs(
            c,
            {{17.5f, 14.5f, 4.0f}, {12.0f, 16.8f, 5.8f}, {6.5f, 11.0f, 4.4f}, {4.4f, 19.6f, 3.6f}},
            Rgb{232, 230, 224}, 0.75f);
    }
    Pen whoosh = pens::detail();
    whoosh.pressure = 0.6f;
    float lift = index == 0 ? 0.0f : 1.5f;
    c.stroke({{3.0f, 9.0f - lift}, {8.0f, 9.5f - lift}}, whoosh);
    c.stroke({{1.5f, 22.0f + lift}, {7.0f, 21.0f + lift}}, whoosh);
    return resolve_sprite(c);
}

}  // namespace

SheetParts draw_sheet_parts(int scale) {
    SheetParts parts;
    auto& f = parts.frames;
    f[0] = draw_cell(
        "player", [](Canvas& c) { draw_player_plane(c, Place{}); }, scale);
    f[1] = f[0].mirrored();
    auto pp = player_pieces(scale);
    for (int i = 0; i < 4; ++i) {
        f[2 + i] = pp[i];
        f[6 + i] = pp[i].mirrored();
    }
    f[10] = draw_cell(
        "blimp", [](Canvas& c) { draw_blimp(c, Place{}, false); }, scale);
    f[11] = f[10].mirrored();
    f[12] = draw_cell(
        "enemy", [](Canvas& c) { draw_enemy_plane(c, Place{}); }, scale);
    f[13] = f[12].mirrored();
    f[14] = draw_cell("balloon", draw_balloon, scale);
    f[15] = draw_cell("balloon burst", draw_balloon_burst, scale);
    auto ep = enemy_pieces(scale);
    f[16] = ep[0];
    f[17] = ep[1];
    f[18] = ep[0].mirrored();
    f[19] = ep[1].mirrored();
    f[20] = draw_cell("smoke", draw_smoke, scale);
    f[21] = draw_cell("shot", draw_shot, scale);
    f[22] = draw_cell("flash", draw_flash, scale);
    f[23] = draw_cell("burst", draw_burst, scale);
    f[24] = draw_cell("smoke ring", draw_smoke_ring, scale);
    f[25] = draw_cell("wisps", draw_wisps, scale);
    parts.blimp[0] = blimp_frame(0, scale);
    parts.blimp[1] = blimp_frame(1, scale);
    parts.blimp[2] = parts.blimp[0].mirrored();
    parts.blimp[3] = parts.blimp[1].mirrored();
    parts.cloud = draw_cloud(scale);
    return parts;
}

Image assemble_sheet(const SheetParts& parts, int scale) {
    Image sheet(640 * scale, 171 * scale);
    for (int i = 0; i < 26; ++i) sheet.blit(parts.frames[i], cell_x(i) * scale, cell_y(i) * scale);
    for (int i = 0; i < 4; ++i) sheet.blit(parts.blimp[i], blimp_x(i) * scale, kBlimpY * scale);
    sheet.blit(parts.cloud, kCloudX * scale, kCloudY * scale);
    return sheet;
}

}  // namespace art
