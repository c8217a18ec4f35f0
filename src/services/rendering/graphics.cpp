// The back buffer and the current drawing state: colour, alpha, blend and the
// drawing matrix built from rotation and scale.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include <sys/mman.h>

#include "services/rendering/graphics.h"
#include "services/rendering/render_internal.h"
#include "services/rendering/render_target.h"

namespace svc {
namespace detail {
namespace {

DrawState g_draw_state;
LoaderState g_loader_state;
std::unique_ptr<RenderTarget> g_target;

constexpr std::uint32_t kOpaqueBlack = 0xFF000000u;

int clamp_channel(int value) {
    return std::clamp(value, 0, 255);
}

// Sine and cosine of an angle in degrees; whole quarter turns are exact, so
// that rotating by 90 degrees gives a matrix of plain zeros and ones.
void sin_cos_degrees(float degrees, float& sine, float& cosine) {
    double turns = std::fmod(static_cast<double>(degrees), 360.0);
    if (turns < 0) turns += 360.0;
    if (turns == 0 || turns == 90 || turns == 180 || turns == 270) {
        static constexpr float kSin[] = {0, 1, 0, -1};
        static constexpr float kCos[] = {1, 0, -1, 0};
        int quarter = static_cast<int>(turns) / 90;
        sine = kSin[quarter];
        cosine = kCos[quarter];
        return;
    }
    double radians = static_cast<double>(degrees) * (3.14159265358979323846 / 180.0);
    sine = static_cast<float>(std::sin(radians));
    cosine = static_cast<float>(std::cos(radians));
}

void rebuild_matrix(DrawState& s) {
    float sine = 0, cosine = 1;
    sin_cos_degrees(s.rotation, sine, cosine);
    s.ix = cosine * s.scale_x;
    s.iy = -sine * s.scale_y;
    s.jx = sine * s.scale_x;
    s.jy = cosine * s.scale_y;
}

}  // namespace

DrawState& draw_state() {
    return g_draw_state;
}
LoaderState& loader_state() {
    return g_loader_state;
}
RenderTarget* current_target() {
    return g_target.get();
}

namespace {
constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kMappedFrom = 2 * kHugePage;

std::size_t mapped_size(std::size_t bytes) {
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}
}  // namespace

void* allocate_pixels(std::size_t bytes) {
    if (bytes < kMappedFrom) return ::operator new(bytes);
    // Mapped with room to start on a huge-page boundary; the spare ends go back.
    const std::size_t size = mapped_size(bytes);
    void* mapped =
        mmap(nullptr, size + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) throw std::bad_alloc();
    auto* start = static_cast<char*>(mapped);
    auto* aligned = reinterpret_cast<char*>(
        (reinterpret_cast<std::uintptr_t>(start) + kHugePage - 1) & ~(kHugePage - 1));
    if (aligned > start) munmap(start, static_cast<std::size_t>(aligned - start));
    const std::size_t tail = static_cast<std::size_t>(start + size + kHugePage - (aligned + size));
    if (tail > 0) munmap(aligned + size, tail);
    madvise(aligned, size, MADV_HUGEPAGE);
    return aligned;
}

void free_pixels(void* pixels, std::size_t bytes) noexcept {
    if (!pixels) return;
    if (bytes < kMappedFrom) {
        ::operator delete(pixels);
        return;
    }
    munmap(pixels, mapped_size(bytes));
}

int alpha_to_255(float alpha) {
    if (!(alpha > 0.0f)) return 0;  // also NaN
    if (alpha >= 1.0f) return 255;
    return static_cast<int>(std::lround(static_cast<double>(alpha) * 255.0));
}

void create_render_target(int width, int height, int scale) {
    auto target = std::make_unique<RenderTarget>();
    target->scale = std::max(scale, 1);
    target->width = std::max(width, 0) * target->scale;
    target->height = std::max(height, 0) * target->scale;
    target->pixels.resize(static_cast<std::size_t>(target->width) * target->height);
    target->black_pending = true;
    g_target = std::move(target);
    g_draw_state = DrawState{};
    g_loader_state = LoaderState{};
}

void destroy_render_target() {
    g_target.reset();
}
bool has_render_target() {
    return g_target != nullptr;
}
std::uint32_t* render_target_pixels() {
    if (!g_target) return nullptr;
    settle_clear(*g_target);
    return g_target->pixels.data();
}

}  // namespace detail

int graphics_width() {
    const auto* target = detail::current_target();
    return target ? target->width / target->scale : 0;
}
int graphics_height() {
    const auto* target = detail::current_target();
    return target ? target->height / target->scale : 0;
}
int render_scale() {
    return detail::current_target() ? detail::current_target()->scale : 1;
}

namespace detail {

// One row filled, then copied down: the compiler turns a plain fill of the
// whole buffer into a 4-byte store loop, several times slower than memcpy.
void settle_clear(RenderTarget& target) {
    if (!target.black_pending) return;
    target.black_pending = false;
    auto& pixels = target.pixels;
    if (pixels.empty()) return;
    const std::size_t width = static_cast<std::size_t>(target.width);
    std::fill_n(pixels.begin(), width, kOpaqueBlack);
    for (std::size_t row = width; row + width <= pixels.size(); row += width)
        std::memcpy(pixels.data() + row, pixels.data(), width * sizeof(std::uint32_t));
}

}  // namespace detail

void clear_screen() {
    auto* target = detail::current_target();
    if (!target) return;
    target->black_pending = true;
    if (target->scale == 1) return;
    target->draws_since_clear.clear();
    target->draws_replayed = 0;
    if (target->game_resolution) target->game_resolution->black_pending = true;
}

const std::uint32_t* back_buffer() {
    return detail::render_target_pixels();
}

void set_colour(int r, int g, int b) {
    auto& s = detail::draw_state();
    s.red = detail::clamp_channel(r);
    s.green = detail::clamp_channel(g);
    s.blue = detail::clamp_channel(b);
}

void set_alpha(float alpha) {
    detail::draw_state().alpha = alpha;
}

void set_blend(BlendMode mode) {
    detail::draw_state().blend = mode;
}

void set_rotation(float degrees) {
    auto& s = detail::draw_state();
    s.rotation = degrees;
    detail::rebuild_matrix(s);
}

float get_rotation() {
    return detail::draw_state().rotation;
}

void set_scale(float sx, float sy) {
    auto& s = detail::draw_state();
    s.scale_x = sx;
    s.scale_y = sy;
    detail::rebuild_matrix(s);
}

void set_transform(float degrees, float sx, float sy) {
    auto& s = detail::draw_state();
    s.rotation = degrees;
    s.scale_x = sx;
    s.scale_y = sy;
    detail::rebuild_matrix(s);
}

}  // namespace svc
