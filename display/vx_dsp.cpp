// The main window: creation from the application descriptor, the display's window procedure, release.
#include "display/vx_dsp.h"

namespace {

struct DspState {
  VX_APP* app;
  PLAT_WINDOW* window;
  uint32_t running;    // play runs: the window is active and not minimised
  uint32_t minimised;
};
DspState st = {};

void set_running(uint32_t running) {
  st.running = running;
  if (st.app && st.app->running_out) *st.app->running_out = running;
}

// The descriptor's window procedure is the game's; without one the display's own serves.
intptr_t main_window_proc(PLAT_WINDOW* w, uint32_t msg, uintptr_t wp, intptr_t lp) {
  if (st.app && st.app->window_proc) return st.app->window_proc(w, msg, wp, lp);
  return vx_dsp_window_proc(w, msg, wp, lp);
}

}  // namespace

VX_APP* vx_dsp_app() { return st.app; }

int vx_app_start(VX_APP* app) {
  if (!app) return 0;
  st = {};
  st.app = app;
  int width = app->base_width > 0 ? app->base_width : 640;
  int height = app->base_height > 0 ? app->base_height : 480;
  // A negative position centres the window on that axis.
  int x = app->pos_x < 0 ? PLAT_POS_CENTRED : app->pos_x;
  int y = app->pos_y < 0 ? PLAT_POS_CENTRED : app->pos_y;
  st.window = plat_window_create(app->class_name ? app->class_name : "", app->title ? app->title : "",
                                 x, y, width, height, PLAT_WS_CAPTION | PLAT_WS_OPENGL,
                                 main_window_proc);
  if (!st.window) return 0;
  app->window = st.window;
  if (app->ready_out) *app->ready_out = 1;
  if (app->fullscreen_out) *app->fullscreen_out = 0;
  return 1;
}

void vx_dsp_deinit() {
  if (!st.window) return;
  PLAT_WINDOW* w = st.window;
  st.window = nullptr;
  if (st.app) st.app->window = nullptr;
  if (plat_window_exists(w)) plat_window_destroy(w);
}

void vx_dsp_present() {
  // The 3D back end's display update joins here with the OpenGL layer.
}

intptr_t vx_dsp_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  switch (message) {
    case WM_DESTROY:
      plat_post_quit_message(0);
      return 0;
    case WM_ACTIVATE: {
      uint32_t minimised = plat_hiword(wparam) != 0;
      st.minimised = minimised;
      set_running(plat_loword(wparam) != WA_INACTIVE && !minimised);
      return 0;
    }
    case WM_SYSCOMMAND:
      // No screen saver or monitor power-down while the program has the focus.
      if ((wparam & 0xFFF0) == SC_SCREENSAVE || (wparam & 0xFFF0) == SC_MONITORPOWER) return 0;
      break;
    default:
      break;
  }
  return plat_def_window_proc(window, message, wparam, lparam);
}
