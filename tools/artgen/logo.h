#pragma once
// The maker's logo, the menu pointer and the program's icon.
#include "image.h"

namespace art {

Image draw_logo();          // 414 x 230 on the key grey
Image draw_pointer();       // 20 x 20, tip at the top-left pixel
Image draw_icon(int size);  // RGBA, square

}  // namespace art
