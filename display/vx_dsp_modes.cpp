// The video-mode list: reading the platform's modes, lookup, and setting a mode through the 3D back end or the platform, with the layout that follows.
#include <cstring>

#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "display/vx_blit.h"
#include "display/vx_dsp_internal.h"
#include "display/vx_dsp_menu.h"
#include "display/vx_screen.h"
#include "platform/plat_display.h"

namespace {

constexpr int kGrowBy = 100;

int same_mode(const VX_VIDEO_MODE& m, int w, int h, int depth) {
  return static_cast<int>(m.width) == w && static_cast<int>(m.height) == h && m.depth == depth;
}

void report(uint32_t* out, uint32_t value) {
  if (out) *out = value;
}

}  // namespace

// ---------------------------------------------------------------- the list

int vx_dsp_modes_alloc(int capacity) {
  VX_DSP_STATE& s = vx_dsp_st;
  vx_dsp_modes_free();
  if (capacity < 1) capacity = kGrowBy;
  s.modes = static_cast<VX_VIDEO_MODE*>(vx_mem_calloc(static_cast<size_t>(capacity), sizeof(VX_VIDEO_MODE)));
  if (!s.modes) return 0;
  vx_mem_name(s.modes, "VX_DSP list of video modes");
  s.capacity = capacity;
  return 1;
}

void vx_dsp_modes_free() {
  VX_DSP_STATE& s = vx_dsp_st;
  if (s.modes) vx_mem_free(s.modes);
  s.modes = nullptr;
  s.capacity = 0;
  s.count = 0;
  s.current = s.desktop = s.windowed = s.fullscreen_index = VX_MODE_NONE;
}

int vx_dsp_modes_add(const VX_VIDEO_MODE* mode) {
  VX_DSP_STATE& s = vx_dsp_st;
  if (!mode) return 0;
  if (!s.modes && !vx_dsp_modes_alloc(kGrowBy)) return 0;
  // Indices are 16-bit and 0xFFFF means none.
  if (s.count >= VX_MODE_NONE - 1) return 0;
  if (s.count >= s.capacity) {
    size_t bytes = static_cast<size_t>(s.capacity + kGrowBy) * sizeof(VX_VIDEO_MODE);
    auto* grown = static_cast<VX_VIDEO_MODE*>(vx_mem_realloc(s.modes, bytes));
    if (!grown) {
      vx_dsp_error_box("Can't allocate memory for list of video modes", nullptr, PLAT_MB_OK);
      return 0;
    }
    std::memset(grown + s.capacity, 0, static_cast<size_t>(kGrowBy) * sizeof(VX_VIDEO_MODE));
    s.modes = grown;
    s.capacity += kGrowBy;
  }
  s.modes[s.count++] = *mode;
  return 1;
}

int vx_dsp_modes_enumerate() {
  VX_DSP_STATE& s = vx_dsp_st;
  // The platform's list stands for both of the system's enumerations;
  // their failure texts name the step that failed.
  int n = plat_display_mode_count();
  if (n < 0) {
    vx_dsp_error_box("DirectDraw Init FAILED 03B", nullptr, PLAT_MB_OK);
    return 0;
  }
  PLAT_DISPLAY_MODE desk;
  if (!plat_display_desktop(&desk) || desk.width <= 0 || desk.height <= 0) {
    vx_dsp_error_box("DirectDraw Init FAILED 03C", nullptr, PLAT_MB_OK);
    return 0;
  }
  if (!s.modes && !vx_dsp_modes_alloc(kGrowBy)) return 0;
  s.count = 0;
  for (int i = 0; i < n; i++) {
    PLAT_DISPLAY_MODE pm;
    // Some drivers list sizes they do not know as 0 x 0: no mode to set.
    if (!plat_display_mode(i, &pm) || pm.width <= 0 || pm.height <= 0) continue;
    VX_VIDEO_MODE m = {};
    m.width = static_cast<uint32_t>(pm.width);
    m.height = static_cast<uint32_t>(pm.height);
    m.depth = static_cast<int16_t>(pm.depth);
    m.refresh = static_cast<uint32_t>(pm.refresh);
    if (!vx_dsp_modes_add(&m)) break;
  }
  s.current = s.desktop = VX_MODE_NONE;
  for (int i = 0; i < s.count && s.desktop == VX_MODE_NONE; i++)
    if (same_mode(s.modes[i], desk.width, desk.height, desk.depth) &&
        s.modes[i].refresh == static_cast<uint32_t>(desk.refresh))
      s.desktop = static_cast<uint16_t>(i);
  // A desktop the list leaves out is a mode all the same.
  if (s.desktop == VX_MODE_NONE) {
    VX_VIDEO_MODE m = {};
    m.width = static_cast<uint32_t>(desk.width);
    m.height = static_cast<uint32_t>(desk.height);
    m.depth = static_cast<int16_t>(desk.depth);
    m.refresh = static_cast<uint32_t>(desk.refresh);
    if (vx_dsp_modes_add(&m)) s.desktop = static_cast<uint16_t>(s.count - 1);
  }
  for (int i = 0; s.req_width > 0 && i < s.count && s.current == VX_MODE_NONE; i++)
    if (same_mode(s.modes[i], s.req_width, s.req_height, s.req_depth) &&
        s.modes[i].refresh == static_cast<uint32_t>(desk.refresh))
      s.current = static_cast<uint16_t>(i);
  if (s.current == VX_MODE_NONE) s.current = s.desktop;
  s.windowed = s.desktop;
  s.fullscreen_index = s.current;
  return s.current != VX_MODE_NONE && s.desktop != VX_MODE_NONE;
}

int vx_dsp_mode_find(int width, int height, int depth) {
  const VX_DSP_STATE& s = vx_dsp_st;
  for (int i = 0; i < s.count; i++)
    if (same_mode(s.modes[i], width, height, depth) && !(s.modes[i].flags & VX_MODE_VGA)) return i;
  for (int i = 0; i < s.count; i++) {
    const VX_VIDEO_MODE& m = s.modes[i];
    if (static_cast<int>(m.width) == width && static_cast<int>(m.height) == height && m.depth >= depth &&
        !(m.flags & VX_MODE_VGA))
      return i;
  }
  return -1;
}

int vx_dsp_mode_count() { return vx_dsp_st.count; }

const VX_VIDEO_MODE* vx_dsp_mode(int index) {
  const VX_DSP_STATE& s = vx_dsp_st;
  return index >= 0 && index < s.count ? &s.modes[index] : nullptr;
}

int vx_dsp_mode_current() { return vx_dsp_st.current; }
int vx_dsp_mode_desktop() { return vx_dsp_st.desktop; }
int vx_dsp_mode_windowed() { return vx_dsp_st.windowed; }
int vx_dsp_mode_fullscreen() { return vx_dsp_st.fullscreen_index; }

const VX_WINDOW_SIZE* vx_dsp_table_size(int16_t role) {
  const VX_APP* app = vx_dsp_st.app;
  for (int i = 0; app && app->window_sizes && app->window_sizes[i].width; i++)
    if (app->window_sizes[i].role & role) return &app->window_sizes[i];
  return nullptr;
}

// ---------------------------------------------------------------- setting a mode

// The 3D back end: started with the first mode it sets, then told each mode.
static int set_through_table(const VX_VIDEO_MODE& m) {
  VX_DSP_STATE& s = vx_dsp_st;
  const VX_DSP_3D_INTERFACE* t = vx_dsp_3d_interface();
  if (!s.active_3d) {
    const VX_BITMAP* screen = vx_screen();
    VX_RECT r = {screen->x, screen->y, screen->width, screen->height};
    s.renderer = nullptr;
    s.vendor = nullptr;
    // The result only says whether the renderer is accelerated (bit 3): a
    // software renderer answers 0 and still works.
    int result = t->vx_dsp_3d_init(s.window, &r, &s.renderer, &s.vendor);
    s.active_3d = 1;
    s.hw_3d = (result & 8) != 0;
    vx_screen_3d_active_set(1);
    vx_screen_copy_set(vx_bit_copy_3d, vx_bit_copy_transp_3d);
  }
  s.settle_from = plat_ticks();
  return t->vx_dsp_3d_video_mode_set(static_cast<int>(m.width), static_cast<int>(m.height), m.depth,
                                     static_cast<int>(m.refresh), s.fullscreen);
}

// Done first within the settle wait; it outlives the display's restarts.
static void (*settle_work)() = nullptr;

// Full screen: the virtual screen covers the FullPosition rectangle, which
// may not be wider or higher than the mode less its margins.
static void full_screen_layout(const VX_VIDEO_MODE& m) {
  VX_DSP_STATE& s = vx_dsp_st;
  const VX_APP* app = s.app;
  const int mw = static_cast<int>(m.width), mh = static_cast<int>(m.height);
  if (s.params.flags & VX_DSP_FIXED_SIZE) {
    s.full = {(mw - app->base_width) / 2, (mh - app->base_height) / 2, app->base_width, app->base_height};
  } else {
    if (s.full.width <= 0 || s.full.width > mw - app->margin_x) {
      s.full.x = app->margin_x / 2;
      s.full.width = mw - app->margin_x;
    }
    if (s.full.height <= 0 || s.full.height > mh - app->margin_y) {
      s.full.y = app->margin_y / 2;
      s.full.height = mh - app->margin_y;
    }
  }
  vx_screen_resize(s.full.width, s.full.height, mw, mh);
  const VX_BITMAP* screen = vx_screen();
  s.full.x = screen->x;
  s.full.y = screen->y;
  // The settling time counts from the mode set: what the mode set itself
  // waited for, and the work done here, are part of it.
  if (s.settle_ms > 0) {
    if (settle_work) settle_work();
    const uint32_t spent = plat_ticks() - s.settle_from;
    if (spent < static_cast<uint32_t>(s.settle_ms)) plat_sleep(static_cast<uint32_t>(s.settle_ms) - spent);
  }
}

void vx_dsp_settle_work_set(void (*work)()) { settle_work = work; }

int vx_dsp_video_mode_set() {
  VX_DSP_STATE& s = vx_dsp_st;
  VX_APP* app = s.app;
  const VX_VIDEO_MODE* mode = vx_dsp_mode(s.current);
  if (!app || !mode || !s.window) return 0;
  const VX_VIDEO_MODE m = *mode;
  report(app->ready_out, 0);
  if (vx_dsp_table_3d()) {
    if (!set_through_table(m)) return 0;
  } else {
    // No back end renders: the platform sets the mode in the placement
    // below, and the copies stay in software.
    vx_screen_copy_set(nullptr, nullptr);
    s.settle_from = plat_ticks();
  }
  s.depth_is_preferred = m.depth == vx_dsp_preferred_depth();
  if (s.client_w <= 0 || s.client_h <= 0) {
    s.client_w = app->base_width;
    s.client_h = app->base_height;
  }
  if (!vx_dsp_window_place(s.win_x, s.win_y, s.client_w, s.client_h, nullptr)) return 0;
  vx_dsp_mode_menu_update();
  if (s.fullscreen) full_screen_layout(m);

  if (VX_VIDEO_MODE* out = s.params.mode_out) {
    *out = m;
    if (s.hw_3d) out->flags |= VX_MODE_3D_HW;
    if (s.active_3d) {
      VX_DSP_CARD card = {0, 0, 0};
      vx_dsp_card_identify(s.renderer, &card);
      out->card_id = card.id;
      out->card_memory = card.memory;
      out->card_depth = card.depth;
    }
  }
  s.mode_set_done = 1;
  vx_screen_mode_set_flag(1);
  // The first mode set lays the virtual screen out before a mode counts as
  // set, so its resizes never reached the back end, which would keep
  // drawing into the start rectangle (640 x 480 in the bottom-left corner
  // of a larger mode): its projection follows the screen as laid out now.
  if (s.active_3d && vx_dsp_3d_installed()) {
    const VX_BITMAP* screen = vx_screen();
    const VX_RECT r = {screen->x, screen->y, screen->width, screen->height};
    vx_dsp_3d_interface()->vx_dsp_3d_resize(&r);
  }
  if (s.params.screen_out) *s.params.screen_out = *vx_screen();
  report(app->fullscreen_out, static_cast<uint32_t>(s.fullscreen));
  report(app->ready_out, 1);
  const VX_WINDOW_SIZE* lo = vx_dsp_table_size(VX_SIZE_LOWRES);
  const VX_WINDOW_SIZE* hi = vx_dsp_table_size(VX_SIZE_HIGHRES);
  report(app->lowres_out, lo && static_cast<int>(m.width) == lo->width && static_cast<int>(m.height) == lo->height);
  report(app->highres_out, hi && static_cast<int>(m.width) == hi->width && static_cast<int>(m.height) == hi->height);
  return 1;
}
