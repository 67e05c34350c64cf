// Fuzz target of the PCX decoder.
#include "tests/fuzz/fuzz_image.h"
#include "world/image/img_pcx.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz_image(vx_img_pcx_decode, data, size);
}
