// Music: pieces (S3M modules, MP3 files) loaded into the music list and streamed one at a time through the sound manager's looping buffer.
//
// Every function here does nothing yet: no piece loads, so no index is
// ever handed out and nothing plays. Indexes of the music list count from 1;
// 0 is none.
#pragma once

// Loads "name" (".S3M" or ".MP3" in any letter case); its list index, or 0.
int vx_music_load(const char* file_name);
// Starts the piece when music is on and no piece is current. 1 when started.
int vx_music_play(int index);
// Stops the current piece; the buffer goes on playing silence. 1 or 0.
int vx_music_stop(int index);
// Frees the piece (stopping it first when it is current). 1 or 0.
int vx_music_unload(int index);
// The periodic refill of the played part of the buffer, from the game's
// timer tick (the timer thread) while music is on. 1 or 0.
int vx_music_update(int index);
// Refills the whole buffer and restarts it, with silence when `silent`.
int vx_music_restart(int index, int silent);
