#include "services/backends/sdl/sdl_pads.h"

#include <SDL.h>

#include <algorithm>
#include <utility>

namespace svc {

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

}  // namespace

void SdlPads::CloseController::operator()(SDL_GameController* controller) const {
    SDL_GameControllerClose(controller);
}

void SdlPads::CloseJoystick::operator()(SDL_Joystick* joystick) const {
    SDL_JoystickClose(joystick);
}

// --- Opening and closing ------------------------------------------------------------------

int SdlPads::open_all() {
    close_all();
    if (!SDL_WasInit(SDL_INIT_GAMECONTROLLER) && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        return 0;
    }
    SDL_JoystickEventState(SDL_ENABLE);
    SDL_GameControllerEventState(SDL_ENABLE);
    const int found = SDL_NumJoysticks();
    for (int i = 0; i < found; ++i) open_pad(i);
    return port_count();
}

void SdlPads::close_all() {
    pads_.clear();
}

// Opens the pad at SDL's device index on the first free port; false when it is
// open already, cannot be opened or every port is taken.
bool SdlPads::open_pad(int device_index) {
    if (port_of(SDL_JoystickGetDeviceInstanceID(device_index)) >= 0) return false;
    auto slot = std::find_if(pads_.begin(), pads_.end(), [](const Pad& p) { return !p.handle; });
    if (slot == pads_.end() && pads_.size() >= static_cast<std::size_t>(kMaxJoystickPorts)) {
        return false;
    }
    Pad pad;
    if (SDL_IsGameController(device_index)) {
        pad.controller.reset(SDL_GameControllerOpen(device_index));
        if (pad.controller) pad.handle = SDL_GameControllerGetJoystick(pad.controller.get());
    }
    if (!pad.handle) {
        pad.raw_joystick.reset(SDL_JoystickOpen(device_index));
        pad.handle = pad.raw_joystick.get();
    }
    if (!pad.handle) return false;
    pad.instance_id = SDL_JoystickInstanceID(pad.handle);
    if (slot == pads_.end()) {
        pads_.push_back(std::move(pad));
    } else {
        *slot = std::move(pad);
    }
    return true;
}

// A pad that goes away lets go of everything it held and frees its port, so a
// pad plugged in next takes its place.
void SdlPads::release_pad(int port, InputState& input) {
    for (int b = 0; b < kMaxJoystickButtons; ++b) input.joystick_button(port, b, false);
    input.joystick_axis(port, 0, 0.0f);
    input.joystick_axis(port, 1, 0.0f);
    pads_[port] = Pad{};
}

// Ports up to the last one in use.
int SdlPads::port_count() const {
    int count = 0;
    for (std::size_t i = 0; i < pads_.size(); ++i) {
        if (pads_[i].handle) count = static_cast<int>(i) + 1;
    }
    return count;
}

int SdlPads::port_of(int instance_id) const {
    for (std::size_t i = 0; i < pads_.size(); ++i) {
        if (pads_[i].handle && pads_[i].instance_id == instance_id) return static_cast<int>(i);
    }
    return -1;
}

int SdlPads::raw_joystick_port(int instance_id) const {
    const int port = port_of(instance_id);
    return port >= 0 && !pads_[port].controller ? port : -1;
}

int SdlPads::controller_port(int instance_id) const {
    const int port = port_of(instance_id);
    return port >= 0 && pads_[port].controller ? port : -1;
}

// --- Events -------------------------------------------------------------------------------

void SdlPads::handle_event(const SDL_Event& event, InputState& input) {
    switch (event.type) {
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

// Raw joystick events: the only source for pads SDL has no layout for; for game
// controllers only the hat, which some mappings leave out of the d-pad.
void SdlPads::handle_joystick_event(const SDL_Event& event, InputState& input) {
    switch (event.type) {
        case SDL_JOYAXISMOTION: {
            const int port = raw_joystick_port(event.jaxis.which);
            if (port < 0 || event.jaxis.axis > 1) return;
            const float value = joystick_axis_value(event.jaxis.value);
            (event.jaxis.axis == 0 ? pads_[port].stick_x : pads_[port].stick_y) = value;
            update_axes(port, input);
            break;
        }
        case SDL_JOYHATMOTION: {
            const int port = port_of(event.jhat.which);
            if (port < 0 || event.jhat.hat != 0) return;
            pads_[port].dpad = event.jhat.value;
            update_axes(port, input);
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

void SdlPads::handle_controller_event(const SDL_Event& event, InputState& input) {
    if (event.type == SDL_CONTROLLERAXISMOTION) {
        const int port = controller_port(event.caxis.which);
        if (port < 0) return;
        const float value = joystick_axis_value(event.caxis.value);
        if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX) pads_[port].stick_x = value;
        if (event.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY) pads_[port].stick_y = value;
        update_axes(port, input);
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

// --- State --------------------------------------------------------------------------------

void SdlPads::update_axes(int port, InputState& input) {
    const Pad& pad = pads_[port];
    const int dpad_x = (pad.dpad & SDL_HAT_LEFT) ? -1 : (pad.dpad & SDL_HAT_RIGHT) ? 1 : 0;
    const int dpad_y = (pad.dpad & SDL_HAT_UP) ? -1 : (pad.dpad & SDL_HAT_DOWN) ? 1 : 0;
    input.joystick_axis(port, 0, dpad_x ? static_cast<float>(dpad_x) : pad.stick_x);
    input.joystick_axis(port, 1, dpad_y ? static_cast<float>(dpad_y) : pad.stick_y);
}

void SdlPads::set_dpad(int port, int bit, bool down, InputState& input) {
    Pad& pad = pads_[port];
    pad.dpad = down ? (pad.dpad | bit) : (pad.dpad & ~bit);
    update_axes(port, input);
}

// The game button is down while any of its physical buttons is; a press while
// it is already held counts no new hit.
void SdlPads::press(int port, int button, int source, bool down, InputState& input) {
    std::uint32_t& held = pads_[port].held_by[button];
    const std::uint32_t bit = 1u << (source % 32);
    held = down ? (held | bit) : (held & ~bit);
    input.joystick_button(port, button, held != 0);
}

// Events report changes only; a freshly opened pad starts from where it is.
void SdlPads::sync(InputState& input) {
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
        update_axes(port, input);
    }
}

void SdlPads::sync_controller(int port, InputState& input) {
    Pad& pad = pads_[port];
    SDL_GameController* controller = pad.controller.get();
    pad.stick_x =
        joystick_axis_value(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX));
    pad.stick_y =
        joystick_axis_value(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
    for (int b = 0; b < SDL_CONTROLLER_BUTTON_MAX; ++b) {
        const auto which = static_cast<SDL_GameControllerButton>(b);
        if (!SDL_GameControllerGetButton(controller, which)) continue;
        if (const int bit = dpad_bit(b)) {
            pad.dpad |= bit;
        } else if (const int button = joystick_button_from_pad_button(b); button >= 0) {
            press(port, button, b, true, input);
        }
    }
}

void SdlPads::sync_raw_joystick(int port, InputState& input) {
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

}  // namespace svc
