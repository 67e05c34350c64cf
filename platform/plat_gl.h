// The GL context of a window: creation with a requested pixel format, making it current, buffer swaps, and the window's display mode.
//
// The SDL build makes a desktop OpenGL (compatibility) context; the null
// build has no GL and refuses every context. Only the 3D back end uses this.
#pragma once
#include <cstdint>

#include "platform/platform.h"

struct PLAT_GL_CONTEXT;  // opaque; live from plat_gl_context_create to plat_gl_context_delete

// The pixel format asked for, and the one a context got.
struct PLAT_GL_FORMAT {
  int double_buffer;  // 1: separate front and back buffers
  int colour_bits;    // red + green + blue + alpha: 32 (8 each), 24 (8 each, no alpha) or 16 (5-6-5)
  int depth_bits;     // asked: 0 means the deepest buffer available (32, 24, then 16 tried)
  int stencil_bits;   // at least this many
  int accum_bits;     // 0: no accumulation buffer
};

// Why a context could not be made (plat_gl_context_create's *failure).
enum PLAT_GL_FAILURE {
  PLAT_GL_OK = 0,
  PLAT_GL_NO_FORMAT = 1,       // no pixel format of the system matches the request
  PLAT_GL_FORMAT_REFUSED = 2,  // a format matched but the window could not take it
  PLAT_GL_NO_CONTEXT = 3,      // the window took the format but no context could be made current
};

// Gives `window` the requested pixel format and makes a context for it,
// current on the calling thread. The window keeps its title, rectangle,
// style, shown and full-screen state (the SDL build replaces the native
// window underneath, since its format is fixed when it is made; messages
// still waiting for the old one are dropped). Null on failure, with
// *failure (may be null) set; the window is then unchanged.
// Starts loading the system's GL libraries (and, with Mesa, the driver and
// the code generator under it) on a thread of its own, so that the work
// overlaps the rest of the start-up; the first GL window or context waits
// for it to finish. Called once, early; nothing in the null build.
void plat_gl_preload();
// Waits until that loading is done; nothing when none runs. The program
// calls it before it returns from main: the libraries' own destructors,
// registered as they load, would otherwise run at exit while the thread
// is still loading them.
void plat_gl_preload_wait();

PLAT_GL_CONTEXT* plat_gl_context_create(PLAT_WINDOW* window, const PLAT_GL_FORMAT* format, int* failure);
// What the context got (depth_bits is the real depth). 1, or 0 for null.
int plat_gl_context_format(const PLAT_GL_CONTEXT* context, PLAT_GL_FORMAT* out);
// Makes the context current on the calling thread (null: none). 1 or 0.
int plat_gl_make_current(PLAT_GL_CONTEXT* context);
// Shows the back buffer of the context's window (nothing when single-buffered).
void plat_gl_swap(PLAT_GL_CONTEXT* context);
// Releases the context (made not current first); the window stays. Null does nothing.
void plat_gl_context_delete(PLAT_GL_CONTEXT* context);

// Results of plat_display_mode_set, numbered as the system's own display
// settings change answers them.
constexpr int PLAT_DISPLAY_OK = 0;
constexpr int PLAT_DISPLAY_RESTART = 1;       // the machine must be restarted for the mode
constexpr int PLAT_DISPLAY_FAILED = -1;       // the display refused for another reason
constexpr int PLAT_DISPLAY_BAD_MODE = -2;     // the mode is not offered
constexpr int PLAT_DISPLAY_NOT_UPDATED = -3;  // the settings could not be stored
constexpr int PLAT_DISPLAY_BAD_FLAGS = -4;    // an invalid set of flags

// Full screen: the window covers its display in the offered mode closest to
// width x height (at least that large) at `refresh` Hz (0: any); `depth`
// is not enforced (the window's pixel format stays). Windowed: the window
// leaves full screen and the desktop keeps its own mode. A null window
// answers OK for windowed and FAILED for full screen.
int plat_display_mode_set(PLAT_WINDOW* window, int width, int height, int depth, int refresh, int fullscreen);
