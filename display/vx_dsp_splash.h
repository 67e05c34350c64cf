// The splash screen: a borderless window with a picture and a line of text, shown while the program starts.
//
// A section of the texts file describes it (the section's name is the
// Application key StartSplash, "_" and the language's abbreviation):
//   Bitmap   the picture's file name (file layer), no splash when empty
//   Text     an optional line drawn over the picture
//   PosX, PosY              the text's top-left corner, picture pixels
//   ColorR, ColorG, ColorB  its colour; each keeps its low 8 bits (300 is 44, -1 is 255)
// The splash shows before the main window exists and stays, topmost, until
// vx_dsp_splash_off; error boxes step aside for it meanwhile. Once a video
// mode is set in full screen, or with the 3D back end rendering, the picture
// is drawn centred into the virtual screen instead (without the text).
#pragma once
#include <cstdint>

#include "display/vx_bit.h"
#include "display/vx_dsp.h"
#include "platform/platform.h"

// The picture loader (the image decoders' vx_img_load): fills `bitmap` from
// file `name` with load flags `flags` (1: palette pictures keep their
// palette). 1, or 0 with the bitmap owning nothing. The display layer does
// not link the decoders; the program hands the loader over before the splash.
typedef int (*VX_DSP_PICTURE_LOADER)(VX_BITMAP* bitmap, const char* name, int flags);
void vx_dsp_splash_loader_set(VX_DSP_PICTURE_LOADER loader);

// The keys of one splash section, as read.
constexpr int VX_DSP_SPLASH_NAME = 255;  // characters kept of Bitmap
constexpr int VX_DSP_SPLASH_TEXT = 255;  // characters kept of Text
struct VX_DSP_SPLASH_KEYS {
  char bitmap[VX_DSP_SPLASH_NAME + 1];
  char text[VX_DSP_SPLASH_TEXT + 1];
  int x, y;                  // PosX, PosY; 0 when there is no text
  uint8_t red, green, blue;  // 0 when there is no text
};
// Reads section `section` of `texts_file`. Missing keys read as empty or 0;
// without a Text the position and colour are not read (all 0). 1 when
// Bitmap names a file, else 0 (the keys are still filled).
int vx_dsp_splash_keys_read(const char* texts_file, const char* section, VX_DSP_SPLASH_KEYS* out);

// The width a picture is shown at: rounded up to a multiple of 4 (301
// gives 304); the extra columns are black (index 0 for palette pictures).
// Widths below 1 give 0.
int vx_dsp_splash_width(int width);
// The top-left corner that centres a width x height window in an area of
// area_width x area_height at (0, 0): half the difference on each axis
// (negative when the window is larger).
void vx_dsp_splash_centre(int area_width, int area_height, int width, int height, int* x, int* y);
// Keeping the window centred: 1 when the centred corner (cx, cy) is 21
// pixels or more away from the current one (x, y) on either axis, so
// that the window moves there; smaller drifts leave it.
constexpr int VX_DSP_SPLASH_DRIFT = 21;
int vx_dsp_splash_must_move(int x, int y, int cx, int cy);

// Shows the splash described by `section` of `texts_file`; a splash already
// shown is removed first (without showing the main window). The picture is
// loaded with the loader, widened to a multiple of 4, and shown in a
// borderless window ("Splash Screen") centred on the desktop, topmost, the
// text over it; the pointer is hidden. `app` (may be null) is the
// descriptor whose window the splash shows when it goes. 1 when the splash
// is shown; 0, silently, without a loader, a Bitmap key, a loadable
// picture of a known depth, memory or a window: the program goes on
// without a splash.
int vx_dsp_splash_on(const char* texts_file, const char* section, VX_APP* app);
// Paints the splash: the window moves back to the centre of the current
// mode (or the desktop) when it drifted by VX_DSP_SPLASH_DRIFT or more.
// In full screen or with the 3D back end rendering (a mode set), the
// picture is copied centred into the virtual screen and presented; else
// the window shows the picture and the text. Nothing without a splash.
void vx_dsp_splash_paint();
// Removes the splash when one is shown: the window goes, error boxes
// refer to the main window again, every block is freed, the pointer is
// hidden, and in full screen the screen is cleared and presented. In every
// case the main window is then shown (vx_dsp_show), so the start-up calls
// this where it would show the display.
void vx_dsp_splash_off();
// Removes the splash and frees it without showing anything (shutdown).
void vx_dsp_splash_free();

// The splash window's procedure: PLAT_WM_PAINT paints in a window (not in full
// screen); PLAT_WM_NCPAINT is swallowed in full screen; PLAT_WM_CLOSE is swallowed
// (the splash goes only by vx_dsp_splash_off); the rest is the default.
intptr_t vx_dsp_splash_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// The picture as shown (width a multiple of 4), or null without a splash.
const VX_BITMAP* vx_dsp_splash_bitmap();
