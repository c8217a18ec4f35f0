#include "services/backends/sdl/sdl_video.h"

#include <SDL.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "services/rendering/png_decode.h"
#include "services/resources.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

namespace svc {
namespace {

#ifdef __EMSCRIPTEN__
// In a page the browser shows a frame, and runs its events and sound, only
// once the game gives it control. A frame that waits for the display yields
// until the browser's next animation frame (or 100 ms: a hidden page gets
// none); any other frame only until the browser's pending tasks have run.
// The page learns when the first frame was shown (scripts/bench times it) and
// how many have been (its tests wait for frames rather than for the clock).
// clang-format off
EM_ASYNC_JS(void, yield_to_browser, (int until_display), {
    if (!Module.firstFrameAt) Module.firstFrameAt = performance.now();
    Module.framesShown = (Module.framesShown || 0) + 1;
    await new Promise(function(resolve) {
        if (until_display && !document.hidden) {
            const timer = setTimeout(resolve, 100);
            requestAnimationFrame(function() { clearTimeout(timer); resolve(); });
        } else {
            const channel = new MessageChannel();
            channel.port1.onmessage = function() { resolve(); };
            channel.port2.postMessage(0);
        }
    });
});
// clang-format on
#endif

// With no display SDL falls back to drivers that draw nowhere; the game would
// then run unseen. Those count only when asked for by name.
bool real_display_driver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) return false;
    if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return true;
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    return requested && std::strstr(requested, driver) != nullptr;
}

// The game's icon, the pencil biplane, embedded like its pictures.
constexpr const char* kIconResource = "scribble-squadron-icon.png";

}  // namespace

void SdlVideo::DestroyWindow::operator()(SDL_Window* window) const {
    SDL_DestroyWindow(window);
}

void SdlVideo::DestroyRenderer::operator()(SDL_Renderer* renderer) const {
    SDL_DestroyRenderer(renderer);
}

void SdlVideo::DestroyTexture::operator()(SDL_Texture* texture) const {
    SDL_DestroyTexture(texture);
}

bool SdlVideo::open(std::string_view title, int width, int height, bool fullscreen) {
    close();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return fail(SDL_GetError());
    video_ready_ = true;
    // SDL's video starts with text input on, which sends text events and may
    // bring up an input method; the game reads keys only.
    SDL_StopTextInput();
    if (!real_display_driver()) {
        return fail("no display found (is DISPLAY or WAYLAND_DISPLAY set?)");
    }
    width_ = width;
    height_ = height;
    scale_ = choose_scale(width, height);
    if (window_w_ == 0) {
        // A window shows the frame pixel for pixel where the display has room.
        window_w_ = width * scale_;
        window_h_ = height * scale_;
    }
    fullscreen_ = fullscreen && !start_windowed_;
    if (!create_window(title)) return fail(SDL_GetError());
    show_icon();
    if (!create_renderer(width, height)) return fail(SDL_GetError());
    SDL_RaiseWindow(window_.get());
    SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255);
    SDL_RenderClear(renderer_.get());
    SDL_RenderPresent(renderer_.get());
    return true;
}

// Full screen is made at once at the display's size: without a window manager
// a window made smaller and then moved would keep its first place.
bool SdlVideo::create_window(std::string_view title) {
    const std::string caption(title);
#ifdef __EMSCRIPTEN__
    // A page's canvas, which the page sizes to fill the browser's window and
    // switches to full screen itself; SDL follows its size in device pixels.
    // Its frames reach the display at the display's refresh, as a full
    // screen's do, so the game paces it as one.
    fullscreen_ = true;
    window_.reset(SDL_CreateWindow(caption.c_str(), 0, 0, window_w_, window_h_,
                                   SDL_WINDOW_RESIZABLE | SDL_WINDOW_ALLOW_HIGHDPI));
    return window_ != nullptr;
#else
    SDL_Rect bounds{SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, window_w_, window_h_};
    Uint32 flags = SDL_WINDOW_RESIZABLE;
    if (fullscreen_ && SDL_GetDisplayBounds(0, &bounds) == 0) {
        flags = SDL_WINDOW_BORDERLESS;
    } else {
        fullscreen_ = false;
    }
    window_.reset(SDL_CreateWindow(caption.c_str(), bounds.x, bounds.y, bounds.w, bounds.h, flags));
    return window_ != nullptr;
#endif
}

void SdlVideo::show_icon() {
    register_embedded_assets();
    const auto bytes = find_resource(kIconResource);
    if (!bytes) return;
    auto icon = detail::decode_png(*bytes);
    if (!icon) return;
    SDL_Surface* surface =
        SDL_CreateRGBSurfaceWithFormatFrom(icon->pixels.data(), icon->width, icon->height, 32,
                                           icon->width * 4, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return;
    SDL_SetWindowIcon(window_.get(), surface);
    SDL_FreeSurface(surface);
}

// A borderless window the size of the display it is on.
void SdlVideo::cover_display() {
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window_.get()));
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(display, &bounds) != 0) return;
    SDL_SetWindowResizable(window_.get(), SDL_FALSE);
    SDL_SetWindowBordered(window_.get(), SDL_FALSE);
    SDL_SetWindowPosition(window_.get(), bounds.x, bounds.y);
    SDL_SetWindowSize(window_.get(), bounds.w, bounds.h);
}

void SdlVideo::become_window() {
    SDL_SetWindowBordered(window_.get(), SDL_TRUE);
    SDL_SetWindowResizable(window_.get(), SDL_TRUE);
    SDL_SetWindowSize(window_.get(), window_w_, window_h_);
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window_.get()));
    SDL_SetWindowPosition(window_.get(), SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                          SDL_WINDOWPOS_CENTERED_DISPLAY(display));
}

void SdlVideo::toggle_fullscreen() {
    if (!window_) return;
#ifdef __EMSCRIPTEN__
    // Browsers let only the page switch to full screen, soon after a key press.
    EM_ASM({
        if (Module.toggleFullscreen) Module.toggleFullscreen();
    });
#else
    if (fullscreen_) {
        become_window();
    } else {
        SDL_GetWindowSize(window_.get(), &window_w_, &window_h_);
        cover_display();
    }
    fullscreen_ = !fullscreen_;
    SDL_RaiseWindow(window_.get());
#endif
}

int SdlVideo::choose_scale(int width, int height) const {
    constexpr int kLargest = 4;
    if (requested_scale_ > 0) return std::min(requested_scale_, kLargest);
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(0, &bounds) != 0 || width <= 0 || height <= 0) return 1;
    return std::clamp(std::min(bounds.w / width, bounds.h / height), 1, kLargest);
}

int SdlVideo::refresh_rate() const {
    if (!window_) return 0;
#ifdef __EMSCRIPTEN__
    // The browser does not say; the page measures its animation frames.
    return EM_ASM_INT({ return Module.displayHertz | 0; });
#else
    SDL_DisplayMode mode{};
    const int display = std::max(0, SDL_GetWindowDisplayIndex(window_.get()));
    if (SDL_GetCurrentDisplayMode(display, &mode) != 0) return 0;
    return mode.refresh_rate;
#endif
}

// Prefers a renderer that can wait for the vertical blank, then any, then
// SDL's software renderer.
bool SdlVideo::create_renderer(int width, int height) {
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
#ifdef __EMSCRIPTEN__
    // Presents wait for the browser's animation frames (present()); SDL's own
    // wait belongs to a browser main loop the game does not use.
    renderer_.reset(SDL_CreateRenderer(window_.get(), -1, 0));
    if (!renderer_) return false;
    vsync_capable_ = vsync_on_ = true;
#else
    for (const Uint32 flags :
         {Uint32{SDL_RENDERER_PRESENTVSYNC}, Uint32{0}, Uint32{SDL_RENDERER_SOFTWARE}}) {
        renderer_.reset(SDL_CreateRenderer(window_.get(), -1, flags));
        if (renderer_) break;
    }
    if (!renderer_) return false;
    SDL_RendererInfo info{};
    SDL_GetRendererInfo(renderer_.get(), &info);
    vsync_capable_ = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
    vsync_on_ = vsync_capable_;
#endif
    texture_.reset(SDL_CreateTexture(renderer_.get(), SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, width * scale_, height * scale_));
    return texture_ && SDL_RenderSetLogicalSize(renderer_.get(), width, height) == 0;
}

bool SdlVideo::fail(std::string reason) {
    last_error_ = std::move(reason);
    close();
    return false;
}

void SdlVideo::close() {
    texture_.reset();
    renderer_.reset();
    window_.reset();
    vsync_capable_ = vsync_on_ = false;
    fullscreen_ = false;
    scale_ = 1;
    if (video_ready_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    video_ready_ = false;
}

void SdlVideo::present(const std::uint32_t* pixels, bool wait_vblank) {
    if (!texture_) return;
#ifndef __EMSCRIPTEN__
    const bool want_vsync = wait_vblank && vsync_capable_;
    if (want_vsync != vsync_on_) {
        SDL_RenderSetVSync(renderer_.get(), want_vsync ? 1 : 0);
        vsync_on_ = want_vsync;
    }
#endif
    SDL_UpdateTexture(texture_.get(), nullptr, pixels, width_ * scale_ * 4);
    SDL_RenderClear(renderer_.get());  // the letterbox bars
    SDL_RenderCopy(renderer_.get(), texture_.get(), nullptr, nullptr);
    SDL_RenderPresent(renderer_.get());
#ifdef __EMSCRIPTEN__
    yield_to_browser(wait_vblank ? 1 : 0);
#endif
}

void SdlVideo::clamp_pointer(int& x, int& y) const {
    if (width_ <= 0 || height_ <= 0) return;
    x = std::clamp(x, 0, width_ - 1);
    y = std::clamp(y, 0, height_ - 1);
}

void SdlVideo::warp_pointer(int x, int y) {
    if (!renderer_ || !window_) return;
    // Aim at the centre of the game pixel so that the motion event the warp
    // produces maps back to the same pixel through the scale and letterbox.
    int window_x = 0, window_y = 0;
    SDL_RenderLogicalToWindow(renderer_.get(), static_cast<float>(x) + 0.5f,
                              static_cast<float>(y) + 0.5f, &window_x, &window_y);
    SDL_WarpMouseInWindow(window_.get(), window_x, window_y);
}

void SdlVideo::hide_pointer() {
    if (video_ready_) SDL_ShowCursor(SDL_DISABLE);
}

}  // namespace svc
