// The language selection screen of the first start: the included languages by name with their flags over a background, chosen with the arrow keys and confirmed with Enter, Space or W.
#pragma once
#include "display/vx_bit.h"

constexpr int LANGUAGE_SLOTS = 6;  // Included_01 .. Included_06 of the language file

// Fills the selection list from the language file of the run's table: the
// name, Number and flag ("gfx\lngflags\flag_%s.png" with the abbreviation)
// of every included slot, then the background "gfx\helpback.png". Fatal
// (the engine's box, result 0): "Not enough memory for buffer in
// read_languages()", "Cant allocate memory for game_messages". Returns 1
// otherwise, also when no language is included.
int read_languages();
// The number of included languages in the selection list.
int language_screen_count();

// One frame of the screen: the fonts are loaded the first time, the keys
// move the highlighted row (down 208, up 200, wrapping) and confirm it
// (Enter 28, Space 57, W 17: see language_screen_confirm), then the
// background, the title, the names and the highlighted row's flags are drawn.
void language_screen_frame();
// Moves the highlighted row by `step` (+1 down, -1 up), wrapping at both ends.
void language_screen_move(int step);
// The highlighted row (0-based) and the Number it chooses (0 with no language).
int language_screen_row();
int language_screen_number();
// Confirms the highlighted language: frees the screen's pictures and fonts,
// selects the language, applies it, marks the language as chosen and saves
// its Number as Application/Language of the settings file; row 0 again.
void language_screen_confirm();
// Frees the screen's flags, background and fonts (also at shutdown).
void language_screen_free();

// Where the screen draws, for a screen of width x height pixels, a title of
// `title_length` characters and `count` names of the given lengths
// (characters). Where it fits, rows of 64 pixels from the middle of the
// screen down and the title 128 pixels above the middle, each centred;
// where that would leave the screen, the same picture scaled down and
// centred (scale below 1).
struct LANGUAGE_LAYOUT {
  float scale;
  VX_RECT title;
  VX_RECT names[LANGUAGE_SLOTS];
  VX_RECT flag_left[LANGUAGE_SLOTS], flag_right[LANGUAGE_SLOTS];  // 56 x 33 at scale 1
};
void language_screen_layout(int width, int height, int title_length, const int* name_lengths, int count,
                            LANGUAGE_LAYOUT* out);
