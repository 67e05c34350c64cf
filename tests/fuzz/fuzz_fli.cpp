// Fuzz target of the FLI/FLC reader: any bytes open or are refused with a reason; every frame, the loop back and a rewind decode without fault or leak.
#include <cstdint>
#include <cstdlib>

#include "core/vx_mem.h"
#include "toolkit/vx_anim.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (vx_anim_set_limit(size_t(1) << 18), true);  // at most 256 KiB of frame
  (void)ready;
  const long long before = vx_mem_used();
  VX_ANIM anim;
  if (vx_anim_open_memory(&anim, data, size, "fuzz")) {
    if (anim.frame_count < 1 || !anim.picture.pixels || anim.picture.palette->count != 256) std::abort();
    for (int f = 0; f <= anim.frame_count; f++) vx_anim_step(&anim);
    if (anim.frame != 1) std::abort();  // the step after the last frame shows the first again
    vx_anim_rewind(&anim);
    vx_anim_step(&anim);
    vx_anim_close(&anim);
  } else if (!vx_anim_refusal()[0] || anim.data) {
    std::abort();
  }
  if (vx_mem_used() != before) std::abort();
  return 0;
}
