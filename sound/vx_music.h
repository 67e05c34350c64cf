// Music: pieces (S3M modules, MP3 files) loaded into the music list and streamed one at a time through the sound manager's looping buffer.
//
// One piece at most is current. Playing renders a whole second into the
// buffer and starts it looping; afterwards the timer thread's update
// refills, a tenth at a time, what has been played. Stopping keeps the
// buffer running with silence. Indexes of the music list count from 1; 0 is
// none. Load, play, stop, unload and restart run on the main thread; the
// update runs on the timer thread, kept apart from unloading by the sound
// mutex.
#pragma once

// Loads `file_name` (".S3M" or ".MP3" anywhere in it, any letter case): its
// list index, or 0. A missing file shows "File not found NAME", one that
// does not load "Could not load NAME"; another kind of name gives 0 without
// a box. An MP3 file is read whole and loops.
int vx_music_load(const char* file_name);
// Remembers `index` as the piece last asked for (music switched on later
// plays it), then starts it when music is on, the index is loaded and no
// piece is current. 1 when started.
int vx_music_play(int index);
// Stops the current piece (whatever `index`, which must not be 0); the
// buffer goes on playing silence. 1, or 0 when no piece is current.
int vx_music_stop(int index);
// Frees the piece, stopping it first when it is current. Waits for an
// update under way. 1, or 0 for an index that holds no piece.
int vx_music_unload(int index);
// The refill of the played part of the buffer (timer thread), while music
// is on: the slices from the next one to fill up to the one that plays. A
// tick that cannot get the sound mutex within 5 s does nothing and gives
// 0; else the renderer's result (1 with nothing to do).
int vx_music_update(int index);
// Fills the whole buffer again and restarts it from its start: with silence
// and the module's song held when `silent`, else with the piece (after
// waiting for an update under way). 1 or 0.
int vx_music_restart(int index, int silent);
