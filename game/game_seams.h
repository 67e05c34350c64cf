// Game services the rules call whose modules do not exist yet: the attract sequence. Until a module exists its entry here does the least that keeps the game playable (see game_seams.cpp).
#pragma once

// Presents the frame drawn so far.
void present_frame();

// Moves to the next item of the attract sequence and starts it. Until the
// attract sequence exists level 0 is loaded in attract mode: the frog
// stands while the traffic runs behind the main menu.
void attract_next();
// The attract part of a step during attract mode: the rolling-line clock
// and the demo's recorded direction. 1 when the demo ended and the step
// must end.
int attract_demo_step();
// Draws the current attract picture (while `attract_blocks_step`).
void attract_picture_draw();
// The rolling line shown now (the current language's line at
// `message_index`), or null.
const char* attract_rolling_line();
