// The display layer's window procedure: activation, minimise and restore, move and size, the display keys, menus and commands, closing.
#include "display/vx_bit_save.h"
#include "display/vx_dsp_internal.h"
#include "display/vx_dsp_menu.h"
#include "display/vx_screen.h"
#include "platform/plat_display.h"

namespace {

constexpr int kScreenStep = 12;  // pixels the keys '1' to '4' take off or add

uint32_t flags() { return vx_dsp_st.have_params ? vx_dsp_st.params.flags : 0; }

// The 2D display keeps to "full screen only": the toggle never leads away from it.
int fullscreen_only_2d() { return !vx_dsp_uses_3d() && (flags() & VX_DSP_FULLSCREEN_ONLY); }

intptr_t on_paint() {
  const VX_DSP_STATE& s = vx_dsp_st;
  if (!s.running) return 0;
  if (!s.fullscreen && s.mode_set_done && s.splash) vx_dsp_present();
  return 1;
}

void on_move_size(uint32_t message, uintptr_t wparam) {
  if (message == PLAT_WM_SIZE && wparam == PLAT_SIZE_MINIMIZED) return;
  // A window the window manager maximised (or tiled) keeps the size it was
  // given: the picture fits inside it, between bars where the aspect differs.
  if (message == PLAT_WM_SIZE && wparam == PLAT_SIZE_MAXIMIZED) {
    if (vx_dsp_st.mode_set_done) vx_dsp_window_fit_picture();
    return;
  }
  // Windows reports a drag inside a move/size loop that pauses play; this
  // platform reports only its result, so every report is fitted.
  if (vx_dsp_st.mode_set_done) vx_dsp_window_fit();
}

void on_activate(uintptr_t wparam) {
  VX_DSP_STATE& s = vx_dsp_st;
  const int active = plat_loword(wparam) != PLAT_WA_INACTIVE;
  if (!active && !s.minimised && s.fullscreen) {
    // Full screen gives way when another window takes the focus.
    if (s.window) plat_post_message(s.window, PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE, 0);
    return;
  }
  if (active && s.minimised) {
    if (s.window) plat_post_message(s.window, PLAT_WM_SYSCOMMAND, PLAT_SC_RESTORE, 0);
    return;
  }
  vx_dsp_set_running(active);
  if (active && s.mode_set_done) {
    if (s.fullscreen && vx_dsp_uses_3d()) {
      vx_dsp_window_style_popup();
      vx_dsp_menu_detach();
    }
    vx_dsp_screen_clear();
  }
}

void on_display_change(uintptr_t wparam, intptr_t lparam) {
  VX_DSP_STATE& s = vx_dsp_st;
  if (!s.mode_set_done) return;
  if (fullscreen_only_2d()) {
    if (s.window) plat_post_message(s.window, PLAT_WM_SYSCOMMAND, PLAT_SC_MINIMIZE, 0);
    return;
  }
  const int w = static_cast<int>(plat_loword(static_cast<uintptr_t>(lparam)));
  const int h = static_cast<int>(plat_hiword(static_cast<uintptr_t>(lparam)));
  const int depth = static_cast<int>(wparam);
  const VX_VIDEO_MODE* cur = vx_dsp_mode(s.current);
  if (cur && static_cast<int>(cur->width) == w && static_cast<int>(cur->height) == h && cur->depth == depth) return;
  for (int i = 0; i < s.count; i++) {
    const VX_VIDEO_MODE& m = s.modes[i];
    if (static_cast<int>(m.width) == w && static_cast<int>(m.height) == h && m.depth == depth) {
      vx_dsp_mode_switch(i);
      return;
    }
  }
}

// '1' to '4' in full screen: the virtual screen loses or gains 12 pixels of
// width ('1', '2') or height ('3', '4'), centred in the mode.
int on_screen_key(uint32_t vk) {
  VX_DSP_STATE& s = vx_dsp_st;
  const VX_VIDEO_MODE* m = vx_dsp_mode(s.current);
  if (!s.fullscreen || !s.mode_set_done || !m) return 0;
  const VX_BITMAP* screen = vx_screen();
  int w = screen->width, h = screen->height;
  switch (vk) {
    case '1': w -= kScreenStep; break;
    case '2': w += kScreenStep; break;
    case '3': h -= kScreenStep; break;
    default: h += kScreenStep; break;
  }
  const int mw = static_cast<int>(m->width), mh = static_cast<int>(m->height);
  if (w < kScreenStep || h < kScreenStep || w > mw || h > mh) return 1;
  vx_screen_resize(w, h, mw, mh);
  s.full = {screen->x, screen->y, screen->width, screen->height};
  return 1;
}

int on_key(uint32_t vk) {
  VX_DSP_STATE& s = vx_dsp_st;
  switch (vk) {
    case '1':
    case '2':
    case '3':
    case '4': return on_screen_key(vk);
    case PLAT_VK_F4:
      vx_dsp_post_alt_enter();
      vx_dsp_post_click();
      return 1;
    case PLAT_VK_F9:
      vx_bit_snapshot(vx_screen(), vx_dsp_table_3d() || vx_dsp_preferred_depth() > 8, s.vendor, s.renderer);
      return 1;
    default: return 0;
  }
}

int on_syskey(uint32_t vk) {
  VX_DSP_STATE& s = vx_dsp_st;
  if (vk == PLAT_VK_TAB) {
    // Alt+Tab in full screen: minimised, and back in a window until restored.
    if (!s.fullscreen || s.minimised || !s.window) return 0;
    if (s.remembered_fullscreen < 0) s.remembered_fullscreen = s.fullscreen;
    s.minimised = 1;
    vx_dsp_set_running(0);
    plat_window_show(s.window, 2);
    vx_dsp_fullscreen_toggle();
    return 1;
  }
  if (vk == PLAT_VK_RETURN) {
    if (!s.have_params) return 1;
    if (!s.minimised && fullscreen_only_2d()) return 1;
    if (!s.minimised && !vx_dsp_uses_3d() && (flags() & VX_DSP_WINDOW_ONLY)) return 1;
    vx_dsp_fullscreen_toggle();
    return 1;
  }
  return 0;
}

intptr_t on_syscommand(PLAT_WINDOW* window, uintptr_t wparam, intptr_t lparam) {
  VX_DSP_STATE& s = vx_dsp_st;
  switch (wparam & 0xFFF0) {
    case PLAT_SC_SCREENSAVE:
    case PLAT_SC_MONITORPOWER: return 0;  // not while the program has the focus
    case PLAT_SC_MINIMIZE:
      vx_dsp_set_running(0);
      if (s.remembered_fullscreen < 0) s.remembered_fullscreen = s.fullscreen;
      vx_dsp_set_fullscreen(0);
      s.minimised = 1;
      vx_dsp_window_style_caption();
      return plat_def_window_proc(window, PLAT_WM_SYSCOMMAND, wparam, lparam);
    case PLAT_SC_MAXIMIZE:
      vx_dsp_command(VX_CMD_LOWRES);
      return 0;
    case PLAT_SC_RESTORE: {
      plat_def_window_proc(window, PLAT_WM_SYSCOMMAND, wparam, lparam);
      vx_dsp_set_running(1);
      s.minimised = 0;
      const int back = s.remembered_fullscreen >= 0 && s.remembered_fullscreen != s.fullscreen;
      if (back || (fullscreen_only_2d() && !s.fullscreen)) vx_dsp_fullscreen_toggle();
      s.remembered_fullscreen = -1;
      vx_dsp_screen_clear();
      return 0;
    }
    case PLAT_SC_CLOSE:
    case PLAT_SC_KEYMENU: break;
    default:
      if (vx_dsp_3d_owns_screen() || (flags() & VX_DSP_FULLSCREEN_ONLY)) return 1;
      break;
  }
  return plat_def_window_proc(window, PLAT_WM_SYSCOMMAND, wparam, lparam);
}

void on_click() {
  VX_DSP_STATE& s = vx_dsp_st;
  if (!s.minimised) {
    vx_dsp_set_running(1);
    s.minimised = 0;
  }
  if (fullscreen_only_2d() && !s.fullscreen && s.mode_set_done) vx_dsp_fullscreen_toggle();
  if (s.fullscreen && vx_dsp_uses_3d()) {
    vx_dsp_window_style_popup();
    vx_dsp_menu_detach();
  }
  vx_dsp_screen_clear();
}

void on_enter_loop(uint32_t message) {
  VX_DSP_STATE& s = vx_dsp_st;
  if (!s.window) return;
  if (vx_dsp_3d_owns_screen()) {
    // Menus and move/size loops are refused while the 3D back end holds the screen.
    plat_post_message(s.window, PLAT_WM_EXITMENULOOP, 0, 0);
    plat_display_cursor(0);
    vx_dsp_post_click();
    return;
  }
  vx_dsp_set_running(0);
  if (!s.fullscreen) return;
  const VX_VIDEO_MODE* m = vx_dsp_mode(s.current);
  if (m && m->width >= 640 && m->height >= 480) {
    vx_dsp_window_style_caption();
    vx_dsp_menu_attach();
    return;
  }
  // Too small a mode for a menu: first to the desktop's size, then again.
  const VX_VIDEO_MODE* desk = vx_dsp_mode(s.desktop);
  int idx = desk && m ? vx_dsp_mode_find(static_cast<int>(desk->width), static_cast<int>(desk->height), m->depth) : -1;
  vx_dsp_mode_switch(idx >= 0 ? idx : s.desktop);
  plat_post_message(s.window, message, 0, 0);
}

}  // namespace

intptr_t vx_dsp_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  // An open menu bar takes the keys and the mouse first.
  if (vx_dsp_st.window == window && vx_dsp_menu_bar_message(message, wparam, lparam)) return 0;
  switch (message) {
    case PLAT_WM_PAINT: return on_paint();
    case PLAT_WM_DESTROY: plat_post_quit_message(0); return 0;
    case PLAT_WM_MOVE:
    case PLAT_WM_SIZE: on_move_size(message, wparam); return 0;
    case PLAT_WM_ACTIVATE: on_activate(wparam); return 0;
    case PLAT_WM_DISPLAYCHANGE: on_display_change(wparam, lparam); return 0;
    case PLAT_WM_NCPAINT:
    case PLAT_WM_NCACTIVATE:
      if (vx_dsp_st.running && vx_dsp_st.mode_set_done && (vx_dsp_st.fullscreen || vx_dsp_st.splash)) return 0;
      break;
    case PLAT_WM_KEYDOWN:
      if (on_key(static_cast<uint32_t>(wparam))) return 0;
      break;
    case PLAT_WM_SYSKEYDOWN:
      if (on_syskey(static_cast<uint32_t>(wparam))) return 0;
      break;
    case PLAT_WM_COMMAND:
      if (vx_dsp_command(plat_loword(wparam))) return 0;
      break;
    case PLAT_WM_SYSCOMMAND: return on_syscommand(window, wparam, lparam);
    case PLAT_WM_LBUTTONDOWN: on_click(); return 0;
    case PLAT_WM_ENTERMENULOOP:
    case PLAT_WM_ENTERSIZEMOVE: on_enter_loop(message); return 0;
    case PLAT_WM_EXITMENULOOP:
      vx_dsp_menu_bar_close();
      return 0;
    case PLAT_WM_QUERYNEWPALETTE:
    case PLAT_WM_PALETTECHANGED:
      // The surfaces of this platform are true-colour: there is no palette to realise.
      return 0;
    default: break;
  }
  return plat_def_window_proc(window, message, wparam, lparam);
}
