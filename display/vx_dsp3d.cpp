// The 3D interface table with its defaults, and the card classification by renderer name.
#include "display/vx_dsp3d.h"

#include <array>
#include <cctype>
#include <cstring>

#include "core/vx_mem.h"
#include "display/vx_app.h"

namespace {

// ---------------------------------------------------------------- defaults
// Each default says which entry was reached before a back end installed its
// table, and fails.
int say(const char* text) {
  vx_dsp_error_box(text, nullptr, PLAT_MB_OK);
  return 0;
}

int init_default(PLAT_WINDOW*, const VX_RECT*, const char**, const char**) {
  return say("vx_dsp_3d_init_default called before calling vx_dsp_3d_interface_set ()");
}
int deinit_default() {
  return say("vx_dsp_3d_deinit_default called before calling vx_dsp_3d_interface_set ()");
}
int video_mode_set_default(int, int, int, int, int) {
  return say("vx_dsp_3d_video_mode_set_default called before calling vx_dsp_3d_interface_set ()");
}
int resize_default(const VX_RECT*) {
  return say("vx_dsp_3d_resize_default called before calling vx_dsp_3d_interface_set ()");
}
int flush_default() {
  return say("vx_dsp_3d_flush_default called before calling vx_dsp_3d_interface_set ()");
}
int put_default(VX_BITMAP*, const VX_RECT*, const VX_RECT*, uint32_t) {
  return say("vx_bit_3d_put called before calling vx_dsp_3d_interface_set ()");
}
int save_default(VX_BITMAP*, const char*, const VX_RECT*, uint32_t) {
  return say("vx_bit_3d_save called before calling vx_dsp_3d_interface_set ()");
}
int free_default(VX_BITMAP*) {
  return say("vx_bit_3d_free_default called before calling vx_dsp_3d_interface_set ()");
}
int screen_clear_default() {
  return say("vx_dsp_3d_screen_clear_default called before calling vx_dsp_3d_interface_set ()");
}
int display_update_default() {
  return say("vx_dsp_3d_display_update_default called before calling vx_dsp_3d_interface_set ()");
}
int draw_pixel_default(VX_BITMAP*, int, int, uint32_t) {
  return say("vx_bit_3d_draw_pixel_default called before calling vx_dsp_3d_interface_set ()");
}
int draw_line_default(VX_BITMAP*, int, int, int, int, uint32_t) {
  return say("vx_bit_3d__draw_line_default called before calling vx_dsp_3d_interface_set ()");
}
int draw_rectangle_default(VX_BITMAP*, const VX_RECT*, uint32_t) {
  return say("vx_bit_3d__draw_rectangle_default called before calling vx_dsp_3d_interface_set ()");
}
int draw_circle_default(VX_BITMAP*, int, int, int, uint32_t) {
  return say("vx_bit_3d__draw_circle_default called before calling vx_dsp_3d_interface_set ()");
}
uint32_t get_pixel_default(VX_BITMAP*, int, int) {
  return static_cast<uint32_t>(
      say("vx_bit_3d_get_pixel_default called before calling vx_dsp_3d_interface_set ()"));
}

// The table of defaults, in the order of the record.
constexpr VX_DSP_3D_INTERFACE kDefaults = {
    init_default,
    deinit_default,
    video_mode_set_default,
    resize_default,
    flush_default,
    put_default,
    save_default,
    free_default,
    screen_clear_default,
    display_update_default,
    draw_pixel_default,
    draw_line_default,
    draw_rectangle_default,
    draw_circle_default,
    get_pixel_default,
};

struct Dsp3dState {
  VX_DSP_3D_INTERFACE table;  // always complete: every entry callable
  int installed;              // a back end's table is in place
};
Dsp3dState st = {kDefaults, 0};

template <typename F>
F pick(F given, F fallback) {
  return given ? given : fallback;
}

// ---------------------------------------------------------------- cards
struct CardKey {
  const char* key;
  VX_DSP_CARD card;
};
// Searched in this order; "TNT" must come before "NVIDIA".
constexpr std::array<CardKey, 9> kCards = {{
    {"VOODOO2", {3, 4, 16}},
    {"VOODOO3", {4, 8, 16}},
    {"VOODOO4", {5, 16, 16}},
    {"VOODOO5", {6, 16, 32}},
    {"BANSHEE", {1, 8, 16}},
    {"TNT", {32, 16, 32}},
    {"GEFORCE 256", {33, 16, 32}},
    {"NVIDIA", {32, 16, 32}},
    {"RAGE 128", {61, 16, 32}},
}};

}  // namespace

void vx_dsp_3d_interface_set(const VX_DSP_3D_INTERFACE* table) {
  VX_DSP_3D_INTERFACE given = {};
  if (table) given = *table;
  VX_DSP_3D_INTERFACE t = {};
  t.vx_dsp_3d_init = pick(given.vx_dsp_3d_init, kDefaults.vx_dsp_3d_init);
  t.vx_dsp_3d_deinit = pick(given.vx_dsp_3d_deinit, kDefaults.vx_dsp_3d_deinit);
  t.vx_dsp_3d_video_mode_set = pick(given.vx_dsp_3d_video_mode_set, kDefaults.vx_dsp_3d_video_mode_set);
  t.vx_dsp_3d_resize = pick(given.vx_dsp_3d_resize, kDefaults.vx_dsp_3d_resize);
  t.vx_dsp_3d_flush = pick(given.vx_dsp_3d_flush, kDefaults.vx_dsp_3d_flush);
  t.vx_bit_3d_put = pick(given.vx_bit_3d_put, kDefaults.vx_bit_3d_put);
  t.vx_bit_3d_save = pick(given.vx_bit_3d_save, kDefaults.vx_bit_3d_save);
  t.vx_bit_3d_free = pick(given.vx_bit_3d_free, kDefaults.vx_bit_3d_free);
  t.vx_dsp_3d_screen_clear = pick(given.vx_dsp_3d_screen_clear, kDefaults.vx_dsp_3d_screen_clear);
  t.vx_dsp_3d_display_update = pick(given.vx_dsp_3d_display_update, kDefaults.vx_dsp_3d_display_update);
  t.vx_bit_3d_draw_pixel = pick(given.vx_bit_3d_draw_pixel, kDefaults.vx_bit_3d_draw_pixel);
  t.vx_bit_3d__draw_line = pick(given.vx_bit_3d__draw_line, kDefaults.vx_bit_3d__draw_line);
  t.vx_bit_3d__draw_rectangle = pick(given.vx_bit_3d__draw_rectangle, kDefaults.vx_bit_3d__draw_rectangle);
  t.vx_bit_3d__draw_circle = pick(given.vx_bit_3d__draw_circle, kDefaults.vx_bit_3d__draw_circle);
  t.vx_bit_3d_get_pixel = pick(given.vx_bit_3d_get_pixel, kDefaults.vx_bit_3d_get_pixel);
  st.table = t;
  st.installed = table != nullptr;
}

const VX_DSP_3D_INTERFACE* vx_dsp_3d_interface() { return &st.table; }

int vx_dsp_3d_installed() { return st.installed; }

int vx_dsp_card_identify(const char* renderer, VX_DSP_CARD* out) {
  if (out) *out = {};
  if (!renderer || !out) return 0;
  // The software renderer is never classified.
  if (std::strstr(renderer, "Generic")) return 0;
  size_t n = std::strlen(renderer);
  char* upper = static_cast<char*>(vx_mem_alloc_named(n + 1, "VX_DSP 3D card identification"));
  if (!upper) return 0;
  for (size_t i = 0; i <= n; i++) upper[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(renderer[i])));
  int hit = 0;
  for (const CardKey& k : kCards) {
    if (std::strstr(upper, k.key)) {
      *out = k.card;
      hit = 1;
      break;
    }
  }
  vx_mem_free(upper);
  return hit;
}
