// The null backend for tests and tools: windows are plain records on a
// notional 1024 x 768 desktop, no device sends events, boxes are printed and
// the clipboard is always empty.
#include "platform/plat_internal.h"

constexpr int DESKTOP_WIDTH = 1024;
constexpr int DESKTOP_HEIGHT = 768;

int plat_be_window_create(PLAT_WINDOW* window) {
  if (window->x == PLAT_POS_DEFAULT) window->x = 0;
  if (window->y == PLAT_POS_DEFAULT) window->y = 0;
  if (window->x == PLAT_POS_CENTRED) window->x = (DESKTOP_WIDTH - window->width) / 2;
  if (window->y == PLAT_POS_CENTRED) window->y = (DESKTOP_HEIGHT - window->height) / 2;
  return 1;
}

void plat_be_window_destroy(PLAT_WINDOW*) {}
void plat_be_window_show(PLAT_WINDOW*, int) {}
void plat_be_window_set_title(PLAT_WINDOW*) {}
void plat_be_window_set_style(PLAT_WINDOW*) {}
void plat_be_window_move(PLAT_WINDOW*, int, int, int, int) {}
void plat_be_window_raise(PLAT_WINDOW*) {}
void plat_be_pump_events() {}
int plat_be_has_devices() { return 0; }

int plat_be_message_box(PLAT_WINDOW*, const char*, const char*, uint32_t, int*) { return 0; }

int plat_clipboard_text(char* buf, int size) {
  if (buf && size > 0) buf[0] = 0;
  return 0;
}
