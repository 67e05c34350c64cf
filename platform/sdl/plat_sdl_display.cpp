// The SDL2 display: its mode list and desktop, the usable bounds, a window's full-screen mode, topmost, cursor and screen saver.
#include "platform/plat_display.h"
#include "platform/plat_internal.h"
#include "platform/sdl/plat_sdl.h"

namespace {

PLAT_DISPLAY_MODE from_sdl(const SDL_DisplayMode& m) {
  PLAT_DISPLAY_MODE out;
  out.width = m.w;
  out.height = m.h;
  out.depth = static_cast<int>(SDL_BITSPERPIXEL(m.format));
  out.refresh = m.refresh_rate;
  return out;
}

SDL_Window* native(PLAT_WINDOW* window) {
  return plat_window_valid(window) ? static_cast<SDL_Window*>(window->native) : nullptr;
}

int display_of(SDL_Window* w) {
  int index = w ? SDL_GetWindowDisplayIndex(w) : 0;
  return index < 0 ? 0 : index;
}

}  // namespace

void plat_sdl_cover_display(SDL_Window* w, int width, int height) {
  if (!w || (SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN) || width <= 0 || height <= 0) return;
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(display_of(w), &bounds) != 0) return;
  // SDL keeps a window at its minimum size, which in a window counts the
  // menu bar's rows: without a window manager to take over the full-screen
  // window it would stay that much taller than the mode, and the picture,
  // drawn from the bottom, would sit that much low.
  SDL_SetWindowMinimumSize(w, 1, 1);
  SDL_SetWindowSize(w, width, height);
  SDL_SetWindowPosition(w, bounds.x, bounds.y);
}

// The display queries need SDL video: the first of them starts it as the
// first window would, and it stays up for the windows that follow (a start
// and stop per query would cost a connection to the display each time).
int plat_display_mode_count() {
  if (!plat_sdl_video_start()) return -1;
  int n = SDL_GetNumDisplayModes(0);
  return n < 0 ? -1 : n;
}

int plat_display_mode(int index, PLAT_DISPLAY_MODE* out) {
  if (!out || index < 0 || !plat_sdl_video_start()) return 0;
  SDL_DisplayMode m;
  int ok = SDL_GetDisplayMode(0, index, &m) == 0;
  if (ok) *out = from_sdl(m);
  return ok;
}

int plat_display_desktop(PLAT_DISPLAY_MODE* out) {
  if (!out || !plat_sdl_video_start()) return 0;
  SDL_DisplayMode m;
  int ok = SDL_GetDesktopDisplayMode(0, &m) == 0;
  if (ok) *out = from_sdl(m);
  return ok;
}

int plat_display_work_area(int* x, int* y, int* width, int* height) {
  int video = plat_sdl_video_start();
  SDL_Rect r = {0, 0, 0, 0};
  int ok = video && SDL_GetDisplayUsableBounds(0, &r) == 0 && r.w > 0 && r.h > 0;
  if (!ok && video) SDL_GetDisplayBounds(0, &r);
  if (x) *x = r.x;
  if (y) *y = r.y;
  if (width) *width = r.w;
  if (height) *height = r.h;
  return ok;
}

int plat_display_fullscreen(PLAT_WINDOW* window, const PLAT_DISPLAY_MODE* mode) {
  SDL_Window* w = native(window);
  if (!w) return 0;
  const int is_full = (SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN) != 0;
  if (!mode) return !is_full || SDL_SetWindowFullscreen(w, 0) == 0;
  SDL_DisplayMode want = {SDL_PIXELFORMAT_UNKNOWN, mode->width, mode->height, mode->refresh, nullptr};
  SDL_DisplayMode closest;
  if (!SDL_GetClosestDisplayMode(display_of(w), &want, &closest)) return 0;
  SDL_DisplayMode now;
  const int same = is_full && SDL_GetWindowDisplayMode(w, &now) == 0 && now.w == closest.w &&
                   now.h == closest.h && now.refresh_rate == closest.refresh_rate;
  if (!same) {
    if (SDL_SetWindowDisplayMode(w, &closest) != 0) return 0;
    if (!is_full) {
      plat_sdl_cover_display(w, closest.w, closest.h);
      if (SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN) != 0) return 0;
    }
  }
  // The window manager confirms later; the record follows at once so that
  // the caller reads the size it asked for.
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(display_of(w), &bounds) == 0) plat_note_position(window, bounds.x, bounds.y);
  plat_note_size(window, closest.w, closest.h);
  return 1;
}

int plat_display_is_fullscreen(PLAT_WINDOW* window) {
  SDL_Window* w = native(window);
  return w && (SDL_GetWindowFlags(w) & SDL_WINDOW_FULLSCREEN) != 0;
}

void plat_display_min_size(PLAT_WINDOW* window, int width, int height) {
  if (SDL_Window* w = native(window)) SDL_SetWindowMinimumSize(w, width > 0 ? width : 0, height > 0 ? height : 0);
}

void plat_display_topmost(PLAT_WINDOW* window, int topmost) {
  if (SDL_Window* w = native(window)) SDL_SetWindowAlwaysOnTop(w, topmost ? SDL_TRUE : SDL_FALSE);
}

void plat_display_cursor(int shown) {
  if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
}

void plat_display_screen_saver(int allowed) {
  if (!SDL_WasInit(SDL_INIT_VIDEO)) return;
  if (allowed)
    SDL_EnableScreenSaver();
  else
    SDL_DisableScreenSaver();
}

// The SDL build reports the real display; the test set-up does nothing here.
void plat_display_null_setup(const PLAT_DISPLAY_MODE*, int, const PLAT_DISPLAY_MODE*, int, int, int, int) {}
void plat_display_null_reset() {}
void plat_display_null_refuse_fullscreen(int) {}
int plat_display_null_cursor_shown() { return 1; }
int plat_display_null_screen_saver_allowed() { return 1; }
