#pragma once
// The SDL window that shows the game's software-rendered frames: full screen (a
// borderless window covering the desktop, which works with or without a window
// manager and leaves the display mode alone) or a resizable window, switched at
// any moment; a renderer that scales the frame up with its aspect kept; and the
// streaming texture the frame is copied into.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

struct SDL_Window;
struct SDL_Renderer;
struct SDL_Texture;

namespace svc {

class SdlVideo {
  public:
    // `windowed`: a request for full screen opens a window all the same.
    // `scale`: the frames are drawn that many times finer than the game's
    // pixels; 0 chooses the largest scale, up to 4, whose frame fits the display.
    explicit SdlVideo(bool windowed = false, int scale = 0)
        : start_windowed_(windowed), requested_scale_(scale) {}
    ~SdlVideo() { close(); }
    SdlVideo(const SdlVideo&) = delete;
    SdlVideo& operator=(const SdlVideo&) = delete;

    // Starts SDL's video and opens the window for frames of width x height;
    // false (with last_error() saying why) when no display can be had.
    bool open(std::string_view title, int width, int height, bool fullscreen);
    // Closes the window and shuts SDL's video down again.
    void close();
    const std::string& last_error() const { return last_error_; }

    void present(const std::uint32_t* pixels, bool wait_vblank);
    bool has_vblank() const { return vsync_capable_; }
    bool fullscreen() const { return fullscreen_; }
    // The scale chosen when the window opened (1 while none is open).
    int scale() const { return scale_; }
    // The refresh rate of the display the window is on, 0 when SDL does not know.
    int refresh_rate() const;
    // Full screen to a window of the size it last had, or back to full screen.
    void toggle_fullscreen();

    // True while SDL's video (and with it its event queue) is running.
    bool ready() const { return video_ready_; }
    // Keeps a pointer position inside the frame of the last opened window.
    void clamp_pointer(int& x, int& y) const;
    // Moves the system pointer onto game pixel (x, y).
    void warp_pointer(int x, int y);
    void hide_pointer();

  private:
    struct DestroyWindow {
        void operator()(SDL_Window* window) const;
    };
    struct DestroyRenderer {
        void operator()(SDL_Renderer* renderer) const;
    };
    struct DestroyTexture {
        void operator()(SDL_Texture* texture) const;
    };

    bool create_window(std::string_view title);
    void show_icon();
    void cover_display();
    void become_window();
    bool create_renderer(int width, int height);
    bool fail(std::string reason);

    bool video_ready_ = false;
    std::unique_ptr<SDL_Window, DestroyWindow> window_;
    std::unique_ptr<SDL_Renderer, DestroyRenderer> renderer_;
    std::unique_ptr<SDL_Texture, DestroyTexture> texture_;
    int choose_scale(int width, int height) const;

    bool start_windowed_ = false;
    int requested_scale_ = 0;
    int scale_ = 1;
    bool fullscreen_ = false;
    int width_ = 0, height_ = 0;       // of the frame
    int window_w_ = 0, window_h_ = 0;  // of the window when not full screen
    bool vsync_capable_ = false;
    bool vsync_on_ = false;
    std::string last_error_;
};

}  // namespace svc
