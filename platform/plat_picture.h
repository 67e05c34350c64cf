// Pictures in windows: showing a block of pixels in a window's client area, and a line of text drawn into such a block with the built-in font.
//
// This is the small drawing service of windows that carry no GL context
// (the splash screen): the caller composes red, green, blue, alpha bytes
// and the platform puts them on the screen.
#pragma once
#include <cstdint>

#include "platform/platform.h"

// Shows `width` x `height` pixels at the top-left corner of the window's
// client area. `rgba` holds width x height pixels of red, green, blue and
// alpha bytes, top row first, no padding; alpha is ignored (the picture is
// opaque). Parts of the client area outside the picture keep what they had;
// parts of the picture outside the client area are cut. The pixels are not
// kept: the caller shows them again when the window asks (PLAT_WM_PAINT).
// 1 when shown, 0 for a destroyed window, a GL window, a size below one
// pixel or a null block.
int plat_window_picture(PLAT_WINDOW* window, const uint8_t* rgba, int width, int height);

// ---------------------------------------------------------------- text
// The built-in font: characters 32 to 126 as 5 x 7 dots, each dot drawn as
// 2 x 2 pixels, in cells of 12 x 16 pixels (a blank column on the right and
// two blank rows below the dots). Other bytes take a cell each: control
// characters (below 32) stay blank, any other byte draws '?', except that
// the continuation bytes of a UTF-8 sequence (0x80-0xBF after a byte of
// 0xC0 or more) add nothing, so one UTF-8 character is one '?'.
constexpr int PLAT_TEXT_CELL_WIDTH = 12;
constexpr int PLAT_TEXT_CELL_HEIGHT = 16;
constexpr int PLAT_TEXT_DOT = 2;  // pixels per dot, on each axis

// Draws `text` (null-terminated) into the `width` x `height` red, green,
// blue, alpha block `rgba`, its first cell's top-left corner at (x, y),
// with a transparent background: only the dots of the characters are
// written, in colour (red, green, blue) with alpha 255. Dots outside the
// block are cut. Returns the width of the line in pixels (cells x 12).
int plat_text_draw(uint8_t* rgba, int width, int height, int x, int y, const char* text, uint8_t red,
                   uint8_t green, uint8_t blue);
// The width of the line in pixels, as plat_text_draw returns it.
int plat_text_width(const char* text);

// ---------------------------------------------------------------- null build
// What the null build was last asked to show in `window`: its pixels (owned
// by the platform, valid until the next plat_window_picture call or the
// window's destruction) and size; null when nothing was shown there or
// the window is gone. The SDL build answers null.
const uint8_t* plat_window_null_picture(PLAT_WINDOW* window, int* width, int* height);
// How many pictures the null build has shown since the start of the run
// (0 on the SDL build).
int plat_window_null_picture_count();
