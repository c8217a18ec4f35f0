#include "lettering.h"

#include <map>

namespace art {

namespace {

struct Glyph {
    std::vector<Path> strokes;  // control points, smoothed when drawn
    float advance;
};

const std::map<char, Glyph>& glyphs() {
    static const std::map<char, Glyph> table{
        {'J',
         {{{{0.25f, 1.45f}, {1.15f, 1.47f}},
           {{0.75f, 1.46f},
            {0.74f, 0.7f},
            {0.7f, 0.2f},
            {0.45f, -0.02f},
            {0.15f, 0.05f},
            {0.02f, 0.3f}}},
          1.2f}},
        {'o',
         {{{{0.5f, 1.0f},
            {0.12f, 0.85f},
            {0.02f, 0.45f},
            {0.2f, 0.05f},
            {0.55f, -0.01f},
            {0.86f, 0.25f},
            {0.9f, 0.65f},
            {0.7f, 0.95f},
            {0.45f, 1.0f}}},
          0.95f}},
        {'t',
         {{{{0.35f, 1.38f}, {0.33f, 0.6f}, {0.36f, 0.12f}, {0.5f, -0.01f}, {0.74f, 0.08f}},
           {{0.02f, 0.95f}, {0.74f, 0.98f}}},
          0.8f}},
        {'p',
         {{{{0.1f, 1.0f}, {0.1f, 0.3f}, {0.1f, -0.52f}},
           {{0.1f, 0.72f},
            {0.36f, 0.99f},
            {0.72f, 0.92f},
            {0.88f, 0.52f},
            {0.7f, 0.08f},
            {0.36f, 0.0f},
            {0.1f, 0.2f}}},
          1.0f}},
        {'a',
         {{{{0.84f, 0.78f},
            {0.58f, 1.0f},
            {0.2f, 0.86f},
            {0.04f, 0.42f},
            {0.22f, 0.02f},
            {0.6f, 0.04f},
            {0.84f, 0.4f}},
           {{0.86f, 1.0f}, {0.85f, 0.4f}, {0.88f, 0.06f}, {1.0f, -0.02f}}},
          1.08f}},
        {'d',
         {{{{0.84f, 0.78f},
            {0.58f, 1.0f},
            {0.2f, 0.86f},
            {0.04f, 0.42f},
            {0.22f, 0.02f},
            {0.6f, 0.04f},
            {0.84f, 0.4f}},
           {{0.86f, 1.5f}, {0.85f, 0.6f}, {0.88f, 0.06f}, {1.0f, -0.02f}}},
          1.08f}},
        {'G',
         {{{{1.12f, 1.22f},
            {0.84f, 1.44f},
            {0.42f, 1.42f},
            {0.12f, 1.08f},
            {0.03f, 0.55f},
            {0.22f, 0.1f},
            {0.62f, -0.02f},
            {1.0f, 0.15f},
            {1.12f, 0.5f},
            {1.1f, 0.7f}},
           {{0.66f, 0.7f}, {1.22f, 0.7f}}},
          1.32f}},
        {'m',
         {{{{0.08f, 1.0f}, {0.08f, 0.5f}, {0.08f, 0.0f}},
           {{0.08f, 0.68f}, {0.3f, 0.99f}, {0.54f, 0.82f}, {0.56f, 0.4f}, {0.56f, 0.0f}},
           {{0.56f, 0.68f}, {0.8f, 0.99f}, {1.03f, 0.82f}, {1.05f, 0.4f}, {1.06f, 0.0f}}},
          1.2f}},
        {'e',
         {{{{0.08f, 0.5f},
            {0.86f, 0.56f},
            {0.76f, 0.9f},
            {0.44f, 1.0f},
            {0.1f, 0.78f},
            {0.03f, 0.36f},
            {0.26f, 0.02f},
            {0.6f, -0.01f},
            {0.86f, 0.16f}}},
          0.95f}},
        {'s',
         {{{{0.8f, 0.88f},
            {0.52f, 1.0f},
            {0.2f, 0.92f},
            {0.14f, 0.66f},
            {0.44f, 0.52f},
            {0.76f, 0.36f},
            {0.78f, 0.1f},
            {0.45f, -0.01f},
            {0.08f, 0.12f}}},
          0.9f}},
        {' ', {{}, 0.45f}},
    };
    return table;
}

}  // namespace

Lettering letter(std::string_view text, Pt origin, float x_height, float slant, float spacing) {
    Lettering out;
    float pen_x = 0.0f;
    for (char ch : text) {
        auto it = glyphs().find(ch);
        if (it == glyphs().end()) continue;
        for (const Path& stroke : it->second.strokes) {
            Path placed;
            for (const Pt& p : stroke) {
                float gx = pen_x + p.x + p.y * slant;
                placed.push_back({origin.x + gx * x_height, origin.y - p.y * x_height});
            }
            out.strokes.push_back(placed.size() > 2 ? smooth(placed, false, 10) : placed);
        }
        pen_x += it->second.advance + spacing;
    }
    out.width = (pen_x - spacing) * x_height;
    return out;
}

}  // namespace art
