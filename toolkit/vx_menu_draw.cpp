// Text-defined menus: drawing a shown menu with its dynamic lines, the highlight box, translucency and the pointer sprites.
#include <cstring>

#include "core/vx_mem.h"
#include "display/vx_blit.h"
#include "display/vx_pal.h"
#include "display/vx_screen.h"
#include "toolkit/vx_menu.h"
#include "toolkit/vx_menu_internal.h"

namespace {

constexpr int POINTER_GAP = 2;  // pixels between a pointer sprite and its text

// What one drawing call works with.
struct Painter {
  VX_MENU* menu;
  VX_FONT* font;
  VX_BITMAP* target;
  const VX_MENU_POINTER* pointer;
  int flags;
};

void set_translucency(int percent) {
  if (vx_menu_settings().translucency_set) vx_menu_settings().translucency_set(percent);
}

// Cuts a text rewritten past its capacity back to it, at a character
// boundary, after reporting it.
void keep_capacity(VX_MENU_TEXT* text) {
  const size_t length = strnlen(text->text, VX_MENU_TEXT_SIZE);
  if (length <= text->capacity) return;
  vx_menu_raise(VX_MENU_ERR_TOO_LONG, "%.*s", VX_MENU_TEXT_SIZE - 1, text->text);
  size_t cut = text->capacity;
  while (cut > 0 && (static_cast<unsigned char>(text->text[cut]) & 0xC0) == 0x80) cut--;
  text->text[cut] = 0;
}

// The width a dynamic text takes at its rectangle's height; 0 when that
// does not fit the rectangle (the text is then stretched into it).
int dynamic_width(VX_FONT* font, const VX_MENU_LINE* line, const VX_MENU_TEXT& text) {
  VX_RECT size = {0, 0, 0, 0};
  vx_font_measure(font, text.text, &size, line->spacing == 1 ? VX_FONT_PROPORTIONAL : 0);
  if (size.height < 1 || size.width < 1) return 0;
  const long long w = (long long)size.width * text.rect.height / size.height;
  return w > text.rect.width ? 0 : int(w);
}

// One pixel of colour index `colour` as the copy will take it: at the
// target's depth in software, 32 bits for the 3D back end.
bool solid_pixel(VX_BITMAP* pixel, const VX_BITMAP* target, const VX_MENU_POINTER& p) {
  const int bpp = vx_screen_mode_is_set() ? VX_BIT_BPP32 : target->bpp;
  const VX_RECT one = {0, 0, 1, 1};
  if (!vx_bit_alloc(pixel, &one, bpp)) return false;
  const VX_PALETTE* palette = p.palette ? p.palette : vx_screen_palette();
  uint8_t r = uint8_t(p.colour), g = r, b = r;
  if (palette) vx_pal_colour(palette, int(p.colour), &r, &g, &b);
  uint8_t* px = pixel->pixels;
  switch (bpp) {
    case VX_BIT_BPP8: px[0] = uint8_t(p.colour); break;
    case VX_BIT_BPP15:
    case VX_BIT_BPP16: {
      const uint16_t packed = vx_pal_pack16(r, g, b);
      std::memcpy(px, &packed, 2);
      break;
    }
    case VX_BIT_BPP24: px[0] = r, px[1] = g, px[2] = b; break;
    default: px[0] = r, px[1] = g, px[2] = b, px[3] = 255; break;
  }
  return true;
}

// Where a dynamic text of width dyn_w narrower than its rectangle starts,
// from the rectangle's left edge: the font centres it only with
// proportional spacing; with fixed spacing it is drawn from the left edge
// (the name entry's letters), and the box and pointers stand beside it there.
int dynamic_inset(const VX_MENU_LINE& line, const VX_RECT& rect, int dyn_w) {
  if (!dyn_w || line.spacing != 1 || line.align != VX_MENU_ALIGN_CENTRE) return 0;
  return (rect.width - dyn_w) / 2;
}

// The highlight box: one pixel around the text, narrowed to a dynamic width.
void draw_box(const Painter& P, const VX_MENU_LINE& line, const VX_RECT& rect, int dyn_w) {
  if (!P.pointer) return;
  VX_RECT box = {int16_t(rect.x - 1), int16_t(rect.y - 1), int16_t(rect.width + 2), int16_t(rect.height + 2)};
  if (dyn_w) box.x = int16_t(rect.x + dynamic_inset(line, rect, dyn_w) - 1), box.width = int16_t(dyn_w + 2);
  VX_BITMAP pixel;
  if (!solid_pixel(&pixel, P.target, *P.pointer)) return;
  vx_bit_copy(P.target, &pixel, &box, nullptr, VX_BIT_SCALE);
  vx_bit_free(&pixel);
}

// The pointer sprites beside the current text, at its height.
void draw_pointers(const Painter& P, const VX_MENU_LINE& line, const VX_RECT& rect, int dyn_w) {
  const VX_MENU_POINTER* p = P.pointer;
  if (!p || !p->bitmap || !(P.flags & (VX_MENU_DRAW_POINTER_LEFT | VX_MENU_DRAW_POINTER_RIGHT))) return;
  VX_RECT src = p->rect;
  if (src.width < 1 || src.height < 1) src = {0, 0, p->bitmap->width, p->bitmap->height};
  if (src.width < 1 || src.height < 1) return;
  const int w = int((long long)src.width * rect.height / src.height);
  // A narrower dynamic text: from its start to its end, else the rectangle's edges.
  const int left = rect.x + dynamic_inset(line, rect, dyn_w);
  const int right = dyn_w ? left + dyn_w : rect.x + rect.width;
  VX_RECT dest = {0, rect.y, int16_t(w), rect.height};
  if (P.flags & VX_MENU_DRAW_POINTER_LEFT) {
    dest.x = int16_t(left - POINTER_GAP - w);
    vx_bit_copy_transp(P.target, p->bitmap, &dest, &src, VX_BIT_SCALE);
  }
  if (P.flags & VX_MENU_DRAW_POINTER_RIGHT) {
    dest.x = int16_t(right + POINTER_GAP);
    vx_bit_copy_transp(P.target, p->bitmap, &dest, &src, VX_BIT_SCALE);
  }
}

void draw_line(const Painter& P, int index) {
  VX_MENU* menu = P.menu;
  VX_MENU_LINE* line = menu->lines[index];
  if (!line || !vx_menu_line_visible(line) || line->current_text < 0 || line->current_text >= line->text_count)
    return;
  const int kind = vx_menu_kind(line);
  if (menu->update_cb && vx_menu_refreshed(kind)) {
    menu->update_cb(line);
    if (line->current_text < 0 || line->current_text >= line->text_count) return;
  }
  VX_MENU_TEXT& text = line->texts[line->current_text];
  if (vx_menu_refreshed(kind)) keep_capacity(&text);
  const int dyn_w = vx_menu_rewritable(kind) ? dynamic_width(P.font, line, text) : 0;
  uint32_t font_flags = VX_FONT_TRANSPARENT | VX_FONT_SCALE;
  if (line->spacing == 1) font_flags |= VX_FONT_PROPORTIONAL;
  if (line->align == VX_MENU_ALIGN_CENTRE) font_flags |= VX_FONT_CENTER;
  if (dyn_w || text.rect.width < menu->rect.width) font_flags |= VX_FONT_KEEP_ASPECT;

  const bool is_current = index == menu->current;
  const bool translucent = P.flags & VX_MENU_DRAW_TRANSLUCENT;
  const bool selectable = kind == VX_MENU_ITEM || kind == VX_MENU_OPTIONS || kind == VX_MENU_DYNAMIC_ITEM;
  // Translucent mode draws only the other selectable lines see-through.
  const bool opaque_here = translucent && (is_current || !selectable);
  if (is_current && (P.flags & ~(VX_MENU_DRAW_POINTER_LEFT | VX_MENU_DRAW_POINTER_RIGHT)) == VX_MENU_DRAW_BOX)
    draw_box(P, *line, text.rect, dyn_w);
  if (opaque_here) set_translucency(0);
  if (text.text[0]) vx_font_print(P.font, P.target, &text.rect, font_flags, "%s", text.text);
  if (is_current) draw_pointers(P, *line, text.rect, dyn_w);
  if (opaque_here) set_translucency(menu->transparency);
}

}  // namespace

void vx_menu_draw(VX_MENU* menu, VX_FONT* font, VX_BITMAP* target, const VX_MENU_POINTER* pointer,
                  int draw_flags) {
  if (!menu || !font || !target || !menu->shown || !menu->lines) return;
  const Painter P = {menu, font, target, pointer, draw_flags};
  if (draw_flags & VX_MENU_DRAW_TRANSLUCENT) set_translucency(menu->transparency);
  for (int i = 0; i < menu->line_count; i++) draw_line(P, i);
}
