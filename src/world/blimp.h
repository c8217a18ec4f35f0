#pragma once

extern int blimp_x;
extern int blimp_y;
extern int blimp_frame;  // flying: sprite frame 10/11; hit: first blimp frame 0/2
extern int blimp_state;  // 1 flying, 0 hit and blown off, 2 gone
extern int blimp_anim;
extern int blimp_anim_tmr;

// 1: set the blimp up for a new stage; 0: step and draw it.
void blimp_update(int setup);

// Puts the blimp's globals back to their start-up values (all 0).
void reset_blimp_globals();
