// The splash screen: the section of the texts file, the picture widened to a multiple of 4, its borderless window, painting and removal.
#include "display/vx_dsp_splash.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "core/vx_mem.h"
#include "display/vx_blit.h"
#include "display/vx_dsp_internal.h"
#include "display/vx_pal.h"
#include "display/vx_screen.h"
#include "platform/plat_display.h"
#include "platform/plat_picture.h"

namespace {

constexpr const char* kClassName = "Splash Screen";
constexpr int kLoadFlags = 1;  // palette pictures keep their palette

// The splash. `frame` is what the window shows: the picture as red, green,
// blue, alpha bytes with the text drawn over it.
struct SPLASH_STATE {
  VX_DSP_PICTURE_LOADER loader;  // survives the splash
  VX_APP* app;
  VX_BITMAP bitmap;  // width a multiple of 4
  uint8_t* frame;
  PLAT_WINDOW* window;
  int x, y;  // the window's recorded position, screen pixels
  char* text;  // owned copy, null for none
  int text_x, text_y;
  uint8_t red, green, blue;
};
SPLASH_STATE st = {};

int known_depth(int bpp) { return bpp == 4 || bpp == 8 || bpp == 15 || bpp == 16 || bpp == 24 || bpp == 32; }

// Pixel (x, y) of `b` as red, green, blue. Palette pictures without a
// palette read their indexes as grey levels; 16-bit words follow the
// screen's packing.
void pixel_rgb(const VX_BITMAP& b, int x, int y, uint8_t* out) {
  const uint8_t* row = b.pixels + vx_bit_row_bytes(b.width, b.bpp) * y;
  int index = -1;
  switch (b.bpp) {
    case 4:
      index = (x & 1) ? (row[x / 2] & 0x0F) : (row[x / 2] >> 4);
      if (!b.palette) index *= 17;
      break;
    case 8: index = row[x]; break;
    case 15:
    case 16: {
      uint16_t word;
      std::memcpy(&word, row + x * 2, 2);
      const VX_SCREEN_PACKING* p = vx_screen_packing();
      for (int c = 0; c < 3; c++) {
        const uint32_t v = word & p->mask[c];
        out[c] = static_cast<uint8_t>(p->shift[c] >= 0 ? v >> p->shift[c] : v << -p->shift[c]);
      }
      return;
    }
    default: {  // 24 and 32 bits: red, green, blue first
      const uint8_t* p = row + x * (b.bpp / 8);
      out[0] = p[0];
      out[1] = p[1];
      out[2] = p[2];
      return;
    }
  }
  if (b.palette) {
    vx_pal_colour(b.palette, index, &out[0], &out[1], &out[2]);
  } else {
    out[0] = out[1] = out[2] = static_cast<uint8_t>(index);
  }
}

// Copies the picture into one whose width is a multiple of 4; the new
// columns are zero. 1, or 0 (the picture unchanged) when the width does not
// fit the record or memory runs out.
int widen(VX_BITMAP* b) {
  const int width = vx_dsp_splash_width(b->width);
  if (width == b->width) return 1;
  if (width > INT16_MAX) return 0;
  VX_BITMAP wide;
  const VX_RECT rect = {0, 0, static_cast<int16_t>(width), b->height};
  if (!vx_bit_alloc(&wide, &rect, b->bpp)) return 0;
  const long from = vx_bit_row_bytes(b->width, b->bpp);
  const long to = vx_bit_row_bytes(width, b->bpp);
  for (int y = 0; y < b->height; y++) {
    uint8_t* dest = wide.pixels + to * y;
    std::memcpy(dest, b->pixels + from * y, static_cast<size_t>(from));
    // An odd 4-bit row ends in half a byte: its low nibble is a new column.
    if (b->bpp == 4 && (b->width & 1)) dest[from - 1] &= 0xF0;
  }
  wide.x = b->x;
  wide.y = b->y;
  wide.flags = b->flags;
  wide.key = b->key;
  wide.palette = vx_pal_ref(b->palette);
  vx_bit_free(b);
  *b = wide;
  return 1;
}

// The window's picture: the bitmap as red, green, blue, alpha, then the text.
uint8_t* make_frame(const VX_BITMAP& b) {
  const size_t bytes = static_cast<size_t>(b.width) * static_cast<size_t>(b.height) * 4;
  auto* frame = static_cast<uint8_t*>(vx_mem_alloc_named(bytes, "VX_DSP splash picture"));
  if (!frame) return nullptr;
  uint8_t* p = frame;
  for (int y = 0; y < b.height; y++)
    for (int x = 0; x < b.width; x++, p += 4) {
      pixel_rgb(b, x, y, p);
      p[3] = 255;
    }
  return frame;
}

char* copy_text(const char* text) {
  const size_t n = std::strlen(text) + 1;
  auto* copy = static_cast<char*>(vx_mem_alloc_named(n, "VX_DSP splash text"));
  if (copy) std::memcpy(copy, text, n);
  return copy;
}

// The area the splash centres in: the current mode once one is set, else the desktop. 0 when unknown.
int centre_area(int* width, int* height) {
  if (vx_dsp_mode_is_set()) {
    if (const VX_VIDEO_MODE* m = vx_dsp_mode(vx_dsp_mode_current())) {
      *width = static_cast<int>(m->width);
      *height = static_cast<int>(m->height);
      return 1;
    }
  }
  PLAT_DISPLAY_MODE desktop;
  if (!plat_display_desktop(&desktop)) return 0;
  *width = desktop.width;
  *height = desktop.height;
  return 1;
}

void keep_centred() {
  int aw, ah, cx, cy;
  if (!centre_area(&aw, &ah)) return;
  vx_dsp_splash_centre(aw, ah, st.bitmap.width, st.bitmap.height, &cx, &cy);
  if (!vx_dsp_splash_must_move(st.x, st.y, cx, cy)) return;
  plat_window_move(st.window, cx, cy, st.bitmap.width, st.bitmap.height);
  st.x = cx;
  st.y = cy;
}

// The software copy into a virtual screen of any depth: true-colour screens
// get the picture's colours, an 8-bit screen only a palette picture's indexes.
void copy_soft(VX_BITMAP* screen, int x0, int y0) {
  const VX_BITMAP& b = st.bitmap;
  if (!screen->pixels || (screen->bpp == 8 && b.bpp != 8)) return;
  const int bytes = screen->bpp == 15 ? 2 : screen->bpp / 8;
  if (bytes < 1 || bytes > 4) return;
  const long row = vx_bit_row_bytes(screen->width, screen->bpp);
  for (int y = 0; y < b.height; y++) {
    const int sy = y0 + y;
    if (sy < 0 || sy >= screen->height) continue;
    for (int x = 0; x < b.width; x++) {
      const int sx = x0 + x;
      if (sx < 0 || sx >= screen->width) continue;
      uint8_t* d = screen->pixels + row * sy + static_cast<long>(sx) * bytes;
      if (bytes == 1) {
        *d = b.pixels[vx_bit_row_bytes(b.width, 8) * y + x];
        continue;
      }
      uint8_t c[3];
      pixel_rgb(b, x, y, c);
      if (bytes == 2) {
        const uint16_t word = vx_pal_pack16(c[0], c[1], c[2]);
        std::memcpy(d, &word, 2);
      } else {
        d[0] = c[0];
        d[1] = c[1];
        d[2] = c[2];
        if (bytes == 4) d[3] = 255;
      }
    }
  }
}

// Full screen or the 3D back end: the picture centred in the virtual screen.
void paint_screen() {
  VX_BITMAP* screen = vx_screen();
  int x, y;
  vx_dsp_splash_centre(screen->width, screen->height, st.bitmap.width, st.bitmap.height, &x, &y);
  if (vx_screen_copy_get(0)) {
    // The installed copy (the 3D back end's put) takes any depth.
    const VX_RECT dest = {static_cast<int16_t>(x), static_cast<int16_t>(y), st.bitmap.width, st.bitmap.height};
    vx_bit_copy(screen, &st.bitmap, &dest, nullptr, 0);
  } else {
    copy_soft(screen, x, y);
  }
  vx_dsp_present();
}

// Takes the picture over and builds the window's frame: the picture, then the text over it. 1 or 0.
int build(VX_BITMAP* picture, const VX_DSP_SPLASH_KEYS& keys) {
  st.bitmap = *picture;
  *picture = VX_BITMAP{};
  st.frame = make_frame(st.bitmap);
  if (!st.frame) return 0;
  if (keys.text[0]) {
    st.text = copy_text(keys.text);
    if (!st.text) return 0;
    st.text_x = keys.x;
    st.text_y = keys.y;
    st.red = keys.red;
    st.green = keys.green;
    st.blue = keys.blue;
    plat_text_draw(st.frame, st.bitmap.width, st.bitmap.height, st.text_x, st.text_y, st.text, st.red, st.green,
                   st.blue);
  }
  return 1;
}

}  // namespace

void vx_dsp_splash_loader_set(VX_DSP_PICTURE_LOADER loader) { st.loader = loader; }

int vx_dsp_splash_keys_read(const char* texts_file, const char* section, VX_DSP_SPLASH_KEYS* out) {
  if (!out) return 0;
  *out = VX_DSP_SPLASH_KEYS{};
  if (!texts_file || !section || !vx_io_running()) return 0;
  vx_io_ini_get_string(section, "Bitmap", out->bitmap, VX_DSP_SPLASH_NAME, texts_file);
  vx_io_ini_get_string(section, "Text", out->text, VX_DSP_SPLASH_TEXT, texts_file);
  if (out->text[0]) {
    int v[5] = {0, 0, 0, 0, 0};
    vx_io_ini_get_int(section, "PosX", &v[0], texts_file);
    vx_io_ini_get_int(section, "PosY", &v[1], texts_file);
    vx_io_ini_get_int(section, "ColorR", &v[2], texts_file);
    vx_io_ini_get_int(section, "ColorG", &v[3], texts_file);
    vx_io_ini_get_int(section, "ColorB", &v[4], texts_file);
    out->x = v[0];
    out->y = v[1];
    // A colour value keeps its low byte, as a packed colour word takes it.
    out->red = static_cast<uint8_t>(v[2] & 0xFF);
    out->green = static_cast<uint8_t>(v[3] & 0xFF);
    out->blue = static_cast<uint8_t>(v[4] & 0xFF);
  }
  return out->bitmap[0] != 0;
}

int vx_dsp_splash_width(int width) {
  if (width < 1) return 0;
  return width > INT32_MAX - 3 ? width : (width + 3) & ~3;
}

void vx_dsp_splash_centre(int area_width, int area_height, int width, int height, int* x, int* y) {
  if (x) *x = (area_width - width) / 2;
  if (y) *y = (area_height - height) / 2;
}

int vx_dsp_splash_must_move(int x, int y, int cx, int cy) {
  return std::abs(cx - x) >= VX_DSP_SPLASH_DRIFT || std::abs(cy - y) >= VX_DSP_SPLASH_DRIFT;
}

int vx_dsp_splash_on(const char* texts_file, const char* section, VX_APP* app) {
  vx_dsp_splash_free();
  VX_DSP_SPLASH_KEYS keys;
  if (!vx_dsp_splash_keys_read(texts_file, section, &keys) || !st.loader) return 0;
  VX_BITMAP picture = {};
  if (!st.loader(&picture, keys.bitmap, kLoadFlags)) {
    vx_bit_free(&picture);
    return 0;
  }
  if (!picture.pixels || picture.width < 1 || picture.height < 1 || !known_depth(picture.bpp) || !widen(&picture)) {
    vx_bit_free(&picture);
    return 0;
  }
  st.app = app;
  if (!build(&picture, keys)) {
    vx_dsp_splash_free();
    return 0;
  }
  int aw = 0, ah = 0;
  st.x = st.y = PLAT_POS_CENTRED;
  if (centre_area(&aw, &ah)) vx_dsp_splash_centre(aw, ah, st.bitmap.width, st.bitmap.height, &st.x, &st.y);
  st.window = plat_window_create(kClassName, "", st.x, st.y, st.bitmap.width, st.bitmap.height,
                                 PLAT_WS_POPUP | PLAT_WS_HIDDEN | PLAT_WS_AUXILIARY, vx_dsp_splash_window_proc);
  if (!st.window) {
    vx_dsp_splash_free();
    return 0;
  }
  plat_window_rect(st.window, &st.x, &st.y, nullptr, nullptr);
  plat_display_topmost(st.window, 1);
  plat_window_show(st.window, 1);
  vx_dsp_splash_paint();
  vx_dsp_splash_window_set(st.window);
  plat_display_cursor(0);
  return 1;
}

void vx_dsp_splash_paint() {
  if (!st.window || !st.frame) return;
  keep_centred();
  if (vx_dsp_mode_is_set() && (vx_dsp_is_fullscreen() || vx_dsp_table_3d())) {
    paint_screen();
    return;
  }
  plat_window_picture(st.window, st.frame, st.bitmap.width, st.bitmap.height);
}

void vx_dsp_splash_free() {
  if (PLAT_WINDOW* w = st.window) {
    st.window = nullptr;
    if (vx_dsp_splash_window() == w) vx_dsp_splash_window_set(nullptr);
    if (plat_window_exists(w)) plat_window_destroy(w);
  }
  vx_bit_free(&st.bitmap);
  if (st.frame) vx_mem_free(st.frame);
  if (st.text) vx_mem_free(st.text);
  const VX_DSP_PICTURE_LOADER loader = st.loader;
  st = SPLASH_STATE{};
  st.loader = loader;
}

void vx_dsp_splash_off() {
  const int had = st.window != nullptr;
  VX_APP* app = st.app;
  vx_dsp_splash_free();
  if (vx_dsp_window()) {
    vx_dsp_show();
  } else if (app && app->window && plat_window_exists(app->window)) {
    plat_window_show(app->window, app->show_command == 2 ? 2 : 1);
  }
  if (!had) return;
  plat_display_cursor(0);
  if (vx_dsp_is_fullscreen() && vx_dsp_mode_is_set()) {
    vx_dsp_screen_clear();
    vx_dsp_present();
  }
}

intptr_t vx_dsp_splash_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  switch (message) {
    case PLAT_WM_PAINT:
      if (window == st.window && !vx_dsp_is_fullscreen()) vx_dsp_splash_paint();
      return 0;
    case PLAT_WM_NCPAINT:
      if (vx_dsp_is_fullscreen()) return 0;
      break;
    case PLAT_WM_CLOSE: return 0;
    default: break;
  }
  return plat_def_window_proc(window, message, wparam, lparam);
}

const VX_BITMAP* vx_dsp_splash_bitmap() { return st.window ? &st.bitmap : nullptr; }
