// Game services the rules call whose modules do not exist yet: on-screen
// messages, bonus texts, the high-score table, the help page and the
// attract sequence. Until a module exists its entry here does the least
// that keeps the game playable (see game_seams.cpp).
#pragma once

// Draws message n (1-based) of the current language, built from the shared
// text buffer (`g_game.text_buffer`) and the game state where the message
// has a format. Until the message tables exist, a short English text in the
// editor font stands in for each message the play screen uses.
void message_draw(int n);
// Calls `hook` with n on every message_draw (null: none). For tests.
void message_draw_hook_set(void (*hook)(int n));

// The text of bonus type 0..7 in the current language ("" for others).
const char* bonus_text(int type);

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
// The rolling line shown now, or null.
const char* attract_rolling_line();

// Loads the editor font that the stand-in messages use, and loads it again
// whenever a level change freed it. 1 when it is there.
int message_font_load();
