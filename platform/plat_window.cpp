// Window records shared by both builds: the window table, the window
// functions, the state-change messages and the default window procedure.
#include <array>
#include <cstdio>
#include <cstring>
#include "platform/plat_internal.h"

// All windows of the run. Slots are handed out round-robin so that a stale
// pointer to a destroyed window is unlikely to name a new one soon after.
static struct {
  std::array<PLAT_WINDOW, PLAT_MAX_WINDOWS> windows;
  uint32_t next_serial;
  int next_slot;
} win_state;

static void copy_text(char* dst, size_t size, const char* src) {
  std::snprintf(dst, size, "%s", src ? src : "");
}

static PLAT_WINDOW* free_slot() {
  for (int i = 0; i < PLAT_MAX_WINDOWS; i++) {
    int slot = (win_state.next_slot + i) % PLAT_MAX_WINDOWS;
    PLAT_WINDOW* w = &win_state.windows[slot];
    if (!w->live && !w->destroying) {
      win_state.next_slot = (slot + 1) % PLAT_MAX_WINDOWS;
      return w;
    }
  }
  return nullptr;
}

int plat_window_valid(PLAT_WINDOW* window) {
  if (window < win_state.windows.data() || window >= win_state.windows.data() + PLAT_MAX_WINDOWS)
    return 0;
  return window->live;
}

PLAT_WINDOW* plat_window_find_native(uint32_t native_id) {
  if (native_id == 0) return nullptr;
  for (PLAT_WINDOW& w : win_state.windows)
    if (w.live && w.native_id == native_id) return &w;
  return nullptr;
}

PLAT_WINDOW* plat_window_create(const char* class_name, const char* title, int x, int y, int width,
                                int height, uint32_t style, PLAT_WNDPROC proc) {
  PLAT_WINDOW* w = free_slot();
  if (!w || width <= 0 || height <= 0) return nullptr;
  *w = PLAT_WINDOW{};
  w->serial = ++win_state.next_serial;
  copy_text(w->class_name, sizeof w->class_name, class_name);
  copy_text(w->title, sizeof w->title, title);
  w->x = x;
  w->y = y;
  w->width = width;
  w->height = height;
  w->style = style;
  w->proc = proc;
  // The backend creates the window hidden and stores where it really went.
  if (!plat_be_window_create(w)) {
    *w = PLAT_WINDOW{};
    return nullptr;
  }
  plat_queue_admit(w);
  if (proc && proc(w, PLAT_WM_CREATE, 0, 0) == -1) {
    plat_window_destroy(w);
    return nullptr;
  }
  if (!(style & PLAT_WS_HIDDEN) && plat_window_valid(w)) plat_window_show(w, 1);
  return plat_window_valid(w) ? w : nullptr;
}

void plat_window_destroy(PLAT_WINDOW* window) {
  if (!plat_window_valid(window) || window->destroying) return;
  window->destroying = 1;
  if (window->proc) window->proc(window, PLAT_WM_DESTROY, 0, 0);
  plat_queue_forget(window);
  plat_be_window_destroy(window);
  *window = PLAT_WINDOW{};
}

int plat_window_exists(PLAT_WINDOW* window) { return plat_window_valid(window); }

PLAT_WNDPROC plat_window_proc(PLAT_WINDOW* window) {
  return plat_window_valid(window) ? window->proc : nullptr;
}

void plat_window_set_proc(PLAT_WINDOW* window, PLAT_WNDPROC proc) {
  if (plat_window_valid(window)) window->proc = proc;
}

void plat_window_show(PLAT_WINDOW* window, int show) {
  if (!plat_window_valid(window) || show < 0 || show > 3) return;
  plat_be_window_show(window, show);
  switch (show) {
    case 0:
      window->shown = 0;
      plat_note_active(window, 0);
      break;
    case 1:
      window->shown = 1;
      plat_note_active(window, 1);
      break;
    case 2:
      window->shown = 1;
      plat_note_show_state(window, 1, 0);
      plat_note_active(window, 0);
      break;
    default:
      window->shown = 1;
      plat_note_show_state(window, 0, 0);
      plat_note_active(window, 1);
      break;
  }
}

void plat_window_set_title(PLAT_WINDOW* window, const char* title) {
  if (!plat_window_valid(window)) return;
  copy_text(window->title, sizeof window->title, title);
  plat_be_window_set_title(window);
}

void plat_window_set_style(PLAT_WINDOW* window, uint32_t style) {
  if (!plat_window_valid(window)) return;
  window->style = style;
  plat_be_window_set_style(window);
}

void plat_window_move(PLAT_WINDOW* window, int x, int y, int width, int height) {
  if (!plat_window_valid(window) || width <= 0 || height <= 0) return;
  plat_be_window_move(window, x, y, width, height);
  plat_note_position(window, x, y);
  plat_note_size(window, width, height);
}

void plat_window_rect(PLAT_WINDOW* window, int* x, int* y, int* width, int* height) {
  int valid = plat_window_valid(window);
  if (x) *x = valid ? window->x : 0;
  if (y) *y = valid ? window->y : 0;
  if (width) *width = valid ? window->width : 0;
  if (height) *height = valid ? window->height : 0;
}

int plat_window_minimised(PLAT_WINDOW* window) {
  return plat_window_valid(window) ? window->minimised : 0;
}

int plat_window_maximised(PLAT_WINDOW* window) { return plat_window_valid(window) && window->maximised; }

void plat_window_raise(PLAT_WINDOW* window) {
  if (!plat_window_valid(window)) return;
  plat_be_window_raise(window);
  plat_note_active(window, 1);
}

PLAT_WINDOW* plat_window_main() {
  PLAT_WINDOW* first = nullptr;
  for (PLAT_WINDOW& w : win_state.windows)
    if (w.live && !w.destroying && !(w.style & PLAT_WS_AUXILIARY) && (!first || w.serial < first->serial)) first = &w;
  return first;
}

// ---------------------------------------------------------------- state changes

static intptr_t size_lparam(const PLAT_WINDOW* w) {
  return w->minimised ? 0 : plat_makelong(static_cast<uint32_t>(w->width), static_cast<uint32_t>(w->height));
}

static uintptr_t size_kind(const PLAT_WINDOW* w) {
  if (w->minimised) return PLAT_SIZE_MINIMIZED;
  return w->maximised ? PLAT_SIZE_MAXIMIZED : PLAT_SIZE_RESTORED;
}

void plat_note_position(PLAT_WINDOW* window, int x, int y) {
  if (!plat_window_valid(window) || (window->x == x && window->y == y)) return;
  window->x = x;
  window->y = y;
  plat_post_message(window, PLAT_WM_MOVE, 0, plat_makelong(static_cast<uint32_t>(x), static_cast<uint32_t>(y)));
}

void plat_note_size(PLAT_WINDOW* window, int width, int height) {
  if (!plat_window_valid(window) || width <= 0 || height <= 0) return;
  if (window->width == width && window->height == height) return;
  window->width = width;
  window->height = height;
  if (!window->minimised) plat_post_message(window, PLAT_WM_SIZE, size_kind(window), size_lparam(window));
}

void plat_note_show_state(PLAT_WINDOW* window, int minimised, int maximised) {
  if (!plat_window_valid(window)) return;
  minimised = minimised ? 1 : 0;
  maximised = maximised ? 1 : 0;
  if (window->minimised == minimised && window->maximised == maximised) return;
  window->minimised = minimised;
  window->maximised = maximised;
  plat_post_message(window, PLAT_WM_SIZE, size_kind(window), size_lparam(window));
}

// Only one window is active at a time: activating one first deactivates the
// other, as Windows sends the old window its PLAT_WM_ACTIVATE first.
void plat_note_active(PLAT_WINDOW* window, int active) {
  if (!plat_window_valid(window)) return;
  active = active ? 1 : 0;
  if (window->active == active) return;
  if (active)
    for (PLAT_WINDOW& other : win_state.windows)
      if (&other != window && other.live && other.active) plat_note_active(&other, 0);
  window->active = active;
  uintptr_t wparam = (active ? PLAT_WA_ACTIVE : PLAT_WA_INACTIVE) | (static_cast<uintptr_t>(window->minimised) << 16);
  plat_post_message(window, PLAT_WM_ACTIVATE, wparam, 0);
}

// ---------------------------------------------------------------- default procedure

intptr_t plat_def_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  (void)lparam;
  switch (message) {
    case PLAT_WM_SYSKEYDOWN:
      // Only Alt makes F4 a system key, so this is Alt+F4.
      if (wparam == PLAT_VK_F4) plat_send_message(window, PLAT_WM_SYSCOMMAND, PLAT_SC_CLOSE, 0);
      return 0;
    case PLAT_WM_SYSCOMMAND:
      switch (wparam & 0xFFF0) {
        case PLAT_SC_CLOSE: plat_send_message(window, PLAT_WM_CLOSE, 0, 0); break;
        case PLAT_SC_MINIMIZE: plat_window_show(window, 2); break;
        case PLAT_SC_RESTORE: plat_window_show(window, 3); break;
        default: break;
      }
      return 0;
    case PLAT_WM_CLOSE:
      plat_window_destroy(window);
      return 0;
    default:
      return 0;
  }
}
