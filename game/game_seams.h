// Services the rules call that other modules provide: sound effects, music,
// on-screen messages, the high-score table and the attract sequence. Until
// a module exists its entry here does the least that keeps the game
// playable (see game_seams.cpp).
#pragma once

// Plays sound effect n (1..11) when effects are enabled.
void play_effect(int n);

// Stops the playing music; plays the music file `path` (nothing for "").
void music_stop();
void music_play(const char* path);

// Draws message n (1-based) of the current language, built from the shared
// text buffer and the game state where the message has a format.
void message_draw(int n);

// Presents the frame drawn so far.
void present_frame();

// Offers a final score to the high-score table.
void hiscore_offer(int score);

// Moves to the next item of the attract sequence and starts it.
void attract_next();
