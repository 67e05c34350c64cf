// Start-up shared by the fuzz targets that drive the engine's file layer: a scratch folder made current, the error, memory and file modules started quietly, all undone at exit.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "platform/platform.h"

inline int fuzz_quiet_box(const char*, const char*, unsigned) { return 1; }

inline constexpr VX_IO_SETTINGS kFuzzIoSettings = {0, nullptr, nullptr};

// Starts once per process; 1 on the call that started, so the caller adds
// its own set-up then. `stop` (may be null) runs at exit before the file
// layer stops and the scratch folder goes. `io`: the file layer's settings,
// or null when the target starts and stops the layer itself.
inline int fuzz_engine_start(const char* name, void (*stop)() = nullptr, const VX_IO_SETTINGS* io = &kFuzzIoSettings) {
  static std::filesystem::path folder;
  static void (*stop_first)() = nullptr;
  if (!folder.empty()) return 0;
  stop_first = stop;
  folder = std::filesystem::temp_directory_path() / (std::string(name) + "_" + std::to_string(plat_ticks()));
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  std::atexit([] {
    if (stop_first) stop_first();
    vx_io_deinit();
    std::error_code ec;
    std::filesystem::current_path(folder.parent_path(), ec);
    std::filesystem::remove_all(folder, ec);
  });
  static const VX_ERROR_SETTINGS error_settings = {0};
  vx_error_init(&error_settings);
  vx_error_set_box(fuzz_quiet_box);
  plat_set_boxes(0);
  static const VX_MEM_SETTINGS mem_settings = {0, 0};
  vx_mem_init(&mem_settings);
  if (io) vx_io_init(io);
  return 1;
}
