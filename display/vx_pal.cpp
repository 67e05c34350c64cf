// Palettes: allocation and reference counting, shared grey ramps, palette files and the 16-bit packing.
#include "display/vx_pal.h"

#include <cstdio>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "display/vx_screen.h"
#include "platform/platform.h"

namespace {

constexpr int kGreyMax = 32;  // distinct grey palette sizes kept shared

struct PalState {
  VX_PALETTE* grey[kGreyMax];  // the shared grey palettes, one per count
  int grey_count;
};
PalState st = {};

int entry_bytes(uint8_t type) { return type == VX_PALETTE_RGBA ? 4 : 3; }

VX_PALETTE* alloc_impl(const VX_PALETTE* source, int count, int options, const char* file, int line) {
  if (count < 1 || count > 0xFFFF) return nullptr;
  auto* p = static_cast<VX_PALETTE*>(vx_mem_calloc(1, sizeof(VX_PALETTE)));
  if (!p) return nullptr;
  uint8_t type = (options & VX_PAL_OPT_RGB) ? VX_PALETTE_RGB : VX_PALETTE_RGBA;
  int bytes = entry_bytes(type);
  auto* colours = static_cast<uint8_t*>(vx_mem_calloc(size_t(count), size_t(bytes)));
  if (!colours) {
    vx_mem_free(p);
    return nullptr;
  }
  if (file) {
    vx_mem_name_dbg(file, line, p, "vx_pal_alloc (VX_PALETTE *)");
    vx_mem_name_dbg(file, line, colours,
                    type == VX_PALETTE_RGB ? "vx_pal_alloc (VX_PALETTE_RGB *)" : "vx_pal_alloc (VX_PALETTE_RGBA *)");
  } else {
    vx_mem_name(p, "VX_DSP pal_alloc mypalette buffer");
    vx_mem_name(colours, type == VX_PALETTE_RGB ? "VX_DSP pal_alloc mypalette->color buffer"
                                                : "VX_DSP pal_alloc mypalette->color_alpha buffer");
  }
  p->references = 1;
  p->count = uint16_t(count);
  p->type = type;
  p->colours = colours;
  if (source && source->colours) {
    int n = count < source->count ? count : source->count;
    int sb = entry_bytes(source->type);
    for (int i = 0; i < n; i++) {
      const uint8_t* s = source->colours + i * sb;
      uint8_t* d = colours + i * bytes;
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
      if (bytes == 4) d[3] = sb == 4 ? s[3] : 255;
    }
  } else if (options & VX_PAL_OPT_GREY) {
    // Integer step: 16 colours give 0, 17, 34, ... 255.
    int step = count > 1 ? 256 / (count - 1) : 0;
    for (int i = 0; i < count; i++) {
      int v = i * step;
      uint8_t grey = uint8_t(v > 255 ? 255 : v);
      uint8_t* d = colours + i * bytes;
      d[0] = d[1] = d[2] = grey;
      if (bytes == 4) d[3] = 255;
    }
  }
  return p;
}

}  // namespace

VX_PALETTE* vx_pal_alloc(const VX_PALETTE* source, int count, int options) {
  return alloc_impl(source, count, options, nullptr, 0);
}

VX_PALETTE* vx_pal_alloc_dbg(const char* file, int line, const VX_PALETTE* source, int count, int options) {
  return alloc_impl(source, count, options, file ? file : "", line);
}

void vx_pal_free(VX_PALETTE* palette) {
  if (!palette) return;
  if (palette->references > 1) {
    palette->references--;
    return;
  }
  if (palette->type != VX_PALETTE_RGB && palette->type != VX_PALETTE_RGBA)
    vx_dsp_error_box("Wrong palette type", nullptr, PLAT_MB_OK);
  if (palette->colours) vx_mem_free(palette->colours);
  // A palette freed while still listed as shared leaves the list.
  for (int i = 0; i < st.grey_count; i++) {
    if (st.grey[i] == palette) {
      st.grey[i] = st.grey[--st.grey_count];
      break;
    }
  }
  vx_mem_free(palette);
}

VX_PALETTE* vx_pal_ref(VX_PALETTE* palette) {
  if (palette) palette->references++;
  return palette;
}

VX_PALETTE* vx_pal_grayscale_get(int count) {
  for (int i = 0; i < st.grey_count; i++)
    if (st.grey[i]->count == count) return vx_pal_ref(st.grey[i]);
  VX_PALETTE* p = vx_pal_alloc(nullptr, count, VX_PAL_OPT_RGB | VX_PAL_OPT_GREY);
  if (!p) return nullptr;
  vx_mem_name(p, "vx_pal_grayscale_get");
  // A full list still hands out the palette, unshared.
  if (st.grey_count < kGreyMax) st.grey[st.grey_count++] = p;
  return p;
}

VX_PALETTE* vx_pal_load(const char* file_name) {
  if (!file_name) return nullptr;
  VX_IO_FILE* f = vx_io_fopen(file_name, "rb");
  if (!f) return nullptr;
  uint8_t rgb[768];
  // The colours are the file's last 768 bytes (PCX files end with their palette).
  size_t got = 0;
  if (vx_io_fseek(f, -768, SEEK_END) == 0) got = vx_io_fread(rgb, 1, sizeof rgb, f);
  vx_io_fclose(f);
  if (got != sizeof rgb) return nullptr;
  VX_PALETTE* p = vx_pal_alloc(nullptr, 256, VX_PAL_OPT_RGB);
  if (p) std::memcpy(p->colours, rgb, sizeof rgb);
  return p;
}

uint16_t vx_pal_pack16(int r, int g, int b) {
  const VX_SCREEN_PACKING* pk = vx_screen_packing();
  const int channel[3] = {r, g, b};
  unsigned word = 0;
  for (int i = 0; i < 3; i++) {
    // Keep the channel's top `bits` bits, then move them into the mask's place.
    unsigned v = unsigned(channel[i]) & (0xFFu << (8 - pk->bits[i])) & 0xFFu;
    word += pk->shift[i] >= 0 ? v << pk->shift[i] : v >> -pk->shift[i];
  }
  return uint16_t(word);
}

void vx_pal_colour(const VX_PALETTE* palette, int index, uint8_t* r, uint8_t* g, uint8_t* b) {
  uint8_t c[3] = {0, 0, 0};
  if (palette && palette->colours && index >= 0 && index < palette->count) {
    const uint8_t* s = palette->colours + index * entry_bytes(palette->type);
    c[0] = s[0];
    c[1] = s[1];
    c[2] = s[2];
  }
  if (r) *r = c[0];
  if (g) *g = c[1];
  if (b) *b = c[2];
}
