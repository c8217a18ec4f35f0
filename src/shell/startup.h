#pragma once
// Start-up steps and the two routines that frame every picture.

// Runs start-up in its order, from registering the embedded pictures to the
// title menu with the pointer under its first item. False when no display could
// be opened (nothing else has been done then).
bool start_up();

// Puts every game-wide variable back to its start-up value, for a new run of
// the game in the same process.
void reset_game_globals();

// The maker's logo, fading out; a key, a click or the fire button skips it.
void show_logo_splash(int y_offset);
// Clears the frame, resets the drawing state and draws the paper.
void begin_frame();
// Takes the paper's two margin strips, once, at start-up.
void capture_page_margins();
// Lays the margin strips over both sides of the finished frame, so that the
// playfield is the column x 110-523.
void draw_page_margins();
// Waits, without spinning, while the window is inactive.
void wait_while_suspended();
