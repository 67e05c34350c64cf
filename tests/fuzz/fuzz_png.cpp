// Fuzz target of the PNG decoder.
#include "tests/fuzz/fuzz_image.h"
#include "world/image/img_png.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz_image(vx_img_png_decode, data, size);
}
