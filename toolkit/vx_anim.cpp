// Animation reader: FLIC header checks, the frame index, the sub-chunk decoders, stepping and the clip player's hooks.
#include "toolkit/vx_anim.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_pal.h"
#include "platform/platform.h"

namespace {

constexpr size_t HEADER_SIZE = 128;
constexpr size_t CHUNK_HEADER = 6;   // size (u32) and type (u16)
constexpr size_t FRAME_HEADER = 16;  // chunk header, sub-chunk count, delay, reserved, width, height
constexpr uint16_t FRAME_CHUNK = 0xF1FA;
constexpr int MAX_SIDE = 32767;  // the bitmap record's sides are 16-bit signed

// Sub-chunk types of a frame.
enum : uint16_t {
  COLOR_256 = 4,   // palette entries of 0-255 per channel
  DELTA_FLC = 7,   // word-oriented line delta
  COLOR_64 = 11,   // palette entries of 0-63 per channel
  DELTA_FLI = 12,  // byte-oriented line delta
  BLACK = 13,      // the whole frame set to index 0
  BYTE_RUN = 15,   // run-length coded full frame
  COPY = 16,       // uncompressed full frame
};

struct AnimState {
  char refusal[320];
  size_t limit = VX_ANIM_DEFAULT_LIMIT;
  VX_ANIM_CLIP_PLAYER clip;
};
AnimState st;

void refuse(const char* name, const char* format, ...) __attribute__((format(printf, 2, 3)));
void refuse(const char* name, const char* format, ...) {
  int n = std::snprintf(st.refusal, sizeof st.refusal, "%s: ", name ? name : "memory");
  if (n < 0 || size_t(n) >= sizeof st.refusal) return;
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(st.refusal + n, sizeof st.refusal - size_t(n), format, ap);
  va_end(ap);
}

uint16_t le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// A bounded reader over one sub-chunk's body: a read past the end sets
// `fail` and gives zeros, so the decoders test `fail` once per packet.
struct Reader {
  const uint8_t* cur;
  const uint8_t* end;
  bool fail;
  size_t left() const { return size_t(end - cur); }
  const uint8_t* take(size_t n) {
    if (n > left()) {
      cur = end;
      fail = true;
      return nullptr;
    }
    const uint8_t* p = cur;
    cur += n;
    return p;
  }
  uint8_t u8() {
    const uint8_t* p = take(1);
    return p ? p[0] : 0;
  }
  int8_t s8() { return int8_t(u8()); }
  uint16_t u16() {
    const uint8_t* p = take(2);
    return p ? le16(p) : 0;
  }
};

// The frame buffer being changed: writes outside it are dropped.
struct Frame {
  uint8_t* pixels;
  int width, height;
  uint8_t* row(int y) { return pixels + long(y) * width; }
  // Stores `count` bytes from `src` at (x, y), cut at the row's end.
  void put(int y, int x, const uint8_t* src, int count) {
    if (y < 0 || y >= height || x >= width || count <= 0) return;
    if (x + count > width) count = width - x;
    std::memcpy(row(y) + x, src, size_t(count));
  }
  void fill(int y, int x, uint8_t value, int count) {
    if (y < 0 || y >= height || x >= width || count <= 0) return;
    if (x + count > width) count = width - x;
    std::memset(row(y) + x, value, size_t(count));
  }
};

// Colour packets: a skip count, a colour count (0 means 256), then red,
// green, blue per colour. 64-level values are widened to 8 bits by
// repeating their top bits (63 gives 255).
void decode_colour(Reader* r, VX_PALETTE* palette, bool six_bits) {
  int packets = r->u16();
  int index = 0;
  for (int p = 0; p < packets && !r->fail; p++) {
    index += r->u8();
    int count = r->u8();
    if (count == 0) count = 256;
    for (int c = 0; c < count; c++, index++) {
      const uint8_t* rgb = r->take(3);
      if (!rgb) return;
      if (index >= 256) continue;
      uint8_t* entry = palette->colours + index * 3;
      for (int k = 0; k < 3; k++) entry[k] = six_bits ? uint8_t(rgb[k] << 2 | (rgb[k] & 63) >> 4) : rgb[k];
    }
  }
}

// Line delta of FLI files: first line, line count, then per line a packet
// count and packets of (column skip, signed size): a positive size copies
// that many bytes, a negative one repeats one byte.
void decode_delta_fli(Reader* r, Frame* f) {
  int y = r->u16();
  int lines = r->u16();
  for (int l = 0; l < lines && y < f->height && !r->fail; l++, y++) {
    int packets = r->u8();
    int x = 0;
    for (int p = 0; p < packets && !r->fail; p++) {
      x += r->u8();
      int size = r->s8();
      if (size >= 0) {
        const uint8_t* src = r->take(size_t(size));
        if (!src) return;
        f->put(y, x, src, size);
        x += size;
      } else {
        uint8_t v = r->u8();
        if (r->fail) return;
        f->fill(y, x, v, -size);
        x -= size;
      }
    }
  }
}

// Word-oriented delta of FLC files: a count of coded lines; each starts with
// words whose top bits say 11 skip lines (minus the value), 10 set the
// line's last pixel (low byte), 00 the packet count. Packets: column skip,
// signed count of words to copy (positive) or of one word to repeat.
void decode_delta_flc(Reader* r, Frame* f) {
  int lines = r->u16();
  int y = 0;
  while (lines > 0 && y < f->height && !r->fail) {
    uint16_t word = r->u16();
    if (r->fail) return;
    if ((word & 0xC000) == 0xC000) {
      y += 65536 - word;  // the negated line skip
      continue;
    }
    if ((word & 0xC000) == 0x8000) {
      f->fill(y, f->width - 1, uint8_t(word), 1);
      continue;
    }
    int packets = word & 0x3FFF;
    int x = 0;
    for (int p = 0; p < packets && !r->fail; p++) {
      x += r->u8();
      int count = r->s8();
      if (count >= 0) {
        const uint8_t* src = r->take(size_t(count) * 2);
        if (!src) return;
        f->put(y, x, src, count * 2);
        x += count * 2;
      } else {
        const uint8_t* pair = r->take(2);
        if (!pair) return;
        for (int k = 0; k < -count; k++, x += 2) f->put(y, x, pair, 2);
      }
    }
    y++;
    lines--;
  }
}

// Byte runs of a full frame: per line a legacy packet count (not trusted),
// then signed counts until the line is full: positive repeats the next
// byte, negative copies that many bytes.
void decode_byte_run(Reader* r, Frame* f) {
  for (int y = 0; y < f->height; y++) {
    r->u8();
    int x = 0;
    while (x < f->width) {
      int count = r->s8();
      if (r->fail) return;
      if (count > 0) {
        uint8_t v = r->u8();
        if (r->fail) return;
        f->fill(y, x, v, count);
        x += count;
      } else if (count < 0) {
        const uint8_t* src = r->take(size_t(-count));
        if (!src) return;
        f->put(y, x, src, -count);
        x -= count;
      }
    }
  }
}

// Decodes frame chunk number `index` into the record's buffer and palette.
void decode_frame(VX_ANIM* anim, int index) {
  const size_t at = anim->frames[index];
  size_t size = le32(anim->data + at);
  if (size > anim->size - at) size = anim->size - at;  // a last chunk cut short keeps what it has
  const size_t end = at + size;
  const int subchunks = size >= FRAME_HEADER ? le16(anim->data + at + 6) : 0;
  Frame f = {anim->picture.pixels, anim->picture.width, anim->picture.height};
  anim->palette_changed = 0;
  size_t p = at + FRAME_HEADER;
  for (int k = 0; k < subchunks && p + CHUNK_HEADER <= end; k++) {
    const uint32_t sub_size = le32(anim->data + p);
    const uint16_t type = le16(anim->data + p + 4);
    if (sub_size < CHUNK_HEADER) return;  // a chunk that cannot hold its own header ends the frame
    const size_t body_end = sub_size > end - p ? end : p + sub_size;
    Reader r = {anim->data + p + CHUNK_HEADER, anim->data + body_end, false};
    switch (type) {
      case COLOR_256:
      case COLOR_64:
        decode_colour(&r, anim->picture.palette, type == COLOR_64);
        anim->palette_changed = 1;
        break;
      case DELTA_FLI: decode_delta_fli(&r, &f); break;
      case DELTA_FLC: decode_delta_flc(&r, &f); break;
      case BLACK: std::memset(f.pixels, 0, size_t(f.width) * size_t(f.height)); break;
      case BYTE_RUN: decode_byte_run(&r, &f); break;
      case COPY:
        // A copy shorter than the frame is damaged: it is left out whole.
        if (r.left() >= size_t(f.width) * size_t(f.height))
          std::memcpy(f.pixels, r.cur, size_t(f.width) * size_t(f.height));
        break;
      default: break;  // stamps and unknown sub-chunks
    }
    if (sub_size > end - p) return;
    p += sub_size;
  }
}

// Header checks and the frame index; `name` is for the refusal text.
int open_flic(VX_ANIM* anim, uint8_t* data, size_t size, const char* name) {
  if (size < HEADER_SIZE) {
    refuse(name, "%zu bytes are too short for a FLIC animation", size);
    return 0;
  }
  const uint16_t magic = le16(data + 4);
  if (magic != VX_ANIM_FLI && magic != VX_ANIM_FLC) {
    refuse(name, "not a FLI or FLC animation (magic 0x%04X)", magic);
    return 0;
  }
  const int declared = le16(data + 6), width = le16(data + 8), height = le16(data + 10);
  int depth = le16(data + 12);
  if (depth == 0) depth = 8;
  if (width < 1 || height < 1) {
    refuse(name, "the frame size is %dx%d", width, height);
    return 0;
  }
  if (depth != 8) {
    refuse(name, "depth %d is not supported, only 8-bit animations are", depth);
    return 0;
  }
  if (width > MAX_SIDE || height > MAX_SIDE || size_t(width) * size_t(height) > st.limit) {
    refuse(name, "the frame size %dx%d is over the limit of %zu pixels", width, height, st.limit);
    return 0;
  }
  uint32_t speed = magic == VX_ANIM_FLI ? uint32_t(le16(data + 16)) * 1000 / 70 : le32(data + 16);
  if (speed == 0) speed = 1;

  auto* frames = static_cast<uint32_t*>(vx_mem_alloc_named(sizeof(uint32_t) * (declared ? declared : 1),
                                                           "VX_ANIM frame index"));
  if (!frames) {
    refuse(name, "no memory for the frame index");
    return 0;
  }
  int count = 0;
  for (size_t at = HEADER_SIZE; count < declared && at + CHUNK_HEADER <= size;) {
    const uint32_t chunk = le32(data + at);
    if (chunk < CHUNK_HEADER) break;
    if (le16(data + at + 4) == FRAME_CHUNK) frames[count++] = uint32_t(at);
    if (chunk > size - at) break;
    at += chunk;
  }
  if (count == 0) {
    vx_mem_free(frames);
    refuse(name, declared ? "no frame chunk found" : "the header counts no frames");
    return 0;
  }
  VX_RECT rect = {0, 0, int16_t(width), int16_t(height)};
  VX_PALETTE* palette = vx_pal_alloc(nullptr, 256, VX_PAL_OPT_RGB);
  if (!palette || !vx_bit_alloc(&anim->picture, &rect, VX_BIT_BPP8)) {
    vx_pal_free(palette);
    vx_mem_free(frames);
    refuse(name, "no memory for a %dx%d frame buffer", width, height);
    return 0;
  }
  vx_mem_name(anim->picture.pixels, "VX_ANIM frame buffer");
  anim->picture.palette = palette;
  anim->format = magic;
  anim->frame_count = count;
  anim->speed = speed;
  anim->frames = frames;
  anim->data = data;
  anim->size = size;
  return 1;
}

}  // namespace

void vx_anim_clip_player_set(const VX_ANIM_CLIP_PLAYER* player) {
  st.clip = player ? *player : VX_ANIM_CLIP_PLAYER{};
}

const char* vx_anim_refusal() { return st.refusal; }

void vx_anim_set_limit(size_t max_pixels) { st.limit = max_pixels ? max_pixels : VX_ANIM_DEFAULT_LIMIT; }

int vx_anim_open(VX_ANIM* anim, const char* name, int kind) {
  st.refusal[0] = 0;
  if (!anim) return 0;
  *anim = {};
  if (kind == VX_ANIM_CLIP) {
    if (!st.clip.open) {
      refuse(name, "no clip player is installed");
      return 0;
    }
    anim->kind = kind;
    if (st.clip.open(anim, name)) return 1;
    if (st.clip.close) st.clip.close(anim);
    *anim = {};
    refuse(name, "the clip player refused the file");
    return 0;
  }
  if (kind != VX_ANIM_FLIC && kind != VX_ANIM_FLIC_FONT) {
    refuse(name, "source kind %d is unknown", kind);
    return 0;
  }
  long size = 0;
  auto* data = static_cast<uint8_t*>(vx_io_load(name, &size));
  if (!data) {
    refuse(name, "the file cannot be read");
    return 0;
  }
  if (!open_flic(anim, data, size_t(size), name)) {
    vx_mem_free(data);
    *anim = {};
    return 0;
  }
  anim->kind = kind;
  return 1;
}

int vx_anim_open_memory(VX_ANIM* anim, const uint8_t* data, size_t size, const char* name) {
  st.refusal[0] = 0;
  if (!anim) return 0;
  *anim = {};
  auto* copy = static_cast<uint8_t*>(vx_mem_alloc_named(size ? size : 1, "VX_ANIM file in memory"));
  if (!copy) {
    refuse(name, "no memory for a copy of %zu bytes", size);
    return 0;
  }
  if (size) std::memcpy(copy, data, size);
  if (!open_flic(anim, copy, size, name)) {
    vx_mem_free(copy);
    *anim = {};
    return 0;
  }
  anim->kind = VX_ANIM_FLIC;
  return 1;
}

int vx_anim_step(VX_ANIM* anim) {
  if (!anim || !anim->kind) return 0;
  if (anim->kind == VX_ANIM_CLIP) return st.clip.update ? st.clip.update(anim) : 0;
  if (anim->frame >= anim->frame_count) vx_anim_rewind(anim);
  decode_frame(anim, anim->frame);
  anim->frame++;
  return 1;
}

int vx_anim_update(VX_ANIM* anim) {
  if (!anim || !anim->kind) return 0;
  if (anim->kind == VX_ANIM_CLIP) return st.clip.update ? st.clip.update(anim) : 0;
  const uint32_t now = plat_ticks();
  // Signed difference, so that the tick counter may wrap.
  if (anim->frame > 0 && int32_t(now - anim->next_tick) < 0) return 1;
  anim->next_tick = now + anim->speed;
  return vx_anim_step(anim);
}

void vx_anim_rewind(VX_ANIM* anim) {
  if (!anim || (anim->kind != VX_ANIM_FLIC && anim->kind != VX_ANIM_FLIC_FONT)) return;
  anim->frame = 0;
  anim->palette_changed = 0;
  std::memset(anim->picture.pixels, 0, size_t(anim->picture.width) * size_t(anim->picture.height));
}

void vx_anim_close(VX_ANIM* anim) {
  if (!anim) return;
  if (anim->kind == VX_ANIM_CLIP) {
    if (st.clip.close) st.clip.close(anim);
  } else if (anim->kind) {
    vx_bit_free(&anim->picture);
    vx_mem_free(anim->frames);
    vx_mem_free(anim->data);
  }
  *anim = {};
}
