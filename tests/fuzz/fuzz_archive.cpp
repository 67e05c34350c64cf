// Fuzz target: the file layer's archive loader and archived reads, over an arbitrary resource.dat.
#include <cstdint>
#include <cstdio>

#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "fuzz_engine.h"

// Reads one entry every way the layer offers.
static void read_entry(const char* name) {
  VX_IO_FILE* h = vx_io_fopen(name, "rb");
  if (!h) return;
  char buf[97];
  while (vx_io_fread(buf, 7, 13, h) > 0) {
  }
  vx_io_fseek(h, -3, SEEK_END);
  vx_io_fgetc(h);
  vx_io_ftell(h);
  vx_io_feof(h);
  vx_io_rewind(h);
  while (vx_io_fgets(buf, sizeof buf, h)) {
  }
  vx_io_fseek(h, 5, SEEK_SET);
  while (vx_io_fgets_keep(buf, 9, h)) {
  }
  vx_io_fclose(h);
  char value[32];
  vx_io_ini_get_string("Application", "Title", value, 31, name);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz_engine_start("fuzz_archive", nullptr, nullptr);
  FILE* f = std::fopen("resource.dat", "wb");
  if (!f) return 0;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
  VX_IO_SETTINGS settings = {0, "resource.dat", nullptr};
  if (vx_io_init(&settings)) {
    int n = vx_io_resource_count();
    for (int i = 0; i < n && i < 32; i++) read_entry(vx_io_resource_entry_name(i));
    read_entry("DATA\\TEXTS.TXT");
  }
  vx_io_deinit();
  return 0;
}
