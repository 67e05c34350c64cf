// The main window: creation, styles, the placement arithmetic (minimum size, aspect snap, work-area clamp), placing and fitting.
#include <cstdio>
#include <cstdlib>

#include "display/vx_dsp_internal.h"
#include "display/vx_dsp_menu.h"
#include "display/vx_screen.h"
#include "platform/plat_display.h"

namespace {

// The window's messages go to the game's procedure, which chains down to
// vx_dsp_window_proc; without one the display's own answers.
intptr_t main_window_proc(PLAT_WINDOW* w, uint32_t msg, uintptr_t wp, intptr_t lp) {
  VX_APP* app = vx_dsp_st.app;
  if (app && app->window_proc) return app->window_proc(w, msg, wp, lp);
  return vx_dsp_window_proc(w, msg, wp, lp);
}

// The virtual screen takes the client area: all of it, or with keep_aspect
// the part vx_dsp_aspect_fit leaves between bars, centred. Resized only
// when that changes anything.
void fit_screen(const VX_DSP_PLACE& in, int client_w, int client_h) {
  VX_DSP_RECT pic = {0, 0, client_w, client_h};
  if (in.keep_aspect && !in.fixed_size) pic = vx_dsp_aspect_fit(client_w, client_h, in.base_w, in.base_h);
  const VX_BITMAP* screen = vx_screen();
  if (screen->width != pic.width || screen->height != pic.height || screen->x != pic.x || screen->y != pic.y)
    vx_screen_resize(pic.width, pic.height, client_w, client_h);
}

PLAT_DISPLAY_MODE platform_mode(const VX_VIDEO_MODE& m) {
  return {static_cast<int>(m.width), static_cast<int>(m.height), m.depth, static_cast<int>(m.refresh)};
}

}  // namespace

int vx_dsp_window_create() {
  VX_DSP_STATE& s = vx_dsp_st;
  VX_APP* app = s.app;
  if (!app) return 0;
  VX_DSP_PLACED r;
  VX_DSP_PLACE in = vx_dsp_place_inputs();
  in.fullscreen = 0;
  vx_dsp_place_compute(&in, s.win_x, s.win_y, s.client_w, s.client_h, &r);
  // Created hidden and untitled: vx_dsp_show gives it its title when it
  // shows it, once it has its place and mode. The 3D back end may replace
  // the native window underneath when it makes its context; until the
  // window is shown nothing outside the program should find it by name.
  s.window = plat_window_create(app->class_name ? app->class_name : "", "",
                                r.window.x, r.window.y, r.window.width, r.window.height,
                                PLAT_WS_CAPTION | PLAT_WS_SIZABLE | PLAT_WS_OPENGL | PLAT_WS_HIDDEN,
                                main_window_proc);
  if (!s.window) return 0;
  s.win_x = r.window.x;
  s.win_y = r.window.y;
  s.client_w = r.client_w;
  s.client_h = r.client_h;
  app->window = s.window;
  plat_display_min_size(s.window, app->min_width, app->min_height);
  return 1;
}

void vx_dsp_window_style_caption() {
  if (vx_dsp_st.window) plat_window_set_style(vx_dsp_st.window, PLAT_WS_CAPTION | PLAT_WS_SIZABLE | PLAT_WS_OPENGL);
}

void vx_dsp_window_style_popup() {
  if (vx_dsp_st.window) plat_window_set_style(vx_dsp_st.window, PLAT_WS_POPUP | PLAT_WS_OPENGL);
}

void vx_dsp_menu_detach() { vx_dsp_st.menu_attached = 0; }

void vx_dsp_menu_attach() {
  vx_dsp_st.menu_attached = 1;
  vx_dsp_menu_bar_redraw();
}

// ---------------------------------------------------------------- arithmetic

void vx_dsp_place_compute(const VX_DSP_PLACE* in, int x, int y, int client_w, int client_h, VX_DSP_PLACED* out) {
  const VX_DSP_PLACE& p = *in;
  int cw = client_w, ch = client_h;
  if (p.fixed_size) {
    cw = p.base_w;
    ch = p.base_h;
  } else if (p.keep_aspect && p.base_w > 0 && p.base_h > 0) {
    // The side that moved less from the virtual screen's size follows the other.
    if (std::abs(cw - p.screen_w) < std::abs(ch - p.screen_h))
      cw = p.base_w * ch / p.base_h;
    else
      ch = p.base_h * cw / p.base_w;
  }
  if (p.fullscreen) {
    out->window = {0, 0, p.mode_w, p.mode_h};
    out->client_w = p.mode_w;
    out->client_h = p.mode_h;
    return;
  }
  if (cw < p.min_w) cw = p.min_w;
  if (ch < p.min_h) ch = p.min_h;
  VX_DSP_RECT r = {x, y, cw, ch + p.bar_h};
  // Kept inside the work area: moved in from the left and the top, back to
  // its origin when it starts beyond the right or bottom edge, and no
  // larger than the work area.
  if (p.work_w > 0 && p.work_h > 0) {
    if (r.x < p.work_x) r.x = p.work_x;
    if (r.y < p.work_y) r.y = p.work_y;
    if (r.x >= p.work_x + p.work_w) r.x = p.work_x;
    if (r.y >= p.work_y + p.work_h) r.y = p.work_y;
    if (r.width > p.work_w) r.width = p.work_w;
    if (r.height > p.work_h) r.height = p.work_h;
  }
  out->window = r;
  out->client_w = r.width;
  out->client_h = r.height - p.bar_h;
}

VX_DSP_RECT vx_dsp_aspect_fit(int area_w, int area_h, int base_w, int base_h) {
  VX_DSP_RECT r = {0, 0, area_w, area_h};
  if (base_w <= 0 || base_h <= 0 || area_w <= 0 || area_h <= 0) return r;
  const long long wide = static_cast<long long>(area_w) * base_h, tall = static_cast<long long>(area_h) * base_w;
  if (wide > tall) {
    // Wider than the picture: bars left and right.
    const int w = static_cast<int>(tall / base_h);
    if (area_w - w > 1) r.width = w;
  } else if (wide < tall) {
    const int h = static_cast<int>(wide / base_w);
    if (area_h - h > 1) r.height = h;
  }
  r.x = (area_w - r.width) / 2;
  r.y = (area_h - r.height) / 2;
  return r;
}

VX_DSP_PLACE vx_dsp_place_inputs() {
  const VX_DSP_STATE& s = vx_dsp_st;
  VX_DSP_PLACE p = {};
  const VX_APP* app = s.app;
  p.fullscreen = s.fullscreen;
  p.keep_aspect = s.have_params ? static_cast<int>(s.params.keep_aspect) : 0;
  p.fixed_size = s.have_params && (s.params.flags & VX_DSP_FIXED_SIZE);
  p.base_w = app ? app->base_width : 640;
  p.base_h = app ? app->base_height : 480;
  p.min_w = app ? app->min_width : 0;
  p.min_h = app ? app->min_height : 0;
  const VX_BITMAP* screen = vx_screen();
  p.screen_w = screen->width > 0 ? screen->width : p.base_w;
  p.screen_h = screen->height > 0 ? screen->height : p.base_h;
  if (const VX_VIDEO_MODE* m = vx_dsp_mode(s.current)) {
    p.mode_w = static_cast<int>(m->width);
    p.mode_h = static_cast<int>(m->height);
  }
  p.bar_h = s.fullscreen ? 0 : vx_dsp_menu_bar_height();
  plat_display_work_area(&p.work_x, &p.work_y, &p.work_w, &p.work_h);
  return p;
}

// ---------------------------------------------------------------- placing

int vx_dsp_window_place(int x, int y, int client_width, int client_height, VX_DSP_RECT* out) {
  VX_DSP_STATE& s = vx_dsp_st;
  VX_DSP_PLACE in = vx_dsp_place_inputs();
  VX_DSP_PLACED r;
  vx_dsp_place_compute(&in, x, y, client_width, client_height, &r);
  if (out) {
    *out = r.window;
    return 1;
  }
  if (!s.window) return 0;
  s.placing++;
  int ok = 1;
  const VX_VIDEO_MODE* mode = vx_dsp_mode(s.current);
  if (s.fullscreen && mode) {
    // The virtual screen keeps its size, centred in the mode.
    const VX_BITMAP* screen = vx_screen();
    if (screen->width > 0) vx_screen_resize(screen->width, screen->height, in.mode_w, in.mode_h);
    vx_dsp_window_style_popup();
    vx_dsp_menu_detach();
    PLAT_DISPLAY_MODE pm = platform_mode(*mode);
    ok = plat_display_fullscreen(s.window, &pm);
    if (ok) plat_display_topmost(s.window, 1);
  } else {
    // Back from full screen the screen may still be centred in the mode: it
    // takes the client again (with bars where the client is off the aspect).
    fit_screen(in, r.client_w, r.client_h);
    // Out of full screen first: the window manager puts the window back
    // where it was, the style applies again (a full-screen window keeps
    // its style) and the move below takes the window to its new place.
    plat_display_fullscreen(s.window, nullptr);
    if (!s.minimised) {
      vx_dsp_window_style_caption();
      vx_dsp_menu_attach();
    }
    // The minimum goes first, since the platform keeps a window at least
    // that big; and no larger than the place, which the work area may have
    // made smaller (a 640 x 480 desktop has no room for the bar's rows):
    // the window would stay taller than the picture thinks it is.
    const int min_h = in.min_h + vx_dsp_menu_bar_height();
    plat_display_min_size(s.window, in.min_w < r.window.width ? in.min_w : r.window.width,
                          min_h < r.window.height ? min_h : r.window.height);
    plat_window_move(s.window, r.window.x, r.window.y, r.window.width, r.window.height);
    plat_display_topmost(s.window, 0);
    s.win_x = r.window.x;
    s.win_y = r.window.y;
    s.client_w = r.client_w;
    s.client_h = r.client_h;
  }
  vx_dsp_menu_bar_redraw();
  if (s.fullscreen && ok) vx_dsp_present();
  s.placing--;
  if (ok) vx_dsp_window_fit();
  return ok;
}

void vx_dsp_window_fit() {
  VX_DSP_STATE& s = vx_dsp_st;
  if (!s.window || !s.app || s.minimised || s.placing || plat_window_minimised(s.window)) return;
  if (s.fullscreen) {
    vx_dsp_screen_clear();
    return;
  }
  // A maximised window is not placed again: the window manager holds its size.
  if (plat_window_maximised(s.window)) {
    vx_dsp_window_fit_picture();
    return;
  }
  int x, y, w, h;
  plat_window_rect(s.window, &x, &y, &w, &h);
  const int bar = vx_dsp_menu_bar_height();
  VX_DSP_PLACE in = vx_dsp_place_inputs();
  VX_DSP_PLACED r;
  vx_dsp_place_compute(&in, x, y, w, h - bar, &r);
  if (r.window.x != x || r.window.y != y || r.window.width != w || r.window.height != h) {
    // Too small, off the work area or off the aspect ratio: placed again.
    vx_dsp_window_place(x, y, w, h - bar, nullptr);
    return;
  }
  s.win_x = x;
  s.win_y = y;
  s.client_w = w;
  s.client_h = h - bar;
  s.placing++;
  fit_screen(in, s.client_w, s.client_h);
  s.placing--;
  vx_dsp_present();
}

void vx_dsp_window_fit_picture() {
  VX_DSP_STATE& s = vx_dsp_st;
  if (!s.window || !s.app || s.fullscreen || s.minimised || s.placing || plat_window_minimised(s.window)) return;
  int x, y, w, h;
  plat_window_rect(s.window, &x, &y, &w, &h);
  const int bar = vx_dsp_menu_bar_height();
  if (w < 1 || h - bar < 1) return;
  s.win_x = x;
  s.win_y = y;
  s.client_w = w;
  s.client_h = h - bar;
  s.placing++;
  fit_screen(vx_dsp_place_inputs(), s.client_w, s.client_h);
  s.placing--;
  vx_dsp_screen_clear();
  vx_dsp_present();
}

VX_DSP_RECT vx_dsp_client_rect() {
  const VX_DSP_STATE& s = vx_dsp_st;
  return {s.win_x, s.win_y + (s.fullscreen ? 0 : vx_dsp_menu_bar_height()), s.client_w, s.client_h};
}

VX_DSP_RECT vx_dsp_full_rect() { return vx_dsp_st.full; }
