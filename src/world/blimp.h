#pragma once

extern int blimp_x;
extern int blimp_y;
extern int blimp_frame;
extern int blimp_state;  // 1 flying, 0 hit and blown off, 2 gone
extern int blimp_anim;
extern int blimp_anim_tmr;

// 1: set the blimp up for a new stage; 0: step and draw it.
void blimp_update(int setup);
