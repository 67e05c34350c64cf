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
#include "tests/fuzz/fuzz_engine.h"

static void start_once() { fuzz_engine_start("fuzz_palette"); }

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
