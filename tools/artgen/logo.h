#pragma once
// The maker's logo, the menu pointer and the program's icon. The logo and the
// pointer are drawn at `scale` output pixels per picture unit.
#include "image.h"

namespace art {

Image draw_logo(int scale);     // 414 x 230 units on the key grey
Image draw_pointer(int scale);  // 20 x 20 units, tip at the top-left pixel
Image draw_icon(int size);      // RGBA, square

}  // namespace art
