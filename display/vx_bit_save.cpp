// Writing bitmaps: uncompressed TGA for 16, 24 and 32 bits, run-length PCX for 8 and 4 bits, and the snapshot names.
#include "display/vx_bit_save.h"

#include <cstdio>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_io_path.h"
#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "display/vx_dsp3d.h"
#include "display/vx_pal.h"
#include "display/vx_screen.h"
#include "platform/platform.h"

namespace {

constexpr int kTgaHeader = 18;
constexpr int kPcxHeader = 128;
constexpr int kMaxRun = 63;  // a PCX run byte is 0xC0 | count, count 1 to 63

// An output file and its row buffer; a failed write sticks.
struct Out {
  VX_IO_FILE* f;
  uint8_t* row;
  bool ok;
};

void put(Out* o, const void* data, size_t size) {
  if (o->ok && size && vx_io_fwrite(data, 1, size, o->f) != long(size)) o->ok = false;
}

void le16(uint8_t* p, int v) {
  p[0] = uint8_t(v & 0xFF);
  p[1] = uint8_t((v >> 8) & 0xFF);
}

// A word of the screen's packing back to 5-5-5 (red in bits 10-14).
struct To555 {
  int shift[3];
  unsigned keep[3];
  bool same;
  To555() {
    const VX_SCREEN_PACKING* p = vx_screen_packing();
    for (int i = 0; i < 3; i++) {
      shift[i] = p->shift[i];
      keep[i] = (0xFFu << (8 - p->bits[i])) & 0xFFu;
    }
    same = vx_screen_packing_is_555() != 0;
  }
  uint16_t operator()(uint16_t w) const {
    if (same) return w;
    unsigned c[3];
    for (int i = 0; i < 3; i++) c[i] = (shift[i] >= 0 ? unsigned(w) >> shift[i] : unsigned(w) << -shift[i]) & keep[i];
    return uint16_t(((c[0] >> 3) << 10) | ((c[1] >> 3) << 5) | (c[2] >> 3));
  }
};

void write_tga(Out* o, const VX_BITMAP* b, const VX_RECT& r) {
  const int depth = b->bpp == VX_BIT_BPP15 ? 16 : b->bpp;
  const int bytes = depth / 8;
  uint8_t h[kTgaHeader] = {};
  h[2] = 2;  // uncompressed true colour
  le16(h + 12, r.width);
  le16(h + 14, r.height);
  h[16] = uint8_t(depth);
  h[17] = depth == 32 ? 8 : 0;  // alpha bits; origin bottom left
  put(o, h, sizeof h);
  const long pitch = vx_bit_row_bytes(b->width, b->bpp);
  const To555 to555;
  for (int y = r.y + r.height - 1; y >= r.y && o->ok; y--) {
    const uint8_t* s = b->pixels + y * pitch + long(r.x) * bytes;
    uint8_t* d = o->row;
    for (int x = 0; x < r.width; x++, s += bytes, d += bytes) {
      if (bytes == 2) {
        uint16_t w;
        std::memcpy(&w, s, 2);
        if (b->bpp == VX_BIT_BPP16) w = to555(w);
        le16(d, w);
      } else {
        // The file holds blue, green, red (, alpha).
        d[0] = s[2];
        d[1] = s[1];
        d[2] = s[0];
        if (bytes == 4) d[3] = s[3];
      }
    }
    put(o, o->row, size_t(r.width) * bytes);
  }
}

// One scan line of indices, run-length coded into o->row; returns its length.
size_t pcx_encode(const uint8_t* line, int n, uint8_t* out) {
  size_t k = 0;
  for (int i = 0; i < n;) {
    uint8_t v = line[i];
    int run = 1;
    while (i + run < n && run < kMaxRun && line[i + run] == v) run++;
    // A value with both top bits set would read as a run byte: always a run.
    if (run > 1 || (v & 0xC0) == 0xC0) out[k++] = uint8_t(0xC0 | run);
    out[k++] = v;
    i += run;
  }
  return k;
}

void write_pcx(Out* o, const VX_BITMAP* b, const VX_RECT& r, uint8_t* line) {
  const int line_bytes = (r.width + 1) & ~1;  // scan lines hold an even number of bytes
  const VX_PALETTE* pal = b->palette;
  if (!pal && b == vx_screen()) pal = vx_screen_palette();
  uint8_t rgb[768];
  for (int i = 0; i < 256; i++) {
    if (pal) {
      vx_pal_colour(pal, i, &rgb[i * 3], &rgb[i * 3 + 1], &rgb[i * 3 + 2]);
    } else {
      rgb[i * 3] = rgb[i * 3 + 1] = rgb[i * 3 + 2] = uint8_t(i);
    }
  }
  uint8_t h[kPcxHeader] = {};
  h[0] = 10;  // PCX marker
  h[1] = 5;   // version with a 256-colour palette at the end
  h[2] = 1;   // run-length coded
  h[3] = 8;   // bits per pixel and plane
  le16(h + 8, r.width - 1);
  le16(h + 10, r.height - 1);
  le16(h + 12, 72);
  le16(h + 14, 72);
  std::memcpy(h + 16, rgb, 48);  // the first 16 colours for 16-colour readers
  h[65] = 1;                     // one plane
  le16(h + 66, line_bytes);
  le16(h + 68, 1);               // colour palette
  put(o, h, sizeof h);
  const long pitch = vx_bit_row_bytes(b->width, b->bpp);
  for (int y = r.y; y < r.y + r.height && o->ok; y++) {
    const uint8_t* s = b->pixels + y * pitch;
    for (int x = 0; x < r.width; x++) {
      int sx = r.x + x;
      line[x] = b->bpp == VX_BIT_BPP8 ? s[sx] : ((sx & 1) ? s[sx >> 1] & 15 : s[sx >> 1] >> 4);
    }
    if (line_bytes > r.width) line[r.width] = 0;
    put(o, o->row, pcx_encode(line, line_bytes, o->row));
  }
  const uint8_t marker = 12;  // the 256-colour palette follows
  put(o, &marker, 1);
  put(o, rgb, sizeof rgb);
}

// The file layer's existence test for a name in one folder only
// (file-layer notation, ending in '\\').
bool exists_in(const char* folder, const char* name) {
  char path[VX_IO_PATH_MAX];
  const int n = std::snprintf(path, sizeof path, "%s%s", folder, name);
  return n > 0 && n < static_cast<int>(sizeof path) && vx_io_exists(path, VX_IO_ON_DISK) != 0;
}

}  // namespace

int vx_bit_save(VX_BITMAP* bitmap, const char* file_name, const VX_RECT* rect, uint32_t flags) {
  if (!bitmap || !file_name) return 0;
  if (vx_screen_3d_active() && !(flags & VX_BIT_SAVE_DIRECT))
    return vx_dsp_3d_interface()->vx_bit_3d_save(bitmap, file_name, rect, flags);
  const int bpp = bitmap->bpp;
  const bool tga = bpp == VX_BIT_BPP15 || bpp == VX_BIT_BPP16 || bpp == VX_BIT_BPP24 || bpp == VX_BIT_BPP32;
  if (!bitmap->pixels || (!tga && bpp != VX_BIT_BPP8 && bpp != VX_BIT_BPP4)) return 0;
  VX_RECT r = rect ? *rect : VX_RECT{0, 0, bitmap->width, bitmap->height};
  int x0 = r.x < 0 ? 0 : r.x, y0 = r.y < 0 ? 0 : r.y;
  int x1 = r.x + r.width < bitmap->width ? r.x + r.width : bitmap->width;
  int y1 = r.y + r.height < bitmap->height ? r.y + r.height : bitmap->height;
  if (x1 <= x0 || y1 <= y0) return 0;
  r = {int16_t(x0), int16_t(y0), int16_t(x1 - x0), int16_t(y1 - y0)};

  // The row buffer: a TGA row, or a coded PCX line (at worst two bytes per
  // pixel) followed by the line of indices.
  const size_t row = size_t(r.width + 1) * 4;
  auto* buffer = static_cast<uint8_t*>(vx_mem_malloc(row * 2));
  if (!buffer) return 0;
  vx_mem_name(buffer, "VX_DSP bit_save line buffer");
  Out o = {vx_io_fopen(file_name, "wb"), buffer, true};
  if (!o.f) {
    vx_mem_free(buffer);
    return 0;
  }
  if (tga) {
    write_tga(&o, bitmap, r);
  } else {
    write_pcx(&o, bitmap, r, buffer + row);
  }
  if (vx_io_fclose(o.f) != 0) o.ok = false;
  vx_mem_free(buffer);
  return o.ok ? 1 : 0;
}

int vx_bit_snapshot_folder(char* out, size_t size) {
  if (!out || size < 3) return 0;
  std::snprintf(out, size, ".\\");
  char here[VX_IO_PATH_MAX];
  if (!plat_current_folder(here, sizeof here) || plat_folder_writable(here)) return 1;
  const char* user = vx_io_running() ? vx_io_user_folder() : "";
  if (!user[0] || std::strlen(user) >= size) return 1;
  std::snprintf(out, size, "%s", user);
  return 1;
}

int vx_bit_snapshot_name_in(const char* folder, char* out, size_t size, int tga) {
  if (!folder || !out || size < sizeof "Snap0000.tga") return 0;
  for (int n = 0; n <= 9999; n++) {
    std::snprintf(out, size, tga ? "Snap%04d.tga" : "Snap%04d.pcx", n);
    if (!exists_in(folder, out)) return 1;
  }
  out[0] = 0;
  vx_dsp_error_box(
      "Sorry, there are already 10000 snapshots in this directory. Please delete a few of them if you want to "
      "take new ones.",
      nullptr, PLAT_MB_OK);
  return 0;
}

int vx_bit_snapshot_name(char* out, size_t size, int tga) { return vx_bit_snapshot_name_in(".\\", out, size, tga); }

int vx_bit_snapshot(VX_BITMAP* screen, int tga, const char* vendor, const char* renderer) {
  if (vendor && renderer && std::strcmp(vendor, "SGI") == 0 && std::strstr(renderer, "Generic")) {
    vx_dsp_error_box(
        "Sorry, it's not possible to take a snapshot under SGI's implementation of OpenGL.dll or OpenGL32.dll. "
        "I'm really sorry to have to say that you should replace it with Microsoft's OpenGL32.dll to take the "
        "pictures. Then you should put SGI's version back because it's much faster.",
        nullptr, PLAT_MB_OK);
    return 0;
  }
  char folder[VX_IO_PATH_MAX], name[32], path[VX_IO_PATH_MAX + 32];
  if (!vx_bit_snapshot_folder(folder, sizeof folder)) return 0;
  if (!vx_bit_snapshot_name_in(folder, name, sizeof name, tga)) return 0;
  std::snprintf(path, sizeof path, "%s%s", folder, name);
  const int ok = vx_bit_save(screen, path, nullptr, 0);
  // A picture away from the current folder would be hard to find: the
  // game says where it went.
  if (ok && std::strcmp(folder, ".\\") != 0) {
    char os[VX_IO_PATH_MAX + 32], line[VX_IO_PATH_MAX + 96];
    if (!vx_io_path_to_os(path, os, sizeof os)) std::snprintf(os, sizeof os, "%s", path);
    std::snprintf(line, sizeof line, "the current folder is read-only; the snapshot was saved as %s", os);
    vx_dsp_log_line(line, "Snapshot");
  }
  return ok;
}
