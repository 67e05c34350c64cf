// Fuzz target of the JPEG decoder.
#include "tests/fuzz/fuzz_image.h"
#include "world/image/img_jpeg.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return fuzz_image(vx_img_jpeg_decode, data, size);
}
