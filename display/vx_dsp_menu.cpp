// The loaded menu: built from a resource, items by position and by command, and the popups the program fills (Change Resolution, all modes, Language).
#include "display/vx_dsp_menu.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "display/vx_app.h"
#include "display/vx_dsp_internal.h"

namespace {

struct Menu {
  int used;
  int count;
  std::array<VX_MENU_ITEM, VX_MENU_MAX_ITEMS> items;
};

struct MenuState {
  std::array<Menu, VX_MENU_MAX> menus;
  int bar = -1;
  uint16_t language = 0;
};
MenuState ms;

int valid(int menu) { return menu >= 0 && menu < VX_MENU_MAX && ms.menus[static_cast<size_t>(menu)].used; }
Menu& at(int menu) { return ms.menus[static_cast<size_t>(menu)]; }

int new_menu() {
  for (int i = 0; i < VX_MENU_MAX; i++)
    if (!at(i).used) {
      at(i).used = 1;
      at(i).count = 0;
      return i;
    }
  return -1;
}

void free_menu(int menu) {
  if (!valid(menu)) return;
  Menu& m = at(menu);
  for (int i = 0; i < m.count; i++)
    if (m.items[static_cast<size_t>(i)].popup >= 0) free_menu(m.items[static_cast<size_t>(i)].popup);
  m.used = 0;
  m.count = 0;
}

// Copies a UTF-8 text, cut at a character boundary when it does not fit.
void copy_text(char (&dst)[VX_MENU_TEXT], const char* src) {
  size_t n = src ? std::strlen(src) : 0;
  if (n >= sizeof dst) {
    n = sizeof dst - 1;
    while (n > 0 && (static_cast<unsigned char>(src[n]) & 0xC0) == 0x80) n--;
  }
  if (n) std::memcpy(dst, src, n);
  dst[n] = 0;
}

int append_item(int menu, uint16_t flags, uint32_t id, const char* text, int popup) {
  if (!valid(menu) || at(menu).count >= VX_MENU_MAX_ITEMS) return -1;
  Menu& m = at(menu);
  VX_MENU_ITEM& it = m.items[static_cast<size_t>(m.count)];
  it = {};
  it.id = id;
  it.flags = flags;
  it.popup = static_cast<int16_t>(popup);
  copy_text(it.text, text);
  return m.count++;
}

// Builds the menu of the lines at `*at` of nesting `depth`; the handle or -1.
int build(const VX_MENU_RES_LINE* lines, int count, int* next, int depth) {
  int menu = new_menu();
  if (menu < 0) return -1;
  while (*next < count && lines[*next].depth == depth) {
    const VX_MENU_RES_LINE& l = lines[(*next)++];
    switch (l.kind) {
      case VX_RES_POPUP: {
        int sub = build(lines, count, next, depth + 1);
        append_item(menu, VX_MENU_POPUP, 0, l.text, sub);
        break;
      }
      case VX_RES_SEPARATOR: append_item(menu, VX_MENU_SEPARATOR, 0, "", -1); break;
      default: append_item(menu, 0, l.id, l.text, -1); break;
    }
  }
  // Lines nested deeper without a popup before them have no place; skip them.
  while (*next < count && lines[*next].depth > depth) (*next)++;
  return menu;
}

int find_in(int menu, uint32_t id, int* out_menu, int* out_pos) {
  if (!valid(menu)) return 0;
  Menu& m = at(menu);
  for (int i = 0; i < m.count; i++) {
    const VX_MENU_ITEM& it = m.items[static_cast<size_t>(i)];
    if (it.id == id && !(it.flags & (VX_MENU_POPUP | VX_MENU_SEPARATOR))) {
      *out_menu = menu;
      *out_pos = i;
      return 1;
    }
    if (it.popup >= 0 && find_in(it.popup, id, out_menu, out_pos)) return 1;
  }
  return 0;
}

VX_MENU_ITEM* item_at(int menu, int pos) {
  if (!valid(menu) || pos < 0 || pos >= at(menu).count) return nullptr;
  return &at(menu).items[static_cast<size_t>(pos)];
}

void set_flag(VX_MENU_ITEM* it, uint16_t flag, int on) {
  if (on)
    it->flags = static_cast<uint16_t>(it->flags | flag);
  else
    it->flags = static_cast<uint16_t>(it->flags & ~flag);
}

void clear_items(int menu) {
  while (vx_dsp_menu_count(menu) > 0) vx_dsp_menu_delete(menu, 0);
}

const VX_LANGUAGE* current_language(const VX_APP* app) {
  const VX_LANGUAGES* l = app ? app->languages : nullptr;
  if (!l || !l->entries || l->current < 0 || l->current >= l->count) return nullptr;
  return &l->entries[l->current];
}

// The item text of mode `i` in the all-modes popup. Standard VGA modes are
// named Mode X in full screen once the popup was built.
void mode_text(const VX_VIDEO_MODE& m, char* out, size_t size, int vga_as_mode_x) {
  const char* kind = "";
  if (m.flags & VX_MODE_VGA)
    kind = vga_as_mode_x ? " (Mode X)" : " (Standard VGA)";
  else if (m.flags & VX_MODE_X)
    kind = " (Mode X)";
  std::snprintf(out, size, "%ux%ux%d, %uHz%s", m.width, m.height, m.depth, m.refresh, kind);
}

}  // namespace

// ---------------------------------------------------------------- items

int vx_dsp_menu_bar() { return valid(ms.bar) ? ms.bar : -1; }
uint16_t vx_dsp_menu_language() { return ms.language; }

int vx_dsp_menu_count(int menu) { return valid(menu) ? at(menu).count : -1; }

const VX_MENU_ITEM* vx_dsp_menu_item(int menu, int pos) { return item_at(menu, pos); }

int vx_dsp_menu_sub(int menu, int pos) {
  const VX_MENU_ITEM* it = item_at(menu, pos);
  return it && valid(it->popup) ? it->popup : -1;
}

int vx_dsp_menu_find(uint32_t id, int* menu, int* pos) {
  int m = -1, p = -1;
  int found = find_in(ms.bar, id, &m, &p);
  if (menu) *menu = m;
  if (pos) *pos = p;
  return found;
}

int vx_dsp_menu_check_pos(int menu, int pos, int checked) {
  VX_MENU_ITEM* it = item_at(menu, pos);
  if (!it) return 0;
  set_flag(it, VX_MENU_CHECKED, checked);
  return 1;
}

int vx_dsp_menu_enable_pos(int menu, int pos, int enabled) {
  VX_MENU_ITEM* it = item_at(menu, pos);
  if (!it) return 0;
  set_flag(it, VX_MENU_GRAYED, !enabled);
  return 1;
}

int vx_dsp_menu_check(uint32_t id, int checked) {
  int m, p;
  return vx_dsp_menu_find(id, &m, &p) && vx_dsp_menu_check_pos(m, p, checked);
}

int vx_dsp_menu_enable(uint32_t id, int enabled) {
  int m, p;
  return vx_dsp_menu_find(id, &m, &p) && vx_dsp_menu_enable_pos(m, p, enabled);
}

int vx_dsp_menu_is_checked(uint32_t id) {
  int m, p;
  if (!vx_dsp_menu_find(id, &m, &p)) return -1;
  return (item_at(m, p)->flags & VX_MENU_CHECKED) ? 1 : 0;
}

int vx_dsp_menu_is_enabled(uint32_t id) {
  int m, p;
  if (!vx_dsp_menu_find(id, &m, &p)) return -1;
  return (item_at(m, p)->flags & VX_MENU_GRAYED) ? 0 : 1;
}

int vx_dsp_menu_set_text(uint32_t id, const char* text) {
  int m, p;
  if (!vx_dsp_menu_find(id, &m, &p)) return 0;
  copy_text(item_at(m, p)->text, text);
  return 1;
}

int vx_dsp_menu_append(int menu, uint16_t flags, uint32_t id, const char* text) {
  // Popups come only from resources: an appended item opens none.
  return append_item(menu, static_cast<uint16_t>(flags & ~VX_MENU_POPUP), id, text, -1);
}

int vx_dsp_menu_delete(int menu, int pos) {
  VX_MENU_ITEM* it = item_at(menu, pos);
  if (!it) return 0;
  if (it->popup >= 0) free_menu(it->popup);
  Menu& m = at(menu);
  for (int i = pos; i + 1 < m.count; i++) m.items[static_cast<size_t>(i)] = m.items[static_cast<size_t>(i + 1)];
  m.count--;
  return 1;
}

// ---------------------------------------------------------------- load

void vx_dsp_menu_free() {
  free_menu(ms.bar);
  ms.bar = -1;
  ms.language = 0;
}

int vx_dsp_menu_load(VX_APP* app) {
  if (!app) return 0;
  const VX_LANGUAGE* lang = current_language(app);
  uint16_t id = vx_dsp_menu_language_id(lang, app->languages ? app->languages->current : 0);
  const VX_MENU_RESOURCE* res = vx_dsp_menu_resource(app->menu_name, id);
  if (!res) {
    vx_dsp_error_box("Menu not found in the resource", nullptr, PLAT_MB_OK);
    return 0;
  }
  vx_dsp_menu_free();
  int next = 0;
  ms.bar = build(res->lines, res->count, &next, 0);
  ms.language = id;
  vx_dsp_st.mode_menu_built = 0;
  vx_dsp_mode_menu_build();
  vx_dsp_language_menu_build();
  if (app->menu_hook) app->menu_hook();
  // The new menu is kept; in full screen it stays off the window.
  vx_dsp_st.menu_attached = !vx_dsp_st.fullscreen;
  vx_dsp_menu_bar_redraw();
  return 1;
}

// ---------------------------------------------------------------- mode popups

void vx_dsp_mode_menu_build() {
  VX_APP* app = vx_dsp_st.app;
  int bar = vx_dsp_menu_bar();
  if (!app || bar < 0) return;
  int display = vx_dsp_menu_sub(bar, static_cast<int>(app->display_menu_pos));
  int res = vx_dsp_menu_sub(display, static_cast<int>(app->resolution_menu_pos));
  if (res >= 0) {
    clear_items(res);
    for (int i = 0; app->window_sizes && app->window_sizes[i].width; i++) {
      char text[32];
      std::snprintf(text, sizeof text, "%dx%d", app->window_sizes[i].width, app->window_sizes[i].height);
      vx_dsp_menu_append(res, 0, VX_CMD_SIZE_FIRST + static_cast<uint32_t>(i), text);
    }
  }
  if (app->all_modes_menu_pos) {
    int all = vx_dsp_menu_sub(bar, static_cast<int>(app->all_modes_menu_pos));
    int keep = static_cast<int>(app->mode_check_offset);
    while (all >= 0 && vx_dsp_menu_count(all) > keep) vx_dsp_menu_delete(all, keep);
    for (int i = 0; all >= 0 && i < vx_dsp_st.count; i++) {
      char text[VX_MENU_TEXT];
      mode_text(vx_dsp_st.modes[i], text, sizeof text, 0);
      vx_dsp_menu_append(all, 0, VX_CMD_MODE_FIRST + static_cast<uint32_t>(i), text);
    }
  }
  vx_dsp_mode_menu_update();
  vx_dsp_st.mode_menu_built = 1;
}

// The "%dx%d (Default)" item: there, checked, after a separator, when no
// table size is current; gone otherwise.
static void default_item(int res, const VX_VIDEO_MODE* cur, int any_table_size) {
  int m = -1, p = -1;
  int has = vx_dsp_menu_find(VX_CMD_DEFAULT_MODE, &m, &p) && m == res;
  if (!any_table_size && cur) {
    char text[40];
    std::snprintf(text, sizeof text, "%ux%u (Default)", cur->width, cur->height);
    if (!has) {
      vx_dsp_menu_append(res, VX_MENU_SEPARATOR, 0, "");
      vx_dsp_menu_append(res, 0, VX_CMD_DEFAULT_MODE, text);
    }
    vx_dsp_menu_set_text(VX_CMD_DEFAULT_MODE, text);
    vx_dsp_menu_check(VX_CMD_DEFAULT_MODE, 1);
  } else if (has) {
    vx_dsp_menu_delete(res, p);
    const VX_MENU_ITEM* before = vx_dsp_menu_item(res, p - 1);
    if (before && (before->flags & VX_MENU_SEPARATOR)) vx_dsp_menu_delete(res, p - 1);
  }
}

void vx_dsp_mode_menu_update() {
  VX_DSP_STATE& s = vx_dsp_st;
  VX_APP* app = s.app;
  int bar = vx_dsp_menu_bar();
  if (!app || bar < 0) return;
  const VX_VIDEO_MODE* cur = vx_dsp_mode(s.current);
  const int pref = vx_dsp_preferred_depth();
  const int depth = s.depth_is_preferred ? pref : (cur ? cur->depth : pref);

  int display = vx_dsp_menu_sub(bar, static_cast<int>(app->display_menu_pos));
  int res = vx_dsp_menu_sub(display, static_cast<int>(app->resolution_menu_pos));
  if (res >= 0) {
    int any = 0;
    for (int i = 0; app->window_sizes && app->window_sizes[i].width; i++) {
      const VX_WINDOW_SIZE& ws = app->window_sizes[i];
      uint32_t id = VX_CMD_SIZE_FIRST + static_cast<uint32_t>(i);
      int exists = vx_dsp_mode_find(ws.width, ws.height, depth) >= 0;
      int small = ws.width < 640 || ws.height < 480;
      vx_dsp_menu_enable(id, exists && !(small && !s.fullscreen));
      int on = cur && static_cast<int>(cur->width) == ws.width && static_cast<int>(cur->height) == ws.height;
      vx_dsp_menu_check(id, on);
      any |= on;
    }
    default_item(res, cur, any);
  }
  vx_dsp_menu_check(VX_CMD_256_COLOURS, s.depth_is_preferred);

  if (const VX_LANGUAGE* lang = current_language(app)) {
    const char* label = s.fullscreen ? lang->window : lang->fullscreen;
    if (label[0]) {
      char text[VX_LANGUAGE_TEXT + 4];
      std::snprintf(text, sizeof text, "%s\tF4", label);
      vx_dsp_menu_set_text(VX_CMD_TOGGLE, text);
    }
  }

  if (app->all_modes_menu_pos) {
    int all = vx_dsp_menu_sub(bar, static_cast<int>(app->all_modes_menu_pos));
    for (int i = 0; all >= 0 && i < s.count; i++) {
      int pos = i + static_cast<int>(app->mode_check_offset);
      const VX_MENU_ITEM* it = vx_dsp_menu_item(all, pos);
      if (!it || it->id != VX_CMD_MODE_FIRST + static_cast<uint32_t>(i)) continue;
      const VX_VIDEO_MODE& m = s.modes[i];
      vx_dsp_menu_check_pos(all, pos, i == s.current);
      vx_dsp_menu_enable_pos(all, pos, !(m.flags & VX_MODE_DISABLED) && m.depth >= pref);
      if ((m.flags & VX_MODE_VGA) && s.fullscreen && s.mode_menu_built) {
        char text[VX_MENU_TEXT];
        mode_text(m, text, sizeof text, 1);
        vx_dsp_menu_set_text(it->id, text);
      }
    }
  }

  // In a window, going full screen means the high-res size at the preferred
  // depth, with the virtual screen covering it.
  if (s.have_params && !s.fullscreen) {
    if (const VX_WINDOW_SIZE* hi = vx_dsp_table_size(VX_SIZE_HIGHRES)) {
      int idx = vx_dsp_mode_find(hi->width, hi->height, pref);
      if (idx >= 0) {
        s.fullscreen_index = static_cast<uint16_t>(idx);
        s.full = {0, 0, hi->width, hi->height};
      }
    }
  }
  if (s.have_params && (s.params.flags & (VX_DSP_3D | VX_DSP_WINDOW_ONLY | VX_DSP_FULLSCREEN_ONLY)))
    vx_dsp_menu_enable_pos(bar, static_cast<int>(app->display_menu_pos), 0);
  vx_dsp_menu_bar_redraw();
}

// ---------------------------------------------------------------- language popup

void vx_dsp_language_menu_build() {
  VX_APP* app = vx_dsp_st.app;
  int bar = vx_dsp_menu_bar();
  if (!app || bar < 0) return;
  int game = vx_dsp_menu_sub(bar, static_cast<int>(app->game_menu_pos));
  int pos = static_cast<int>(app->language_menu_pos);
  int lang = vx_dsp_menu_sub(game, pos);
  if (lang < 0) return;
  const VX_LANGUAGES* l = app->languages;
  if (!l || !l->multi || l->count == 1 || !l->entries) {
    vx_dsp_menu_delete(game, pos);
    return;
  }
  clear_items(lang);
  for (int i = 0; i < l->count; i++) {
    if (!l->entries[i].name[0]) continue;
    int p = vx_dsp_menu_append(lang, 0, VX_CMD_LANGUAGE_FIRST + static_cast<uint32_t>(i), l->entries[i].name);
    vx_dsp_menu_check_pos(lang, p, i == l->current);
  }
}
