#include "services/backends/sdl/sdl_input.h"

#include <SDL.h>

#include <utility>

#include "services/backends/sdl/sdl_pads.h"
#include "services/backends/sdl/sdl_video.h"
#include "services/input.h"

namespace svc {

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

namespace {

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

}  // namespace

void SdlInput::pump_events(InputState& input) {
    if (!video_.ready() && !SDL_WasInit(SDL_INIT_JOYSTICK)) return;
    pads_.sync(input);
    SDL_Event event;
    while (SDL_PollEvent(&event)) handle_event(event, input);
}

void SdlInput::handle_event(const SDL_Event& event, InputState& input) {
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
        case SDL_MOUSEMOTION: {
            int x = event.motion.x, y = event.motion.y;
            video_.clamp_pointer(x, y);
            input.mouse_move(x, y);
            break;
        }
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            handle_mouse_button(event, input);
            break;
        default:
            pads_.handle_event(event, input);
            break;
    }
}

void SdlInput::handle_key(const SDL_Event& event, InputState& input) {
    const bool down = event.type == SDL_KEYDOWN;
    const int scancode = event.key.keysym.scancode;
    // Without a window manager nobody turns Alt+F4 into a close request; do it here.
    if (down && scancode == SDL_SCANCODE_F4 && (event.key.keysym.mod & KMOD_ALT)) {
        input.request_close();
        return;
    }
    if (display_switch_key(event)) return;
    const int vk = virtual_key_from_scancode(scancode);
    if (vk) input.key_event(vk, down, event.key.repeat != 0);
}

bool SdlInput::display_switch_key(const SDL_Event& event) {
    const int scancode = event.key.keysym.scancode;
    const bool enter = scancode == SDL_SCANCODE_RETURN || scancode == SDL_SCANCODE_KP_ENTER;
    if (scancode != SDL_SCANCODE_F11 && !enter) return false;
    bool& held = switch_key_held_[enter ? 1 : 0];
    if (event.type == SDL_KEYUP) return std::exchange(held, false);
    if (enter && !(event.key.keysym.mod & KMOD_ALT) && !held) return false;
    if (event.key.repeat == 0) video_.toggle_fullscreen();
    held = true;
    return true;
}

void SdlInput::handle_window_event(const SDL_Event& event, InputState& input) {
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
#ifdef __EMSCRIPTEN__
        // A page in a tab the player left keeps its focus: hiding it counts as
        // losing the focus, and showing it again as gaining it while it has it.
        case SDL_WINDOWEVENT_HIDDEN:
            input.focus_lost();
            break;
        case SDL_WINDOWEVENT_SHOWN:
            if (SDL_GetWindowFlags(SDL_GetWindowFromID(event.window.windowID)) &
                SDL_WINDOW_INPUT_FOCUS) {
                input.focus_gained();
            }
            break;
#endif
        default:
            break;
    }
}

// A click also moves the pointer to where it happened.
void SdlInput::handle_mouse_button(const SDL_Event& event, InputState& input) {
    int x = event.button.x, y = event.button.y;
    video_.clamp_pointer(x, y);
    input.mouse_move(x, y);
    const int button = mouse_button_number(event.button.button);
    if (button) input.mouse_button(button, event.type == SDL_MOUSEBUTTONDOWN);
}

}  // namespace svc
