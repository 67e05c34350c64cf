// Game services the rules call whose modules do not exist yet: the high-score table, the help page and the attract sequence. Until a module exists its entry here does the least that keeps the game playable (see game_seams.cpp).
#pragma once

// Presents the frame drawn so far.
void present_frame();

// Offers a final score to the high-score table.
void hiscore_offer(int score);

// Opens the help page; draws it while open (`g_game.help_open`).
void help_open();
void help_draw();

// Moves to the next item of the attract sequence and starts it. Until the
// attract sequence exists this starts a new game at level 0, so that a game
// over leads back into play.
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
