#include "services/backends/sdl/sdl_platform.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace svc {

// --- Key and axis mapping ---------------------------------------------------------------

int virtual_key_from_scancode(int scancode) {
    if (scancode >= SDL_SCANCODE_A && scancode <= SDL_SCANCODE_Z) {
        return 'A' + (scancode - SDL_SCANCODE_A);
    }
    if (scancode >= SDL_SCANCODE_1 && scancode <= SDL_SCANCODE_9) {
        return '1' + (scancode - SDL_SCANCODE_1);
    }
    if (scancode >= SDL_SCANCODE_F1 && scancode <= SDL_SCANCODE_F12) {
        return vk::kF1 + (scancode - SDL_SCANCODE_F1);
    }
    if (scancode >= SDL_SCANCODE_KP_1 && scancode <= SDL_SCANCODE_KP_9) {
        return 97 + (scancode - SDL_SCANCODE_KP_1);  // numeric keypad 1-9
    }
    switch (scancode) {
        case SDL_SCANCODE_0:
            return '0';
        case SDL_SCANCODE_KP_0:
            return 96;
        case SDL_SCANCODE_RETURN:
        case SDL_SCANCODE_KP_ENTER:
            return vk::kEnter;
        case SDL_SCANCODE_ESCAPE:
            return vk::kEscape;
        case SDL_SCANCODE_BACKSPACE:
            return vk::kBackspace;
        case SDL_SCANCODE_TAB:
            return vk::kTab;
        case SDL_SCANCODE_SPACE:
            return vk::kSpace;
        case SDL_SCANCODE_LEFT:
            return vk::kLeft;
        case SDL_SCANCODE_UP:
            return vk::kUp;
        case SDL_SCANCODE_RIGHT:
            return vk::kRight;
        case SDL_SCANCODE_DOWN:
            return vk::kDown;
        case SDL_SCANCODE_LSHIFT:
            return vk::kLeftShift;
        case SDL_SCANCODE_RSHIFT:
            return vk::kRightShift;
        case SDL_SCANCODE_LCTRL:
            return vk::kLeftControl;
        case SDL_SCANCODE_RCTRL:
            return vk::kRightControl;
        case SDL_SCANCODE_LALT:
            return vk::kLeftAlt;
        case SDL_SCANCODE_RALT:
            return vk::kRightAlt;
        case SDL_SCANCODE_PAUSE:
            return 19;
        case SDL_SCANCODE_CAPSLOCK:
            return 20;
        case SDL_SCANCODE_PAGEUP:
            return 33;
        case SDL_SCANCODE_PAGEDOWN:
            return 34;
        case SDL_SCANCODE_END:
            return 35;
        case SDL_SCANCODE_HOME:
            return 36;
        case SDL_SCANCODE_PRINTSCREEN:
            return 44;
        case SDL_SCANCODE_INSERT:
            return 45;
        case SDL_SCANCODE_DELETE:
            return 46;
        case SDL_SCANCODE_LGUI:
            return 91;
        case SDL_SCANCODE_RGUI:
            return 92;
        case SDL_SCANCODE_APPLICATION:
            return 93;
        case SDL_SCANCODE_KP_MULTIPLY:
            return 106;
        case SDL_SCANCODE_KP_PLUS:
            return 107;
        case SDL_SCANCODE_KP_MINUS:
            return 109;
        case SDL_SCANCODE_KP_PERIOD:
            return 110;
        case SDL_SCANCODE_KP_DIVIDE:
            return 111;
        case SDL_SCANCODE_NUMLOCKCLEAR:
            return 144;
        case SDL_SCANCODE_SCROLLLOCK:
            return 145;
        case SDL_SCANCODE_SEMICOLON:
            return 186;
        case SDL_SCANCODE_EQUALS:
            return 187;
        case SDL_SCANCODE_COMMA:
            return 188;
        case SDL_SCANCODE_MINUS:
            return 189;
        case SDL_SCANCODE_PERIOD:
            return 190;
        case SDL_SCANCODE_SLASH:
            return 191;
        case SDL_SCANCODE_GRAVE:
            return 192;
        case SDL_SCANCODE_LEFTBRACKET:
            return 219;
        case SDL_SCANCODE_BACKSLASH:
            return 220;
        case SDL_SCANCODE_RIGHTBRACKET:
            return 221;
        case SDL_SCANCODE_APOSTROPHE:
            return 222;
        default:
            return 0;
    }
}

float joystick_axis_value(int position) {
    const float value = position < 0 ? static_cast<float>(position) / 32768.0f
                                     : static_cast<float>(position) / 32767.0f;
    return std::clamp(value, -1.0f, 1.0f);
}

namespace {

// Decodes UTF-8 text into code points (malformed bytes are skipped).
template <typename Sink>
void for_each_code_point(const char* text, Sink&& sink) {
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p) {
        const unsigned lead = *p;
        int extra = lead < 0x80           ? 0
                    : (lead >> 5) == 0x6  ? 1
                    : (lead >> 4) == 0xE  ? 2
                    : (lead >> 3) == 0x1E ? 3
                                          : -1;
        if (extra < 0) {
            ++p;
            continue;
        }
        std::uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
        ++p;
        bool ok = true;
        for (int i = 0; i < extra; ++i, ++p) {
            if ((*p & 0xC0) != 0x80) {
                ok = false;
                break;
            }
            code = (code << 6) | (*p & 0x3F);
        }
        if (ok) sink(code);
    }
}

int mouse_button_number(int sdl_button) {
    switch (sdl_button) {
        case SDL_BUTTON_LEFT:
            return 1;
        case SDL_BUTTON_RIGHT:
            return 2;
        case SDL_BUTTON_MIDDLE:
            return 3;
        default:
            return 0;
    }
}

// With no display SDL falls back to drivers that draw nowhere; the game would
// then run unseen. Those count only when asked for by name.
bool real_display_driver() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver) return false;
    if (std::strcmp(driver, "offscreen") != 0 && std::strcmp(driver, "dummy") != 0) return true;
    const char* requested = std::getenv("SDL_VIDEODRIVER");
    return requested && std::strstr(requested, driver) != nullptr;
}

bool windowed_requested() {
    const char* value = std::getenv("SCRIBBLE_WINDOWED");
    return value && std::strcmp(value, "1") == 0;
}

// The audio device: SDL calls back from its own thread for each buffer.
class SdlAudioOutput final : public AudioOutput {
  public:
    explicit SdlAudioOutput(AudioMixFn mix) : mix_(std::move(mix)) {}
    ~SdlAudioOutput() override {
        if (device_) SDL_CloseAudioDevice(device_);
    }
    int sample_rate() const override { return rate_; }

    bool open() {
        SDL_AudioSpec want{};
        want.freq = 44100;
        want.format = AUDIO_S16SYS;
        want.channels = 2;
        want.samples = 512;  // about 12 ms: effects start without a noticeable lag
        want.callback = &SdlAudioOutput::callback;
        want.userdata = this;
        SDL_AudioSpec have{};
        device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
        if (!device_) return false;
        rate_ = have.freq;
        SDL_PauseAudioDevice(device_, 0);
        return true;
    }

  private:
    static void callback(void* userdata, Uint8* stream, int length) {
        auto* self = static_cast<SdlAudioOutput*>(userdata);
        std::memset(stream, 0, static_cast<std::size_t>(length));
        self->mix_(reinterpret_cast<std::int16_t*>(stream), length / 4);
    }

    AudioMixFn mix_;
    SDL_AudioDeviceID device_ = 0;
    int rate_ = 44100;
};

// True when the kernel reports no sound card at all (or has no sound support),
// so ALSA would only fail after printing its complaints.
bool no_sound_cards() {
    std::FILE* cards = std::fopen("/proc/asound/cards", "r");
    if (!cards) return true;
    char line[128] = {};
    const bool none = std::fgets(line, sizeof line, cards) && std::strstr(line, "no soundcards");
    std::fclose(cards);
    return none;
}

// Starts SDL's audio with the first driver that works. Unless the user chose a
// driver, ALSA is skipped on a machine without sound cards, where it cannot
// succeed and only fills standard error.
bool init_audio_subsystem(std::string& error) {
    if (std::getenv("SDL_AUDIODRIVER") || !no_sound_cards()) {
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
        error = SDL_GetError();
        return false;
    }
    for (const char* driver : {"pipewire", "pulseaudio", "jack"}) {
        SDL_SetHint(SDL_HINT_AUDIODRIVER, driver);
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) return true;
    }
    SDL_SetHint(SDL_HINT_AUDIODRIVER, nullptr);
    error = "no sound card";
    return false;
}

}  // namespace

// --- The platform ------------------------------------------------------------------------

// SDL turns SIGINT and SIGTERM into a quit event, so an interrupted game still
// ends through its exit path and keeps its best score.
SdlPlatform::SdlPlatform() : clock_start_(std::chrono::steady_clock::now()) {}

SdlPlatform::~SdlPlatform() {
    close_screen();
    close_joysticks();
    SDL_Quit();
}

bool SdlPlatform::open_screen(std::string_view title, int width, int height, bool fullscreen) {
    close_screen();
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        last_error_ = SDL_GetError();
        return false;
    }
    video_ready_ = true;
    if (!real_display_driver()) {
        last_error_ = "no display found (is DISPLAY or WAYLAND_DISPLAY set?)";
        close_screen();
        return false;
    }
    const std::string caption(title);
    int window_w = width, window_h = height;
    Uint32 window_flags = SDL_WINDOW_RESIZABLE;
    SDL_DisplayMode desktop{};
    if (fullscreen && !windowed_requested() && SDL_GetDesktopDisplayMode(0, &desktop) == 0) {
        // A borderless window of the desktop's size covers the screen with or
        // without a window manager, and leaves the display mode alone.
        window_w = desktop.w;
        window_h = desktop.h;
        window_flags = SDL_WINDOW_BORDERLESS;
    }
    window_ = SDL_CreateWindow(caption.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                               window_w, window_h, window_flags);
    if (!window_) {
        last_error_ = SDL_GetError();
        close_screen();
        return false;
    }
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_PRESENTVSYNC);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, 0);
    if (!renderer_) renderer_ = SDL_CreateRenderer(window_, -1, SDL_RENDERER_SOFTWARE);
    if (renderer_) {
        SDL_RendererInfo info{};
        SDL_GetRendererInfo(renderer_, &info);
        vsync_capable_ = (info.flags & SDL_RENDERER_PRESENTVSYNC) != 0;
        vsync_on_ = vsync_capable_;
        texture_ = SDL_CreateTexture(renderer_, SDL_PIXELFORMAT_ARGB8888,
                                     SDL_TEXTUREACCESS_STREAMING, width, height);
    }
    if (!renderer_ || !texture_ || SDL_RenderSetLogicalSize(renderer_, width, height) != 0) {
        last_error_ = SDL_GetError();
        close_screen();
        return false;
    }
    width_ = width;
    height_ = height;
    SDL_RaiseWindow(window_);
    SDL_SetRenderDrawColor(renderer_, 0, 0, 0, 255);
    SDL_RenderClear(renderer_);
    SDL_RenderPresent(renderer_);
    return true;
}

void SdlPlatform::close_screen() {
    if (texture_) SDL_DestroyTexture(texture_);
    if (renderer_) SDL_DestroyRenderer(renderer_);
    if (window_) SDL_DestroyWindow(window_);
    texture_ = nullptr;
    renderer_ = nullptr;
    window_ = nullptr;
    vsync_capable_ = vsync_on_ = false;
    if (video_ready_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
    video_ready_ = false;
}

void SdlPlatform::present(const std::uint32_t* pixels, bool wait_vblank) {
    if (!texture_) return;
    const bool want_vsync = wait_vblank && vsync_capable_;
    if (want_vsync != vsync_on_) {
        SDL_RenderSetVSync(renderer_, want_vsync ? 1 : 0);
        vsync_on_ = want_vsync;
    }
    SDL_UpdateTexture(texture_, nullptr, pixels, width_ * 4);
    SDL_RenderClear(renderer_);  // the letterbox bars
    SDL_RenderCopy(renderer_, texture_, nullptr, nullptr);
    SDL_RenderPresent(renderer_);
}

// --- Events ---------------------------------------------------------------------------

void SdlPlatform::pump_events(InputState& input) {
    if (!video_ready_ && pads_.empty()) return;
    sync_pads(input);
    SDL_Event event;
    while (SDL_PollEvent(&event)) handle_event(event, input);
}

void SdlPlatform::handle_event(const SDL_Event& event, InputState& input) {
    switch (event.type) {
        case SDL_QUIT:
            input.close_requested();
            break;
        case SDL_WINDOWEVENT:
            handle_window_event(event, input);
            break;
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            handle_key(event, input);
            break;
        case SDL_TEXTINPUT:
            for_each_code_point(event.text.text, [&](std::uint32_t c) { input.char_event(c); });
            break;
        case SDL_MOUSEMOTION: {
            int x = event.motion.x, y = event.motion.y;
            clamp_pointer(x, y);
            input.mouse_move(x, y);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP: {
            int x = event.button.x, y = event.button.y;
            clamp_pointer(x, y);
            input.mouse_move(x, y);
            const int button = mouse_button_number(event.button.button);
            if (button) input.mouse_button(button, event.type == SDL_MOUSEBUTTONDOWN);
            break;
        }
        case SDL_MOUSEWHEEL:
            input.mouse_wheel(event.wheel.y);
            break;
        default:
            handle_joystick_event(event, input);
            break;
    }
}

void SdlPlatform::handle_key(const SDL_Event& event, InputState& input) {
    const bool down = event.type == SDL_KEYDOWN;
    const int scancode = event.key.keysym.scancode;
    // Without a window manager nobody turns Alt+F4 into a close request; do it here.
    if (down && scancode == SDL_SCANCODE_F4 && (event.key.keysym.mod & KMOD_ALT)) {
        input.close_requested();
        return;
    }
    const int vk = virtual_key_from_scancode(scancode);
    if (vk) input.key_event(vk, down, event.key.repeat != 0);
}

void SdlPlatform::handle_window_event(const SDL_Event& event, InputState& input) {
    switch (event.window.event) {
        case SDL_WINDOWEVENT_FOCUS_LOST:
            input.focus_lost();
            break;
        case SDL_WINDOWEVENT_FOCUS_GAINED:
            input.focus_gained();
            break;
        case SDL_WINDOWEVENT_CLOSE:
            input.close_requested();
            break;
        default:
            break;
    }
}

void SdlPlatform::handle_joystick_event(const SDL_Event& event, InputState& input) {
    switch (event.type) {
        case SDL_JOYAXISMOTION: {
            const int port = port_of(event.jaxis.which);
            if (port < 0 || event.jaxis.axis > 1) return;
            const float value = joystick_axis_value(event.jaxis.value);
            (event.jaxis.axis == 0 ? pads_[port].stick_x : pads_[port].stick_y) = value;
            update_pad_axes(port, input);
            break;
        }
        case SDL_JOYHATMOTION: {
            const int port = port_of(event.jhat.which);
            if (port < 0 || event.jhat.hat != 0) return;
            const int hat = event.jhat.value;
            pads_[port].hat_x = (hat & SDL_HAT_LEFT) ? -1 : (hat & SDL_HAT_RIGHT) ? 1 : 0;
            pads_[port].hat_y = (hat & SDL_HAT_UP) ? -1 : (hat & SDL_HAT_DOWN) ? 1 : 0;
            update_pad_axes(port, input);
            break;
        }
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP: {
            const int port = port_of(event.jbutton.which);
            if (port >= 0) {
                input.joy_button(port, event.jbutton.button, event.type == SDL_JOYBUTTONDOWN);
            }
            break;
        }
        case SDL_JOYDEVICEREMOVED: {
            // The port stays (ports are numbered once, at count_joysticks) but
            // lets go of everything it held.
            const int port = port_of(event.jdevice.which);
            if (port < 0) return;
            for (int b = 0; b < kMaxJoyButtons; ++b) input.joy_button(port, b, false);
            Pad& pad = pads_[port];
            pad.stick_x = pad.stick_y = 0;
            pad.hat_x = pad.hat_y = 0;
            update_pad_axes(port, input);
            break;
        }
        default:
            break;
    }
}

int SdlPlatform::port_of(int instance_id) const {
    for (std::size_t i = 0; i < pads_.size(); ++i) {
        if (pads_[i].instance_id == instance_id) return static_cast<int>(i);
    }
    return -1;
}

void SdlPlatform::update_pad_axes(int port, InputState& input) {
    const Pad& pad = pads_[port];
    input.joy_axis(port, 0, pad.hat_x ? static_cast<float>(pad.hat_x) : pad.stick_x);
    input.joy_axis(port, 1, pad.hat_y ? static_cast<float>(pad.hat_y) : pad.stick_y);
}

// Events report changes only; a freshly opened stick starts from where it is.
void SdlPlatform::sync_pads(InputState& input) {
    for (std::size_t i = 0; i < pads_.size(); ++i) {
        Pad& pad = pads_[i];
        if (!pad.needs_sync) continue;
        pad.needs_sync = false;
        const int port = static_cast<int>(i);
        if (SDL_JoystickNumAxes(pad.handle) > 0) {
            pad.stick_x = joystick_axis_value(SDL_JoystickGetAxis(pad.handle, 0));
        }
        if (SDL_JoystickNumAxes(pad.handle) > 1) {
            pad.stick_y = joystick_axis_value(SDL_JoystickGetAxis(pad.handle, 1));
        }
        update_pad_axes(port, input);
        const int buttons = std::min(SDL_JoystickNumButtons(pad.handle), kMaxJoyButtons);
        for (int b = 0; b < buttons; ++b) {
            if (SDL_JoystickGetButton(pad.handle, b)) input.joy_button(port, b, true);
        }
    }
}

void SdlPlatform::clamp_pointer(int& x, int& y) const {
    if (width_ <= 0 || height_ <= 0) return;
    x = std::clamp(x, 0, width_ - 1);
    y = std::clamp(y, 0, height_ - 1);
}

// --- Pointer and joysticks ---------------------------------------------------------------

void SdlPlatform::move_pointer(InputState& input, int x, int y) {
    input.mouse_move(x, y);
    if (!renderer_ || !window_) return;
    // Aim at the centre of the game pixel so that the motion event the warp
    // produces maps back to the same pixel through the scale and letterbox.
    int window_x = 0, window_y = 0;
    SDL_RenderLogicalToWindow(renderer_, static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f,
                              &window_x, &window_y);
    SDL_WarpMouseInWindow(window_, window_x, window_y);
}

void SdlPlatform::hide_pointer() {
    if (video_ready_) SDL_ShowCursor(SDL_DISABLE);
}

int SdlPlatform::open_joysticks() {
    close_joysticks();
    if (!SDL_WasInit(SDL_INIT_JOYSTICK) && SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return 0;
    SDL_JoystickEventState(SDL_ENABLE);
    const int found = SDL_NumJoysticks();
    for (int i = 0; i < found && static_cast<int>(pads_.size()) < kMaxJoyPorts; ++i) {
        SDL_Joystick* handle = SDL_JoystickOpen(i);
        if (!handle) continue;
        Pad pad;
        pad.handle = handle;
        pad.instance_id = SDL_JoystickInstanceID(handle);
        pads_.push_back(pad);
    }
    return static_cast<int>(pads_.size());
}

void SdlPlatform::close_joysticks() {
    for (Pad& pad : pads_) SDL_JoystickClose(pad.handle);
    pads_.clear();
}

// --- Clock and audio -----------------------------------------------------------------------

int SdlPlatform::millisecs() {
    const auto elapsed = std::chrono::steady_clock::now() - clock_start_;
    return static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

void SdlPlatform::sleep(int ms) {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

std::unique_ptr<AudioOutput> SdlPlatform::open_audio(AudioMixFn mix) {
    std::string error;
    if (!SDL_WasInit(SDL_INIT_AUDIO) && !init_audio_subsystem(error)) {
        std::fprintf(stderr, "sound off: %s\n", error.c_str());
        return nullptr;
    }
    auto output = std::make_unique<SdlAudioOutput>(std::move(mix));
    if (!output->open()) {
        std::fprintf(stderr, "sound off: could not open an audio device: %s\n", SDL_GetError());
        return nullptr;
    }
    return output;
}

}  // namespace svc
