// Images: loading pictures (embedded resources or files), creating empty
// frames, grabbing frames from the back buffer, handles and the mask colour.
#include <algorithm>
#include <optional>
#include <span>
#include <string>

#include "services/files.h"
#include "services/rendering/finer_decoding.h"
#include "services/rendering/graphics.h"
#include "services/rendering/image_mask.h"
#include "services/rendering/png_decode.h"
#include "services/rendering/render_internal.h"
#include "services/resources.h"

namespace svc {
namespace detail {
namespace {

int resolve_flags(std::optional<int> flags) {
    return flags.value_or(loader_state().auto_flags);
}

// A new image's handle: its centre with automatic mid handles, else its top
// left corner (where ImageData starts it).
void apply_handle_rule(const Image& image) {
    if (loader_state().auto_mid_handle) mid_handle_image(image);
}

}  // namespace

MaskColour current_mask_colour() {
    const LoaderState& l = loader_state();
    return MaskColour{l.mask_r, l.mask_g, l.mask_b};
}

// Works row by row on a copy of the rows above and of the row itself (the row
// below is still as it was), and counts each column's unmasked pixels over the
// three rows so that a masked pixel deep in masked surroundings, the common
// case, is settled without looking at its neighbours one by one.
void apply_mask(std::uint32_t* pixels, int width, int height, int stride, MaskColour mask) {
    if (width <= 0 || height <= 0) return;
    const std::uint32_t key = (static_cast<std::uint32_t>(mask.r) << 16) |
                              (static_cast<std::uint32_t>(mask.g) << 8) |
                              static_cast<std::uint32_t>(mask.b);
    const auto is_key = [&](std::uint32_t p) { return (p & 0xFFFFFFu) == key; };
    const std::size_t w = static_cast<std::size_t>(width);
    std::vector<std::uint32_t> above(w), current(w);
    std::vector<int> column(w + 2, 0);  // unmasked pixels in rows y-1..y+1, padded
    for (int y = 0; y < height; ++y) {
        std::uint32_t* row = pixels + static_cast<std::size_t>(y) * stride;
        const std::uint32_t* below = y + 1 < height ? row + stride : nullptr;
        std::copy(row, row + w, current.begin());
        for (std::size_t x = 0; x < w; ++x) {
            column[x + 1] =
                (y > 0 && !is_key(above[x])) + !is_key(current[x]) + (below && !is_key(below[x]));
        }
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = current[x];
            if (!is_key(p)) {
                row[x] = p | 0xFF000000u;
                continue;
            }
            if (column[x] + column[x + 1] + column[x + 2] == 0) {
                row[x] = 0;  // alpha 0, black
                continue;
            }
            std::uint32_t sum_r = 0, sum_g = 0, sum_b = 0, count = 0;
            for (int dy = -1; dy <= 1; ++dy) {
                const std::uint32_t* source = dy < 0    ? (y > 0 ? above.data() : nullptr)
                                              : dy == 0 ? current.data()
                                                        : below;
                if (!source) continue;
                for (int nx = std::max(x - 1, 0); nx <= std::min(x + 1, width - 1); ++nx) {
                    const std::uint32_t n = source[nx];
                    if ((nx == x && dy == 0) || is_key(n)) continue;
                    sum_r += (n >> 16) & 255u;
                    sum_g += (n >> 8) & 255u;
                    sum_b += n & 255u;
                    ++count;
                }
            }
            row[x] = ((sum_r + count / 2) / count) << 16 | ((sum_g + count / 2) / count) << 8 |
                     ((sum_b + count / 2) / count);
        }
        above.swap(current);
    }
}

}  // namespace detail

void set_mask_colour(int r, int g, int b) {
    auto& l = detail::loader_state();
    l.mask_r = std::clamp(r, 0, 255);
    l.mask_g = std::clamp(g, 0, 255);
    l.mask_b = std::clamp(b, 0, 255);
}

void set_auto_image_flags(int flags) {
    if (flags != -1) detail::loader_state().auto_flags = flags;
}

void set_auto_mid_handle(bool on) {
    detail::loader_state().auto_mid_handle = on;
}

namespace detail {

Pixmap pixmap_of(DecodedPicture picture, bool masked, MaskColour mask) {
    Pixmap pixmap;
    pixmap.width = picture.width;
    pixmap.height = picture.height;
    pixmap.pixels = std::move(picture.pixels);
    if (masked && !picture.has_alpha) {
        apply_mask(pixmap.pixels.data(), pixmap.width, pixmap.height, pixmap.width, mask);
    }
    return pixmap;
}

}  // namespace detail

namespace {

// The finer version for a screen drawn `scale` times finer, registered as
// "2x/NAME", "3x/NAME" ... beside NAME, masked with the mask colour in force now.
void add_detail(ImageData& image, std::string_view resource, int scale) {
    const std::string name = std::to_string(scale) + "x/" + std::string(resource);
    const auto bytes = find_resource(name);
    if (!bytes) return;
    auto decoding = std::make_shared<detail::FinerDecoding>(
        *bytes, image.width * scale, image.height * scale, (image.flags & kMasked) != 0,
        detail::current_mask_colour());
    detail::decode_in_background(decoding);
    image.detail.scale = scale;
    image.detail.decoding = std::move(decoding);
}

// The rectangle (x, y, width, height) of `from` into `into`, masked or made
// opaque; the part outside `from` stays transparent black.
void grab_rect(const detail::RenderTarget& from, int x, int y, bool masked, Pixmap& into) {
    into.pixels.assign(static_cast<std::size_t>(into.width) * into.height, 0u);
    const int x0 = std::clamp(x, 0, from.width), x1 = std::clamp(x + into.width, 0, from.width);
    const int y0 = std::clamp(y, 0, from.height), y1 = std::clamp(y + into.height, 0, from.height);
    if (x0 >= x1 || y0 >= y1) return;
    const int w = x1 - x0, h = y1 - y0;
    std::uint32_t* dst =
        into.pixels.data() + static_cast<std::size_t>(y0 - y) * into.width + (x0 - x);
    for (int row = 0; row < h; ++row) {
        const std::uint32_t* src =
            from.pixels.data() + static_cast<std::size_t>(y0 + row) * from.width + x0;
        std::uint32_t* out = dst + static_cast<std::size_t>(row) * into.width;
        if (masked) {
            std::copy(src, src + w, out);
        } else {
            for (int col = 0; col < w; ++col) out[col] = src[col] | 0xFF000000u;
        }
    }
    if (masked) detail::apply_mask(dst, w, h, into.width, detail::current_mask_colour());
}

}  // namespace

Image load_image(std::string_view path_or_resource, std::optional<int> flags) {
    using namespace detail;
    std::optional<DecodedPicture> picture;
    const auto resource = find_resource(path_or_resource);
    if (resource) {
        picture = decode_png(*resource);
    } else if (auto bytes = read_whole_file(path_or_resource)) {
        picture = decode_png(*bytes);
    }
    if (!picture) return nullptr;
    auto image = std::make_shared<ImageData>();
    image->width = picture->width;
    image->height = picture->height;
    image->flags = resolve_flags(flags);
    apply_handle_rule(image);
    image->pixmaps.push_back(detail::pixmap_of(std::move(*picture), (image->flags & kMasked) != 0,
                                               detail::current_mask_colour()));
    image->render_cache.resize(1);
    if (resource && render_scale() > 1) add_detail(*image, path_or_resource, render_scale());
    return image;
}

Image create_image(int width, int height, int frames, std::optional<int> flags) {
    using namespace detail;
    auto image = std::make_shared<ImageData>();
    image->width = std::max(width, 0);
    image->height = std::max(height, 0);
    image->flags = resolve_flags(flags);
    apply_handle_rule(image);
    const int count = std::max(frames, 0);
    image->pixmaps.resize(static_cast<std::size_t>(count));
    for (Pixmap& p : image->pixmaps) {
        p.width = image->width;
        p.height = image->height;
        p.pixels.assign(static_cast<std::size_t>(p.width) * p.height, 0u);
    }
    image->render_cache.resize(static_cast<std::size_t>(count));
    return image;
}

// On a finer screen the frame is grabbed twice: at game resolution from the
// frame the draws since the last clear make at scale 1 (exact, for collisions),
// and at the screen's scale from the back buffer (for drawing).
void grab_image(const Image& image, int x, int y, int frame) {
    using namespace detail;
    if (!image || frame < 0 || static_cast<std::size_t>(frame) >= image->pixmaps.size()) return;
    Pixmap& pixmap = image->pixmaps[frame];
    pixmap.width = image->width;
    pixmap.height = image->height;
    if (frame < static_cast<int>(image->render_cache.size())) image->render_cache[frame].reset();
    RenderTarget* target = current_target();
    if (!target) {
        pixmap.pixels.assign(static_cast<std::size_t>(pixmap.width) * pixmap.height, 0u);
        return;
    }
    settle_clear(*target);
    const bool masked = (image->flags & kMasked) != 0;
    const int scale = target->scale;
    if (scale == 1) {
        grab_rect(*target, x, y, masked, pixmap);
        return;
    }
    grab_rect(game_resolution_frame(*target), x, y, masked, pixmap);
    ImageData::Detail& detail = image->detail;
    if (detail.scale != scale) {
        detail = ImageData::Detail{};
        detail.scale = scale;
    }
    if (detail.pixmaps.size() < image->pixmaps.size()) {
        detail.pixmaps.resize(image->pixmaps.size());
        detail.render_cache.resize(image->pixmaps.size());
    }
    Pixmap& fine = detail.pixmaps[frame];
    fine.width = image->width * scale;
    fine.height = image->height * scale;
    grab_rect(*target, x * scale, y * scale, masked, fine);
    detail.render_cache[frame].reset();
}

void mid_handle_image(const Image& image) {
    if (!image) return;
    image->handle_x = static_cast<float>(image->width) * 0.5f;
    image->handle_y = static_cast<float>(image->height) * 0.5f;
}

namespace detail {

void decode_pending_detail(ImageData& image) {
    ImageData::Detail& detail = image.detail;
    if (!detail.decoding) return;
    const auto decoding = std::static_pointer_cast<FinerDecoding>(std::move(detail.decoding));
    detail.decoding.reset();
    std::optional<Pixmap> pixmap = decoding->take();
    if (!pixmap) {
        detail = ImageData::Detail{};
        return;
    }
    detail.pixmaps.push_back(std::move(*pixmap));
    detail.render_cache.resize(1);
}

}  // namespace detail
}  // namespace svc
