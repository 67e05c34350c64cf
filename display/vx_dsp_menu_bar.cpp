// The menu bar on screen: its layout, the menu loop driven by keys and the mouse, and the seam for the drawer.
#include <cstdint>

#include "display/vx_dsp_internal.h"
#include "display/vx_dsp_menu.h"

namespace {

struct BarState {
  VX_MENU_BAR_STATE s = {0, 0, -1, -1, -1};
  void (*draw)() = nullptr;
};
BarState bs;

// Character cells of a label: one per UTF-8 character, two for the wide
// East Asian ones; the mnemonic mark '&' takes none. Stops at '\t' or the end.
int cells(const char* text) {
  int n = 0;
  for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p && *p != '\t';) {
    if (*p == '&') {
      p++;
      continue;
    }
    int len = *p < 0x80 ? 1 : (*p >> 5) == 6 ? 2 : (*p >> 4) == 14 ? 3 : 4;
    n += len >= 3 ? 2 : 1;
    for (int i = 0; i < len && *p; i++) p++;
  }
  return n;
}

int key_cells(const char* text) {
  for (const char* p = text; *p; p++)
    if (*p == '\t') return cells(p + 1);
  return 0;
}

int row_height(const VX_MENU_ITEM* it) {
  return (it->flags & VX_MENU_SEPARATOR) ? VX_MENU_SEPARATOR_ROW : VX_MENU_ROW;
}

int selectable(const VX_MENU_ITEM* it) {
  return it && !(it->flags & (VX_MENU_SEPARATOR | VX_MENU_GRAYED));
}

// The open top-level popup's menu, -1 when its title is greyed or it has none.
int open_popup() {
  int bar = vx_dsp_menu_bar();
  const VX_MENU_ITEM* title = vx_dsp_menu_item(bar, bs.s.popup);
  if (!selectable(title)) return -1;
  return vx_dsp_menu_sub(bar, bs.s.popup);
}

int open_sub() { return bs.s.sub >= 0 ? vx_dsp_menu_sub(open_popup(), bs.s.sub) : -1; }

// The next selectable item of `menu` from `from` in `step` direction, wrapping; -1 for none.
int next_selectable(int menu, int from, int step) {
  int n = vx_dsp_menu_count(menu);
  for (int k = 1; k <= n; k++) {
    int i = ((from + step * k) % n + n) % n;
    if (selectable(vx_dsp_menu_item(menu, i))) return i;
  }
  return -1;
}

VX_DSP_RECT popup_box() {
  VX_DSP_RECT t = vx_dsp_menu_bar_title_rect(bs.s.popup);
  return vx_dsp_menu_popup_rect(open_popup(), t.x, t.y + t.height);
}

VX_DSP_RECT sub_box() {
  VX_DSP_RECT p = popup_box();
  int y = p.y;
  for (int i = 0; i < bs.s.sub; i++) y += row_height(vx_dsp_menu_item(open_popup(), i));
  return vx_dsp_menu_popup_rect(open_sub(), p.x + p.width, y);
}

// The item of `menu` drawn in `box` under (x, y), -1 for none.
int item_at_point(int menu, VX_DSP_RECT box, int x, int y) {
  if (menu < 0 || x < box.x || x >= box.x + box.width || y < box.y) return -1;
  int top = box.y;
  for (int i = 0; i < vx_dsp_menu_count(menu); i++) {
    int h = row_height(vx_dsp_menu_item(menu, i));
    if (y < top + h) return i;
    top += h;
  }
  return -1;
}

int title_at(int x, int y) {
  if (y < 0 || y >= VX_MENU_BAR_HEIGHT) return -1;
  int bar = vx_dsp_menu_bar();
  for (int i = 0; i < vx_dsp_menu_count(bar); i++) {
    VX_DSP_RECT r = vx_dsp_menu_bar_title_rect(i);
    if (x >= r.x && x < r.x + r.width) return i;
  }
  return -1;
}

void choose(uint32_t id) {
  vx_dsp_menu_bar_close();
  if (vx_dsp_st.window) plat_post_message(vx_dsp_st.window, PLAT_WM_COMMAND, id, 0);
}

// Enter, or Right on a popup item: opens the item's popup or chooses its command.
void activate() {
  int sub = open_sub();
  if (sub >= 0) {
    const VX_MENU_ITEM* it = vx_dsp_menu_item(sub, bs.s.sub_item);
    if (selectable(it)) choose(it->id);
    return;
  }
  const VX_MENU_ITEM* it = vx_dsp_menu_item(open_popup(), bs.s.item);
  if (!selectable(it)) return;
  if (it->flags & VX_MENU_POPUP) {
    bs.s.sub = bs.s.item;
    bs.s.sub_item = next_selectable(open_sub(), -1, 1);
  } else {
    choose(it->id);
  }
}

void select_popup(int pos, int highlight_first) {
  bs.s.popup = pos;
  bs.s.sub = -1;
  bs.s.sub_item = -1;
  bs.s.item = highlight_first ? next_selectable(open_popup(), -1, 1) : -1;
}

int on_key(uint32_t vk) {
  int n = vx_dsp_menu_count(vx_dsp_menu_bar());
  switch (vk) {
    case PLAT_VK_ESCAPE:
      if (bs.s.sub >= 0) {
        bs.s.sub = bs.s.sub_item = -1;
      } else {
        vx_dsp_menu_bar_close();
      }
      break;
    case PLAT_VK_F10:
    case PLAT_VK_MENU: vx_dsp_menu_bar_close(); break;
    case PLAT_VK_LEFT:
      if (bs.s.sub >= 0)
        bs.s.sub = bs.s.sub_item = -1;
      else
        select_popup((bs.s.popup + n - 1) % n, 1);
      break;
    case PLAT_VK_RIGHT: {
      const VX_MENU_ITEM* it = vx_dsp_menu_item(open_popup(), bs.s.item);
      if (bs.s.sub < 0 && selectable(it) && (it->flags & VX_MENU_POPUP))
        activate();
      else
        select_popup((bs.s.popup + 1) % n, 1);
      break;
    }
    case PLAT_VK_UP:
    case PLAT_VK_DOWN: {
      int step = vk == PLAT_VK_DOWN ? 1 : -1;
      if (bs.s.sub >= 0)
        bs.s.sub_item = next_selectable(open_sub(), bs.s.sub_item < 0 && step < 0 ? 0 : bs.s.sub_item, step);
      else
        bs.s.item = next_selectable(open_popup(), bs.s.item < 0 && step < 0 ? 0 : bs.s.item, step);
      break;
    }
    case PLAT_VK_RETURN:
    case PLAT_VK_SPACE: activate(); break;
    default: break;
  }
  return 1;
}

int on_click(int x, int y) {
  int title = title_at(x, y);
  if (title >= 0) {
    if (title == bs.s.popup)
      vx_dsp_menu_bar_close();
    else
      select_popup(title, 0);
    return 1;
  }
  int sub = item_at_point(open_sub(), sub_box(), x, y);
  if (sub >= 0) {
    bs.s.sub_item = sub;
    activate();
    return 1;
  }
  int item = item_at_point(open_popup(), popup_box(), x, y);
  if (item >= 0) {
    bs.s.item = item;
    bs.s.sub = bs.s.sub_item = -1;
    activate();
    return 1;
  }
  vx_dsp_menu_bar_close();
  return 1;
}

void on_hover(int x, int y) {
  int title = title_at(x, y);
  if (title >= 0 && title != bs.s.popup) select_popup(title, 0);
  int sub = item_at_point(open_sub(), sub_box(), x, y);
  if (sub >= 0) {
    bs.s.sub_item = sub;
    return;
  }
  int item = item_at_point(open_popup(), popup_box(), x, y);
  if (item >= 0 && item != bs.s.item) {
    bs.s.item = item;
    bs.s.sub = bs.s.sub_item = -1;
  }
}

int point_x(intptr_t lparam) { return static_cast<int16_t>(plat_loword(static_cast<uintptr_t>(lparam))); }
int point_y(intptr_t lparam) { return static_cast<int16_t>(plat_hiword(static_cast<uintptr_t>(lparam))); }

}  // namespace

void vx_dsp_menu_bar_drawer_set(void (*draw)()) {
  int before = vx_dsp_menu_bar_height();
  bs.draw = draw;
  // The bar's room above the picture appears or goes: the window follows.
  VX_DSP_STATE& s = vx_dsp_st;
  if (before != vx_dsp_menu_bar_height() && s.window && !s.fullscreen && s.mode_set_done)
    vx_dsp_window_place(s.win_x, s.win_y, s.client_w, s.client_h, nullptr);
  vx_dsp_menu_bar_redraw();
}

int vx_dsp_menu_bar_shown() { return bs.draw && vx_dsp_st.menu_attached && vx_dsp_menu_bar() >= 0; }

int vx_dsp_menu_bar_height() { return vx_dsp_menu_bar_shown() ? VX_MENU_BAR_HEIGHT : 0; }

void vx_dsp_menu_bar_redraw() {
  if (bs.draw && vx_dsp_menu_bar_shown()) bs.draw();
}

const VX_MENU_BAR_STATE* vx_dsp_menu_bar_state() { return &bs.s; }

int vx_dsp_menu_bar_open(int pos) {
  if (bs.s.open) return 1;
  if (!vx_dsp_menu_bar_shown()) return 0;
  int n = vx_dsp_menu_count(vx_dsp_menu_bar());
  if (n <= 0) return 0;
  bs.s = {1, 0, -1, -1, -1};
  select_popup(pos >= 0 && pos < n ? pos : 0, 0);
  // The window procedures may refuse the menu loop: they then post
  // PLAT_WM_EXITMENULOOP, which closes the bar again.
  if (vx_dsp_st.window) plat_send_message(vx_dsp_st.window, PLAT_WM_ENTERMENULOOP, 0, 0);
  vx_dsp_menu_bar_redraw();
  return bs.s.open;
}

void vx_dsp_menu_bar_close() {
  if (!bs.s.open) return;
  bs.s = {0, 0, -1, -1, -1};
  if (vx_dsp_st.window) plat_send_message(vx_dsp_st.window, PLAT_WM_EXITMENULOOP, 0, 0);
  vx_dsp_menu_bar_redraw();
}

int vx_dsp_menu_bar_message(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (!bs.s.open) {
    if (!vx_dsp_menu_bar_shown()) return 0;
    if (message == PLAT_WM_SYSKEYDOWN && wparam == PLAT_VK_F10) {
      if (vx_dsp_menu_bar_open(0) && bs.s.open) bs.s.item = next_selectable(open_popup(), -1, 1);
      vx_dsp_menu_bar_redraw();
      return 1;
    }
    if (message == PLAT_WM_LBUTTONDOWN) {
      int title = title_at(point_x(lparam), point_y(lparam));
      if (title < 0) return 0;
      vx_dsp_menu_bar_open(title);
      return 1;
    }
    return 0;
  }
  int taken = 1;
  switch (message) {
    case PLAT_WM_SYSKEYDOWN:
      // Alt+F4 still closes the program: the bar closes and the key goes on.
      if (wparam == PLAT_VK_F4) {
        vx_dsp_menu_bar_close();
        return 0;
      }
      on_key(static_cast<uint32_t>(wparam));
      break;
    case PLAT_WM_KEYDOWN: on_key(static_cast<uint32_t>(wparam)); break;
    case PLAT_WM_KEYUP:
    case PLAT_WM_SYSKEYUP:
    case PLAT_WM_CHAR:
    case PLAT_WM_SYSCHAR:
    case PLAT_WM_LBUTTONUP:
    case PLAT_WM_RBUTTONDOWN:
    case PLAT_WM_RBUTTONUP: break;
    case PLAT_WM_LBUTTONDOWN: on_click(point_x(lparam), point_y(lparam)); break;
    case PLAT_WM_MOUSEMOVE: on_hover(point_x(lparam), point_y(lparam)); break;
    default: taken = 0; break;
  }
  if (taken) vx_dsp_menu_bar_redraw();
  return taken;
}

VX_DSP_RECT vx_dsp_menu_bar_title_rect(int pos) {
  int bar = vx_dsp_menu_bar();
  int x = 0;
  for (int i = 0; i < vx_dsp_menu_count(bar); i++) {
    int w = cells(vx_dsp_menu_item(bar, i)->text) * VX_MENU_CELL + 2 * VX_MENU_CELL;
    if (i == pos) return {x, 0, w, VX_MENU_BAR_HEIGHT};
    x += w;
  }
  return {0, 0, 0, 0};
}

VX_DSP_RECT vx_dsp_menu_popup_rect(int menu, int x, int y) {
  int n = vx_dsp_menu_count(menu);
  if (n <= 0) return {x, y, 0, 0};
  int label = 0, key = 0, height = 0;
  for (int i = 0; i < n; i++) {
    const VX_MENU_ITEM* it = vx_dsp_menu_item(menu, i);
    if (cells(it->text) > label) label = cells(it->text);
    if (key_cells(it->text) > key) key = key_cells(it->text);
    height += row_height(it);
  }
  // Room for the check mark, the label, a gap, the key name and the popup arrow.
  int width = (2 + label + (key ? key + 2 : 0) + 2) * VX_MENU_CELL;
  return {x, y, width, height};
}
