// Fuzz target of the S3M loader and player: any bytes load or are refused, play for a bounded time in every output mode, and give every block back.
#include <cstdint>
#include <cstdlib>

#include "sound/vx_mod.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = vx_mod_start(128, 1, 1, 0, 0, 8, 360) == 1;
  if (!ready) std::abort();
  VX_MOD_POOL* pool = vx_mod_pool_create();
  if (VX_MODULE* m = vx_mod_load(data, size, VX_MOD_LOAD_PANS, pool)) {
    const uint8_t pick = data[size - 1];  // output mode and interpolation: every path of the mixer
    const uint16_t mode = uint16_t(((pick & 1) ? VX_MOD_16BIT : 0) | ((pick & 2) ? VX_MOD_STEREO : 0) |
                                   (pick & 4 ? VX_MOD_LINEAR : 0) | (pick & 8 ? VX_MOD_QUADRATIC : 0));
    vx_mod_select(m);
    vx_mod_reset();
    vx_mod_set(131072, 11025, mode, VX_MOD_RUNNING, VX_MOD_END_LOOP, 0, 256, 128);
    // Two seconds in pieces of odd sizes: the time is bounded whatever the song does.
    static uint8_t buffer[4 * 1000];
    for (size_t done = 0, piece = 1; done < 2 * 11025; done += piece, piece = piece * 7 % 997 + 1)
      vx_mod_render(buffer, piece * 4);
    vx_mod_free(m, pool);
  }
  if (!vx_mod_pool_destroy(pool)) std::abort();  // a block left behind
  return 0;
}
