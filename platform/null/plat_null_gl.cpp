// The null build's GL: there is none, so every context is refused; display modes are accepted without effect.
#include "platform/plat_gl.h"

void plat_gl_preload() {}
void plat_gl_preload_wait() {}

PLAT_GL_CONTEXT* plat_gl_context_create(PLAT_WINDOW*, const PLAT_GL_FORMAT*, int* failure) {
  if (failure) *failure = PLAT_GL_NO_FORMAT;
  return nullptr;
}

int plat_gl_context_format(const PLAT_GL_CONTEXT*, PLAT_GL_FORMAT*) { return 0; }
int plat_gl_make_current(PLAT_GL_CONTEXT* context) { return context == nullptr; }
void plat_gl_swap(PLAT_GL_CONTEXT*) {}
void plat_gl_context_delete(PLAT_GL_CONTEXT*) {}

// The notional desktop has no modes to switch; a window "goes" full screen at once.
int plat_display_mode_set(PLAT_WINDOW* window, int width, int height, int, int, int fullscreen) {
  if (width <= 0 || height <= 0) return PLAT_DISPLAY_BAD_MODE;
  if (!window && fullscreen) return PLAT_DISPLAY_FAILED;
  return PLAT_DISPLAY_OK;
}
