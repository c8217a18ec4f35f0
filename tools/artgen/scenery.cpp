#include "scenery.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <vector>

#include "noise.h"
#include "sketch.h"

namespace art {

namespace {

// ------------------------------------------------------------------ paper

constexpr Rgb kRuled{150, 184, 222};
constexpr Rgb kMarginRed{214, 84, 84};
constexpr Rgb kDesk{128, 116, 104};

void punched_hole(Canvas& c, Pt centre, float r) {
    // The desk shows through; the hole's upper rim casts a little shadow.
    c.fill(ellipse(centre, r, r, 40), kDesk);
    c.fill(ellipse({centre.x + 1.2f, centre.y + 1.6f}, r - 1.4f, r - 1.4f, 40), Rgb{150, 138, 124});
    Pen rim{Rgb{110, 104, 98}, 0.9f, 0.55f, 0.1f, 1, 0.3f, 0.4f};
    c.stroke(ellipse(centre, r, r, 40, 180, 200), rim);
}

void doodle_star(Canvas& c, Pt at, float r, const Pen& pen) {
    Path star;
    for (int i = 0; i <= 5; ++i) {
        float a = -1.5708f + i * 2.0f * 6.2831853f / 5.0f;
        star.push_back({at.x + r * std::cos(a), at.y + r * std::sin(a)});
    }
    c.stroke(star, pen);
}

void doodle_spiral(Canvas& c, Pt at, float r, const Pen& pen) {
    Path spiral;
    for (int i = 0; i <= 120; ++i) {
        float t = i / 120.0f;
        float a = t * 6.2831853f * 3.2f;
        spiral.push_back({at.x + r * t * std::cos(a), at.y + r * t * std::sin(a) * 0.9f});
    }
    c.stroke(spiral, pen);
}

// Warm blotches, fine grain and a darker edge over the whole page. The blotches
// and the edge go by picture units; the grain by output pixels, finer at a
// larger scale, as the pencil's grain is.
void age_paper(Image& page, int scale) {
    const int w = page.width(), h = page.height();
    const float unit = static_cast<float>(scale);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            float ux = static_cast<float>(x) / unit, uy = static_cast<float>(y) / unit;
            float blotch = (fbm2(ux * 0.012f, uy * 0.012f, 11) - 0.5f) * 7.0f;
            float grain =
                (hash2(x, y, 23) - 0.5f) * 5.0f + (noise2(x * 0.5f, y * 0.5f, 29) - 0.5f) * 4.0f;
            int from_edge = std::min(std::min(x, y), std::min(w - 1 - x, h - 1 - y));
            float edge = std::max(0.0f, 1.0f - static_cast<float>(from_edge) / unit / 14.0f) * 8.0f;
            Rgb8 p = page.at(x, y);
            auto adj = [&](std::uint8_t v, float k) {
                int out = static_cast<int>(std::lround(v + (blotch + grain) * k - edge));
                return static_cast<std::uint8_t>(std::clamp(out, 30, 255));
            };
            Rgb8 q{adj(p.r, 1.0f), adj(p.g, 1.0f), adj(p.b, 1.15f)};
            if (q == kKey) q.b = 198;
            page.set(x, y, q);
        }
    }
}

}  // namespace

Image draw_paper(int scale) {
    const int w = 640, h = 480;
    Canvas c(w, h, 2, Rng::seed_of("paper"), scale);
    Rng rng(Rng::seed_of("paper lines"));

    // Printed ruling: straight, even, slightly broken by the paper's grain.
    Pen ruled{kRuled, 1.25f, 0.7f, 0.0f, 1, 0.3f, 0.0f};
    for (int y = 108; y < h; y += 24) c.stroke({{-2.0f, y + 0.5f}, {w + 2.0f, y + 0.5f}}, ruled);
    // The red margin line, gone over by hand in coloured pencil.
    Pen margin{kMarginRed, 1.5f, 0.75f, 0.35f, 2, 0.35f, 0.0f};
    c.stroke({{104.5f, -2.0f}, {104.0f, 240.0f}, {104.6f, h + 2.0f}}, margin);
    // A light pencilled margin on the right, where the page's own edge of play is.
    Pen right_margin{ink::kSoftGraphite, 1.0f, 0.32f, 0.4f, 2, 0.5f, 2.0f};
    c.stroke({{527.0f, 4.0f}, {527.6f, 250.0f}, {527.0f, h - 4.0f}}, right_margin);

    for (float y : {96.0f, 240.0f, 384.0f}) punched_hole(c, {38.0f, y}, 8.5f);

    // Faint doodles in the margins, as a bored pupil would leave them.
    Pen faint{ink::kSoftGraphite, 0.9f, 0.28f, 0.3f, 2, 0.5f, 1.0f};
    doodle_star(c, {580.0f, 170.0f}, 9.0f, faint);
    doodle_spiral(c, {590.0f, 330.0f}, 12.0f, faint);
    doodle_star(c, {70.0f, 450.0f}, 6.0f, faint);
    c.stroke(smooth({{556.0f, 420.0f},
                     {572.0f, 412.0f},
                     {590.0f, 424.0f},
                     {606.0f, 414.0f},
                     {620.0f, 422.0f}},
                    false),
             faint);

    Image page = c.resolve_opaque(ink::kPaper);
    age_paper(page, scale);
    return page;
}

// -------------------------------------------------------------- mountains

namespace {

struct Peak {
    float x, row;
};

// The ridge line: flat ground at both ends, peaks in between, a little rocky noise.
std::vector<float> ridge(const std::vector<Peak>& peaks, float ground, std::uint32_t seed) {
    Path ctrl{{-20.0f, ground}, {0.0f, ground}, {8.0f, ground}};
    for (const Peak& p : peaks) ctrl.push_back({p.x, p.row});
    ctrl.push_back({kMountainW - 8.0f, ground});
    ctrl.push_back({static_cast<float>(kMountainW), ground});
    ctrl.push_back({kMountainW + 20.0f, ground});
    Path curve = smooth(ctrl, false, 24);
    std::vector<float> rows(kMountainW + 1, ground);
    for (int x = 0; x <= kMountainW; ++x) {
        for (size_t i = 1; i < curve.size(); ++i) {
            if (curve[i - 1].x <= x && curve[i].x >= x) {
                float t = (x - curve[i - 1].x) / std::max(1e-3f, curve[i].x - curve[i - 1].x);
                rows[x] = curve[i - 1].y + (curve[i].y - curve[i - 1].y) * t;
                break;
            }
        }
        float from_edge = std::min(x, kMountainW - x);
        float weight = std::clamp((from_edge - 10.0f) / 20.0f, 0.0f, 1.0f);
        float rock =
            (noise1(x * 0.22f, seed) - 0.5f) * 5.0f + (noise1(x * 0.9f, seed ^ 7) - 0.5f) * 1.6f;
        rows[x] = std::min(rows[x] + rock * weight, ground);
    }
    return rows;
}

// The ridge's row at column u (in picture units), between the computed columns.
float ridge_at(const std::vector<float>& rows, float u) {
    u = std::clamp(u, 0.0f, static_cast<float>(rows.size() - 1));
    size_t i = std::min(static_cast<size_t>(u), rows.size() - 2);
    float t = u - static_cast<float>(i);
    return rows[i] + (rows[i + 1] - rows[i]) * t;
}

// The shape's own coverage decides what is solid ground: every pixel at or
// below the ridge is opaque, none above it. Column x of the scale-1 picture
// takes the ridge at x; at scale K the K columns that stand for it take the
// ridge at K points spread evenly around x, so each block keeps its column's height.
void cut_to_ridge(Image& out, const std::vector<float>& rows, float bottom, int scale) {
    const float k = static_cast<float>(scale);
    for (int x = 0; x < out.width(); ++x) {
        float row = ridge_at(rows, (static_cast<float>(x) + 0.5f) / k - 0.5f);
        int top = static_cast<int>(std::ceil(row * k - 0.5f));
        for (int y = 0; y < out.height(); ++y) {
            bool inside = y >= top && y < bottom * k;
            if (!inside)
                out.set(x, y, kKey);
            else if (out.at(x, y) == kKey)
                out.set(x, y, {201, 199, 194});
        }
    }
}

}  // namespace

Image draw_mountains(int which, int scale) {
    const float ground = which == 1 ? kGroundScreenY - kMountain1Y : kGroundScreenY - kMountain2Y;
    // The band's lower edge is level on screen too: the lower-drawn range stops 4 rows earlier.
    const float bottom = which == 1 ? kMountainH : kMountainH - (kMountain2Y - kMountain1Y);
    const std::uint32_t seed = Rng::seed_of("mountains " + std::to_string(which));
    std::vector<Peak> peaks = which == 1
                                  ? std::vector<Peak>{{40, 96},  {92, 30},  {146, 86}, {208, 8},
                                                      {268, 74}, {326, 40}, {384, 98}}
                                  : std::vector<Peak>{{38, 100}, {96, 44},  {146, 80}, {190, 22},
                                                      {240, 90}, {290, 58}, {340, 14}, {388, 94}};
    std::vector<float> rows = ridge(peaks, ground, seed);

    Canvas c(kMountainW, kMountainH, 3, seed, scale);
    Path outline_top;
    for (int x = 0; x <= kMountainW; ++x) outline_top.push_back({static_cast<float>(x), rows[x]});
    Path shape = outline_top;
    shape.push_back({static_cast<float>(kMountainW), bottom});
    shape.push_back({0.0f, bottom});
    Mask land = c.polygon_mask(shape);
    c.fill(land, ink::kBody);

    // Shaded faces: from a crease below each summit across the slope that falls
    // away to the right, the side turned from the light, down to the valley.
    Rng rng(seed);
    for (size_t i = 0; i < peaks.size(); ++i) {
        const Peak& p = peaks[i];
        float before = i > 0 ? peaks[i - 1].row : ground;
        float after = i + 1 < peaks.size() ? peaks[i + 1].row : ground;
        if (p.row > before || p.row > after) continue;  // a saddle, not a summit
        // The saddle after the summit is the foot of its shaded face.
        int x = i + 1 < peaks.size() ? static_cast<int>(peaks[i + 1].x) : kMountainW - 8;
        float drop = ground - p.row;
        Path crease = smooth({{p.x, p.row + 1.0f},
                              {p.x + drop * 0.08f, p.row + drop * 0.35f},
                              {p.x + drop * rng.range(0.05f, 0.2f), p.row + drop * 0.7f},
                              {p.x + drop * rng.range(0.15f, 0.3f), ground + 4.0f}},
                             false);
        Path face = crease;
        face.push_back({x + 6.0f, ground + 4.0f});
        face.push_back({static_cast<float>(x), rows[x] + 2.0f});
        for (int k = x; k > static_cast<int>(p.x); k -= 2)
            face.push_back({static_cast<float>(k), rows[k] - 3.0f});
        Mask m = land;
        m.intersect_polygon(face);
        Pen shade = pens::hatch();
        shade.pressure = 0.55f;
        c.hatch(m, 55, 2.1f, shade);
        // Darker under the ridge, where the face is steepest.
        c.hatch(m.rim(-5.0f, -9.0f), -35, 2.6f, pens::hatch());
        crease.resize(crease.size() * 2 / 3);
        c.stroke(crease, pens::detail(), &land);
    }
    // Crags on the lit slopes: short strokes down the fall line.
    for (int k = 0; k < 14; ++k) {
        int x = static_cast<int>(rng.range(20.0f, kMountainW - 20.0f));
        if (rows[x] > ground - 30) continue;
        float y = rows[x] + rng.range(6.0f, 20.0f);
        float len = rng.range(4.0f, 8.0f);
        Pen crag = pens::detail();
        crag.pressure = 0.5f;
        c.stroke({{static_cast<float>(x), y}, {x + len * 0.3f, y + len}}, crag, &land);
    }
    // Foothills in front, lighter, with a few pines.
    Path hills;
    for (int x = 0; x <= kMountainW; x += 4) {
        float from_edge = std::min(x, kMountainW - x);
        float weight = std::clamp((from_edge - 14.0f) / 30.0f, 0.0f, 1.0f);
        float row = ground - weight * (10.0f + 16.0f * noise1(x * 0.025f, seed ^ 0x33u));
        hills.push_back({static_cast<float>(x), row});
    }
    Path hill_shape = hills;
    hill_shape.push_back({static_cast<float>(kMountainW), bottom});
    hill_shape.push_back({0.0f, bottom});
    Mask front = c.polygon_mask(hill_shape);
    c.fill(front, ink::kBody);
    c.hatch(front, -40, 3.2f, Pen{ink::kSoftGraphite, 0.6f, 0.32f, 0.1f, 1, 0.5f, 0.5f});
    c.stroke(hills, pens::detail(), &land);
    for (int i = 0; i < 9; ++i) {
        float x = 30.0f + i * 44.0f + rng.range(-10.0f, 10.0f);
        float base =
            hills[static_cast<size_t>(std::clamp(x / 4.0f, 0.0f, hills.size() - 1.0f))].y + 6.0f;
        float hgt = rng.range(7.0f, 11.0f);
        // A little pine: a zigzag of boughs on a short trunk.
        Path tree{{x - 3.4f, base},
                  {x - 1.0f, base - hgt * 0.35f},
                  {x - 2.6f, base - hgt * 0.35f},
                  {x - 0.6f, base - hgt * 0.7f},
                  {x - 1.8f, base - hgt * 0.7f},
                  {x, base - hgt},
                  {x + 1.8f, base - hgt * 0.7f},
                  {x + 0.6f, base - hgt * 0.7f},
                  {x + 2.6f, base - hgt * 0.35f},
                  {x + 1.0f, base - hgt * 0.35f},
                  {x + 3.4f, base}};
        c.fill(tree, ink::kBody);
        c.stroke(closed(tree), pens::detail(), &land);
        c.stroke({{x, base}, {x, base + 2.0f}}, pens::detail(), &land);
    }
    // The ridge itself, firmly gone over twice, and the ground line at the foot.
    Pen ridge_pen = pens::outline();
    ridge_pen.width = 2.0f;
    ridge_pen.wobble = 0.3f;
    c.stroke(outline_top, ridge_pen, &land);
    c.stroke({{0.0f, bottom - 1.0f}, {static_cast<float>(kMountainW), bottom - 1.0f}},
             pens::detail(), &land);

    Image out = c.resolve(ink::kPaper, 0.5f);
    cut_to_ridge(out, rows, bottom, scale);
    return out;
}

// ------------------------------------------------------------------ cloud

Image draw_cloud(int scale) {
    Canvas c(116, 78, 3, Rng::seed_of("cloud"), scale);
    std::vector<std::array<float, 3>> lobes{{24, 53, 14}, {40, 39, 17}, {62, 30, 21},
                                            {84, 41, 16}, {98, 55, 12}, {72, 57, 15},
                                            {48, 59, 14}, {30, 63, 10}, {88, 63, 10}};
    Mask m = c.mask();
    for (const auto& [x, y, r] : lobes) m.add_polygon(ellipse({x, y}, r, r, 40));
    // A flattish underside, as cumulus have.
    m.cut_polygon({{-5, 69}, {130, 67}, {130, 90}, {-5, 90}});
    m.add_polygon(smooth({{14, 65}, {40, 69}, {80, 69}, {104, 65}, {96, 61}, {20, 61}}, true));
    c.fill(m, ink::kCloud);
    // Shade gathers along the lower edge of every lobe, deepest underneath.
    Pen soft{ink::kSoftGraphite, 0.7f, 0.36f, 0.12f, 1, 0.45f, 0.6f};
    c.hatch(m.rim(2.0f, 7.0f), 45, 2.2f, soft);
    c.hatch(m.rim(0.0f, 4.0f), 45, 2.2f, soft);
    Pen curl = pens::detail();
    curl.pressure = 0.5f;
    curl.width = 0.9f;
    c.stroke(ellipse({60, 45}, 12, 9, 20, 200, 110), curl, &m);
    c.stroke(ellipse({82, 53}, 9, 7, 16, 190, 100), curl, &m);
    c.stroke(ellipse({38, 53}, 9, 7, 16, 200, 100), curl, &m);
    Pen edge = pens::outline();
    edge.width = 1.3f;
    edge.wobble = 0.4f;
    c.outline(m, edge);
    Image img = c.resolve(ink::kPaper, 0.34f);
    seal_pockets(img);
    return img;
}

}  // namespace art
