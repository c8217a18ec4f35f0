#pragma once
// Plain 8-bit pictures as they are written to disk, and the few operations the
// generator needs on them: blitting, mirroring, scaling up and PNG output.
#include <cstdint>
#include <string>
#include <vector>

namespace art {

struct Rgb8 {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb8&) const = default;
};

// The colour that the game treats as "nothing here" in every picture.
inline constexpr Rgb8 kKey{200, 200, 200};

// How PNG rows are filtered before compression: libpng's adaptive choice per
// row, or none at all.
enum class RowFilter { kAdaptive, kNone };

class Image {
  public:
    Image() = default;
    Image(int width, int height, Rgb8 fill = kKey);

    int width() const { return width_; }
    int height() const { return height_; }
    Rgb8 at(int x, int y) const;
    void set(int x, int y, Rgb8 c);
    // Alpha is kept only for pictures written with an alpha channel (the icon).
    std::uint8_t alpha_at(int x, int y) const { return alpha_[index(x, y)]; }
    void set_alpha(int x, int y, std::uint8_t a) { alpha_[index(x, y)] = a; }

    // Copies src with its top-left corner at (x, y); key pixels too when opaque_key.
    void blit(const Image& src, int x, int y, bool opaque_key = true);
    Image mirrored() const;
    Image scaled(int factor) const;
    Image cropped(int x, int y, int w, int h) const;

    // Writes 8-bit RGB, or RGBA when with_alpha; throws std::runtime_error on failure.
    void write_png(const std::string& path, bool with_alpha = false,
                   RowFilter filter = RowFilter::kAdaptive) const;

  private:
    int index(int x, int y) const { return y * width_ + x; }
    int width_ = 0;
    int height_ = 0;
    std::vector<Rgb8> pixels_;
    std::vector<std::uint8_t> alpha_;
};

// Background pockets that thin lines close off from the open background would
// still turn transparent in the game, letting the scenery show through where a
// solid thing should be; this paints them a paper tone, so that the key grey
// is only ever the open background around a picture.
void seal_pockets(Image& img, Rgb8 fill = {241, 238, 229});

}  // namespace art
