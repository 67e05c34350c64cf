// Fuzz target of the palette reader: any file gives a palette of 256 colours from its last 768 bytes, or none, and freeing it leaves nothing.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_pal.h"
#include "platform/platform.h"

static int quiet_box(const char*, const char*, unsigned) { return 1; }

static void start_once() {
  static std::filesystem::path folder;
  if (!folder.empty()) return;
  folder = std::filesystem::temp_directory_path() / ("fuzz_palette_" + std::to_string(plat_ticks()));
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  std::atexit([] {
    vx_io_deinit();
    std::error_code ec;
    std::filesystem::current_path(folder.parent_path(), ec);
    std::filesystem::remove_all(folder, ec);
  });
  static const VX_ERROR_SETTINGS error_settings = {0};
  vx_error_init(&error_settings);
  vx_error_set_box(quiet_box);
  plat_set_boxes(0);
  static const VX_MEM_SETTINGS mem_settings = {0, 0};
  vx_mem_init(&mem_settings);
  static const VX_IO_SETTINGS io_settings = {0, nullptr, nullptr};
  vx_io_init(&io_settings);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  start_once();
  FILE* out = std::fopen("fuzz.pal", "wb");
  if (!out) return 0;
  if (size) std::fwrite(data, 1, size, out);
  std::fclose(out);
  const long long used = vx_mem_used();
  VX_PALETTE* p = vx_pal_load("fuzz.pal");
  if ((p != nullptr) != (size >= 768)) std::abort();
  if (p) {
    if (p->count != 256) std::abort();
    uint8_t c[3];
    // Colour 0 is the first of the last 768 bytes; indexes outside give black.
    vx_pal_colour(p, 0, &c[0], &c[1], &c[2]);
    if (std::memcmp(c, data + size - 768, 3) != 0) std::abort();
    vx_pal_colour(p, 256, &c[0], &c[1], &c[2]);
    if (c[0] | c[1] | c[2]) std::abort();
    vx_pal_free(p);
  }
  if (vx_mem_used() != used) std::abort();
  return 0;
}
