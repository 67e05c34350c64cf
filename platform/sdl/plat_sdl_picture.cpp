// The SDL2 build's pictures: a block of pixels copied to a window's surface and shown.
#include "platform/plat_internal.h"
#include "platform/plat_picture.h"
#include "platform/sdl/plat_sdl.h"

int plat_window_picture(PLAT_WINDOW* window, const uint8_t* rgba, int width, int height) {
  if (!plat_window_valid(window) || (window->style & PLAT_WS_OPENGL) || !rgba || width < 1 || height < 1)
    return 0;
  SDL_Window* w = static_cast<SDL_Window*>(window->native);
  if (!w) return 0;
  // The window's own surface: SDL remakes it after a size change.
  SDL_Surface* dest = SDL_GetWindowSurface(w);
  if (!dest) return 0;
  // RGBA32 names the byte order red, green, blue, alpha on every machine.
  SDL_Surface* src = SDL_CreateRGBSurfaceWithFormatFrom(const_cast<uint8_t*>(rgba), width, height, 32, width * 4,
                                                        SDL_PIXELFORMAT_RGBA32);
  if (!src) return 0;
  SDL_SetSurfaceBlendMode(src, SDL_BLENDMODE_NONE);
  SDL_Rect at = {0, 0, width, height};
  const int ok = SDL_BlitSurface(src, nullptr, dest, &at) == 0 && SDL_UpdateWindowSurface(w) == 0;
  SDL_FreeSurface(src);
  plat_sdl_gl_keep_current();
  return ok;
}

const uint8_t* plat_window_null_picture(PLAT_WINDOW*, int*, int*) { return nullptr; }
int plat_window_null_picture_count() { return 0; }
