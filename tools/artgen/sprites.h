#pragma once
// The sprite sheet: 26 cells of 48 x 33, four punctured-blimp frames of
// 80 x 33 and the cloud, laid out where the game cuts them. At scale K every
// size and offset is K times larger, the 1-pixel gutters K pixels wide.
#include <array>

#include "image.h"

namespace art {

inline constexpr int kCellW = 48, kCellH = 33, kBlimpW = 80;
inline constexpr int kCloudX = 397, kCloudY = 79, kCloudW = 116, kCloudH = 78;

inline int cell_x(int frame) {
    return 1 + 49 * (frame % 13);
}
inline int cell_y(int frame) {
    return 1 + 34 * (frame / 13);
}
inline int blimp_x(int frame) {
    return 1 + 81 * frame;
}
inline constexpr int kBlimpY = 71;

struct SheetParts {
    std::array<Image, 26> frames;
    std::array<Image, 4> blimp;
    Image cloud;
};

SheetParts draw_sheet_parts(int scale);
Image assemble_sheet(const SheetParts& parts, int scale);

}  // namespace art
