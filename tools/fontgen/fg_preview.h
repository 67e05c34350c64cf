// fg_preview: sample pictures of the built fonts, drawn as the game lays text out, at 640 x 480 and 1600 x 1200.
//
// Text is placed in rectangles of the 640 x 480 base scaled to the screen
// and enlarged with nearest-pixel sampling over a busy picture of the
// board (grass, road and water), so that what the player will see can be
// judged by eye: menus with the pointer star, messages, the menu bar in
// Japanese, the language screen and a help page. Every sheet is also
// written on a checkerboard at twice its size, and the pointer's glint
// frame by frame.
#pragma once
#include <vector>

#include "tools/fontgen/fg_font.h"

// Writes the pictures into folder `dir` (made when missing). 1, or 0 when
// one could not be written.
int fg_preview_write(const std::vector<FG_FONT>& fonts, const char* dir);
