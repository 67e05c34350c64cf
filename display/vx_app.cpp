// Start-up services around the window: the error box and the periodic timer.
#include "display/vx_app.h"

#include "display/vx_dsp.h"
#include "platform/platform.h"

namespace {

struct AppState {
  uint32_t timer_resolution;  // the period begun for the running timer, 0 for none
};
AppState st = {};

}  // namespace

int vx_dsp_error_box(const char* text, const char* caption, uint32_t style) {
  return plat_message_box(plat_window_main(), text ? text : "", caption ? caption : "Error",
                          style | MB_SYSTEMMODAL | MB_SETFOREGROUND | MB_TOPMOST);
}

int vx_dsp_fatal_error(const char* text) {
  VX_APP* app = vx_dsp_app();
  vx_dsp_error_box(text, app && app->title ? app->title : "Error", MB_OK);
  if (PLAT_WINDOW* w = plat_window_main()) plat_post_message(w, WM_CLOSE, 0, 0);
  return 0;
}

uint32_t vx_timer_start(VX_TIMER_CALLBACK callback, uint32_t period_ms) {
  uint32_t resolution = plat_timer_min_period();
  if (resolution == 0 || !plat_timer_begin_period(resolution)) resolution = 0;
  uint32_t id = callback ? plat_timer_start(period_ms, callback, nullptr) : 0;
  if (!id) {
    if (resolution) plat_timer_end_period(resolution);
    vx_dsp_fatal_error("Timer Init failed. You should restart Windows and try again");
    return 0;
  }
  st.timer_resolution = resolution;
  return id;
}

void vx_timer_stop(uint32_t* id) {
  if (!id || !*id) return;
  plat_timer_stop(*id);
  if (st.timer_resolution) plat_timer_end_period(st.timer_resolution);
  st.timer_resolution = 0;
  *id = 0;
}
