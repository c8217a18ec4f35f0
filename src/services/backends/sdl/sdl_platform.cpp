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

int joystick_button_from_pad_button(int pad_button) {
    switch (pad_button) {
        case SDL_CONTROLLER_BUTTON_A:
            return 0;
        case SDL_CONTROLLER_BUTTON_B:
            return 1;
        case SDL_CONTROLLER_BUTTON_X:
        case SDL_CONTROLLER_BUTTON_START:
            return 2;
        case SDL_CONTROLLER_BUTTON_Y:
            return 3;
        default:
            return -1;
    }
}

namespace {

// The d-pad of a game controller as hat bits, 0 for other buttons.
int dpad_bit(int pad_button) {
    switch (pad_button) {
        case SDL_CONTROLLER_BUTTON_DPAD_UP:
            return SDL_HAT_UP;
        case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
            return SDL_HAT_DOWN;
        case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
            return SDL_HAT_LEFT;
        case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            return SDL_HAT_RIGHT;
        default:
            return 0;
    }
}

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
    if (!video_ready_ && !SDL_WasInit(SDL_INIT_JOYSTICK)) return;
    sync_pads(input);
    SDL_Event event;
    while (SDL_PollEvent(&event)) handle_event(event, input);
}

void SdlPlatform::handle_event(const SDL_Event& event, InputState& input) {
    switch (event.type) {
        case SDL_QUIT:
            input.request_close();
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
        case SDL_CONTROLLERAXISMOTION:
        case SDL_CONTROLLERBUTTONDOWN:
        case SDL_CONTROLLERBUTTONUP:
            handle_controller_event(event, input);
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
        input.request_close();
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
            input.request_close();
            break;
        default:
            break;
    }
}

// Raw joystick events: the only source for pads SDL has no layout for; for game
// controllers only the hat, which some mappings leave out of the d-pad.
void SdlPlatform::handle_joystick_event(const SDL_Event& event, InputState& input) {
    switch (event.type) {
        case SDL_JOYAXISMOTION: {
            const int port = raw_joystick_port(event.jaxis.which);
            if (port < 0 || event.jaxis.axis > 1) return;
            const float value = joystick_axis_value(event.jaxis.value);
            (event.jaxis.axis == 0 ? pads_[port].stick_x : pads_[port].stick_y) = value;
            update_pad_axes(port, input);
            break;
        }
        case SDL_JOYHATMOTION: {
            const int port = port_of(event.jhat.which);
            if (port < 0 || event.jhat.hat != 0) return;
            pads_[port].dpad = event.jhat.value;
            update_pad_axes(port, input);
            break;
        }
        case SDL_JOYBUTTONDOWN:
        case SDL_JOYBUTTONUP: {
            const int port = raw_joystick_port(event.jbutton.which);
            const int button = event.jbutton.button;
            if (port >= 0 && button < kMaxJoystickButtons) {
                press(port, button, button, event.type == SDL_JOYBUTTONDOWN, input);
            }
            break;
        }
        case SDL_JOYDEVICEADDED:
        case SDL_CONTROLLERDEVICEADDED:
            // Both arrive for a game controller; the second finds it open.
            if (open_pad(event.jdevice.which)) input.set_joystick_count(port_count());
            break;
        case SDL_JOYDEVICEREMOVED:
        case SDL_CONTROLLERDEVICEREMOVED: {
            const int port = port_of(event.jdevice.which);
            if (port < 0) return;
            release_pad(port, input);
            input.set_joystick_count(port_count());
            break;
        }
        default:
            break;
    }
}

void SdlPlatform::handle_controller_event(const SDL_Event& event, InputState& input) {
    if (event.type == SDL_CONTROLLERAXISMOTION) {
        const int port = controller_port(event.caxis.which);
        if (port < 0) return;
        const float value = joystick_axis_value(event.caxis.value);
        if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) pads_[port].stick_x = value;
        if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) pads_[port].stick_y = value;
        update_pad_axes(port, input);
        return;
    }
    const int port = controller_port(event.cbutton.which);
    if (port < 0) return;
    const bool down = event.type == SDL_CONTROLLERBUTTONDOWN;
    if (const int bit = dpad_bit(event.cbutton.button)) {
        set_dpad(port, bit, down, input);
        return;
    }
    const int button = joystick_button_from_pad_button(event.cbutton.button);
    if (button >= 0) press(port, button, event.cbutton.button, down, input);
}

int SdlPlatform::port_of(int instance_id) const {
    for (std::size_t i = 0; i < pads_.size(); ++i) {
        if (pads_[i].handle && pads_[i].instance_id == instance_id) return static_cast<int>(i);
    }
    return -1;
}

int SdlPlatform::raw_joystick_port(int instance_id) const {
    const int port = port_of(instance_id);
    return port >= 0 && !pads_[port].controller ? port : -1;
}

int SdlPlatform::controller_port(int instance_id) const {
    const int port = port_of(instance_id);
    return port >= 0 && pads_[port].controller ? port : -1;
}

void SdlPlatform::update_pad_axes(int port, InputState& input) {
    const Pad& pad = pads_[port];
    const int dpad_x = (pad.dpad & SDL_HAT_LEFT) ? -1 : (pad.dpad & SDL_HAT_RIGHT) ? 1 : 0;
    const int dpad_y = (pad.dpad & SDL_HAT_UP) ? -1 : (pad.dpad & SDL_HAT_DOWN) ? 1 : 0;
    input.joystick_axis(port, 0, dpad_x ? static_cast<float>(dpad_x) : pad.stick_x);
    input.joystick_axis(port, 1, dpad_y ? static_cast<float>(dpad_y) : pad.stick_y);
}

void SdlPlatform::set_dpad(int port, int bit, bool down, InputState& input) {
    Pad& pad = pads_[port];
    pad.dpad = down ? (pad.dpad | bit) : (pad.dpad & ~bit);
    update_pad_axes(port, input);
}

// The game button is down while any of its physical buttons is; a press while
// it is already held counts no new hit.
void SdlPlatform::press(int port, int button, int source, bool down, InputState& input) {
    std::uint32_t& held = pads_[port].held_by[button];
    const std::uint32_t bit = 1u << (source % 32);
    held = down ? (held | bit) : (held & ~bit);
    input.joystick_button(port, button, held != 0);
}

// Events report changes only; a freshly opened pad starts from where it is.
void SdlPlatform::sync_pads(InputState& input) {
    for (std::size_t i = 0; i < pads_.size(); ++i) {
        Pad& pad = pads_[i];
        if (!pad.handle || !pad.needs_sync) continue;
        pad.needs_sync = false;
        const int port = static_cast<int>(i);
        if (pad.controller) {
            sync_controller(port, input);
        } else {
            sync_raw_joystick(port, input);
        }
        if (SDL_JoystickNumHats(pad.handle) > 0) pad.dpad |= SDL_JoystickGetHat(pad.handle, 0);
        update_pad_axes(port, input);
    }
}

void SdlPlatform::sync_controller(int port, InputState& input) {
    Pad& pad = pads_[port];
    pad.stick_x =
        joystick_axis_value(SDL_GameControllerGetAxis(pad.controller, SDL_CONTROLLER_AXIS_LEFTX));
    pad.stick_y =
        joystick_axis_value(SDL_GameControllerGetAxis(pad.controller, SDL_CONTROLLER_AXIS_LEFTY));
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
        const auto which = static_cast<SDL_GameControllerButton>(b);
        if (!SDL_GameControllerGetButton(pad.controller, which)) continue;
        if (const int bit = dpad_bit(b)) {
            pad.dpad |= bit;
        } else if (const int button = joystick_button_from_pad_button(b); button >= 0) {
            press(port, button, b, true, input);
        }
    }
}

void SdlPlatform::sync_raw_joystick(int port, InputState& input) {
    Pad& pad = pads_[port];
    if (SDL_JoystickNumAxes(pad.handle) > 0) {
        pad.stick_x = joystick_axis_value(SDL_JoystickGetAxis(pad.handle, 0));
    }
    if (SDL_JoystickNumAxes(pad.handle) > 1) {
        pad.stick_y = joystick_axis_value(SDL_JoystickGetAxis(pad.handle, 1));
    }
    const int buttons = std::min(SDL_JoystickNumButtons(pad.handle), kMaxJoystickButtons);
    for (int b = 0; b < buttons; ++b) {
        if (SDL_JoystickGetButton(pad.handle, b)) press(port, b, b, true, input);
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
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER) && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        return 0;
    }
    SDL_JoystickEventState(SDL_ENABLE);
    SDL_GameControllerEventState(SDL_ENABLE);
    const int found = SDL_NumJoysticks();
    for (int i = 0; i < found; ++i) open_pad(i);
    return port_count();
}

// Opens the pad at SDL's device index on the first free port; false when it is
// open already, cannot be opened or every port is taken.
bool SdlPlatform::open_pad(int device_index) {
    if (port_of(SDL_JoystickGetDeviceInstanceID(device_index)) >= 0) return false;
    auto slot = std::find_if(pads_.begin(), pads_.end(), [](const Pad& p) { return !p.handle; });
    if (slot == pads_.end() && pads_.size() >= static_cast<std::size_t>(kMaxJoystickPorts)) {
        return false;
    }
    Pad pad;
    if (SDL_IsGameController(device_index)) {
        pad.controller = SDL_GameControllerOpen(device_index);
        if (pad.controller) pad.handle = SDL_GameControllerGetJoystick(pad.controller);
    }
    if (!pad.handle) pad.handle = SDL_JoystickOpen(device_index);
    if (!pad.handle) return false;
    pad.instance_id = SDL_JoystickInstanceID(pad.handle);
    if (slot == pads_.end()) {
        pads_.push_back(pad);
    } else {
        *slot = pad;
    }
    return true;
}

// A pad that goes away lets go of everything it held and frees its port, so a
// pad plugged in next takes its place.
void SdlPlatform::release_pad(int port, InputState& input) {
    Pad& pad = pads_[port];
    for (int b = 0; b < kMaxJoystickButtons; ++b) input.joystick_button(port, b, false);
    input.joystick_axis(port, 0, 0.0f);
    input.joystick_axis(port, 1, 0.0f);
    if (pad.controller) {
        SDL_GameControllerClose(pad.controller);
    } else {
        SDL_JoystickClose(pad.handle);
    }
    pad = Pad{};
}

// Ports up to the last one in use.
int SdlPlatform::port_count() const {
    int count = 0;
    for (std::size_t i = 0; i < pads_.size(); ++i) {
        if (pads_[i].handle) count = static_cast<int>(i) + 1;
    }
    return count;
}

void SdlPlatform::close_joysticks() {
    for (Pad& pad : pads_) {
        if (pad.controller) {
            SDL_GameControllerClose(pad.controller);
        } else if (pad.handle) {
            SDL_JoystickClose(pad.handle);
        }
    }
    pads_.clear();
}

// --- Clock and audio -----------------------------------------------------------------------

int SdlPlatform::milliseconds() {
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
