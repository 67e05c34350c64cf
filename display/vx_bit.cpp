// Bitmaps: allocation, release and the conversion of a bitmap from one depth to another.
#include "display/vx_bit.h"

#include <cstdio>
#include <cstring>

#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "display/vx_dsp3d.h"
#include "display/vx_pal.h"
#include "display/vx_screen.h"

namespace {

void box(const char* text) { vx_dsp_error_box(text, nullptr, PLAT_MB_OK); }

// Releases the 3D back end's copy; only bitmaps that have one reach the table.
void texture_release(VX_BITMAP* b) {
  if (b->texture) vx_dsp_3d_interface()->vx_bit_3d_free(b);
  b->texture = 0;
}

// The allocation shared by both variants; `name` names the block.
int alloc_named(VX_BITMAP* bitmap, const VX_RECT* rect, int bpp, const char* file, int line) {
  if (!bitmap) return 0;
  *bitmap = {};
  if (!rect || rect->width < 1 || rect->height < 1) return 0;
  if (bpp == 0) bpp = VX_BIT_BPP8;
  long size = vx_bit_size(rect->width, rect->height, bpp);
  if (size == 0 && bpp != VX_BIT_BPP1) {
    box("Invalid options in parameter of vx_bit_alloc ()");
    size = long(rect->width) * rect->height;
  }
  if (bpp == VX_BIT_BPP1) size = long(rect->width) * rect->height;
  auto* pixels = static_cast<uint8_t*>(vx_mem_calloc(1, size_t(size)));
  if (!pixels) return 0;
  if (file) {
    char name[64];
    std::snprintf(name, sizeof name, "%dx%dx%d", rect->width, rect->height, bpp);
    vx_mem_name_dbg(file, line, pixels, name);
  } else {
    vx_mem_name(pixels, "VX_DSP bit_alloc bitmap buffer");
  }
  bitmap->x = rect->x;
  bitmap->y = rect->y;
  bitmap->width = rect->width;
  bitmap->height = rect->height;
  bitmap->bpp = int16_t(bpp);
  bitmap->pixels = pixels;
  return 1;
}

}  // namespace

long vx_bit_row_bytes(int width, int bpp) {
  if (width < 0) return 0;
  switch (bpp) {
    case VX_BIT_BPP4: return (long(width) + 1) / 2;
    case VX_BIT_BPP8: return width;
    case VX_BIT_BPP15:
    case VX_BIT_BPP16: return long(width) * 2;
    case VX_BIT_BPP24: return long(width) * 3;
    case VX_BIT_BPP32: return long(width) * 4;
    default: return 0;
  }
}

long vx_bit_size(int width, int height, int bpp) {
  if (height < 0) return 0;
  return vx_bit_row_bytes(width, bpp) * height;
}

int vx_bit_alloc(VX_BITMAP* bitmap, const VX_RECT* rect, int bpp) {
  return alloc_named(bitmap, rect, bpp, nullptr, 0);
}

int vx_bit_alloc_dbg(const char* file, int line, VX_BITMAP* bitmap, const VX_RECT* rect, int bpp) {
  return alloc_named(bitmap, rect, bpp, file ? file : "", line);
}

void vx_bit_free(VX_BITMAP* bitmap) {
  if (!bitmap) return;
  texture_release(bitmap);
  if (bitmap->palette) vx_pal_free(bitmap->palette);
  bitmap->palette = nullptr;
  if (bitmap->pixels) vx_mem_free(bitmap->pixels);
  bitmap->pixels = nullptr;
}

namespace {

// ---------------------------------------------------------------- conversion
constexpr uint8_t kGrey = 127;  // colour of a key pixel made transparent

struct Rgb {
  uint8_t r, g, b;
};

bool is_magenta(Rgb c) { return c.r == 255 && c.g == 0 && c.b == 255; }

// 15- and 16-bit words are read as 5-5-5, each channel moved up to 8 bits.
Rgb from555(uint16_t w) {
  return {uint8_t(((w >> 10) & 31) << 3), uint8_t(((w >> 5) & 31) << 3), uint8_t((w & 31) << 3)};
}
// The expanded key (248, 0, 248) becomes (255, 0, 255) so that magenta survives.
Rgb from555_keyed(uint16_t w) {
  Rgb c = from555(w);
  if (c.r == 248 && c.g == 0 && c.b == 248) c = {255, 0, 255};
  return c;
}

void put32(uint8_t* d, Rgb c, bool transparent) {
  if (transparent) {
    d[0] = d[1] = d[2] = kGrey;
    d[3] = 0;
  } else {
    d[0] = c.r;
    d[1] = c.g;
    d[2] = c.b;
    d[3] = 255;
  }
}

// The packing of the screen with its shifts and masks taken out of the loops.
struct Packer {
  int shift[3];
  unsigned keep[3];
  explicit Packer(const VX_SCREEN_PACKING* p) {
    for (int i = 0; i < 3; i++) {
      shift[i] = p->shift[i];
      keep[i] = (0xFFu << (8 - p->bits[i])) & 0xFFu;
    }
  }
  uint16_t operator()(unsigned r, unsigned g, unsigned b) const {
    const unsigned v[3] = {r & keep[0], g & keep[1], b & keep[2]};
    unsigned w = 0;
    for (int i = 0; i < 3; i++) w += shift[i] >= 0 ? v[i] << shift[i] : v[i] >> -shift[i];
    return uint16_t(w);
  }
};

// A palette source: its colours and, per index, whether it is a key pixel.
struct Lut {
  Rgb colour[256];
  bool key[256];
};

void lut_fill(Lut* lut, const VX_PALETTE* pal, uint32_t key_index) {
  for (int i = 0; i < 256; i++) {
    vx_pal_colour(pal, i, &lut->colour[i].r, &lut->colour[i].g, &lut->colour[i].b);
    lut->key[i] = uint32_t(i) == key_index || (pal && i < pal->count && is_magenta(lut->colour[i]));
  }
}

struct Job {
  const VX_BITMAP* b;
  const uint8_t* src;
  uint8_t* dst;
  long count;  // pixels
  const Lut* lut;
  bool key_option;
  bool keyed;  // out: a key pixel was seen / made transparent
};

// 4-bit sources: the high nibble is the left pixel; rows end on a whole byte.
template <typename Write>
void each_nibble(Job* j, Write write) {
  const int w = j->b->width, h = j->b->height;
  const long row = (long(w) + 1) / 2;
  long o = 0;
  for (int y = 0; y < h; y++) {
    const uint8_t* s = j->src + y * row;
    for (int x = 0; x < w; x++, o++) {
      uint8_t index = (x & 1) ? (s[x >> 1] & 15) : (s[x >> 1] >> 4);
      if (j->lut->key[index]) j->keyed = true;
      write(o, index);
    }
  }
}

void convert_4(Job* j, int target) {
  uint8_t* d = j->dst;
  const Lut* lut = j->lut;
  if (target == VX_BIT_BPP8) {
    each_nibble(j, [&](long o, uint8_t i) { d[o] = i; });
  } else if (target == VX_BIT_BPP24) {
    each_nibble(j, [&](long o, uint8_t i) {
      d[o * 3] = lut->colour[i].r;
      d[o * 3 + 1] = lut->colour[i].g;
      d[o * 3 + 2] = lut->colour[i].b;
    });
  } else {
    bool ko = j->key_option;
    each_nibble(j, [&](long o, uint8_t i) { put32(d + o * 4, lut->colour[i], ko && lut->key[i]); });
  }
}

void convert_8(Job* j, int target) {
  const uint8_t* s = j->src;
  uint8_t* d = j->dst;
  const Lut* lut = j->lut;
  const long n = j->count;
  if (target == VX_BIT_BPP16) {
    Packer pack(vx_screen_packing());
    uint16_t packed[256];
    for (int i = 0; i < 256; i++) packed[i] = pack(lut->colour[i].r, lut->colour[i].g, lut->colour[i].b);
    auto* w = reinterpret_cast<uint16_t*>(d);
    long i = 0;
    if (j->key_option) {
      // The keyed variant: four pixels per step, the same words.
      for (; i + 4 <= n; i += 4) {
        w[i] = packed[s[i]];
        w[i + 1] = packed[s[i + 1]];
        w[i + 2] = packed[s[i + 2]];
        w[i + 3] = packed[s[i + 3]];
      }
    }
    for (; i < n; i++) w[i] = packed[s[i]];
  } else if (target == VX_BIT_BPP24) {
    for (long i = 0; i < n; i++) {
      const Rgb& c = lut->colour[s[i]];
      d[i * 3] = c.r;
      d[i * 3 + 1] = c.g;
      d[i * 3 + 2] = c.b;
    }
  } else {
    for (long i = 0; i < n; i++) {
      bool t = j->key_option && lut->key[s[i]];
      j->keyed |= t;
      put32(d + i * 4, lut->colour[s[i]], t);
    }
  }
}

void convert_16(Job* j, int target) {
  const auto* s = reinterpret_cast<const uint16_t*>(j->src);
  uint8_t* d = j->dst;
  const long n = j->count;
  if (target == VX_BIT_BPP16) {
    Packer pack(vx_screen_packing());
    auto* w = reinterpret_cast<uint16_t*>(d);
    for (long i = 0; i < n; i++) {
      Rgb c = from555(s[i]);
      w[i] = pack(c.r, c.g, c.b);
    }
  } else if (target == VX_BIT_BPP24) {
    for (long i = 0; i < n; i++) {
      Rgb c = from555_keyed(s[i]);
      d[i * 3] = c.r;
      d[i * 3 + 1] = c.g;
      d[i * 3 + 2] = c.b;
    }
  } else {
    for (long i = 0; i < n; i++) {
      Rgb c = from555_keyed(s[i]);
      bool t = j->key_option && is_magenta(c);
      j->keyed |= t;
      put32(d + i * 4, c, t);
    }
  }
}

// 24 and 32 bits: `in` bytes per source pixel.
void convert_rgb(Job* j, int in, int target) {
  const uint8_t* s = j->src;
  uint8_t* d = j->dst;
  const long n = j->count;
  if (target == VX_BIT_BPP16) {
    Packer pack(vx_screen_packing());
    auto* w = reinterpret_cast<uint16_t*>(d);
    for (long i = 0; i < n; i++, s += in) w[i] = pack(s[0], s[1], s[2]);
  } else if (target == VX_BIT_BPP24) {
    for (long i = 0; i < n; i++, s += in, d += 3) {
      d[0] = s[0];
      d[1] = s[1];
      d[2] = s[2];
    }
  } else {
    for (long i = 0; i < n; i++, s += in, d += 4) {
      Rgb c = {s[0], s[1], s[2]};
      bool t = j->key_option && is_magenta(c);
      j->keyed |= t;
      put32(d, c, t);
    }
  }
}

// Checks the pair; the refusal's message, or null when the conversion runs.
// *palette_needed tells whether the source's colours come from a palette.
const char* refusal(int from, int target, int want, bool* palette_needed, char* buf, size_t size) {
  *palette_needed = false;
  switch (from) {
    case VX_BIT_BPP1:
      return "1->4, 8, 16, 24, 32 BPP conversion parameter in function vx_bit_convert isn't supported yet.";
    case VX_BIT_BPP4:
      if (target == 16) return "4->16 BPP conversion parameter in function vx_bit_convert isn't supported yet.";
      if (target != 8 && target != 24 && target != 32) break;
      *palette_needed = target != 8;
      return nullptr;
    case VX_BIT_BPP8:
      if (target != 16 && target != 24 && target != 32) break;
      *palette_needed = true;
      return nullptr;
    case VX_BIT_BPP15:
    case VX_BIT_BPP16:
      if (target == 8) return "15->8 BPP conversion parameter in function vx_bit_convert isn't supported yet.";
      if (target != 16 && target != 24 && target != 32) break;
      return nullptr;
    case VX_BIT_BPP24:
      if (target == 8) return "24->8 BPP conversion parameter in function vx_bit_convert isn't supported yet.";
      if (target != 16 && target != 32) break;
      return nullptr;
    case VX_BIT_BPP32:
      if (target == 8) return "32 -> 8 BPP conversion parameter in function vx_bit_convert isn't supported yet.";
      if (target != 16 && target != 24) break;
      return nullptr;
    default:
      std::snprintf(buf, size, "Invalid conversion from %d to %d BPP in function vx_bit_convert.", from, want);
      return buf;
  }
  return "Invalid BPP conversion parameter in function vx_bit_convert.";
}

int convert_impl(VX_BITMAP* b, int option, const char* file, int line) {
  if (!b) return 0;
  const int want = option & 63;
  if (b->bpp == want) return 1;
  const int target = want == VX_BIT_BPP15 ? VX_BIT_BPP16 : want;
  if (b->bpp == target) return 1;
  const int from = b->bpp;
  bool palette_needed;
  char buf[128];
  if (const char* why = refusal(from, target, want, &palette_needed, buf, sizeof buf)) {
    box(why);
    return 0;
  }
  // The virtual screen may go without a palette of its own: it uses the screen's.
  const VX_PALETTE* pal = b->palette;
  if (!pal && b == vx_screen()) pal = vx_screen_palette();
  if (palette_needed && !pal) {
    box(from == VX_BIT_BPP4 ? "Can't convert from 4 bpp without a palette" : "Can't convert from 8 bpp without a palette");
    return 0;
  }
  if (!b->pixels) return 0;
  long size = vx_bit_size(b->width, b->height, target);
  auto* block = static_cast<uint8_t*>(vx_mem_malloc(size_t(size > 0 ? size : 1)));
  if (!block) {
    box("Not enough memory to allocate the bitmap conversion buffer.");
    return 0;
  }
  char name[96];
  if (file) {
    std::snprintf(name, sizeof name, "vx_bit_convert () from %s, line %d\n", file, line);
  } else {
    std::snprintf(name, sizeof name, "Bitmap %d->%d BPP Conversion", from, target);
  }
  vx_mem_name(block, name);

  Lut lut;
  if (from == VX_BIT_BPP4 || from == VX_BIT_BPP8) lut_fill(&lut, pal, b->key);
  Job job = {b, b->pixels, block, long(b->width) * b->height, &lut, (option & VX_BIT_CONVERT_KEY) != 0, false};
  switch (from) {
    case VX_BIT_BPP4: convert_4(&job, target); break;
    case VX_BIT_BPP8: convert_8(&job, target); break;
    case VX_BIT_BPP15:
    case VX_BIT_BPP16: convert_16(&job, target); break;
    case VX_BIT_BPP24: convert_rgb(&job, 3, target); break;
    default: convert_rgb(&job, 4, target); break;
  }
  texture_release(b);
  vx_mem_free(b->pixels);
  b->pixels = block;
  b->bpp = int16_t(target);
  if (job.keyed) b->flags |= VX_BIT_KEYED;
  if (palette_needed && target >= VX_BIT_BPP24 && b->palette) {
    vx_pal_free(b->palette);
    b->palette = nullptr;
  }
  return 1;
}

}  // namespace

int vx_bit_convert(VX_BITMAP* bitmap, int option) { return convert_impl(bitmap, option, nullptr, 0); }

int vx_bit_convert_dbg(const char* file, int line, VX_BITMAP* bitmap, int option) {
  return convert_impl(bitmap, option, file ? file : "", line);
}

int vx_bit_swap_rb(VX_BITMAP* bitmap) {
  if (!bitmap || !bitmap->pixels || (bitmap->bpp != VX_BIT_BPP24 && bitmap->bpp != VX_BIT_BPP32)) return 0;
  const int step = bitmap->bpp / 8;
  uint8_t* p = bitmap->pixels;
  for (long i = 0, n = long(bitmap->width) * bitmap->height; i < n; i++, p += step) {
    uint8_t t = p[0];
    p[0] = p[2];
    p[2] = t;
  }
  return 1;
}
