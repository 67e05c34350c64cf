// Fuzz target of the MP3 stream and frame decoder: open from memory, decode a bounded amount in two output formats.
#include <cstddef>
#include <cstdint>

#include "sound/vx_mp3.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // 16-bit stereo at the file's usual rate, looping; 8-bit mono at an odd
  // rate (mixing and rate conversion).
  static const VX_MP3_FORMAT formats[2] = {{16, 2, 44100}, {8, 1, 11111}};
  static uint8_t buffer[4608];
  for (int f = 0; f < 2; f++) {
    VX_MP3* s = vx_mp3_open_memory(data, size, f == 0 ? VX_MP3_LOOP : 0, &formats[f]);
    if (!s) continue;
    vx_mp3_gain(s, 80);
    vx_mp3_pan(s, -30);
    for (int i = 0; i < 12 && vx_mp3_decode(s, buffer, sizeof buffer); i++) {
    }
    vx_mp3_close(s);
  }
  return 0;
}
