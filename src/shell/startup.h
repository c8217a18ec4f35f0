#pragma once
// Start-up steps and the two routines that frame every picture.

// Loads the font, the pictures (cutting the sprite sheet) and the effect sounds.
void load_assets();
void logo_splash(int y_offset);
// Clears the frame, resets the drawing state and draws the paper.
void begin_frame();
// 1: capture the paper's margin strips; 0: draw them over the frame.
void page_margins(int grab);
