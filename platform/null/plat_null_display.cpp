// The null display for tests: a fixed, settable list of modes, a 1024 x 768 desktop with a panel, and full screen as a recorded state.
#include <array>
#include <cstddef>

#include "platform/plat_display.h"
#include "platform/plat_internal.h"

namespace {

constexpr int kMaxModes = 64;

constexpr std::array<PLAT_DISPLAY_MODE, 11> kDefaultModes = {{
    {1280, 1024, 32, 60},
    {1280, 1024, 16, 60},
    {1024, 768, 32, 60},
    {1024, 768, 16, 60},
    {800, 600, 32, 60},
    {800, 600, 16, 60},
    {640, 480, 32, 60},
    {640, 480, 16, 60},
    {640, 480, 8, 60},
    {320, 240, 32, 60},
    {320, 240, 16, 60},
}};

struct NullDisplay {
  std::array<PLAT_DISPLAY_MODE, kMaxModes> modes;
  int count;  // -1: the list cannot be read
  PLAT_DISPLAY_MODE desktop;
  int work_x, work_y, work_w, work_h;
  int refuse_fullscreen;
  PLAT_WINDOW* fullscreen_window;
  int cursor_shown;
  int screen_saver_allowed;
};

NullDisplay make_default() {
  NullDisplay d = {};
  for (std::size_t i = 0; i < kDefaultModes.size(); i++) d.modes[i] = kDefaultModes[i];
  d.count = static_cast<int>(kDefaultModes.size());
  d.desktop = {1024, 768, 32, 60};
  d.work_x = 0;
  d.work_y = 0;
  d.work_w = 1024;
  d.work_h = 740;
  d.cursor_shown = 1;
  d.screen_saver_allowed = 1;
  return d;
}

NullDisplay nd = make_default();

}  // namespace

int plat_display_mode_count() { return nd.count; }

int plat_display_mode(int index, PLAT_DISPLAY_MODE* out) {
  if (!out || index < 0 || index >= nd.count) return 0;
  *out = nd.modes[static_cast<std::size_t>(index)];
  return 1;
}

int plat_display_desktop(PLAT_DISPLAY_MODE* out) {
  if (!out || nd.count < 0) return 0;
  *out = nd.desktop;
  return 1;
}

int plat_display_work_area(int* x, int* y, int* width, int* height) {
  if (x) *x = nd.work_x;
  if (y) *y = nd.work_y;
  if (width) *width = nd.work_w;
  if (height) *height = nd.work_h;
  return 1;
}

int plat_display_fullscreen(PLAT_WINDOW* window, const PLAT_DISPLAY_MODE* mode) {
  if (!plat_window_valid(window)) return 0;
  if (!mode) {
    if (nd.fullscreen_window == window) nd.fullscreen_window = nullptr;
    return 1;
  }
  if (nd.refuse_fullscreen || mode->width <= 0 || mode->height <= 0) return 0;
  nd.fullscreen_window = window;
  // As a real display: the window now covers the whole mode.
  plat_note_position(window, 0, 0);
  plat_note_size(window, mode->width, mode->height);
  return 1;
}

int plat_display_is_fullscreen(PLAT_WINDOW* window) {
  return window && nd.fullscreen_window == window && plat_window_valid(window);
}

void plat_display_min_size(PLAT_WINDOW*, int, int) {}
void plat_display_topmost(PLAT_WINDOW*, int) {}
void plat_display_cursor(int shown) { nd.cursor_shown = shown ? 1 : 0; }
void plat_display_screen_saver(int allowed) { nd.screen_saver_allowed = allowed ? 1 : 0; }

void plat_display_null_setup(const PLAT_DISPLAY_MODE* modes, int count, const PLAT_DISPLAY_MODE* desktop,
                             int work_x, int work_y, int work_width, int work_height) {
  if (count > kMaxModes) count = kMaxModes;
  nd.count = count;
  for (int i = 0; i < count && modes; i++) nd.modes[static_cast<std::size_t>(i)] = modes[i];
  if (desktop) nd.desktop = *desktop;
  nd.work_x = work_x;
  nd.work_y = work_y;
  nd.work_w = work_width;
  nd.work_h = work_height;
}

void plat_display_null_reset() { nd = make_default(); }
void plat_display_null_refuse_fullscreen(int refuse) { nd.refuse_fullscreen = refuse ? 1 : 0; }
int plat_display_null_cursor_shown() { return nd.cursor_shown; }
int plat_display_null_screen_saver_allowed() { return nd.screen_saver_allowed; }
