#include "planes.h"

#include <cmath>

namespace art {

namespace {

// A solid part: paper-toned inside, outlined in pencil.
void solid(Canvas& c, const Place& at, const Path& shape, const Pen& pen, Rgb body = ink::kBody) {
    Path p = at(shape);
    c.fill(p, body);
    c.stroke(closed(p), sized(pen, at.s));
}

void line(Canvas& c, const Place& at, const Path& path, const Pen& pen) {
    c.stroke(at(path), sized(pen, at.s));
}

void hatch_in(Canvas& c, const Place& at, const Path& shape, float angle, float spacing,
              const Pen& pen) {
    Mask m = c.polygon_mask(at(shape));
    c.hatch(m, angle, spacing * at.s, sized(pen, at.s));
}

void wheel(Canvas& c, const Place& at, Pt centre, float r) {
    solid(c, at, ellipse(centre, r, r, 24), pens::outline());
    line(c, at, closed(ellipse(centre, r * 0.35f, r * 0.35f, 10)), pens::detail());
}

}  // namespace

void draw_player_plane(Canvas& c, const Place& at) {
    // Tail fin first, so the fuselage overlaps its root.
    Path fin = smooth({{39.0f, 14.8f}, {41.0f, 9.8f}, {43.0f, 7.8f}, {44.9f, 8.6f}, {44.6f, 15.6f}},
                      true, 4);
    solid(c, at, fin, pens::outline());
    line(c, at, {{42.4f, 8.4f}, {42.2f, 15.0f}}, pens::detail());

    // Landing gear under the nose.
    line(c, at, {{12.0f, 20.5f}, {13.4f, 26.8f}}, pens::detail());
    line(c, at, {{17.0f, 21.0f}, {13.8f, 26.8f}}, pens::detail());
    wheel(c, at, {13.6f, 27.4f}, 2.7f);

    // The pilot behind the wing, red scarf streaming back.
    Path head = ellipse({33.2f, 11.0f}, 2.2f, 2.2f, 20);
    solid(c, at, head, pens::outline());
    hatch_in(c, at, ellipse({33.2f, 10.3f}, 2.2f, 1.5f, 16), 45, 1.0f, pens::hatch());
    line(c, at, {{30.9f, 10.7f}, {33.0f, 10.9f}}, pens::outline());
    Pen scarf{ink::kRed, 1.3f, 0.9f, 0.12f, 2, 0.25f, 0.6f};
    line(c, at, smooth({{35.2f, 12.2f}, {37.0f, 10.5f}, {38.6f, 11.0f}, {40.4f, 9.2f}}, false),
         scarf);

    Path body = smooth({{7.6f, 12.6f},
                        {14.0f, 11.8f},
                        {24.0f, 12.2f},
                        {33.0f, 13.3f},
                        {41.0f, 14.6f},
                        {44.6f, 15.8f},
                        {43.6f, 17.4f},
                        {36.0f, 18.7f},
                        {26.0f, 20.4f},
                        {16.0f, 21.6f},
                        {8.6f, 21.4f},
                        {6.9f, 19.2f},
                        {6.7f, 14.6f}},
                       true, 5);
    solid(c, at, body, pens::outline());
    // Soft shading along the belly.
    Mask belly = c.polygon_mask(at(body));
    belly.cut_polygon(at(Path{{0, 0}, {48, 0}, {48, 17.2f}, {0, 18.2f}}));
    c.hatch(belly, 45, 1.5f * at.s, sized(pens::hatch(), at.s));
    // The engine cowling, darker.
    Path cowl = smooth({{7.6f, 12.7f},
                        {11.2f, 12.2f},
                        {11.6f, 17.0f},
                        {11.2f, 21.6f},
                        {8.4f, 21.4f},
                        {6.8f, 17.0f}},
                       true, 4);
    hatch_in(c, at, cowl, -45, 1.1f, pens::dark_hatch());
    line(c, at, smooth({{11.2f, 12.2f}, {11.7f, 17.0f}, {11.2f, 21.6f}}, false), pens::detail());
    // A roundel on the fuselage side.
    line(c, at, closed(ellipse({21.5f, 16.7f}, 2.3f, 2.3f, 18)), pens::detail());
    c.fill(at(ellipse({21.5f, 16.7f}, 0.9f, 0.9f, 10)), ink::kGraphite, 0.85f);
    // Windscreen.
    line(c, at, {{29.8f, 12.6f}, {30.4f, 10.4f}}, pens::detail());

    // Wings: the top one on struts, the bottom one across the belly.
    Path top_wing = smooth({{8.8f, 6.6f},
                            {12.0f, 5.3f},
                            {27.5f, 5.2f},
                            {29.6f, 6.1f},
                            {28.6f, 7.8f},
                            {11.0f, 8.2f},
                            {8.9f, 7.6f}},
                           true, 4);
    // One stout strut; the gap behind it stays open to the sky.
    line(c, at, {{18.2f, 7.8f}, {18.8f, 12.3f}}, pens::outline());
    solid(c, at, top_wing, pens::outline());
    line(c, at, {{11.5f, 7.4f}, {27.0f, 7.0f}}, pens::hatch());
    Path low_wing = smooth({{10.4f, 20.8f},
                            {13.0f, 19.7f},
                            {28.0f, 20.0f},
                            {29.6f, 20.9f},
                            {28.0f, 22.3f},
                            {12.0f, 22.5f},
                            {10.5f, 21.8f}},
                           true, 4);
    solid(c, at, low_wing, pens::outline());
    Path tailplane = smooth(
        {{36.2f, 16.6f}, {44.0f, 16.0f}, {45.8f, 16.9f}, {44.0f, 18.0f}, {37.0f, 18.2f}}, true, 3);
    solid(c, at, tailplane, pens::outline());

    // Propeller: a blade caught mid-spin and the blur of the others.
    Pen blur{ink::kSoftGraphite, 0.6f, 0.45f, 0.1f, 1, 0.5f, 0.8f};
    line(c, at, ellipse({5.4f, 16.6f}, 1.6f, 10.0f, 24, 100, 160), blur);
    Pen blade{ink::kGraphite, 1.35f, 0.9f, 0.1f, 2, 0.25f, 1.2f};
    line(c, at, {{5.1f, 7.4f}, {5.5f, 16.6f}, {5.9f, 25.6f}}, blade);
    solid(c, at, ellipse({5.6f, 16.6f}, 1.4f, 1.6f, 12), pens::detail(), ink::kSoftGraphite);
}

void draw_enemy_plane(Canvas& c, const Place& at) {
    Pen heavy = pens::outline();
    heavy.width = 1.15f;
    // An angular, swept tail fin with a cross on it.
    Path fin{{36.0f, 14.4f}, {40.4f, 6.2f}, {45.2f, 6.0f}, {45.6f, 15.8f}};
    solid(c, at, fin, heavy);
    hatch_in(c, at, fin, 45, 1.25f, pens::dark_hatch());
    hatch_in(c, at, fin, -45, 1.6f, pens::hatch());

    // Landing gear.
    line(c, at, {{11.0f, 20.8f}, {12.8f, 27.0f}}, pens::detail());
    line(c, at, {{16.5f, 21.2f}, {13.2f, 27.0f}}, pens::detail());
    wheel(c, at, {13.0f, 27.5f}, 2.6f);

    // A pilot in a dark leather helmet.
    Path head = ellipse({32.8f, 11.6f}, 2.0f, 2.0f, 20);
    solid(c, at, head, heavy);
    hatch_in(c, at, head, 45, 0.8f, pens::dark_hatch());

    Path body{{7.2f, 12.2f},  {13.0f, 11.4f}, {23.0f, 11.8f}, {33.0f, 13.1f},
              {43.0f, 15.2f}, {45.8f, 16.2f}, {43.0f, 17.8f}, {33.0f, 19.6f},
              {21.0f, 21.6f}, {9.6f, 21.8f},  {7.0f, 20.2f}};
    solid(c, at, body, heavy);
    // Dark, cross-hatched camouflage: the enemy reads darker at a glance.
    hatch_in(c, at, body, 45, 1.2f, pens::dark_hatch());
    hatch_in(c, at, body, -40, 1.5f, pens::hatch());
    // The cross on the fuselage, left in paper colour.
    Path cross{{19.0f, 13.6f}, {20.6f, 13.6f}, {20.6f, 15.6f}, {22.6f, 15.6f},
               {22.6f, 17.2f}, {20.6f, 17.2f}, {20.6f, 19.4f}, {19.0f, 19.4f},
               {19.0f, 17.2f}, {17.0f, 17.2f}, {17.0f, 15.6f}, {19.0f, 15.6f}};
    solid(c, at, cross, pens::detail());
    Path fin_cross = translated(scaled(cross, {19.8f, 16.4f}, 0.8f, 0.8f), 22.9f, -6.2f);
    solid(c, at, fin_cross, pens::detail());
    // Pointed spinner and a mean exhaust stack.
    Path spinner{{7.3f, 13.0f}, {2.6f, 16.7f}, {7.3f, 20.4f}};
    solid(c, at, spinner, heavy, ink::kSoftGraphite);
    line(c, at, {{10.0f, 11.4f}, {12.0f, 9.6f}}, pens::outline());

    // Wings, square-tipped, the upper one reaching forward past the nose.
    Path top_wing{{5.6f, 5.0f}, {29.4f, 4.6f}, {29.6f, 7.7f}, {6.0f, 8.3f}};
    line(c, at, {{14.0f, 8.0f}, {15.5f, 11.6f}}, pens::outline());
    solid(c, at, top_wing, heavy);
    hatch_in(c, at, top_wing, 45, 1.2f, pens::dark_hatch());
    Path low_wing{{9.4f, 19.8f}, {29.0f, 19.6f}, {29.2f, 22.6f}, {9.6f, 22.8f}};
    solid(c, at, low_wing, heavy);
    hatch_in(c, at, low_wing, 45, 1.2f, pens::dark_hatch());
    Path tailplane{{35.4f, 16.8f}, {45.0f, 16.2f}, {46.6f, 17.2f}, {45.0f, 18.6f}, {36.0f, 18.6f}};
    solid(c, at, tailplane, heavy);
    hatch_in(c, at, tailplane, 45, 1.2f, pens::dark_hatch());

    Pen blur{ink::kSoftGraphite, 0.6f, 0.45f, 0.1f, 1, 0.5f, 0.8f};
    line(c, at, ellipse({3.6f, 16.7f}, 1.6f, 10.0f, 24, 100, 160), blur);
    Pen blade{ink::kGraphite, 1.35f, 0.95f, 0.1f, 2, 0.25f, 1.2f};
    line(c, at, {{3.4f, 7.2f}, {3.7f, 16.7f}, {4.0f, 26.0f}}, blade);
}

void draw_blimp(Canvas& c, const Place& at, bool punctured) {
    // A distant blimp: lighter lines than the planes nearby.
    Pen far = pens::outline();
    far.pressure = 0.8f;
    far.colour = ink::kSoftGraphite;
    Pen far_detail = pens::detail();
    far_detail.pressure = 0.55f;

    Path top_fin = smooth(
        {{36.0f, 10.4f}, {41.5f, 5.2f}, {44.8f, 4.8f}, {45.4f, 7.0f}, {43.8f, 11.6f}}, true, 3);
    Path low_fin = smooth(
        {{36.0f, 19.0f}, {41.5f, 24.2f}, {44.8f, 24.6f}, {45.4f, 22.4f}, {43.8f, 17.8f}}, true, 3);
    solid(c, at, top_fin, far);
    solid(c, at, low_fin, far);
    hatch_in(c, at, top_fin, 45, 1.4f, pens::hatch());
    hatch_in(c, at, low_fin, 45, 1.4f, pens::hatch());

    // Gondola on two short hangers.
    line(c, at, {{20.0f, 20.5f}, {21.0f, 23.0f}}, far_detail);
    line(c, at, {{28.0f, 20.5f}, {27.0f, 23.0f}}, far_detail);
    Path gondola =
        smooth({{18.6f, 22.6f}, {29.2f, 22.6f}, {28.2f, 25.6f}, {20.0f, 25.6f}}, true, 3);
    solid(c, at, gondola, far);
    for (float x : {21.5f, 24.0f, 26.5f}) line(c, at, {{x, 23.6f}, {x, 24.4f}}, far_detail);

    // The envelope: blunt nose left, tapering to the tail.
    Path envelope;
    for (int i = 0; i < 60; ++i) {
        float t = 6.2831853f * i / 60.0f;
        float cx = std::cos(t), sy = std::sin(t);
        float squeeze = 1.0f - 0.28f * (cx > 0 ? cx * cx : 0.0f);
        float dent = punctured ? 0.6f * std::sin(t * 5.0f) * (cx < 0.2f ? 1.0f : 0.3f) : 0.0f;
        envelope.push_back({24.0f + 20.0f * cx, 14.7f + (7.6f + dent * 0.5f) * sy * squeeze});
    }
    solid(c, at, envelope, far);
    Mask underside = c.polygon_mask(at(envelope));
    underside.cut_polygon(at(ellipse({24.0f, 12.8f}, 22.0f, 6.4f, 40)));
    c.hatch(underside, 45, 1.4f * at.s, sized(pens::hatch(), at.s));
    // Seams and ribs.
    line(c, at, smooth({{6.0f, 13.8f}, {16.0f, 12.2f}, {30.0f, 12.4f}, {42.0f, 14.2f}}, false),
         far_detail);
    for (float x : {14.0f, 24.0f, 33.0f}) {
        float half = x < 30 ? 7.2f : 6.0f;
        line(c, at, ellipse({x, 14.7f}, 1.4f, half, 16, -90, 180), far_detail);
    }
    if (punctured) {
        // A torn hole near the nose and a few crumples around it.
        Pen tear = pens::outline();
        Path hole{{10.2f, 12.0f}, {11.2f, 10.6f}, {11.6f, 12.2f}, {13.0f, 11.8f}, {11.8f, 13.2f},
                  {12.6f, 14.6f}, {11.0f, 13.8f}, {9.8f, 14.8f},  {10.4f, 13.2f}, {9.0f, 12.4f}};
        solid(c, at, hole, tear, ink::kSoftGraphite);
        line(c, at, smooth({{15.5f, 9.4f}, {17.0f, 11.0f}, {16.2f, 13.0f}}, false), far_detail);
        line(c, at, smooth({{15.0f, 18.4f}, {17.2f, 17.0f}, {19.4f, 18.8f}}, false), far_detail);
        line(c, at, smooth({{8.4f, 17.0f}, {10.4f, 18.4f}, {12.4f, 17.6f}}, false), far_detail);
    }
}

}  // namespace art
