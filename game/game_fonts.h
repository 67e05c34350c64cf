// The game's fonts: the font module's start with its picture loader, and the default menu font that draws the menus and every message.
#pragma once
#include "toolkit/vx_font.h"

// Starts the font module (its reports off, as every module's) and hands it
// the picture decoders. 1 or 0.
int game_fonts_start();
// Loads the default menu font (the FNTFile key) with load flags 3. 1, or 0
// when the font cannot be loaded: menus and messages are then not drawn.
int game_default_font_load(const char* file);
// The default menu font, or null while none is loaded.
VX_FONT* game_default_font();
// Frees the default font.
void game_default_font_free();
// Stops the font module.
void game_fonts_stop();
