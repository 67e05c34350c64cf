// Inside the platform layer only: the window record, the shared helpers of
// the common files and the hooks that each backend (sdl/, null/) supplies.
#pragma once
#include <cstdint>
#include "platform/platform.h"

constexpr int PLAT_MAX_WINDOWS = 16;

// One window. Records live in a fixed table of plat_window.cpp, so a pointer
// stays readable after its window is destroyed (`live` is then 0). `live` is
// written and read by other threads only under the queue lock.
struct PLAT_WINDOW {
  int live;        // 1 from creation until plat_window_destroy frees it
  int destroying;  // 1 while PLAT_WM_DESTROY is being sent
  uint32_t serial; // creation order, 1 for the first window of the run
  char class_name[64];
  char title[256];
  int x, y, width, height;  // client rectangle in screen pixels
  uint32_t style;           // PLAT_WS_* bits
  PLAT_WNDPROC proc;
  int shown;      // 0 hidden, 1 shown
  int minimised;  // 1 while minimised
  int maximised;  // 1 while maximised
  int active;     // 1 while it is the active window (has the focus)
  void* native;   // the backend's window (SDL_Window*), null on the null build
  uint32_t native_id;  // the backend's window id (SDL window id), 0 on the null build
};

// ---- plat_window.cpp
// 1 when `window` points into the window table and is not destroyed.
int plat_window_valid(PLAT_WINDOW* window);
// The live window whose backend id is `native_id`, or null.
PLAT_WINDOW* plat_window_find_native(uint32_t native_id);
// State changes seen by a backend or made through the window functions. Each
// posts the messages Windows would send, but only when the state really
// changes, so a backend may report what it already did without doubling them:
// PLAT_WM_MOVE (client x, y), PLAT_WM_SIZE (SIZE_* and width, height), PLAT_WM_ACTIVATE.
void plat_note_position(PLAT_WINDOW* window, int x, int y);
void plat_note_size(PLAT_WINDOW* window, int width, int height);
void plat_note_show_state(PLAT_WINDOW* window, int minimised, int maximised);
void plat_note_active(PLAT_WINDOW* window, int active);

// ---- plat_queue.cpp
// Marks a window live (admit) or gone (forget, which also drops its queued
// messages), under the queue lock so that posting threads see it at once.
void plat_queue_admit(PLAT_WINDOW* window);
void plat_queue_forget(PLAT_WINDOW* window);
// Posts PLAT_WM_PAINT unless one is already waiting for that window (Windows
// keeps at most one, however often the window was uncovered).
void plat_post_paint(PLAT_WINDOW* window);

// ---- plat_keys.cpp
// One physical key event, as a backend sees it. `usage` is the USB HID
// keyboard usage (SDL scancodes are these numbers); `layout_char` is the
// lower-case character the key gives in the current layout, 0 when unknown.
struct PLAT_KEY_EVENT {
  uint32_t usage;
  uint32_t layout_char;
  int down;    // 1 pressed, 0 released
  int repeat;  // 1 for an auto-repeat of a key already down
  int alt;     // an Alt key is held (after this event)
  int ctrl;    // a Ctrl key is held (after this event)
};
// Fills message, wparam (virtual key) and lparam as Windows does; 0 for a key
// without a virtual-key code.
int plat_key_message(const PLAT_KEY_EVENT* key, PLAT_MSG* msg);
// The character a key message gives (0 for none) with the given shift, caps
// lock and ctrl states, in the US layout; control characters as Windows: Enter
// 13, Backspace 8, Tab 9, Esc 27, Ctrl+letter 1-26.
uint32_t plat_key_char(uint32_t vk, int shift, int caps, int ctrl);

// ---- plat_instance.cpp
// Called when messages are gathered: turns requests from other instances
// (bring to front, close) into actions on the main window.
void plat_instance_service();

// ---- the backend (sdl/ or null/)
int plat_be_window_create(PLAT_WINDOW* window);  // 1 when the native window exists
void plat_be_window_destroy(PLAT_WINDOW* window);
void plat_be_window_show(PLAT_WINDOW* window, int show);  // as plat_window_show
void plat_be_window_set_title(PLAT_WINDOW* window);       // from window->title
void plat_be_window_set_style(PLAT_WINDOW* window);       // from window->style
void plat_be_window_move(PLAT_WINDOW* window, int x, int y, int width, int height);
void plat_be_window_raise(PLAT_WINDOW* window);
// Gathers pending device events and posts their messages. Does nothing on a
// thread other than the one that created the first window.
void plat_be_pump_events();
// 1 when device events can arrive, so a blocked plat_get_message must keep
// gathering them; 0 when only posted messages can wake it.
int plat_be_has_devices();
// Shows a real box; 1 with `*answer` set when it was shown, 0 when it could not be.
int plat_be_message_box(PLAT_WINDOW* owner, const char* text, const char* caption, uint32_t style,
                        int* answer);
