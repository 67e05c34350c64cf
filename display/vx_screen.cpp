// The virtual screen: its record and pixel block, resizing, the screen palette, the 16-bit packing and the mode-set state.
#include "display/vx_screen.h"

#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "display/vx_blit.h"
#include "display/vx_dsp.h"
#include "display/vx_dsp3d.h"
#include "display/vx_pal.h"

namespace {

struct ScreenState {
  VX_BITMAP screen;           // the virtual screen; its palette field stays null (see palette)
  int base_width, base_height;
  VX_PALETTE* palette;        // the screen palette, one reference held
  VX_SCREEN_PACKING packing;
  int mode_set;
  int active_3d;
  VX_BIT_COPY_FN copy, copy_transp;
  void (*resize_hook)();
};

// Turns one colour mask into its (shift, bits) pair.
void channel_from_mask(uint32_t mask, int* shift, int* bits) {
  int low = 0;
  while (low < 32 && !(mask & (1u << low))) low++;
  int n = 0;
  for (uint32_t m = mask; m; m &= m - 1) n++;
  *bits = n;
  *shift = low + n - 8;
}

VX_SCREEN_PACKING packing_from(uint32_t r, uint32_t g, uint32_t b) {
  VX_SCREEN_PACKING p = {};
  const uint32_t masks[3] = {r, g, b};
  for (int i = 0; i < 3; i++) {
    p.mask[i] = masks[i];
    channel_from_mask(masks[i], &p.shift[i], &p.bits[i]);
  }
  return p;
}

ScreenState st = {};
bool packing_ready = false;

VX_SCREEN_PACKING& packing() {
  if (!packing_ready) {
    // Until a 16-bit mode says otherwise, the packing is 5-6-5.
    st.packing = packing_from(0xF800, 0x07E0, 0x001F);
    packing_ready = true;
    st.packing.key = vx_pal_pack16(255, 0, 255);
  }
  return st.packing;
}

}  // namespace

VX_BITMAP* vx_screen() { return &st.screen; }

int vx_screen_alloc(int width, int height, int bpp) {
  vx_screen_pixels_free();
  VX_RECT r = {0, 0, int16_t(width), int16_t(height)};
  if (width < 1 || height < 1 || width > 0x7FFF || height > 0x7FFF) return 0;
  if (!vx_bit_alloc(&st.screen, &r, bpp)) return 0;
  vx_mem_name(st.screen.pixels, "VX_DSP virtual buffer.");
  st.base_width = width;
  st.base_height = height;
  return 1;
}

void vx_screen_pixels_free() {
  if (st.screen.pixels) vx_mem_free(st.screen.pixels);
  st.screen.pixels = nullptr;
}

void vx_screen_free() {
  vx_screen_pixels_free();
  st.screen = {};
  st.base_width = st.base_height = 0;
  vx_screen_palette_set(nullptr);
}

int vx_screen_base_width() { return st.base_width; }
int vx_screen_base_height() { return st.base_height; }

int vx_screen_resize(int width, int height, int area_width, int area_height) {
  if (width < 1 || height < 1 || width > 0x7FFF || height > 0x7FFF) return 0;
  VX_BITMAP& s = st.screen;
  if (s.pixels) {
    long size = vx_bit_size(width, height, s.bpp);
    auto* block = static_cast<uint8_t*>(vx_mem_calloc(1, size_t(size > 0 ? size : 1)));
    if (!block) {
      vx_dsp_fatal_error("Sorry, I can't allocate enough memory! Please close other applications and try again");
      return 0;
    }
    vx_mem_name(block, "VX_DSP resize virtual buffer");
    vx_mem_free(s.pixels);
    s.pixels = block;
  }
  s.width = int16_t(width);
  s.height = int16_t(height);
  s.x = int16_t(area_width > 0 ? (area_width - width) / 2 : 0);
  s.y = int16_t(area_height > 0 ? (area_height - height) / 2 : 0);
  vx_dsp_resize_lists_rescale();
  if (st.mode_set && vx_dsp_3d_installed()) {
    VX_RECT r = {s.x, s.y, s.width, s.height};
    vx_dsp_3d_interface()->vx_dsp_3d_resize(&r);
  }
  if (st.resize_hook) st.resize_hook();
  if (st.mode_set) vx_dsp_present();
  return 1;
}

void vx_screen_resize_hook_set(void (*hook)()) { st.resize_hook = hook; }

void vx_screen_palette_set(VX_PALETTE* palette) {
  vx_pal_ref(palette);
  if (st.palette) vx_pal_free(st.palette);
  st.palette = palette;
}

VX_PALETTE* vx_screen_palette() { return st.palette; }

int vx_screen_masks_set(uint32_t red_mask, uint32_t green_mask, uint32_t blue_mask) {
  if (!red_mask || !green_mask || !blue_mask) return 0;
  packing() = packing_from(red_mask, green_mask, blue_mask);
  st.packing.key = vx_pal_pack16(255, 0, 255);
  return 1;
}

const VX_SCREEN_PACKING* vx_screen_packing() { return &packing(); }

int vx_screen_packing_is_555() {
  const VX_SCREEN_PACKING& p = packing();
  return p.mask[0] == 0x7C00 && p.mask[1] == 0x03E0 && p.mask[2] == 0x001F;
}

void vx_screen_mode_set_flag(int set) { st.mode_set = set != 0; }
int vx_screen_mode_is_set() { return st.mode_set; }
void vx_screen_3d_active_set(int active) { st.active_3d = active != 0; }
int vx_screen_3d_active() { return st.active_3d; }

void vx_screen_copy_set(VX_BIT_COPY_FN copy, VX_BIT_COPY_FN copy_transp) {
  st.copy = copy;
  st.copy_transp = copy_transp;
}

VX_BIT_COPY_FN vx_screen_copy_get(int transparent) { return transparent ? st.copy_transp : st.copy; }
