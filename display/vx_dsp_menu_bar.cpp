// The menu bar on screen: its layout, the menu loop driven by keys and the mouse, and the seam for the drawer.
#include <cstdint>
#include <cstring>

#include "display/vx_dsp_internal.h"
#include "display/vx_dsp_menu.h"
#include "display/vx_screen.h"

namespace {

struct BarState {
  VX_MENU_BAR_STATE s = {0, 0, -1, -1, -1};
  VX_MENU_BAR_DRAWER drawer = {};
  int alt_alone = 0;  // Alt went down and nothing else since: its release opens the bar
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

// The key name of a label: the text after its '\t', or null.
const char* key_text(const char* text) {
  for (const char* p = text; *p; p++)
    if (*p == '\t') return p + 1;
  return nullptr;
}

// Pixels of a label's text (up to '\t'), by the drawer's measure or by cells.
int text_width(const char* text) {
  if (bs.drawer.text_width) return bs.drawer.text_width(text);
  return cells(text) * VX_MENU_CELL;
}

int key_width(const char* text) {
  const char* key = key_text(text);
  return key ? text_width(key) : 0;
}

// The widest label and key name of a menu.
void column_widths(int menu, int* label, int* key) {
  *label = *key = 0;
  for (int i = 0; i < vx_dsp_menu_count(menu); i++) {
    const VX_MENU_ITEM* it = vx_dsp_menu_item(menu, i);
    if (it->flags & VX_MENU_SEPARATOR) continue;
    if (text_width(it->text) > *label) *label = text_width(it->text);
    if (key_width(it->text) > *key) *key = key_width(it->text);
  }
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

// The drawable area's width: a popup that would pass its right edge moves left.
int drawable_width() { return vx_dsp_st.client_w; }

VX_DSP_RECT popup_box() {
  if (!bs.s.open) return {0, 0, 0, 0};
  VX_DSP_RECT t = vx_dsp_menu_bar_title_rect(bs.s.popup);
  VX_DSP_RECT r = vx_dsp_menu_popup_rect(open_popup(), t.x, t.y + t.height);
  const int w = drawable_width();
  if (w > 0 && r.x + r.width > w) r.x = r.width < w ? w - r.width : 0;
  return r;
}

VX_DSP_RECT sub_box() {
  if (!bs.s.open || bs.s.sub < 0) return {0, 0, 0, 0};
  VX_DSP_RECT p = popup_box();
  int y = p.y;
  for (int i = 0; i < bs.s.sub; i++) y += row_height(vx_dsp_menu_item(open_popup(), i));
  VX_DSP_RECT r = vx_dsp_menu_popup_rect(open_sub(), p.x + p.width, y);
  // Without room on the right it opens to the left of its popup.
  const int w = drawable_width();
  if (w > 0 && r.x + r.width > w) r.x = p.x - r.width > 0 ? p.x - r.width : 0;
  return r;
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

// Opens the bar on top-level popup `pos`, its first item lit or none.
int open_bar(int pos, int highlight_first) {
  if (bs.s.open) return 1;
  if (!vx_dsp_menu_bar_shown()) return 0;
  int n = vx_dsp_menu_count(vx_dsp_menu_bar());
  if (n <= 0) return 0;
  bs.s = {1, 0, -1, -1, -1};
  select_popup(pos >= 0 && pos < n ? pos : 0, highlight_first);
  // The window procedures may refuse the menu loop: they then post
  // PLAT_WM_EXITMENULOOP, which closes the bar again.
  if (vx_dsp_st.window) plat_send_message(vx_dsp_st.window, PLAT_WM_ENTERMENULOOP, 0, 0);
  vx_dsp_menu_bar_redraw();
  return bs.s.open;
}

// F10, or Alt pressed and let go alone: the first popup opens on its first item.
int open_by_key() {
  open_bar(0, 1);
  return 1;
}

// The bar closed: Alt opens it when it is let go with no other key or
// click since it went down (so Alt+Enter, Alt+F4 and Alt+Tab do not).
int track_alt(uint32_t message, uintptr_t wparam) {
  switch (message) {
    case PLAT_WM_SYSKEYDOWN:
    case PLAT_WM_KEYDOWN:
      bs.alt_alone = wparam == PLAT_VK_MENU;
      return 0;
    case PLAT_WM_SYSKEYUP:
    case PLAT_WM_KEYUP:
      if (wparam != PLAT_VK_MENU || !bs.alt_alone) return 0;
      bs.alt_alone = 0;
      return 1;
    case PLAT_WM_LBUTTONDOWN:
    case PLAT_WM_RBUTTONDOWN:
    case PLAT_WM_KILLFOCUS: bs.alt_alone = 0; return 0;
    default: return 0;
  }
}

int point_x(intptr_t lparam) { return static_cast<int16_t>(plat_loword(static_cast<uintptr_t>(lparam))); }
int point_y(intptr_t lparam) { return static_cast<int16_t>(plat_hiword(static_cast<uintptr_t>(lparam))); }

}  // namespace

void vx_dsp_menu_bar_drawer_set(const VX_MENU_BAR_DRAWER* drawer) {
  int before = vx_dsp_menu_bar_height();
  bs.drawer = drawer ? *drawer : VX_MENU_BAR_DRAWER{};
  if (!bs.drawer.draw) bs.drawer = {};
  // The bar's room above the picture appears or goes: the window follows.
  VX_DSP_STATE& s = vx_dsp_st;
  if (before != vx_dsp_menu_bar_height() && s.window && !s.fullscreen && s.mode_set_done)
    vx_dsp_window_place(s.win_x, s.win_y, s.client_w, s.client_h, nullptr);
  vx_dsp_menu_bar_redraw();
}

int vx_dsp_menu_bar_shown() { return bs.drawer.draw && vx_dsp_st.menu_attached && vx_dsp_menu_bar() >= 0; }

int vx_dsp_menu_bar_height() { return vx_dsp_menu_bar_shown() ? VX_MENU_BAR_HEIGHT : 0; }

void vx_dsp_menu_bar_redraw() {
  const VX_DSP_STATE& s = vx_dsp_st;
  // While play runs, the next frame shows the bar. Paused, no frame comes:
  // the picture is drawn again and presented with the bar over it.
  if (!vx_dsp_menu_bar_shown() || s.running || !s.mode_set_done || s.fullscreen || s.minimised || s.placing) return;
  if (s.app && s.app->redraw_hook) s.app->redraw_hook();
  vx_dsp_present();
}

void vx_dsp_menu_bar_overlay() {
  const VX_DSP_STATE& s = vx_dsp_st;
  if (!vx_dsp_menu_bar_shown() || s.fullscreen) return;
  const VX_BITMAP* screen = vx_screen();
  const int bar = vx_dsp_menu_bar_height();
  if (screen->width < 1 || screen->height < 1 || !vx_dsp_table_3d()) return;
  // The 3D back end draws over the picture only: for the bar it covers the
  // whole drawable area for a moment, the bar's rows included. The client
  // may be larger than the picture (bars where its aspect differs).
  const VX_DSP_3D_INTERFACE* t = vx_dsp_3d_interface();
  const int client_w = s.client_w > screen->width ? s.client_w : screen->width;
  const int client_h = s.client_h > screen->height ? s.client_h : screen->height;
  const VX_RECT whole = {0, 0, static_cast<int16_t>(client_w), static_cast<int16_t>(client_h + bar)};
  t->vx_dsp_3d_resize(&whole);
  bs.drawer.draw(whole.width, whole.height);
  const VX_RECT picture = {screen->x, screen->y, screen->width, screen->height};
  t->vx_dsp_3d_resize(&picture);
}

const VX_MENU_BAR_STATE* vx_dsp_menu_bar_state() { return &bs.s; }

int vx_dsp_menu_bar_open(int pos) { return open_bar(pos, 0); }

void vx_dsp_menu_bar_close() {
  if (!bs.s.open) return;
  bs.s = {0, 0, -1, -1, -1};
  if (vx_dsp_st.window) plat_send_message(vx_dsp_st.window, PLAT_WM_EXITMENULOOP, 0, 0);
  vx_dsp_menu_bar_redraw();
}

int vx_dsp_menu_bar_message(uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (!bs.s.open) {
    if (!vx_dsp_menu_bar_shown()) return 0;
    if (track_alt(message, wparam)) return open_by_key();
    if (message == PLAT_WM_SYSKEYDOWN && wparam == PLAT_VK_F10) return open_by_key();
    if (message == PLAT_WM_LBUTTONDOWN) {
      int title = title_at(point_x(lparam), point_y(lparam));
      if (title < 0) return 0;
      vx_dsp_menu_bar_open(title);
      return 1;
    }
    return 0;
  }
  // Alt pressed while the bar is open closes it (below); its release must not open it again.
  bs.alt_alone = 0;
  const VX_MENU_BAR_STATE before = bs.s;
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
  // Closing has presented already; a pointer moving within one item changes nothing.
  if (taken && bs.s.open && std::memcmp(&before, &bs.s, sizeof before) != 0) vx_dsp_menu_bar_redraw();
  return taken;
}

VX_DSP_RECT vx_dsp_menu_bar_title_rect(int pos) {
  int bar = vx_dsp_menu_bar();
  int x = 0;
  for (int i = 0; i < vx_dsp_menu_count(bar); i++) {
    int w = text_width(vx_dsp_menu_item(bar, i)->text) + 2 * VX_MENU_TITLE_PAD;
    if (i == pos) return {x, 0, w, VX_MENU_BAR_HEIGHT};
    x += w;
  }
  return {0, 0, 0, 0};
}

VX_DSP_RECT vx_dsp_menu_popup_rect(int menu, int x, int y) {
  int n = vx_dsp_menu_count(menu);
  if (n <= 0) return {x, y, 0, 0};
  int label, key, height = 0;
  column_widths(menu, &label, &key);
  for (int i = 0; i < n; i++) height += row_height(vx_dsp_menu_item(menu, i));
  int width = VX_MENU_CHECK_COLUMN + label + (key ? VX_MENU_KEY_GAP + key : 0) + VX_MENU_ARROW_COLUMN;
  return {x, y, width, height};
}

VX_DSP_RECT vx_dsp_menu_bar_popup_box(int level) {
  if (level == 0) return open_popup() >= 0 ? popup_box() : VX_DSP_RECT{0, 0, 0, 0};
  return level == 1 && open_sub() >= 0 ? sub_box() : VX_DSP_RECT{0, 0, 0, 0};
}

int vx_dsp_menu_popup_key_x(int menu, int box_x) {
  int label, key;
  column_widths(menu, &label, &key);
  return box_x + VX_MENU_CHECK_COLUMN + label + VX_MENU_KEY_GAP;
}
