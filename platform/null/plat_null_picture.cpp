// The null build's pictures: what a window was last asked to show is kept, so that tests can read it back.
#include <array>
#include <cstring>
#include <vector>

#include "platform/plat_internal.h"
#include "platform/plat_picture.h"

namespace {

// One kept picture per window slot; a record whose window was destroyed (or
// whose slot now holds another window) is found stale by its serial.
struct SHOWN {
  uint32_t serial;
  int width, height;
  std::vector<uint8_t> pixels;
};
struct NullPictures {
  std::array<PLAT_WINDOW*, PLAT_MAX_WINDOWS> windows;
  std::array<SHOWN, PLAT_MAX_WINDOWS> shown;
  int count;
};
NullPictures np;

// The record kept for `window`, or null.
SHOWN* record_of(PLAT_WINDOW* window, bool make) {
  for (size_t i = 0; i < np.windows.size(); i++)
    if (np.windows[i] == window) return &np.shown[i];
  if (!make) return nullptr;
  for (size_t i = 0; i < np.windows.size(); i++)
    if (!np.windows[i] || !plat_window_valid(np.windows[i])) {
      np.windows[i] = window;
      return &np.shown[i];
    }
  return nullptr;
}

}  // namespace

int plat_window_picture(PLAT_WINDOW* window, const uint8_t* rgba, int width, int height) {
  if (!plat_window_valid(window) || (window->style & PLAT_WS_OPENGL) || !rgba || width < 1 || height < 1)
    return 0;
  SHOWN* s = record_of(window, true);
  if (!s) return 0;
  s->serial = window->serial;
  s->width = width;
  s->height = height;
  s->pixels.assign(rgba, rgba + static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
  np.count++;
  return 1;
}

const uint8_t* plat_window_null_picture(PLAT_WINDOW* window, int* width, int* height) {
  SHOWN* s = plat_window_valid(window) ? record_of(window, false) : nullptr;
  if (!s || s->serial != window->serial || s->pixels.empty()) return nullptr;
  if (width) *width = s->width;
  if (height) *height = s->height;
  return s->pixels.data();
}

int plat_window_null_picture_count() { return np.count; }
