// The window's menu bar drawn with a bitmap font: the bar and its titles, and the open popups with their check marks, greyed items, separators, key names and sub-popup arrows.
//
// The display layer owns the menu, its layout and its tracking by keys and
// mouse (display/vx_dsp_menu.h); this module is the drawer it calls over
// every presented frame. Everything is drawn with the bitmap copies into a
// record of the window's drawable size: with a video mode set through the
// 3D back end the copies land on the screen, the bar's rows included.
#pragma once
#include "toolkit/vx_font.h"

// Pixels of the font's cell height drawn in a row of the bar or a popup
// (the menu font's 32-pixel cells are scaled down with nearest pixels).
constexpr int VX_FONT_BAR_TEXT = 20;

// Installs the drawer of the display's menu bar, drawing with `font`, which
// the caller keeps loaded until vx_font_bar_stop; its characters U+2713
// and U+25B8 are the check mark and the sub-popup arrow. 1, or 0 for a
// font without characters, or when the drawer's colours cannot be made.
int vx_font_bar_start(VX_FONT* font);
// Removes the drawer from the display, forgets the font and frees the
// drawer's colours (and, through the bitmap layer, their textures).
void vx_font_bar_stop();

// The width in pixels of a label's text as drawn: up to '\t', without the
// '&' marks ("&&" is one '&'). 0 without a font.
int vx_font_bar_text_width(const char* text);
// Draws the bar and the open popups over a drawable area of width x height
// pixels (what the display calls on every presented frame).
void vx_font_bar_draw(int width, int height);
