// Bitmap fonts: measuring texts and drawing them, at natural size or scaled, with fixed or proportional spacing.
#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

#include "display/vx_blit.h"
#include "toolkit/vx_font.h"
#include "toolkit/vx_font_internal.h"

namespace {

constexpr int TEXT_CHARS = 255;  // the formatted text is cut here
constexpr uint32_t TRANSP_BLIT_FLAG = 0x40;  // what the transparent copy is handed with VX_FONT_TRANSPARENT

// What one drawing call draws with.
struct Pen {
  VX_FONT* font;
  VX_BITMAP* target;
  uint32_t flags;
  int gap;  // pixels after every character
};

Pen pen_for(VX_FONT* font, VX_BITMAP* target, uint32_t flags) {
  return {font, target, flags, (flags & VX_FONT_NO_GAP) ? 0 : 1};
}

// The frame every text is drawn with: frame 1 of the character drawn for `code`.
const VX_CHAR_DATA* first_frame(const VX_FONT* font, uint32_t code) {
  const VX_FONT_CHAR* e = vx_font_entry(font, code);
  return e && e->glyph->frame_count ? &e->glyph->frames[0] : nullptr;
}

void blit(const Pen& p, VX_BITMAP* bitmap, const VX_RECT& dest, const VX_RECT& src, bool scaled) {
  uint32_t flags = (p.flags & VX_FONT_BLIT_UNIFORM) ? VX_BIT_UNIFORM : 0;
  if (scaled) flags |= VX_BIT_SCALE | ((p.flags & VX_FONT_KEEP_ASPECT) ? VX_BIT_BY_HEIGHT : 0);
  if (p.flags & VX_FONT_TRANSPARENT)
    vx_bit_copy_transp(p.target, bitmap, &dest, &src, flags | TRANSP_BLIT_FLAG);
  else
    vx_bit_copy(p.target, bitmap, &dest, &src, flags);
}

// Scales `src` into `dest`, cut at x = `right`; the source is cut in
// proportion, so that the visible part keeps its scale.
void blit_clipped(const Pen& p, VX_BITMAP* bitmap, VX_RECT src, VX_RECT dest, int right) {
  if (dest.width < 1 || src.width < 1) return;
  if (dest.x + dest.width > right) {
    const int visible = right - dest.x;
    if (visible < 1) return;
    src.width = int16_t((long(src.width) * visible + dest.width - 1) / dest.width);
    dest.width = int16_t(visible);
  }
  blit(p, bitmap, dest, src, true);
}

// A remainder of `r` pixels spread over `n` characters, so that the widths
// add up exactly: each character gets r / n, and what is left one pixel at
// a time (one less when negative) to every (n / left)-th character.
class Spread {
 public:
  Spread() = default;
  Spread(int r, int n) {
    if (n < 1) return;
    each_ = r / n;
    left_ = r - each_ * n;
    sign_ = left_ < 0 ? -1 : 1;
    left_ = std::abs(left_);
    step_ = left_ ? n / left_ : 1;
  }
  // The adjustment of character `i` (0-based), asked in order.
  int next(int i) {
    int extra = each_;
    if (left_ > 0 && (i + 1) % step_ == 0) extra += sign_, left_--;
    return extra;
  }

 private:
  int each_ = 0, left_ = 0, sign_ = 1, step_ = 1;
};

int measure_codes(const VX_FONT* font, const uint32_t* codes, int n, uint32_t flags, int* height) {
  const int gap = (flags & VX_FONT_NO_GAP) ? 0 : 1;
  if (!(flags & VX_FONT_PROPORTIONAL)) {
    *height = font->height;
    return n > 0 ? font->width * n + (n - 1) * gap : 0;
  }
  int width = 0;
  *height = 0;
  for (int i = 0; i < n; i++) {
    const VX_CHAR_DATA* d = first_frame(font, codes[i]);
    if (!d) continue;
    width += d->span.width + gap;
    *height = std::max<int>(*height, d->span.height);
  }
  return width;
}

// Natural size: cells (fixed) or spans (proportional, centred with flag 2)
// copied one after another.
int draw_natural(const Pen& p, const uint32_t* codes, int n, const VX_RECT& r) {
  const bool proportional = p.flags & VX_FONT_PROPORTIONAL;
  int x = r.x;
  if (proportional && (p.flags & VX_FONT_CENTER)) {
    int h;
    const int w = measure_codes(p.font, codes, n, p.flags, &h);
    if (w < r.width) x += (r.width - w) / 2;
  }
  int used = 0;
  for (int i = 0; i < n && used != r.width; i++) {
    const VX_CHAR_DATA* d = first_frame(p.font, codes[i]);
    if (!d) continue;
    const VX_RECT& src = proportional ? d->span : d->cell;
    if (src.width > 0) blit(p, d->bitmap, {int16_t(x), r.y, src.width, src.height}, src, false);
    const int advance = (proportional ? src.width : p.font->width) + p.gap;
    x += advance;
    used += advance;
  }
  return x - r.x;
}

// Scaled, fixed spacing: one slot per character.
int draw_scaled_fixed(const Pen& p, const uint32_t* codes, int n, const VX_RECT& r) {
  const int fw = p.font->width, fh = p.font->height;
  int slot;
  Spread spread;
  if ((p.flags & VX_FONT_KEEP_ASPECT) && fh > 0) {
    slot = int(std::lround(double(r.height) * fw / fh)) - 1;
  } else {
    slot = r.width / n;
    spread = Spread(r.width - n * (slot + p.gap), n);
  }
  const int right = r.x + r.width;
  int x = r.x;
  for (int i = 0; i < n && x < right; i++) {
    const int w = std::max(0, slot + spread.next(i));
    if (const VX_CHAR_DATA* d = first_frame(p.font, codes[i])) {
      VX_RECT dest = {int16_t(x), r.y, int16_t(w), r.height};
      if (d->cell.width < fw) {
        // A narrower cell keeps its share of the slot, centred in it.
        dest.width = int16_t(w * d->cell.width / fw);
        dest.x = int16_t(x + (w - dest.width) / 2);
      }
      blit_clipped(p, d->bitmap, d->cell, dest, right);
    }
    x += w + p.gap;
  }
  return std::min(x, right) - r.x;
}

// Scaled, proportional spacing: spans stretched to the rectangle's width,
// or scaled by its height when the aspect is kept.
int draw_scaled_proportional(const Pen& pen, const uint32_t* codes, int n, VX_RECT r) {
  Pen p = pen;
  int h;
  const int w = measure_codes(p.font, codes, n, p.flags, &h);
  if (w <= 0 || h <= 0) return 0;
  if ((p.flags & VX_FONT_KEEP_ASPECT) && (p.flags & VX_FONT_CENTER)) {
    const int natural = int(long(w) * r.height / h);
    if (natural < r.width) {
      r.x = int16_t(r.x + (r.width - natural) / 2);
      r.width = int16_t(natural);
    } else {
      p.flags &= ~VX_FONT_KEEP_ASPECT;  // too wide at this height: stretched to fit
    }
  }
  const bool by_height = p.flags & VX_FONT_KEEP_ASPECT;
  const uint32_t factor = (uint32_t(r.width) << 16) / uint32_t(w);  // 16.16
  auto scaled = [&](const VX_RECT& span) {
    if (by_height) return span.height > 0 ? int(long(span.width) * r.height / span.height) : 0;
    return int((uint64_t(span.width) * factor) >> 16);
  };
  Spread spread;
  if (!by_height) {
    int sum = 0;
    for (int i = 0; i < n; i++)
      if (const VX_CHAR_DATA* d = first_frame(p.font, codes[i])) sum += scaled(d->span);
    spread = Spread(r.width - sum - (n - 1) * p.gap, n);
  }
  const int right = r.x + r.width;
  int x = r.x;
  for (int i = 0; i < n && x < right; i++) {
    const VX_CHAR_DATA* d = first_frame(p.font, codes[i]);
    const int sw = std::max(0, (d ? scaled(d->span) : 0) + spread.next(i));
    if (d) blit_clipped(p, d->bitmap, d->span, {int16_t(x), r.y, int16_t(sw), r.height}, right);
    x += sw + p.gap;
  }
  return std::min(x, right) - r.x;
}

}  // namespace

int vx_font_measure(VX_FONT* font, const char* text, VX_RECT* size_out, uint32_t draw_flags) {
  if (size_out) *size_out = {};
  if (!font || !text) return 0;
  const uint32_t* codes;
  const int n = vx_font_decode(font, text, &codes);
  int height;
  const int width = measure_codes(font, codes, n, draw_flags, &height);
  if (size_out) *size_out = {0, 0, int16_t(width), int16_t(height)};
  return width;
}

int vx_font_print(VX_FONT* font, VX_BITMAP* target, const VX_RECT* rect, uint32_t draw_flags,
                  const char* format, ...) {
  char* text = vx_font_text_buffer();
  if (!text || !font || font->width == 0 || !format || !*format || !target) return 0;
  const VX_RECT r = rect ? *rect : VX_RECT{0, 0, target->width, int16_t(font->height)};
  if (r.width <= 0 || r.height <= 0 || r.x >= target->width || r.y >= target->height || r.x + r.width <= 0 ||
      r.y + r.height <= 0)
    return 0;
  va_list ap;
  va_start(ap, format);
  const int length = std::vsnprintf(text, TEXT_CHARS + 1, format, ap);
  va_end(ap);
  if (length > TEXT_CHARS) vx_font_raise(VX_FONT_ERR_TEXT_LONG, "%s", text);  // drawn as cut
  const uint32_t* codes;
  const int n = vx_font_decode(font, text, &codes);
  if (n < 1) return 0;
  const Pen p = pen_for(font, target, draw_flags);
  if (!(draw_flags & VX_FONT_SCALE)) return draw_natural(p, codes, n, r);
  if (!(draw_flags & VX_FONT_PROPORTIONAL)) return draw_scaled_fixed(p, codes, n, r);
  return draw_scaled_proportional(p, codes, n, r);
}

int vx_font_draw_char(VX_FONT* font, uint32_t code, int frame, VX_BITMAP* target, const VX_RECT* rect,
                      uint32_t draw_flags) {
  VX_RECT rects[3];
  VX_BITMAP* bitmap = font && target && font->width ? vx_font_char_frame(font, code, frame, rects) : nullptr;
  if (!bitmap) return 0;
  const VX_RECT r = rect ? *rect : VX_RECT{0, 0, target->width, int16_t(font->height)};
  if (r.width <= 0 || r.height <= 0) return 0;
  const VX_RECT& cell = rects[0];
  const VX_RECT& span = rects[1];
  const Pen p = pen_for(font, target, draw_flags);
  const bool keep = draw_flags & VX_FONT_KEEP_ASPECT;
  const int aspect_width = cell.height > 0 ? int(long(r.height) * cell.width / cell.height) : r.width;
  VX_RECT dest = r;
  if (!(draw_flags & VX_FONT_SCALE)) {
    dest.width = int16_t(std::min<int>(r.width, keep ? aspect_width : cell.width));
    dest.height = cell.height;
    blit(p, bitmap, dest, {cell.x, cell.y, dest.width, cell.height}, false);
  } else if (!(draw_flags & VX_FONT_PROPORTIONAL)) {
    if (keep) dest.width = int16_t(aspect_width);
    blit(p, bitmap, dest, cell, true);
  } else {
    if (keep && (draw_flags & VX_FONT_CENTER) && aspect_width < r.width)
      dest = {int16_t(r.x + (r.width - aspect_width) / 2), r.y, int16_t(aspect_width), r.height};
    blit(p, bitmap, dest, span, true);
  }
  return dest.width;
}
