// Shared body of the picture-decoder fuzz targets: any bytes decode or are refused, with and without the palette flag, and leave nothing allocated.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <initializer_list>

#include "display/vx_bit.h"
#include "platform/platform.h"
#include "world/image/img_load.h"

typedef int (*FUZZ_IMAGE_DECODE)(VX_BITMAP* bitmap, const uint8_t* data, size_t size, int flags,
                                 const char* name, VX_IMG_INFO* info);

inline int fuzz_image(FUZZ_IMAGE_DECODE decode, const uint8_t* data, size_t size) {
  static const bool ready = [] {
    plat_set_boxes(0);                  // "not supported yet" goes to standard error, not to a window
    vx_img_set_limit(size_t(1) << 22);  // hostile headers may not ask for more than 4 MiB of pixels
    return true;
  }();
  (void)ready;
  for (int flags : {VX_IMG_PALETTE, 0}) {
    VX_BITMAP bitmap;
    VX_IMG_INFO info;
    if (decode(&bitmap, data, size, flags, "fuzz", &info)) {
      if (bitmap.width < 1 || bitmap.height < 1 || !bitmap.pixels) std::abort();
      // Expanding reads every pixel and every palette entry a pixel names.
      auto* rgba = static_cast<uint8_t*>(std::malloc(size_t(bitmap.width) * size_t(bitmap.height) * 4));
      if (rgba && !vx_img_expand_rgba(&bitmap, &info, rgba)) std::abort();
      std::free(rgba);
      vx_bit_free(&bitmap);
    } else if (bitmap.pixels || bitmap.palette) {
      std::abort();
    }
  }
  return 0;
}
