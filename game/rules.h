// The rules of play: one 10 ms step, the frog's states, hops, water, home,
// the clock, lives, score, bonuses, the start of a life, and the play
// screen with its head-up display.
#pragma once

// One step of play; does nothing while a menu is shown, the game is paused
// or an attract picture or hold point is up.
void game_step();

// Puts the frog on the level's start point, restarts the clock and fills the lanes.
void start_life();

// Hop progress and the frog's animation.
void frog_update();

// Appearance, fall, bounce, expiry and pick-up of bonuses.
void bonuses_update();

// Draws one frame of play: background, world, score, effect icons, lives,
// clock and the state's messages.
void game_frame();

// Copies `text` into `dest` padded with spaces to `width` characters:
// mode 1 left-aligned, 2 centred, 3 right-aligned; longer text is cut.
// `dest` must hold width + 1 bytes.
void pad_text(char* dest, const char* text, int width, int mode);

// The developer keys, looked at once per frame (P, Ctrl+Shift+L/I/T, F1).
void game_developer_keys();

// Starts a new game at `level`: score 0, lives from the difficulty,
// attract mode off, the level loaded and a life started.
void game_new_game(int level);
