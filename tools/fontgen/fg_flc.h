// fg_flc: writes 8-bit animations as FLC files (the FLIC format with the 0xAF12 magic).
//
// Layout: the 128-byte header, then one frame chunk (0xF1FA) per frame.
// The first frame carries the palette (a 256-level colour chunk, type 4)
// and the whole picture as a byte run (type 15); every later frame only
// the words that changed since the frame before (a word delta, type 7),
// or no sub-chunk at all when nothing changed. No ring frame is written:
// a reader loops from the last frame back to the first by itself.
// Sub-chunks are padded to an even size. The same input gives the same
// bytes (no dates or serial numbers in the header).
#pragma once
#include <array>
#include <cstdint>
#include <vector>

struct FG_FLC {
  int width, height;  // 2 to 65534 and 1 to 65535; the width must be even (the delta codes pixel pairs)
  int speed;          // milliseconds a frame
  std::array<uint8_t, 768> palette;          // 256 RGB triples, 0-255 a channel
  std::vector<std::vector<uint8_t>> frames;  // each width x height palette indexes, top row first
};

// The whole file into `out` (replaced). 1, or 0 for a bad size, no frame
// or a frame of the wrong size (out is then empty).
int fg_flc_encode(const FG_FLC* anim, std::vector<uint8_t>* out);
