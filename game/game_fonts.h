// The game's fonts: the font module's start with its picture loader and the clip player behind the animation reader, the default menu font, and the menu bar drawn with it.
#pragma once
#include "toolkit/vx_font.h"

// Starts the font module (its reports off, as every module's), hands it
// the picture decoders and puts the video clip player behind the animation
// reader's clips. 1 or 0.
int game_fonts_start();
// Loads the default menu font (the FNTFile key) with load flags 3 and
// installs the menu bar's drawer with it. 1, or 0 when the font cannot be
// loaded: the bar is then not drawn and takes no room.
int game_default_font_load(const char* file);
// The default menu font, or null while none is loaded.
VX_FONT* game_default_font();
// Takes the bar's drawer away and frees the default font.
void game_default_font_free();
// Stops the font module and takes the clip player away.
void game_fonts_stop();
