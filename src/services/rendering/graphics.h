#pragma once
// Drawing services: a back buffer rendered in software, a current drawing state (colour, alpha,
// blend, rotation and scale), images with frames and handles, pixel-exact collisions and TrueType
// text.
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace svc {

// How a drawn pixel meets the one below it; the rules are in render_internal.h.
enum class BlendMode { kMask = 1, kSolid = 2, kAlpha = 3, kLight = 4, kShade = 5 };
enum ImageFlag : int { kMasked = 1, kFiltered = 2 };

namespace detail {
// Storage for pixels. New elements are left uninitialised (whoever makes a
// buffer writes every pixel), and buffers of several megabytes are mapped on
// their own with huge pages: the pictures of a finer screen are that large, and
// bringing in their memory page by page costs more than decoding them.
void* allocate_pixels(std::size_t bytes);
void free_pixels(void* pixels, std::size_t bytes) noexcept;

template <typename T>
struct PixelAllocator {
    using value_type = T;
    PixelAllocator() = default;
    template <typename U>
    PixelAllocator(const PixelAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) { return static_cast<T*>(allocate_pixels(n * sizeof(T))); }
    void deallocate(T* p, std::size_t n) noexcept { free_pixels(p, n * sizeof(T)); }
    template <typename U>
    void construct(U* place) noexcept {
        ::new (static_cast<void*>(place)) U;
    }
    template <typename U, typename... Args>
    void construct(U* place, Args&&... args) {
        ::new (static_cast<void*>(place)) U(static_cast<Args&&>(args)...);
    }
    template <typename U>
    bool operator==(const PixelAllocator<U>&) const noexcept {
        return true;
    }
};
}  // namespace detail

using PixelBuffer = std::vector<std::uint32_t, detail::PixelAllocator<std::uint32_t>>;

// Pixels are 0xAARRGGBB.
struct Pixmap {
    int width = 0;
    int height = 0;
    PixelBuffer pixels;
};

struct ImageData {
    int width = 0;   // of one frame
    int height = 0;  // of one frame
    int flags = 0;
    float handle_x = 0, handle_y = 0;
    std::vector<Pixmap> pixmaps;  // one per frame
    // Per-frame data the renderer derives from the pixels (spans, opacity),
    // built on a frame's first draw or collision; owned by the renderer.
    // grab_image resets it; code that writes a frame's pixels directly after
    // that frame was drawn must reset render_cache[frame] too.
    std::vector<std::shared_ptr<void>> render_cache;

    // The same frames drawn `scale` times finer (each pixmap scale times the
    // frame's size, but for glyphs, which are rasterised at the larger size),
    // which a back buffer that many times larger shows instead of magnifying the
    // frames above. Only the frames above take part in collisions. Empty when
    // the picture has no finer version.
    struct Detail {
        int scale = 0;
        std::vector<Pixmap> pixmaps;
        // Where the handle lies in the finer frames: `scale` times the handle
        // above unless the finer frames were made apart (a glyph rasterised at
        // the larger size has its own bearings).
        bool own_handle = false;
        float handle_x = 0, handle_y = 0;
        std::vector<std::shared_ptr<void>> render_cache;
        // An embedded finer picture still being decoded, in the background from
        // its loading on; its first draw waits for it (the image loader's).
        std::shared_ptr<void> decoding;
    } detail;
};
using Image = std::shared_ptr<ImageData>;

struct FontData;
using ImageFont = std::shared_ptr<FontData>;

// The screen's size in game pixels (0 while no screen is open), and how many
// times finer the back buffer is: every position, size and picture is drawn
// that many times larger into a back buffer of graphics_width() * scale x
// graphics_height() * scale pixels, while the game works in game pixels.
int graphics_width();
int graphics_height();
int render_scale();
// Clears the back buffer to black.
void clear_screen();
// The back buffer that drawing renders into.
const std::uint32_t* back_buffer();

// Drawing state.
void set_colour(int r, int g, int b);
void set_alpha(float alpha);
void set_blend(BlendMode mode);
void set_rotation(float degrees);
float get_rotation();
void set_scale(float sx, float sy);
void set_transform(float degrees, float sx, float sy);

// Images.
void set_mask_colour(int r, int g, int b);
// The ImageFlag bits of images made without flags of their own; -1 leaves them.
void set_auto_image_flags(int flags);
void set_auto_mid_handle(bool on);
// An image made without flags of its own takes the automatic ones.
Image load_image(std::string_view path_or_resource, std::optional<int> flags = std::nullopt);
Image create_image(int width, int height, int frames, std::optional<int> flags = std::nullopt);
void grab_image(const Image& image, int x, int y, int frame);
void mid_handle_image(const Image& image);
void draw_image(const Image& image, float x, float y, int frame);
bool images_collide(const Image& image1, int x1, int y1, int frame1, const Image& image2, int x2,
                    int y2, int frame2);

// Text.
// How the glyphs are drawn: emboldened, slanted, and smooth (grey edges,
// filtered when scaled) rather than sharp.
struct FontStyle {
    bool bold = false;
    bool italic = false;
    bool smooth = false;
};
ImageFont load_image_font(std::string_view path_or_resource, int size, FontStyle style);
void set_image_font(const ImageFont& font);
void draw_text(std::string_view text, float x, float y);
int text_width(std::string_view text);
int text_height(std::string_view text = {});

}  // namespace svc
