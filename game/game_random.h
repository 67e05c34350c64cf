// The rules' only random source, and the two demo tables it can replay from.
//
// Every random value the rules draw comes from game_random(): the runtime's
// rand() in a normal game, the demo's rand_table during attract mode (or
// whenever `random_from_table` is set, as replays and rulesim do). A demo
// replays exactly as long as the rules draw in the same order and number.
#pragma once
#include <cstdint>

// The next random value (0..32767 from rand(); any 32-bit value from the
// table). From the table it reads `rand_pos` and advances it, wrapping to 0
// at GAME_RAND_VALUES. Every value returned is also appended to the
// recording buffer while one is set.
int game_random();

// Allocates the two demo tables through the memory tracker ("player
// movement table", "rand table"), zero-filled. Fatal messages on failure:
// "Not enough memory for player_movement_table", "Not enough memory for
// rand_table". Returns 1 when both exist.
int game_random_tables_alloc();
void game_random_tables_free();

// Both table positions back to 0 (every start_life, and owed steps skipped).
void game_random_reset_positions();

// Records every value game_random returns into `buffer` (up to `capacity`
// values; `*count` counts them all, also those past the capacity). A null
// buffer stops recording. Used by the demo recorder and the golden test.
void game_random_record(int32_t* buffer, int capacity, int* count);
