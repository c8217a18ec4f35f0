#pragma once
// SDL's event queue turned into the game's input: the keyboard by physical key
// (whatever the layout), the mouse in game pixels, window focus and close
// requests; joystick and gamepad events go on to the pads. Alt+Enter and F11
// switch the window between full screen and a window and are not game input.
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
    // `video` bounds the mouse to the frame and is switched by the keys above;
    // `pads` gets the joystick events.
    SdlInput(SdlVideo& video, SdlPads& pads) : video_(video), pads_(pads) {}
    SdlInput(const SdlInput&) = delete;
    SdlInput& operator=(const SdlInput&) = delete;

    // Moves every pending event into `input`; nothing happens before SDL's
    // video or joysticks have started.
    void pump_events(InputState& input);

  private:
    void handle_event(const SDL_Event& event, InputState& input);
    void handle_key(const SDL_Event& event, InputState& input);
    // True when the key event is the display switch (or the release of one).
    bool display_switch_key(const SDL_Event& event);
    void handle_window_event(const SDL_Event& event, InputState& input);
    void handle_mouse_button(const SDL_Event& event, InputState& input);

    SdlVideo& video_;
    SdlPads& pads_;
    // Keys whose press switched the display: their release is not game input either.
    bool switch_key_held_[2] = {false, false};  // F11, Enter
};

}  // namespace svc
