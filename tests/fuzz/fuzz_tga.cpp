// Fuzz target of the TGA decoder.
#include "tests/fuzz/fuzz_image.h"
#include "world/image/img_tga.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz_image(vx_img_tga_decode, data, size);
}
