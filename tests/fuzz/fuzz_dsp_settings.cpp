// Fuzz target: the Display keys of an arbitrary settings file, through a whole display start, a toggle both ways and the shutdown that writes them back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_app.h"
#include "display/vx_dsp.h"
#include "display/vx_dsp_internal.h"
#include "fuzz_engine.h"
#include "platform/platform.h"

namespace {

int mode_set(int, int, int, int, int) { return 1; }
int ok() { return 1; }
int ok_rect(const VX_RECT*) { return 1; }
int init(PLAT_WINDOW*, const VX_RECT*, const char**, const char**) { return 0; }

constexpr VX_WINDOW_SIZE kSizes[] = {{320, 240, 1}, {640, 480, 2}, {800, 600, 0}, {1024, 768, 0}, {0, 0, 0}};

std::filesystem::path folder;
std::string settings_os;

void start_once() {
  static const VX_IO_SETTINGS io_settings = {0, nullptr, "Fuzz.ini"};
  if (!fuzz_engine_start("fuzz_dsp", nullptr, &io_settings)) return;
  folder = std::filesystem::current_path();
  std::filesystem::create_directories(folder / "xdg");
  setenv("XDG_DATA_HOME", (folder / "xdg").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", folder.c_str(), 1);  // the instance lock stays in the private folder
  vx_app_config_prepare("Fuzz.ini", "DspFuzz");
  char os[VX_IO_PATH_MAX];
  vx_io_os_path(vx_io_settings_path(), os, sizeof os);
  settings_os = os;
}

void pump() {
  PLAT_MSG m;
  for (int i = 0; i < 1000 && plat_peek_message(&m, 1); i++)
    if (m.message != PLAT_WM_QUIT) plat_dispatch_message(&m);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  start_once();
  FILE* out = std::fopen(settings_os.c_str(), "wb");
  if (!out) return 0;
  if (size) std::fwrite(data, 1, size, out);
  std::fclose(out);
  std::remove((folder / "xdg" / "Harrowby" / "DspFuzz" / "Warning.txt").c_str());

  static VX_DSP_3D_INTERFACE table = {};
  table.vx_dsp_3d_init = init;
  table.vx_dsp_3d_deinit = ok;
  table.vx_dsp_3d_video_mode_set = mode_set;
  table.vx_dsp_3d_resize = ok_rect;
  table.vx_dsp_3d_flush = ok;
  table.vx_dsp_3d_screen_clear = ok;
  table.vx_dsp_3d_display_update = ok;

  uint32_t running = 0, ready = 0, full = 0;
  VX_APP app = {};
  app.class_name = "PondSprintFuzz";
  app.title = "Fuzz";
  app.menu_name = "PONDSPRINT";
  app.window_sizes = kSizes;
  app.pos_x = app.pos_y = -1;
  app.base_width = 640;
  app.base_height = 480;
  app.min_width = 640;
  app.min_height = 480;
  app.display_menu_pos = 1;
  app.resolution_menu_pos = 7;
  app.mode_check_offset = 2;
  app.running_out = &running;
  app.ready_out = &ready;
  app.fullscreen_out = &full;
  app.command_line = "";
  app.table_3d = &table;
  // The first byte picks the flags, so that every start path is reached.
  const uint32_t flags = size ? (data[0] & 0xF) : 9;
  VX_DSP_PARAMS params = {0, nullptr, nullptr, nullptr, 1, flags, 16};
  if (vx_app_start(&app)) {
    vx_dsp_st.settle_ms = 0;
    if (vx_dsp_init(&params)) {
      pump();
      vx_dsp_fullscreen_toggle();
      pump();
      vx_dsp_fullscreen_toggle();
      pump();
    }
    vx_dsp_deinit();
    pump();
  }
  return 0;
}
