// SDL2 events into window messages: one small function per family (quit,
// window, keys, mouse); the messages are posted to the window's queue.
#include "platform/plat_internal.h"
#include "platform/sdl/plat_sdl.h"

static struct {
  int close_seen;  // a window's close button was translated in this pump
} ev_state;

// The window an event names, or the main window for events without one.
static PLAT_WINDOW* event_window(uint32_t window_id) {
  PLAT_WINDOW* w = plat_window_find_native(window_id);
  return (w || window_id != 0) ? w : plat_window_main();
}

// SDL_QUIT comes from SIGINT and SIGTERM, and (were the hint ignored) after
// the last window's close button, which has already been posted as PLAT_WM_CLOSE.
static void on_quit() {
  PLAT_WINDOW* main_window = plat_window_main();
  if (!ev_state.close_seen && main_window) plat_post_message(main_window, PLAT_WM_CLOSE, 0, 0);
  ev_state.close_seen = 0;
}

static void on_window(const SDL_WindowEvent& e) {
  PLAT_WINDOW* w = plat_window_find_native(e.windowID);
  if (!w) return;
  switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
      ev_state.close_seen = 1;
      plat_post_message(w, PLAT_WM_CLOSE, 0, 0);
      break;
    case SDL_WINDOWEVENT_MOVED: plat_note_position(w, e.data1, e.data2); break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: plat_note_size(w, e.data1, e.data2); break;
    case SDL_WINDOWEVENT_MINIMIZED: plat_note_show_state(w, 1, 0); break;
    case SDL_WINDOWEVENT_MAXIMIZED: plat_note_show_state(w, 0, 1); break;
    case SDL_WINDOWEVENT_RESTORED: plat_note_show_state(w, 0, 0); break;
    case SDL_WINDOWEVENT_FOCUS_GAINED: plat_note_active(w, 1); break;
    case SDL_WINDOWEVENT_FOCUS_LOST: plat_note_active(w, 0); break;
    case SDL_WINDOWEVENT_EXPOSED: plat_post_paint(w); break;
    default: break;
  }
}

static void on_key(const SDL_KeyboardEvent& e) {
  PLAT_WINDOW* w = event_window(e.windowID);
  if (!w) return;
  PLAT_KEY_EVENT key{};
  key.usage = static_cast<uint32_t>(e.keysym.scancode);
  SDL_Keycode sym = e.keysym.sym;
  key.layout_char = (sym >= 'a' && sym <= 'z') ? static_cast<uint32_t>(sym) : 0;
  key.down = e.state == SDL_PRESSED;
  key.repeat = e.repeat != 0;
  // The modifier state already includes this event's own key.
  key.alt = (e.keysym.mod & KMOD_ALT) != 0;
  key.ctrl = (e.keysym.mod & KMOD_CTRL) != 0;
  PLAT_MSG m;
  if (plat_key_message(&key, &m)) plat_post_message(w, m.message, m.wparam, m.lparam);
}

// MK_* bits of the given SDL button mask and the held Shift and Ctrl.
static uintptr_t mouse_keys(uint32_t buttons) {
  uintptr_t keys = 0;
  if (buttons & SDL_BUTTON_LMASK) keys |= PLAT_MK_LBUTTON;
  if (buttons & SDL_BUTTON_RMASK) keys |= PLAT_MK_RBUTTON;
  if (buttons & SDL_BUTTON_MMASK) keys |= PLAT_MK_MBUTTON;
  SDL_Keymod mod = SDL_GetModState();
  if (mod & KMOD_SHIFT) keys |= PLAT_MK_SHIFT;
  if (mod & KMOD_CTRL) keys |= PLAT_MK_CONTROL;
  return keys;
}

// A mouse the input devices hold (relative mode) is theirs alone, as an
// exclusive device is on Windows: the window gets no mouse messages, so a
// hidden pointer never clicks the menu bar or the picture.
static int mouse_held() { return SDL_GetRelativeMouseMode() == SDL_TRUE; }

static intptr_t point(int x, int y) {
  return plat_makelong(static_cast<uint32_t>(x), static_cast<uint32_t>(y));
}

static void on_motion(const SDL_MouseMotionEvent& e) {
  PLAT_WINDOW* w = plat_window_find_native(e.windowID);
  if (w && !mouse_held()) plat_post_message(w, PLAT_WM_MOUSEMOVE, mouse_keys(e.state), point(e.x, e.y));
}

static void on_button(const SDL_MouseButtonEvent& e) {
  PLAT_WINDOW* w = plat_window_find_native(e.windowID);
  if (!w || mouse_held()) return;
  int down = e.state == SDL_PRESSED;
  uint32_t message;
  switch (e.button) {
    case SDL_BUTTON_LEFT: message = down ? PLAT_WM_LBUTTONDOWN : PLAT_WM_LBUTTONUP; break;
    case SDL_BUTTON_RIGHT: message = down ? PLAT_WM_RBUTTONDOWN : PLAT_WM_RBUTTONUP; break;
    case SDL_BUTTON_MIDDLE: message = down ? PLAT_WM_MBUTTONDOWN : PLAT_WM_MBUTTONUP; break;
    default: return;
  }
  // The held buttons as they are after this event, whatever SDL has queued since.
  uint32_t buttons = SDL_GetMouseState(nullptr, nullptr);
  buttons = down ? (buttons | SDL_BUTTON(e.button)) : (buttons & ~SDL_BUTTON(e.button));
  plat_post_message(w, message, mouse_keys(buttons), point(e.x, e.y));
}

static void on_wheel(const SDL_MouseWheelEvent& e) {
  PLAT_WINDOW* w = plat_window_find_native(e.windowID);
  if (!w || e.y == 0 || mouse_held()) return;
  int turn = e.y * PLAT_WHEEL_DELTA;
  if (e.direction == SDL_MOUSEWHEEL_FLIPPED) turn = -turn;
  int x = 0, y = 0, wx = 0, wy = 0;
  uint32_t buttons = SDL_GetMouseState(&x, &y);
  plat_window_rect(w, &wx, &wy, nullptr, nullptr);
  uintptr_t wparam = mouse_keys(buttons) | (static_cast<uintptr_t>(turn & 0xFFFF) << 16);
  plat_post_message(w, PLAT_WM_MOUSEWHEEL, wparam, point(wx + x, wy + y));
}

// Devices plugged in or pulled out: the input layer opens or closes them at
// its next poll. A pad the controller mapping knows reports both its
// joystick and its controller events.
static void on_device(const SDL_Event&) { plat_sdl_input_devices_changed(); }

static void translate(const SDL_Event& e) {
  switch (e.type) {
    case SDL_QUIT: on_quit(); break;
    case SDL_WINDOWEVENT: on_window(e.window); break;
    case SDL_KEYDOWN:
    case SDL_KEYUP: on_key(e.key); break;
    case SDL_MOUSEMOTION: on_motion(e.motion); break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: on_button(e.button); break;
    case SDL_MOUSEWHEEL: on_wheel(e.wheel); break;
    case SDL_JOYDEVICEADDED:
    case SDL_JOYDEVICEREMOVED:
    case SDL_CONTROLLERDEVICEADDED:
    case SDL_CONTROLLERDEVICEREMOVED:
    case SDL_CONTROLLERDEVICEREMAPPED: on_device(e); break;
    default: break;
  }
}

void plat_be_pump_events() {
  if (!plat_sdl_events_ready()) return;
  SDL_Event e;
  while (SDL_PollEvent(&e)) translate(e);
  ev_state.close_seen = 0;
}
