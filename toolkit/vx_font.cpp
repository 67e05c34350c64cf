// Bitmap fonts: module state and messages, text decoding, character lookup, frames and freeing.
#include "toolkit/vx_font.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "display/vx_pal.h"
#include "toolkit/vx_font_internal.h"

namespace {

// The messages of module "Font", by error code; code 10 has none.
const char* const kFontErrors[] = {
    "Invalid font pointer",
    "Couldn't find the font file",
    "Invalid font file format",
    "Not enough free memory to load the font",
    "Couldn't load the font palette",
    "Some characters couldn't be loaded. The text might be displayed incorrectly",
    "A character is defined more than once in the font",
    "Couldn't reallocate the memory to load an animated character",
    "The size of the bitmap is smaller than the size of the character",
    "The string isn't UTF-8 compliant",
    nullptr,
};
static_assert(std::size(kFontErrors) == VX_FONT_ERR_TEXT_LONG + 1, "one entry per code");

constexpr int TEXT_BUFFER = 256;
constexpr int BINARY_FROM = 10;  // tables of this many entries are searched by halves

struct FontState {
  int started;
  int module = -1;
  VX_FONT_SETTINGS settings;
  char* text;         // the formatted text of vx_font_print
  uint32_t* codes;    // the decoding buffer: grows with the longest text seen
  int codes_capacity;
  VX_FONT_PICTURE_LOADER loader;
};
FontState st;

// Reports a malformed sequence: the whole text and the sequence's bytes (a
// two-byte sequence shows its lead byte only, as the message always did).
void report_utf8(const char* text, const unsigned char* seq, int length) {
  if (!st.settings.debug) return;
  switch (length) {
    case 3:
      vx_font_raise(VX_FONT_ERR_UTF8, "In %s, %c%c%c is an invalid UTF-8 code", text, seq[0], seq[1], seq[2]);
      break;
    case 4:
      vx_font_raise(VX_FONT_ERR_UTF8, "In %s, %c%c%c%c is an invalid UTF-8 code", text, seq[0], seq[1], seq[2],
                    seq[3]);
      break;
    default: vx_font_raise(VX_FONT_ERR_UTF8, "In %s, %c is an invalid UTF-8 code", text, seq[0]); break;
  }
}

// One code from `s`; *used gets the bytes taken (0 at a sequence cut by the
// terminator, which then yields nothing).
uint32_t next_code(const unsigned char* s, int* used, const char* text) {
  const unsigned char lead = s[0];
  int length = lead < 0x80 ? 1 : (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
  if (length == 0) {
    // 0x80-0xBF and 0xF8-0xFF start nothing: the byte stands for itself.
    report_utf8(text, s, 1);
    *used = 1;
    return lead;
  }
  uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
  bool valid = true;
  for (int i = 1; i < length; i++) {
    if (!s[i]) {
      report_utf8(text, s, 1);
      *used = 0;
      return 0;
    }
    valid = valid && (s[i] & 0xC0) == 0x80;
    code = code << 6 | (s[i] & 0x3F);
  }
  if (!valid) report_utf8(text, s, length);
  *used = length;
  return code;
}

}  // namespace

void vx_font_raise(int code, const char* detail_format, ...) {
  vx_error_set(st.module, code);
  if (detail_format) {
    char detail[VX_ERROR_DETAIL_LEN];
    va_list ap;
    va_start(ap, detail_format);
    std::vsnprintf(detail, sizeof detail, detail_format, ap);
    va_end(ap);
    vx_error_detail("%s", detail);
  } else {
    vx_error_detail("%s", "");
  }
  if (st.settings.debug) vx_error_report();
}

int vx_font_debug() { return st.settings.debug; }
VX_FONT_PICTURE_LOADER vx_font_picture_loader() { return st.loader; }
void vx_font_picture_loader_set(VX_FONT_PICTURE_LOADER loader) { st.loader = loader; }
char* vx_font_text_buffer() { return st.started ? st.text : nullptr; }

int vx_font_init(const VX_FONT_SETTINGS* settings) {
  if (st.started) return 0;
  st.settings = settings ? *settings : VX_FONT_SETTINGS{};
  st.module = vx_error_register("Font", kFontErrors);
  st.text = static_cast<char*>(vx_mem_alloc_named(TEXT_BUFFER, "VX_FONT text buffer"));
  if (!st.text) return 0;
  st.started = 1;
  return 1;
}

void vx_font_deinit() {
  if (st.text) vx_mem_free(st.text);
  if (st.codes) vx_mem_free(st.codes);
  st.text = nullptr;
  st.codes = nullptr;
  st.codes_capacity = 0;
  st.started = 0;
}

int vx_font_utf_8_to_unicode(uint32_t** buffer, int* capacity, const char* text, int mode) {
  if (!buffer || !capacity || !text) return 0;
  const size_t bytes = std::strlen(text);
  if ((mode & VX_FONT_GROW) && size_t(*capacity) < bytes + 1 && bytes < size_t(1) << 28) {
    // Every code takes at least one byte: the text's length bounds the count.
    const int grown = int(bytes + 1);
    void* block = vx_mem_realloc(*buffer, sizeof(uint32_t) * size_t(grown));
    if (block) {
      if (st.settings.debug) {
        char name[64];
        std::snprintf(name, sizeof name, "vx_font_utf_8_to_unicode buffer [%d]", grown);
        vx_mem_name(block, name);
      }
      *buffer = static_cast<uint32_t*>(block);
      *capacity = grown;
    }
  }
  if (!*buffer || *capacity < 1) return 0;
  const auto* s = reinterpret_cast<const unsigned char*>(text);
  int count = 0;
  while (*s && count < *capacity - 1) {
    int used = 1;
    uint32_t code = (mode & VX_FONT_UTF8) ? next_code(s, &used, text) : *s;
    if (!used) break;
    (*buffer)[count++] = code;
    s += used;
  }
  (*buffer)[count] = 0;
  return count;
}

int vx_font_decode(const VX_FONT* font, const char* text, const uint32_t** codes) {
  const int mode = font->version == 2 ? VX_FONT_GROW | VX_FONT_UTF8 : VX_FONT_GROW;
  int count = vx_font_utf_8_to_unicode(&st.codes, &st.codes_capacity, text, mode);
  static const uint32_t none = 0;
  *codes = st.codes ? st.codes : &none;
  return count;
}

int vx_font_find(const VX_FONT* font, uint32_t code, bool loading) {
  if (!font->chars) return -1;
  if (!loading && font->char_count >= BINARY_FROM) {
    int lo = 0, hi = font->char_count - 1;
    while (lo <= hi) {
      int mid = lo + (hi - lo) / 2;
      uint32_t c = font->chars[mid].code;
      if (c == code) return mid;
      if (c < code) lo = mid + 1; else hi = mid - 1;
    }
    return -1;
  }
  for (int i = 0; i < font->char_count; i++)
    if (font->chars[i].glyph && font->chars[i].code == code) return i;
  return -1;
}

const VX_FONT_CHAR* vx_font_entry(const VX_FONT* font, uint32_t code) {
  if (!font || font->char_count < 1) return nullptr;
  int i = vx_font_find(font, code, false);
  if (i < 0) i = font->default_char >= 1 && font->default_char <= font->char_count ? font->default_char - 1 : 0;
  return font->chars[i].glyph ? &font->chars[i] : nullptr;
}

VX_BITMAP* vx_font_char_frame(VX_FONT* font, uint32_t code, int frame, VX_RECT rects_out[3]) {
  const VX_FONT_CHAR* entry = vx_font_entry(font, code);
  if (!entry || entry->glyph->frame_count < 1) return nullptr;
  const VX_CHAR* glyph = entry->glyph;
  if (frame < 1) frame = 1;
  const VX_CHAR_DATA& data = glyph->frames[(frame - 1) % glyph->frame_count];
  if (rects_out) {
    rects_out[0] = data.cell;
    rects_out[1] = data.span;
    rects_out[2] = data.band;
  }
  return data.bitmap;
}

int vx_font_char_frames(VX_FONT* font, uint32_t code) {
  const VX_FONT_CHAR* entry = vx_font_entry(font, code);
  return entry ? entry->glyph->frame_count : 0;
}

void vx_font_free(VX_FONT* font) {
  if (!font) return;
  for (int i = 0; i < font->char_count; i++) {
    VX_FONT_CHAR& c = font->chars[i];
    if (!c.owner || !c.glyph) continue;
    for (int f = 0; f < c.glyph->frame_count; f++) {
      VX_CHAR_DATA& d = c.glyph->frames[f];
      if (!d.owns_bitmap || !d.bitmap) continue;
      vx_bit_free(d.bitmap);
      vx_mem_free(d.bitmap);
    }
    if (c.glyph->frames) vx_mem_free(c.glyph->frames);
    vx_mem_free(c.glyph);
  }
  if (font->chars) vx_mem_free(font->chars);
  if (font->name) vx_mem_free(font->name);
  if (font->palette) vx_pal_free(font->palette);
  *font = {};
}
