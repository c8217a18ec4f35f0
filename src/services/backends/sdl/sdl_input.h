#pragma once
// SDL's event queue turned into the game's input: the keyboard by physical key
// (whatever the layout), the mouse in game pixels, window focus and close
// requests; joystick and gamepad events go on to the pads.
union SDL_Event;

namespace svc {

class InputState;
class SdlPads;
class SdlVideo;

// The SDL scancode (layout independent) as a virtual-key number, 0 when the key
// has none.
int virtual_key_from_scancode(int scancode);

class SdlInput {
  public:
    // `video` bounds the mouse to the frame; `pads` gets the joystick events.
    SdlInput(const SdlVideo& video, SdlPads& pads) : video_(video), pads_(pads) {}
    SdlInput(const SdlInput&) = delete;
    SdlInput& operator=(const SdlInput&) = delete;

    // Moves every pending event into `input`; nothing happens before SDL's
    // video or joysticks have started.
    void pump_events(InputState& input);

  private:
    void handle_event(const SDL_Event& event, InputState& input);
    void handle_key(const SDL_Event& event, InputState& input);
    void handle_window_event(const SDL_Event& event, InputState& input);
    void handle_mouse_button(const SDL_Event& event, InputState& input);

    const SdlVideo& video_;
    SdlPads& pads_;
};

}  // namespace svc
