// The SDL build's GL contexts: the pixel format through SDL's attributes, a native window made for it, swaps and the full-screen mode.
#include <dlfcn.h>
#include <link.h>
#include <pthread.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "platform/plat_gl.h"
#include "platform/plat_internal.h"
#include "platform/sdl/plat_sdl.h"

struct PLAT_GL_CONTEXT {
  PLAT_WINDOW* window;  // the window whose native window carries the format
  SDL_GLContext gl;
  PLAT_GL_FORMAT got;
};

static SDL_Window* native(PLAT_WINDOW* window) { return static_cast<SDL_Window*>(window->native); }

// The context last made current through this file, and the thread it is
// current on; plat_sdl_gl_keep_current puts it back when SDL moved it.
static struct {
  PLAT_GL_CONTEXT* context;
  SDL_threadID thread;
} gl_state;

static void note_current(PLAT_GL_CONTEXT* context) {
  gl_state.context = context;
  gl_state.thread = SDL_ThreadID();
}

// A software GL driver allocates and frees blocks of megabytes every frame
// (its per-frame scene). With glibc's adaptive limits each one was mapped
// fresh, faulted in page by page and handed back to the system, costing
// the drawing thread several milliseconds a frame: large blocks stay on
// the heap instead, and the heap's free top is kept.
static void keep_large_blocks() {
#if defined(__GLIBC__)
  static bool done = false;
  if (done) return;
  done = true;
  mallopt(M_MMAP_THRESHOLD, 32 << 20);  // glibc's highest
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

// ---------------------------------------------------------------- preloading

// Loading the GL libraries is mostly the dynamic linker's relocation work,
// and with Mesa's software driver that means its code generator's library,
// the largest the program ever loads: tens of milliseconds on the main
// thread, in the middle of the start. A thread started first thing does it
// while the main thread reads the data and shows the splash; SDL's own
// loading then finds every library in place. The handles stay open for the
// life of the process, as SDL's do.
static struct {
  pthread_t thread;
  int running;  // started and not joined yet
} preload_state;

static void* preload_libraries(void*) {
  // The GL dispatcher SDL opens, and Mesa's GLX library behind it.
  dlopen("libGL.so.1", RTLD_NOW | RTLD_GLOBAL);
  void* mesa = dlopen("libGLX_mesa.so.0", RTLD_NOW | RTLD_LOCAL);
  // Mesa's drivers live in dri/ beside it; one file serves every driver
  // (they are links to it), so the software one stands for all.
  link_map* map = nullptr;
  if (mesa && dlinfo(mesa, RTLD_DI_LINKMAP, &map) == 0 && map && map->l_name) {
    char path[4096];
    std::snprintf(path, sizeof path, "%s", map->l_name);
    if (char* slash = std::strrchr(path, '/')) {
      std::snprintf(slash + 1, sizeof path - static_cast<size_t>(slash + 1 - path), "dri/swrast_dri.so");
      dlopen(path, RTLD_NOW | RTLD_LOCAL);
    }
  }
  return nullptr;
}

// Waits for the preloading thread, if one runs.
static void preload_join() {
  if (!preload_state.running) return;
  preload_state.running = 0;
  pthread_join(preload_state.thread, nullptr);
}

// PLAT_NO_GL_PRELOAD set in the environment leaves the loading to SDL
// (to measure what the preloading saves).
void plat_gl_preload() {
  if (preload_state.running || std::getenv("PLAT_NO_GL_PRELOAD")) return;
  // Each symbol SDL looks up while it starts video waits for the dynamic
  // linker, which the loading holds: video starts first, while the linker
  // is free, and the loading then runs beside the program's own start.
  if (!plat_sdl_video_start()) return;  // nothing to draw on
  // Xlib loads its cursor library when the first pointer shape is made
  // (the splash hides the pointer at once): made now, before the loading.
  SDL_ShowCursor(SDL_DISABLE);
  SDL_ShowCursor(SDL_ENABLE);
  preload_state.running = pthread_create(&preload_state.thread, nullptr, preload_libraries, nullptr) == 0;
  // A program that calls exit early waits for the loading rather than
  // tear the libraries down under it (main's return waits by itself).
  if (preload_state.running) std::atexit(preload_join);
}

void plat_gl_preload_wait() { preload_join(); }

// ---------------------------------------------------------------- contexts

// SDL reads the attributes when a window is made (its visual or EGL
// surface is chosen then) and again when a context is made.
static void set_attributes(const PLAT_GL_FORMAT* f, int depth) {
  SDL_GL_ResetAttributes();
  int r = 8, g = 8, b = 8, a = 8;
  if (f->colour_bits == 24) a = 0;
  if (f->colour_bits == 16) r = 5, g = 6, b = 5, a = 0;
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, r);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, g);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, b);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, a);
  SDL_GL_SetAttribute(SDL_GL_BUFFER_SIZE, r + g + b + a);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, f->double_buffer ? 1 : 0);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, f->stencil_bits);
  const int accum = f->accum_bits / 4;
  SDL_GL_SetAttribute(SDL_GL_ACCUM_RED_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_GREEN_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_BLUE_SIZE, accum);
  SDL_GL_SetAttribute(SDL_GL_ACCUM_ALPHA_SIZE, accum);
}

// A hidden GL window like `window` (same title, rectangle and style).
static SDL_Window* make_native(PLAT_WINDOW* window) {
  uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
  if (window->style & PLAT_WS_SIZABLE) flags |= SDL_WINDOW_RESIZABLE;
  if (window->style & PLAT_WS_POPUP) flags |= SDL_WINDOW_BORDERLESS;
  return SDL_CreateWindow(window->title, window->x, window->y, window->width, window->height, flags);
}

// Puts `w` in the place of the window's native window, carrying over the
// display mode, full-screen and shown state, then drops the old one.
static void replace_native(PLAT_WINDOW* window, SDL_Window* w) {
  SDL_Window* old = native(window);
  const uint32_t old_flags = SDL_GetWindowFlags(old);
  SDL_DisplayMode mode;
  if (SDL_GetWindowDisplayMode(old, &mode) == 0) SDL_SetWindowDisplayMode(w, &mode);
  window->native = w;
  window->native_id = SDL_GetWindowID(w);
  if (old_flags & SDL_WINDOW_FULLSCREEN)
    SDL_SetWindowFullscreen(w, old_flags & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP));
  if (window->shown) {
    SDL_ShowWindow(w);
    if (window->minimised) SDL_MinimizeWindow(w);
  }
  SDL_DestroyWindow(old);
}

PLAT_GL_CONTEXT* plat_gl_context_create(PLAT_WINDOW* window, const PLAT_GL_FORMAT* format, int* failure) {
  int dummy = 0;
  if (!failure) failure = &dummy;
  *failure = PLAT_GL_NO_FORMAT;
  if (!plat_window_valid(window) || !window->native || !format) return nullptr;
  keep_large_blocks();
  preload_join();

  // The deepest depth buffer first: a depth the system lacks makes the
  // window (or the context) fail, and the next one is tried.
  const int deepest[3] = {32, 24, 16};
  const int* depths = format->depth_bits > 0 ? &format->depth_bits : deepest;
  const int tries = format->depth_bits > 0 ? 1 : 3;
  SDL_Window* w = nullptr;
  SDL_GLContext gl = nullptr;
  for (int i = 0; i < tries && !gl; i++) {
    set_attributes(format, depths[i]);
    w = make_native(window);
    if (!w) continue;
    gl = SDL_GL_CreateContext(w);
    if (!gl) {
      SDL_DestroyWindow(w);
      w = nullptr;
    }
  }
  if (!gl) {
    std::fprintf(stderr, "SDL GL: %s\n", SDL_GetError());
    return nullptr;
  }
  if (SDL_GL_MakeCurrent(w, gl) != 0) {
    *failure = PLAT_GL_FORMAT_REFUSED;
    std::fprintf(stderr, "SDL GL: %s\n", SDL_GetError());
    SDL_GL_DeleteContext(gl);
    SDL_DestroyWindow(w);
    return nullptr;
  }
  auto* c = static_cast<PLAT_GL_CONTEXT*>(SDL_calloc(1, sizeof(PLAT_GL_CONTEXT)));
  if (!c) {
    *failure = PLAT_GL_NO_CONTEXT;
    SDL_GL_MakeCurrent(nullptr, nullptr);
    SDL_GL_DeleteContext(gl);
    SDL_DestroyWindow(w);
    return nullptr;
  }
  replace_native(window, w);
  // Re-bind to the window as it now stands (shown, maybe full screen).
  if (SDL_GL_MakeCurrent(w, gl) != 0) {
    *failure = PLAT_GL_NO_CONTEXT;
    SDL_GL_DeleteContext(gl);
    SDL_free(c);
    return nullptr;
  }
  c->window = window;
  c->gl = gl;
  note_current(c);
  int v = 0, r = 0, g = 0, b = 0, a = 0;
  SDL_GL_GetAttribute(SDL_GL_DOUBLEBUFFER, &v);
  c->got.double_buffer = v;
  SDL_GL_GetAttribute(SDL_GL_RED_SIZE, &r);
  SDL_GL_GetAttribute(SDL_GL_GREEN_SIZE, &g);
  SDL_GL_GetAttribute(SDL_GL_BLUE_SIZE, &b);
  SDL_GL_GetAttribute(SDL_GL_ALPHA_SIZE, &a);
  c->got.colour_bits = r + g + b + a;
  SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &c->got.depth_bits);
  SDL_GL_GetAttribute(SDL_GL_STENCIL_SIZE, &c->got.stencil_bits);
  SDL_GL_GetAttribute(SDL_GL_ACCUM_RED_SIZE, &v);
  c->got.accum_bits = v * 4;
  *failure = PLAT_GL_OK;
  return c;
}

int plat_gl_context_format(const PLAT_GL_CONTEXT* context, PLAT_GL_FORMAT* out) {
  if (!context || !out) return 0;
  *out = context->got;
  return 1;
}

int plat_gl_make_current(PLAT_GL_CONTEXT* context) {
  if (!context) {
    note_current(nullptr);
    return SDL_GL_MakeCurrent(nullptr, nullptr) == 0;
  }
  if (!plat_window_valid(context->window) || !context->window->native) return 0;
  if (SDL_GL_MakeCurrent(native(context->window), context->gl) != 0) return 0;
  note_current(context);
  return 1;
}

void plat_sdl_gl_keep_current() {
  PLAT_GL_CONTEXT* c = gl_state.context;
  if (!c || gl_state.thread != SDL_ThreadID() || !plat_window_valid(c->window) || !c->window->native) return;
  SDL_Window* w = native(c->window);
  if (SDL_GL_GetCurrentContext() == c->gl && SDL_GL_GetCurrentWindow() == w) return;
  SDL_GL_MakeCurrent(w, c->gl);
}

void plat_gl_swap(PLAT_GL_CONTEXT* context) {
  if (!context || !plat_window_valid(context->window) || !context->window->native) return;
  SDL_GL_SwapWindow(native(context->window));
}

void plat_gl_context_delete(PLAT_GL_CONTEXT* context) {
  if (!context) return;
  if (gl_state.context == context) gl_state.context = nullptr;
  if (SDL_GL_GetCurrentContext() == context->gl) SDL_GL_MakeCurrent(nullptr, nullptr);
  SDL_GL_DeleteContext(context->gl);
  SDL_free(context);
}

int plat_display_mode_set(PLAT_WINDOW* window, int width, int height, int depth, int refresh, int fullscreen) {
  (void)depth;
  if (width <= 0 || height <= 0) return PLAT_DISPLAY_BAD_MODE;
  if (!plat_window_valid(window) || !window->native) return fullscreen ? PLAT_DISPLAY_FAILED : PLAT_DISPLAY_OK;
  SDL_Window* w = native(window);
  if (!fullscreen) return SDL_SetWindowFullscreen(w, 0) == 0 ? PLAT_DISPLAY_OK : PLAT_DISPLAY_FAILED;
  int display = SDL_GetWindowDisplayIndex(w);
  if (display < 0) display = 0;
  SDL_DisplayMode want = {0, width, height, refresh, nullptr};
  SDL_DisplayMode closest;
  if (!SDL_GetClosestDisplayMode(display, &want, &closest)) return PLAT_DISPLAY_BAD_MODE;
  // A display that lists no real sizes (0 x 0, as off-screen drivers do)
  // takes the window's own size.
  if (closest.w == 0 || closest.h == 0) {
    closest.w = width;
    closest.h = height;
  }
  if (SDL_SetWindowDisplayMode(w, &closest) != 0) return PLAT_DISPLAY_BAD_MODE;
  plat_sdl_cover_display(w, closest.w, closest.h);
  if (SDL_SetWindowFullscreen(w, SDL_WINDOW_FULLSCREEN) != 0) {
    std::fprintf(stderr, "SDL full screen: %s\n", SDL_GetError());
    return PLAT_DISPLAY_FAILED;
  }
  // A full-screen mode takes the display at once, as an exclusive mode
  // does: a window not shown yet is shown now, since X applies the mode
  // only to a mapped window. Whatever is drawn before the window would
  // otherwise be shown (the splash in the new mode) is seen, and the wait
  // for the window manager's answer falls inside the settling time that
  // follows a mode set instead of after it.
  if (!window->shown) plat_window_show(window, 1);
  return PLAT_DISPLAY_OK;
}
