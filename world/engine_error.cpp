// The tile engine's messages: boxes with the close request, process stops, and the sink that replaces both.
#include "world/engine_error.h"

#include <cstdarg>
#include <cstdio>

#include "display/vx_app.h"
#include "platform/platform.h"

namespace {

constexpr int TEXT_SIZE = 16384;

struct EngineErrorState {
  ENGINE_ERROR_SINK sink;
  void* user;
  int count;
  int stopped;
  char text[TEXT_SIZE];
};
EngineErrorState ee_st = {};

enum MessageKind { BOX_ONLY, CLOSE_LATER, STOP_NOW };

void deliver(const char* caption, MessageKind kind) {
  EngineErrorState& s = ee_st;
  s.count++;
  if (kind == STOP_NOW) s.stopped = 1;
  if (s.sink) {
    s.sink(caption, s.text, kind == STOP_NOW, s.user);
    return;
  }
  vx_dsp_error_box(s.text, caption, PLAT_MB_OK);
  if (kind == BOX_ONLY) return;
  vx_dsp_fatal_note(s.text, caption);
  if (PLAT_WINDOW* w = plat_window_main()) plat_post_message(w, PLAT_WM_CLOSE, 0, 0);
  // A failed run says so in its exit status.
  if (kind == STOP_NOW) plat_exit(1);
}

void format_error(const char* format, va_list args) {
  int n = std::snprintf(ee_st.text, TEXT_SIZE, "Error: ");
  std::vsnprintf(ee_st.text + n, size_t(TEXT_SIZE - n), format, args);
}

}  // namespace

void Engine_Error_Sink(ENGINE_ERROR_SINK sink, void* user) {
  ee_st.sink = sink;
  ee_st.user = user;
}

int Engine_Error_Has_Sink() { return ee_st.sink != nullptr; }

void Engine_Error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  format_error(format, args);
  va_end(args);
  deliver("Error", CLOSE_LATER);
}

void Engine_Stop(const char* format, ...) {
  va_list args;
  va_start(args, format);
  format_error(format, args);
  va_end(args);
  deliver("Error", STOP_NOW);
}

void Engine_Box(const char* text, const char* caption) {
  std::snprintf(ee_st.text, TEXT_SIZE, "%s", text ? text : "");
  deliver(caption, BOX_ONLY);
}

int Engine_Error_Count() { return ee_st.count; }
int Engine_Error_Stopped() { return ee_st.stopped; }
void Engine_Error_Reset_Count() {
  ee_st.count = 0;
  ee_st.stopped = 0;
}
