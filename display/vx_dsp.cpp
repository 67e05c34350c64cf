// The display state, the start mode (vx_dsp_init), shutdown, present and clear, and the Display keys of the settings file.
#include "display/vx_dsp.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "display/vx_app.h"
#include "display/vx_blit.h"
#include "display/vx_dsp_internal.h"
#include "display/vx_dsp_menu.h"
#include "display/vx_dsp_splash.h"
#include "display/vx_screen.h"
#include "platform/plat_display.h"

VX_DSP_STATE vx_dsp_st = {};

// ---------------------------------------------------------------- helpers

int vx_dsp_uses_3d() { return vx_dsp_st.have_params && (vx_dsp_st.params.flags & VX_DSP_3D); }

int vx_dsp_table_3d() { return vx_dsp_uses_3d() && vx_dsp_3d_installed(); }

int vx_dsp_preferred_depth() {
  const VX_DSP_STATE& s = vx_dsp_st;
  if (!s.have_params || (s.params.flags & VX_DSP_3D)) return 16;
  return s.params.depth ? static_cast<int>(s.params.depth) : 16;
}

void vx_dsp_set_running(int running) {
  VX_DSP_STATE& s = vx_dsp_st;
  s.running = running ? 1 : 0;
  if (s.app && s.app->running_out) *s.app->running_out = static_cast<uint32_t>(s.running);
}

void vx_dsp_set_fullscreen(int fullscreen) {
  VX_DSP_STATE& s = vx_dsp_st;
  s.fullscreen = fullscreen ? 1 : 0;
  if (s.app && s.app->fullscreen_out) *s.app->fullscreen_out = static_cast<uint32_t>(s.fullscreen);
}

void vx_dsp_post_click() {
  // At the picture's top-left corner, below the menu bar, so that the click
  // resumes play and never opens the bar. The bar's height is taken whether
  // it shows now or not: F4 posts the click before the switch to a window
  // that brings the bar, and a click at the top row would land on its title.
  PLAT_WINDOW* w = vx_dsp_st.window;
  if (w) plat_post_message(w, PLAT_WM_LBUTTONDOWN, PLAT_MK_LBUTTON, plat_makelong(0, static_cast<uint32_t>(VX_MENU_BAR_HEIGHT)));
}

void vx_dsp_post_alt_enter() {
  // Enter is scan code 28; bit 29 says Alt is held.
  PLAT_WINDOW* w = vx_dsp_st.window;
  if (w) plat_post_message(w, PLAT_WM_SYSKEYDOWN, PLAT_VK_RETURN, static_cast<intptr_t>((28u << 16) | PLAT_KEY_LPARAM_ALT | 1u));
}

// ---------------------------------------------------------------- state

VX_APP* vx_dsp_app() { return vx_dsp_st.app; }
const VX_DSP_PARAMS* vx_dsp_params() { return vx_dsp_st.have_params ? &vx_dsp_st.params : nullptr; }
PLAT_WINDOW* vx_dsp_window() { return vx_dsp_st.window; }
int vx_dsp_is_fullscreen() { return vx_dsp_st.fullscreen; }
int vx_dsp_is_running() { return vx_dsp_st.running; }
int vx_dsp_is_minimised() { return vx_dsp_st.minimised; }
int vx_dsp_mode_is_set() { return vx_dsp_st.mode_set_done; }
int vx_dsp_skip_message_box() { return vx_dsp_st.skip_message_box; }

int vx_dsp_3d_owns_screen() {
  const VX_DSP_STATE& s = vx_dsp_st;
  return s.active_3d && s.mode_set_done && s.fullscreen;
}

void vx_dsp_splash_window_set(PLAT_WINDOW* splash) { vx_dsp_st.splash = splash; }

void vx_dsp_show() {
  PLAT_WINDOW* w = vx_dsp_st.window;
  if (!w) return;
  if (vx_dsp_st.app && vx_dsp_st.app->title) plat_window_set_title(w, vx_dsp_st.app->title);
  // A minimised start (show command 2) stays on the task bar; everything else shows normally.
  plat_window_show(w, vx_dsp_st.app && vx_dsp_st.app->show_command == 2 ? 2 : 1);
}
PLAT_WINDOW* vx_dsp_splash_window() { return vx_dsp_st.splash; }

// ---------------------------------------------------------------- drawing

void vx_dsp_present() {
  const VX_DSP_STATE& s = vx_dsp_st;
  if (!s.mode_set_done) return;
  // The 3D back end shows its frame, the menu bar drawn over it; without
  // one there is no surface of our own to copy the virtual screen to on
  // this platform.
  if (s.active_3d && vx_dsp_3d_installed()) {
    vx_dsp_menu_bar_overlay();
    vx_dsp_3d_interface()->vx_dsp_3d_display_update();
  }
}

void vx_dsp_screen_clear() {
  const VX_DSP_STATE& s = vx_dsp_st;
  if (!s.mode_set_done) return;
  if (s.active_3d && vx_dsp_3d_installed()) {
    vx_dsp_3d_interface()->vx_dsp_3d_screen_clear();
    return;
  }
  VX_BITMAP* screen = vx_screen();
  if (screen->pixels) {
    long n = vx_bit_size(screen->width, screen->height, screen->bpp);
    for (long i = 0; i < n; i++) screen->pixels[i] = 0;
  }
}

// ---------------------------------------------------------------- start

// Picks the start mode: the windowed start keeps the enumeration's current
// mode; the full-screen start looks the requested size up at the requested
// depth or deeper (a size that does not exist keeps the desktop mode).
static void choose_start_mode() {
  VX_DSP_STATE& s = vx_dsp_st;
  const VX_APP* app = s.app;
  const uint32_t f = s.params.flags;
  const int pref = vx_dsp_preferred_depth();
  if ((!s.settings_fullscreen || (f & VX_DSP_WINDOW_ONLY)) && !(f & VX_DSP_FULLSCREEN_ONLY)) {
    if (f & VX_DSP_WINDOW_ONLY) {
      s.current = s.windowed;
      vx_dsp_set_fullscreen(0);
    }
  } else {
    vx_dsp_set_fullscreen(1);
    const int depth = s.req_depth > pref ? s.req_depth : pref;
    const int bigger = s.req_width > app->base_width && s.req_height > app->base_height && s.req_depth > pref;
    int idx;
    if ((f & VX_DSP_FIXED_SIZE) && !bigger)
      idx = vx_dsp_mode_find(app->base_width, app->base_height, depth);
    else
      idx = vx_dsp_mode_find(s.req_width, s.req_height, depth);
    if (idx >= 0) s.current = static_cast<uint16_t>(idx);
    s.fullscreen_index = s.current;
  }
  const VX_VIDEO_MODE* m = vx_dsp_mode(s.current);
  if (m && m->depth < pref) {
    int idx = vx_dsp_mode_find(static_cast<int>(m->width), static_cast<int>(m->height), pref);
    if (idx >= 0) s.current = static_cast<uint16_t>(idx);
    if (s.fullscreen) s.fullscreen_index = s.current;
  }
}

int vx_dsp_init(const VX_DSP_PARAMS* params) {
  VX_DSP_STATE& s = vx_dsp_st;
  if (!params || !s.app || !s.window || s.current == VX_MODE_NONE) return 0;
  s.params = *params;
  s.have_params = 1;
  // The virtual screen is drawn at the preferred depth.
  VX_BITMAP* screen = vx_screen();
  const int pref = vx_dsp_preferred_depth();
  if (screen->bpp != pref && !vx_dsp_table_3d()) vx_screen_alloc(s.app->base_width, s.app->base_height, pref);
  if (s.params.mode_out) *s.params.mode_out = VX_VIDEO_MODE{};
  if (s.params.screen_out) *s.params.screen_out = VX_BITMAP{};
  vx_screen_resize_hook_set(s.params.resize_hook);
  choose_start_mode();
  if (!vx_dsp_video_mode_set()) {
    // The requested mode failed: the desktop mode takes its place.
    if (s.current == s.desktop) return 0;
    s.current = s.desktop;
    if (!vx_dsp_video_mode_set()) return 0;
  }
  // While the splash is up it paints once more in the new mode, and shows
  // the main window when it goes.
  if (s.splash)
    vx_dsp_splash_paint();
  else
    vx_dsp_show();
  if ((s.params.flags & VX_DSP_FULLSCREEN_ONLY) || vx_dsp_3d_owns_screen()) {
    plat_display_screen_saver(0);
    s.screen_saver_off = 1;
  }
  if (s.app->input_enable) s.app->input_enable(1);
  vx_dsp_menu_load(s.app);
  // The 3D back end keeps its own picture.
  if (vx_dsp_table_3d()) vx_screen_pixels_free();
  if (!s.fullscreen) s.windowed = s.current;
  vx_dsp_mode_menu_update();
  return 1;
}

// ---------------------------------------------------------------- stop

void vx_dsp_deinit() {
  VX_DSP_STATE& s = vx_dsp_st;
  // A splash still up (a start that failed half-way) goes first.
  vx_dsp_splash_free();
  if (!s.app) return;
  s.params.flags &= ~VX_DSP_FULLSCREEN_ONLY;
  const int had_mode = s.mode_set_done;
  if (had_mode) {
    vx_dsp_settings_save();
    vx_screen_pixels_free();
  }
  s.mode_set_done = 0;
  vx_screen_mode_set_flag(0);
  if (s.window && plat_display_is_fullscreen(s.window) && !plat_display_fullscreen(s.window, nullptr))
    vx_dsp_error_box("Error restoring video mode!", nullptr, PLAT_MB_OK);
  if (s.active_3d && vx_dsp_3d_installed()) vx_dsp_3d_interface()->vx_dsp_3d_deinit();
  s.active_3d = 0;
  vx_screen_3d_active_set(0);
  vx_screen_copy_set(nullptr, nullptr);
  vx_screen_resize_hook_set(nullptr);
  vx_bit_scale_buffer_free();
  vx_dsp_modes_free();
  if (s.screen_saver_off) plat_display_screen_saver(1);
  if (s.app->input_enable && s.have_params) s.app->input_enable(0);
  vx_dsp_menu_bar_close();
  vx_dsp_menu_free();
  vx_screen_free();
  PLAT_WINDOW* w = s.window;
  VX_APP* app = s.app;
  app->window = nullptr;
  s = VX_DSP_STATE{};
  s.current = s.desktop = s.windowed = s.fullscreen_index = VX_MODE_NONE;
  // Destroying the window sends PLAT_WM_DESTROY, which posts the quit message.
  if (w && plat_window_exists(w)) plat_window_destroy(w);
}

// ---------------------------------------------------------------- the Display keys

namespace {

constexpr const char* kSection = "Display";

// The settings file's path, or null while there is none.
const char* settings_file() {
  if (!vx_io_running()) return nullptr;
  const char* path = vx_io_settings_path();
  return path && path[0] ? path : nullptr;
}

// The value of `key`, 1 when the key is there (an empty value counts).
int read_key(const char* file, const char* key, char* value, int size) {
  value[0] = 0;
  vx_io_ini_get_string(kSection, key, value, size - 1, file);
  return !vx_io_get_status(1);
}

// `n` decimal numbers separated by `sep` ("%ld,%ld..." as the keys are
// written); leading spaces before a number are skipped, anything after the
// last one is ignored. Numbers past the long range are refused. 1 or 0.
int parse_list(const char* text, char sep, long* out, int n) {
  const char* p = text;
  for (int i = 0; i < n; i++) {
    if (i > 0) {
      if (*p != sep) return 0;
      p++;
    }
    char* end = nullptr;
    errno = 0;
    out[i] = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE) return 0;
    p = end;
  }
  return 1;
}

int read_four(const char* file, const char* key, long out[4]) {
  char v[128];
  return read_key(file, key, v, sizeof v) && parse_list(v, ',', out, 4);
}

int write_four(const char* file, const char* key, long a, long b, long c, long d) {
  char v[128];
  std::snprintf(v, sizeof v, "%ld,%ld,%ld,%ld", a, b, c, d);
  return vx_io_ini_set_string(kSection, key, v, file);
}

// Sizes and positions outside what a screen can hold are not taken.
constexpr long kLimit = 32767;
int fits(long v, long low) { return v >= low && v <= kLimit; }

// The descriptor's defaults: the base size, centred on the work area on an
// axis whose position is negative.
void defaults() {
  VX_DSP_STATE& s = vx_dsp_st;
  const VX_APP* app = s.app;
  int wx = 0, wy = 0, ww = 0, wh = 0;
  plat_display_work_area(&wx, &wy, &ww, &wh);
  s.req_width = s.req_height = s.req_depth = 0;
  s.client_w = app->base_width;
  s.client_h = app->base_height;
  s.win_x = app->pos_x < 0 ? wx + (ww - s.client_w) / 2 : app->pos_x;
  s.win_y = app->pos_y < 0 ? wy + (wh - s.client_h - vx_dsp_menu_bar_height()) / 2 : app->pos_y;
  s.settings_fullscreen = static_cast<int>(app->default_fullscreen);
  s.full = {0, 0, 0, 0};
  s.skip_message_box = 0;
}

}  // namespace

int vx_dsp_settings_load() {
  VX_DSP_STATE& s = vx_dsp_st;
  if (!s.app) return 0;
  defaults();
  const char* file = settings_file();
  if (!file) return 0;
  char v[128];
  long r[4];
  if (read_key(file, "Resolution", v, sizeof v) && parse_list(v, 'x', r, 3) && fits(r[0], 1) && fits(r[1], 1) &&
      fits(r[2], 1)) {
    s.req_width = static_cast<int>(r[0]);
    s.req_height = static_cast<int>(r[1]);
    s.req_depth = static_cast<int>(r[2]);
  }
  if (read_four(file, "WindowPosition", r) && fits(r[0], -kLimit) && fits(r[1], -kLimit) && fits(r[2], 1) &&
      fits(r[3], 1)) {
    s.win_x = static_cast<int>(r[0]);
    s.win_y = static_cast<int>(r[1]);
    s.client_w = static_cast<int>(r[2]);
    s.client_h = static_cast<int>(r[3]);
  }
  // Switches: a number, non-zero for on; text that is no number is off.
  if (read_key(file, "Fullscreen", v, sizeof v)) s.settings_fullscreen = parse_list(v, 0, r, 1) && r[0] != 0;
  if (read_four(file, "FullPosition", r) && fits(r[0], -kLimit) && fits(r[1], -kLimit) && fits(r[2], 1) &&
      fits(r[3], 1))
    s.full = {static_cast<int>(r[0]), static_cast<int>(r[1]), static_cast<int>(r[2]), static_cast<int>(r[3])};
  if (read_key(file, "SkipMessageBox", v, sizeof v)) s.skip_message_box = parse_list(v, 0, r, 1) && r[0] != 0;
  s.fullscreen = s.settings_fullscreen != 0;
  return 1;
}

int vx_dsp_settings_save() {
  const VX_DSP_STATE& s = vx_dsp_st;
  const char* file = settings_file();
  if (!s.app || !file) return 0;
  int ok = 1;
  if (const VX_VIDEO_MODE* m = vx_dsp_mode(s.current)) {
    char v[64];
    std::snprintf(v, sizeof v, "%ux%ux%d", m->width, m->height, m->depth);
    ok &= vx_io_ini_set_string(kSection, "Resolution", v, file);
  }
  ok &= write_four(file, "WindowPosition", s.win_x, s.win_y, s.client_w, s.client_h);
  // Minimised, the state to come back to is the one that counts.
  int full = s.remembered_fullscreen >= 0 ? s.remembered_fullscreen : s.fullscreen;
  ok &= vx_io_ini_set_int(kSection, "Fullscreen", full, file);
  ok &= write_four(file, "FullPosition", s.full.x, s.full.y, s.full.width, s.full.height);
  const VX_LANGUAGES* l = s.app->languages;
  if (l && l->entries && l->current >= 0 && l->current < l->count)
    ok &= vx_io_ini_set_int("Application", "Language", l->entries[l->current].number, file);
  return ok;
}
