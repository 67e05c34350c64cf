// Text-defined menus: module state and messages, line visibility, showing, input codes and freeing.
#include "toolkit/vx_menu.h"

#include <cstdarg>
#include <cstdio>
#include <iterator>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "display/vx_blit.h"
#include "display/vx_dsp.h"
#include "platform/platform.h"
#include "toolkit/vx_menu_internal.h"

namespace {

// The messages of module "Menu", by error code.
const char* const kMenuErrors[] = {
    "Invalid menu pointer",
    "Couldn't find the menu file",
    "Invalid menu file format",
    "Not enough free memory to load the menu",
    "Invalid menu position",
    "Line not found",
    "Invalid menu size",
    "Variable line is too long",
};
static_assert(std::size(kMenuErrors) == VX_MENU_ERR_TOO_LONG + 1, "one entry per code");

constexpr VX_MENU_SETTINGS kDefaults = {0, 640, 480, nullptr};

struct MenuState {
  int module = -1;
  const VX_MENU_SETTINGS* settings = &kDefaults;
};
MenuState st;

// The line `index` of the menu, null when out of range or not loaded.
VX_MENU_LINE* line_at(const VX_MENU* menu, int index) {
  if (!menu->lines || index < 0 || index >= menu->line_count) return nullptr;
  return menu->lines[index];
}

int kind_at(const VX_MENU* menu, int index) {
  const VX_MENU_LINE* line = line_at(menu, index);
  return line ? vx_menu_kind(line) : 0;
}

// Without a current line: the default line when it is an item or an option
// list, else the last line of those kinds.
void choose_current(VX_MENU* menu) {
  if (menu->current != -1) return;
  const auto chooses = [&](int i) { return kind_at(menu, i) == VX_MENU_ITEM || kind_at(menu, i) == VX_MENU_OPTIONS; };
  if (menu->default_line >= 0 && chooses(menu->default_line)) {
    menu->current = menu->default_line;
    return;
  }
  for (int i = 0; i < menu->line_count; i++)
    if (chooses(i)) menu->current = i;
}

// Moves the current line by `step` (-1 up, +1 down) to the next selectable
// line, wrapping at the ends; it stays when no other line is selectable.
void move_current(VX_MENU* menu, int step) {
  const int n = menu->line_count;
  for (int k = 1; k < n; k++) {
    const int i = ((menu->current + step * k) % n + n) % n;
    if (vx_menu_line_selectable(line_at(menu, i))) {
      menu->current = i;
      return;
    }
  }
}

// Milliseconds from `since` to `now`, through the tick counter's wrap.
long long elapsed(uint32_t now, uint32_t since) { return static_cast<long long>(static_cast<uint32_t>(now - since)); }

}  // namespace

const VX_MENU_SETTINGS& vx_menu_settings() { return *st.settings; }

void vx_menu_raise(int code, const char* detail_format, ...) {
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
  if (st.settings->debug) vx_error_report();
}

int vx_menu_init(const VX_MENU_SETTINGS* settings) {
  st.settings = settings ? settings : &kDefaults;
  st.module = vx_error_register("Menu", kMenuErrors);
  return 1;
}

int vx_menu_line_visible(const VX_MENU_LINE* line) {
  if (!line) return 0;
  const VX_DSP_PARAMS* params = vx_dsp_params();
  const uint32_t flags = params ? params->flags : 0;
  const bool hardware = params && params->mode_out && (params->mode_out->flags & VX_MODE_3D_HW);
  const int t = line->type;
  if ((t & VX_MENU_IF_3D_HW) && !hardware) return 0;
  if ((t & VX_MENU_IF_NO_3D_HW) && hardware) return 0;
  if ((t & VX_MENU_IF_SWITCHABLE) && (flags & (VX_DSP_WINDOW_ONLY | VX_DSP_FULLSCREEN_ONLY))) return 0;
  if ((t & VX_MENU_IF_RESIZABLE) && (flags & VX_DSP_FIXED_SIZE)) return 0;
  return 1;
}

int vx_menu_line_selectable(const VX_MENU_LINE* line) {
  if (!line) return 0;
  const int kind = vx_menu_kind(line);
  return (kind == VX_MENU_ITEM || kind == VX_MENU_OPTIONS || kind == VX_MENU_DYNAMIC_ITEM) &&
         vx_menu_line_visible(line);
}

void vx_menu_show(VX_MENU* menu, int show) {
  if (!menu) return;
  choose_current(menu);
  menu->shown = show & 1;
  menu->last_input = plat_ticks();
}

int vx_menu_input(VX_MENU* menu, int code) {
  if (!menu) return 0;
  const uint32_t now = plat_ticks();
  if (elapsed(now, menu->last_input) < menu->delay) return 0;
  if (!menu->shown && code != VX_MENU_IN_BACK) code = VX_MENU_IN_NONE;
  if (code > VX_MENU_IN_RIGHT || code < 0) return 0;
  VX_MENU_LINE* line = line_at(menu, menu->current);
  // The value the code sends: the current line's when its mask has the code's bit.
  const auto line_value = [&] { return line->notify_mask & code ? line->value : 0; };
  int value = 0;
  switch (code) {
    case VX_MENU_IN_NONE:
      if (!menu->shown || elapsed(now, menu->last_input) < menu->timeout) return 0;
      value = menu->escape;
      break;
    case VX_MENU_IN_BACK: value = menu->escape; break;
    case VX_MENU_IN_SELECT:
    case VX_MENU_IN_LEFT:
    case VX_MENU_IN_RIGHT:
      // The line's current_text is the notify callback's to change.
      if (!line) return 0;
      value = line_value();
      break;
    case VX_MENU_IN_UP:
    case VX_MENU_IN_DOWN:
      if (!line) return 0;
      value = line_value();
      move_current(menu, code == VX_MENU_IN_UP ? -1 : 1);
      break;
    default: return 0;
  }
  menu->last_input = now;
  if (value == VX_MENU_TOGGLE) {
    menu->shown = !menu->shown;
    // A menu opened by the back code gets a current line as if shown.
    if (menu->shown) choose_current(menu);
  } else if (value >= VX_MENU_NOTIFY_FROM && menu->notify_cb) {
    menu->notify_cb(value, code, line);
  }
  return 1;
}

void vx_menu_free(VX_MENU* menu) {
  if (!menu) return;
  if (menu->lines) {
    for (int i = 0; i < menu->line_count; i++) {
      VX_MENU_LINE* line = menu->lines[i];
      if (!line) continue;
      for (int t = 0; t < line->text_count; t++) vx_dsp_rect_remove(&line->texts[t].rect);
      vx_mem_free(line);
    }
    vx_mem_free(menu->lines);
  }
  if (menu->name) vx_mem_free(menu->name);
  vx_dsp_rect_remove(&menu->rect);
  *menu = {};
}
