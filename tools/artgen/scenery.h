#pragma once
// The page and the scenery: notebook paper, the two mountain ranges, the cloud,
// each drawn at `scale` output pixels per picture unit.
#include "image.h"

namespace art {

inline constexpr int kMountainW = 416, kMountainH = 147;
// The game draws the first range 4 pixels higher than the second; the ground
// rows where the ranges meet differ by that much so that the band is seamless.
inline constexpr int kMountain1Y = 300, kMountain2Y = 304;
inline constexpr int kGroundScreenY = 433;

Image draw_paper(int scale);
Image draw_mountains(int which, int scale);  // which: 1 or 2
Image draw_cloud(int scale);

}  // namespace art
