// Message boxes shared by both builds: the switch that turns them into lines
// on standard error, and the answer given when no box is shown.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "platform/plat_internal.h"

// -1 until first used; then 1 boxes shown, 0 boxes printed.
constinit static struct {
  std::atomic<int> enabled{-1};
} box_state;

void plat_set_boxes(int enabled) { box_state.enabled = enabled ? 1 : 0; }

int plat_boxes_enabled() {
  int e = box_state.enabled;
  if (e < 0) {
    const char* no_boxes = std::getenv("PS_NO_BOXES");
    e = (no_boxes && std::strcmp(no_boxes, "1") == 0) ? 0 : 1;
    int unset = -1;
    box_state.enabled.compare_exchange_strong(unset, e);
    e = box_state.enabled;
  }
  return e;
}

// The answer of the first button, as pressing Enter on the box would give.
static int first_button(uint32_t style) { return (style & 0xF) == PLAT_MB_YESNO ? PLAT_IDYES : PLAT_IDOK; }

int plat_message_box(PLAT_WINDOW* owner, const char* text, const char* caption, uint32_t style) {
  if (!text) text = "";
  if (!caption) caption = "Error";
  int answer = 0;
  if (plat_boxes_enabled() && plat_be_message_box(plat_window_valid(owner) ? owner : nullptr, text, caption,
                                                  style, &answer))
    return answer;
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
  return first_button(style);
}
