#pragma once
// Start-up steps and the two routines that frame every picture.

// Runs start-up in its order, from registering the embedded pictures to the
// title menu with the pointer under its first item. False when no display could
// be opened (nothing else has been done then).
bool start_up();

// Creates the images that start-up makes empty (the margin strips, the cloud,
// the sprite and blimp frames) and the idle engine channel.
void create_globals();
// Loads the font, the pictures (cutting the sprite sheet) and the effect sounds.
void load_assets();
void logo_splash(int y_offset);
// Clears the frame, resets the drawing state and draws the paper.
void begin_frame();
// 1: capture the paper's margin strips; 0: draw them over the frame.
void page_margins(int grab);
// Waits, without spinning, while the window is inactive.
void wait_while_suspended();
