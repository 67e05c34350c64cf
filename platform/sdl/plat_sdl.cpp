// The SDL2 backend: starting SDL, native windows, message boxes and the clipboard.
#include "platform/sdl/plat_sdl.h"
#include <dlfcn.h>
#include <pthread.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "platform/plat_gl.h"
#include "platform/plat_internal.h"

// SDL video is started by the first window and stopped at process exit.
static struct {
  int video_ready;
  int exit_hook_set;
  int no_display_said;  // the missing display was reported
  pthread_t owner;  // the thread that started video and gathers its events
} sdl_state;

// A lost X connection: Xlib's own handler calls exit(), whose handlers
// (SDL_Quit among them) then wait on the dead display while the timer and
// the driver's threads spin on. The program ends at once instead.
static int x_connection_lost(void*) {
  std::fprintf(stderr, "The connection to the X display was lost: the game ends.\n");
  plat_exit(1);
  return 0;
}

// SDL loads Xlib itself (privately): its handler is set through the loaded library.
static void handle_x_connection_loss() {
  const char* driver = SDL_GetCurrentVideoDriver();
  if (!driver || std::strcmp(driver, "x11") != 0) return;
  void* xlib = dlopen("libX11.so.6", RTLD_LAZY | RTLD_NOLOAD);
  if (!xlib) return;
  using Handler = int (*)(void*);
  using SetHandler = Handler (*)(Handler);
  if (auto set = reinterpret_cast<SetHandler>(dlsym(xlib, "XSetIOErrorHandler"))) set(x_connection_lost);
  dlclose(xlib);  // SDL keeps it loaded
}

int plat_sdl_video_start() {
  if (sdl_state.video_ready) return 1;
  // The window procedures decide what losing the focus does in full screen,
  // and a closed window is the procedures' business, not a reason to quit.
  SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
  SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
  // A window's own surface (the splash picture) must stay a plain system
  // image: SDL otherwise backs it with a renderer of its own, whose GL
  // context takes the current slot from the 3D back end's context and,
  // when the window goes, leaves no context current at all (every frame
  // after it black). Stronger than the environment's setting.
  SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_OVERRIDE);
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    std::fprintf(stderr, "SDL video: %s\n", SDL_GetError());
    return 0;
  }
  // Without a display SDL falls back to drivers that show nothing: the game
  // would run unseen. They serve only when asked for by name (tests, tools).
  const char* driver = SDL_GetCurrentVideoDriver();
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  if (driver && (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0) &&
      !(asked && std::strstr(asked, driver))) {
    SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
    if (!sdl_state.no_display_said)
      std::fprintf(stderr, "No display was found to show the game on (DISPLAY and WAYLAND_DISPLAY are not set or not reachable).\n");
    sdl_state.no_display_said = 1;
    return 0;
  }
  if (!sdl_state.exit_hook_set) {
    std::atexit(SDL_Quit);
    sdl_state.exit_hook_set = 1;
  }
  handle_x_connection_loss();
  // Key messages carry characters through plat_translate_message; no input
  // method window should swallow keys.
  SDL_StopTextInput();
  sdl_state.owner = pthread_self();
  sdl_state.video_ready = 1;
  return 1;
}

int plat_sdl_events_ready() {
  return sdl_state.video_ready && pthread_equal(sdl_state.owner, pthread_self());
}

static SDL_Window* native(PLAT_WINDOW* window) { return static_cast<SDL_Window*>(window->native); }

static int sdl_position(int v) {
  if (v == PLAT_POS_DEFAULT) return SDL_WINDOWPOS_UNDEFINED;
  if (v == PLAT_POS_CENTRED) return SDL_WINDOWPOS_CENTERED;
  return v;
}

// ---------------------------------------------------------------- windows

int plat_be_window_create(PLAT_WINDOW* window) {
  if (!plat_sdl_video_start()) return 0;
  // Created hidden: the common code shows it after PLAT_WM_CREATE.
  uint32_t flags = SDL_WINDOW_HIDDEN;
  if (window->style & PLAT_WS_OPENGL) {
    plat_gl_preload_wait();
    flags |= SDL_WINDOW_OPENGL;
  }
  if (window->style & PLAT_WS_SIZABLE) flags |= SDL_WINDOW_RESIZABLE;
  if (window->style & PLAT_WS_POPUP) flags |= SDL_WINDOW_BORDERLESS;
  SDL_Window* w = SDL_CreateWindow(window->title, sdl_position(window->x), sdl_position(window->y),
                                   window->width, window->height, flags);
  if (!w) {
    std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
    return 0;
  }
  window->native = w;
  window->native_id = SDL_GetWindowID(w);
  SDL_GetWindowPosition(w, &window->x, &window->y);
  SDL_GetWindowSize(w, &window->width, &window->height);
  return 1;
}

void plat_be_window_destroy(PLAT_WINDOW* window) {
  if (window->native) SDL_DestroyWindow(native(window));
  window->native = nullptr;
  window->native_id = 0;
  // Whatever the window took with it, the 3D back end's context stays current.
  plat_sdl_gl_keep_current();
}

void plat_be_window_show(PLAT_WINDOW* window, int show) {
  SDL_Window* w = native(window);
  switch (show) {
    case 0: SDL_HideWindow(w); break;
    case 1:
      SDL_ShowWindow(w);
      SDL_RaiseWindow(w);
      break;
    case 2: SDL_MinimizeWindow(w); break;
    default:
      SDL_ShowWindow(w);
      SDL_RestoreWindow(w);
      SDL_RaiseWindow(w);
      break;
  }
}

void plat_be_window_set_title(PLAT_WINDOW* window) { SDL_SetWindowTitle(native(window), window->title); }

void plat_be_window_set_style(PLAT_WINDOW* window) {
  SDL_SetWindowBordered(native(window), (window->style & PLAT_WS_POPUP) ? SDL_FALSE : SDL_TRUE);
  SDL_SetWindowResizable(native(window), (window->style & PLAT_WS_SIZABLE) ? SDL_TRUE : SDL_FALSE);
}

void plat_be_window_move(PLAT_WINDOW* window, int x, int y, int width, int height) {
  SDL_SetWindowSize(native(window), width, height);
  SDL_SetWindowPosition(native(window), x, y);
}

void plat_be_window_raise(PLAT_WINDOW* window) { SDL_RaiseWindow(native(window)); }

int plat_be_has_devices() { return plat_sdl_events_ready(); }

// ---------------------------------------------------------------- boxes

static uint32_t box_icon(uint32_t style) {
  switch (style & 0xF0) {
    case PLAT_MB_ICONHAND: return SDL_MESSAGEBOX_ERROR;
    case PLAT_MB_ICONEXCLAMATION: return SDL_MESSAGEBOX_WARNING;
    default: return SDL_MESSAGEBOX_INFORMATION;
  }
}

// SDL can show a box before SDL_Init; it fails only without any display.
int plat_be_message_box(PLAT_WINDOW* owner, const char* text, const char* caption, uint32_t style,
                        int* answer) {
  const uint32_t enter = SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
  const uint32_t esc = SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
  SDL_MessageBoxButtonData buttons[2];
  int count = 2;
  switch (style & 0xF) {
    case PLAT_MB_OKCANCEL:
      buttons[0] = {enter, PLAT_IDOK, "OK"};
      buttons[1] = {esc, PLAT_IDCANCEL, "Cancel"};
      break;
    case PLAT_MB_YESNO:
      buttons[0] = {enter, PLAT_IDYES, "Yes"};
      buttons[1] = {esc, PLAT_IDNO, "No"};
      break;
    default:
      buttons[0] = {enter | esc, PLAT_IDOK, "OK"};
      count = 1;
      break;
  }
  SDL_MessageBoxData data{};
  data.flags = box_icon(style) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  data.window = (owner && plat_sdl_events_ready()) ? native(owner) : nullptr;
  data.title = caption;
  data.message = text;
  data.numbuttons = count;
  data.buttons = buttons;
  int hit = -1;
  if (SDL_ShowMessageBox(&data, &hit) != 0) return 0;
  // Closing the box without a button counts as its escape button.
  *answer = hit >= 0 ? hit : buttons[count - 1].buttonid;
  return 1;
}

// ---------------------------------------------------------------- clipboard

int plat_clipboard_text(char* buf, int size) {
  if (!buf || size <= 0) return 0;
  buf[0] = 0;
  if (!SDL_WasInit(SDL_INIT_VIDEO) || !SDL_HasClipboardText()) return 0;
  char* text = SDL_GetClipboardText();
  if (!text) return 0;
  size_t len = SDL_strlen(text);
  int ok = len > 0 && len + 1 <= static_cast<size_t>(size);
  if (ok) SDL_memcpy(buf, text, len + 1);
  SDL_free(text);
  return ok;
}
