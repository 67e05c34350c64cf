// Shared by the menu module's files: its settings, reports and line kinds.
#pragma once

#include "toolkit/vx_menu.h"

// The settings in force (defaults when none were given).
const VX_MENU_SETTINGS& vx_menu_settings();
// Raises `code` of module "Menu" with an optional detail line; shown in debug mode.
void vx_menu_raise(int code, const char* detail_format = nullptr, ...) __attribute__((format(printf, 2, 3)));

// The kind of a line: its type without the visibility bits.
inline int vx_menu_kind(const VX_MENU_LINE* line) { return line->type & ~VX_MENU_VISIBILITY; }
// 1 for the kinds whose text the update callback refreshes.
inline bool vx_menu_refreshed(int kind) {
  return kind == VX_MENU_DYNAMIC || kind == VX_MENU_OPTIONS || kind == VX_MENU_DYNAMIC_OPTIONS ||
         kind == VX_MENU_DYNAMIC_ITEM;
}
// 1 for the kinds whose text may be rewritten (measured again when drawn).
inline bool vx_menu_rewritable(int kind) { return kind == VX_MENU_DYNAMIC || kind == VX_MENU_DYNAMIC_ITEM; }
