// Switching modes: the mode switch with its refusals and fall-back, the full-screen toggle and the display commands of the menu bar.
#include <cstdio>

#include "display/vx_app.h"
#include "display/vx_dsp_internal.h"
#include "display/vx_dsp_menu.h"
#include "display/vx_screen.h"
#include "platform/plat_display.h"

namespace {

void box(const char* text) { vx_dsp_error_box(text, nullptr, PLAT_MB_OK); }

void box_mode(const char* format, int w, int h, int d) {
  char text[160];
  std::snprintf(text, sizeof text, format, w, h, d);
  box(text);
}

uint32_t flags() { return vx_dsp_st.have_params ? vx_dsp_st.params.flags : 0; }

// Both flags: a fixed-size, full-screen-only display keeps quiet about
// failed switches.
int quiet_switch() {
  return (flags() & (VX_DSP_FULLSCREEN_ONLY | VX_DSP_FIXED_SIZE)) == (VX_DSP_FULLSCREEN_ONLY | VX_DSP_FIXED_SIZE);
}

void flush_3d() {
  if (vx_dsp_table_3d() && vx_dsp_st.active_3d) vx_dsp_3d_interface()->vx_dsp_3d_flush();
}

// The low-res and high-res commands: the table's size at the preferred
// depth, as full screen.
void size_command(int16_t role) {
  VX_DSP_STATE& s = vx_dsp_st;
  if (vx_dsp_3d_owns_screen()) return;
  const VX_WINDOW_SIZE* ws = vx_dsp_table_size(role);
  int idx = ws ? vx_dsp_mode_find(ws->width, ws->height, vx_dsp_preferred_depth()) : -1;
  if (idx < 0) return;
  int was = s.fullscreen;
  vx_dsp_set_fullscreen(1);
  if (!vx_dsp_mode_switch(idx)) vx_dsp_set_fullscreen(was);
}

void colours_command() {
  VX_DSP_STATE& s = vx_dsp_st;
  const VX_VIDEO_MODE* cur = vx_dsp_mode(s.current);
  const VX_VIDEO_MODE* desk = vx_dsp_mode(s.desktop);
  if (!cur) return;
  const int pref = vx_dsp_preferred_depth();
  int target = cur->depth != pref ? pref : (desk ? desk->depth : pref);
  int idx = vx_dsp_mode_find(static_cast<int>(cur->width), static_cast<int>(cur->height), target);
  if (idx < 0)
    box("This resolution isn't supported!");
  else
    vx_dsp_mode_switch(idx);
}

void default_size_command() {
  VX_DSP_STATE& s = vx_dsp_st;
  const VX_APP* app = s.app;
  const VX_VIDEO_MODE* m = vx_dsp_mode(s.current);
  if (s.fullscreen && m) {
    vx_screen_resize(app->base_width, app->base_height, static_cast<int>(m->width), static_cast<int>(m->height));
    const VX_BITMAP* screen = vx_screen();
    s.full = {screen->x, screen->y, screen->width, screen->height};
  } else {
    vx_dsp_window_place(s.win_x, s.win_y, app->base_width + app->pos_x + 1, app->base_height + app->pos_y + 1,
                        nullptr);
  }
}

void table_size_command(int i) {
  VX_DSP_STATE& s = vx_dsp_st;
  const VX_APP* app = s.app;
  for (int k = 0; k <= i; k++)
    if (!app->window_sizes || !app->window_sizes[k].width) return;
  const VX_VIDEO_MODE* cur = vx_dsp_mode(s.current);
  int depth = s.depth_is_preferred || !cur ? vx_dsp_preferred_depth() : cur->depth;
  int idx = vx_dsp_mode_find(app->window_sizes[i].width, app->window_sizes[i].height, depth);
  if (idx >= 0) vx_dsp_mode_switch(idx);
}

void language_command(int i) {
  VX_APP* app = vx_dsp_st.app;
  VX_LANGUAGES* l = app->languages;
  if (!l || !l->entries || i >= l->count || i == l->current || !l->entries[i].name[0]) return;
  int was = l->current;
  l->current = i;
  // Without a menu in that language everything stays as it was.
  if (!vx_dsp_menu_load(app)) l->current = was;
}

}  // namespace

int vx_dsp_mode_switch(int index) {
  VX_DSP_STATE& s = vx_dsp_st;
  const VX_APP* app = s.app;
  const VX_VIDEO_MODE* mode = vx_dsp_mode(index);
  if (!app || !mode || !s.window) return 0;
  const VX_VIDEO_MODE m = *mode;
  const int pref = vx_dsp_preferred_depth();
  if (static_cast<int>(m.width) < app->min_width || static_cast<int>(m.height) < app->min_height ||
      m.depth < pref) {
    box_mode("New video mode resolution must be at least equal to %dx%dx%d.", app->min_width, app->min_height, pref);
    box_mode("Requested video mode resolution was: %dx%dx%d.", static_cast<int>(m.width),
             static_cast<int>(m.height), m.depth);
    return 0;
  }
  s.switching++;
  // No window is made smaller than 640 x 480.
  if (m.width < 640 || m.height < 480) vx_dsp_set_fullscreen(1);
  const int had_mode = s.mode_set_done;
  flush_3d();
  if (s.fullscreen) {
    vx_dsp_menu_detach();
    vx_dsp_window_style_popup();
    s.fullscreen_index = static_cast<uint16_t>(index);
  } else {
    if (!s.minimised) {
      vx_dsp_menu_attach();
      vx_dsp_window_style_caption();
    }
    s.windowed = static_cast<uint16_t>(index);
  }
  s.current = static_cast<uint16_t>(index);
  if (!vx_dsp_video_mode_set()) {
    vx_dsp_set_fullscreen(0);
    s.current = s.desktop;
    if (!vx_dsp_video_mode_set()) {
      if (had_mode) {
        if (!quiet_switch()) vx_dsp_error_box("Error switching mode, Quitting!", "Fatal Error", PLAT_MB_OK);
        plat_post_message(s.window, PLAT_WM_CLOSE, 0, 0);
      }
    } else if (!quiet_switch()) {
      box("An error occured while switching video mode. Using default video mode.");
      box_mode("Requested video mode resolution was: %dx%dx%d.", static_cast<int>(m.width),
               static_cast<int>(m.height), m.depth);
    }
  }
  s.switching--;
  return 1;
}

int vx_dsp_fullscreen_toggle() {
  VX_DSP_STATE& s = vx_dsp_st;
  if (!s.app || !s.window || !s.mode_set_done) return !s.fullscreen;
  // With the 3D back end the toggle reaches a window whatever the flags
  // say; the 2D display keeps to them.
  if ((flags() & VX_DSP_WINDOW_ONLY) && !s.fullscreen) return 1;
  if (!vx_dsp_uses_3d() && (flags() & VX_DSP_FULLSCREEN_ONLY) && s.fullscreen && !s.minimised) return 0;
  const int was = s.fullscreen;
  if (s.fullscreen || s.minimised) {
    vx_dsp_set_fullscreen(0);
    if (!s.minimised) vx_dsp_menu_attach();
    if (!vx_dsp_mode_switch(s.windowed)) vx_dsp_set_fullscreen(was);
    if (s.running && s.mode_set_done && s.depth_is_preferred && !vx_dsp_uses_3d()) vx_dsp_screen_clear();
    vx_dsp_present();
  } else {
    vx_dsp_set_fullscreen(1);
    if (!vx_dsp_mode_switch(s.fullscreen_index)) vx_dsp_set_fullscreen(was);
  }
  vx_dsp_post_click();
  return !s.fullscreen;
}

int vx_dsp_command(uint32_t id) {
  VX_DSP_STATE& s = vx_dsp_st;
  if (!s.app || !s.window) return 0;
  switch (id) {
    case VX_CMD_EXIT: plat_post_message(s.window, PLAT_WM_CLOSE, 0, 0); return 1;
    case VX_CMD_BACK_TO_GAME: break;
    case VX_CMD_LOWRES: size_command(VX_SIZE_LOWRES); break;
    case VX_CMD_HIGHRES: size_command(VX_SIZE_HIGHRES); break;
    case VX_CMD_TOGGLE: vx_dsp_post_alt_enter(); break;
    case VX_CMD_256_COLOURS: colours_command(); break;
    case VX_CMD_DEFAULT_SIZE: default_size_command(); break;
    default:
      if (id >= VX_CMD_SIZE_FIRST && id < VX_CMD_SIZE_FIRST + 100)
        table_size_command(static_cast<int>(id - VX_CMD_SIZE_FIRST));
      else if (id >= VX_CMD_MODE_FIRST && id < VX_CMD_LANGUAGE_FIRST)
        vx_dsp_mode_switch(static_cast<int>(id - VX_CMD_MODE_FIRST));
      else if (id >= VX_CMD_LANGUAGE_FIRST && id < VX_CMD_LANGUAGE_FIRST + 700)
        language_command(static_cast<int>(id - VX_CMD_LANGUAGE_FIRST));
      else
        return 0;
      break;
  }
  // Every display command ends with the click that resumes play.
  vx_dsp_post_click();
  return 1;
}
