// mg_synth: makes the 8-bit sample of an instrument from its recipe, the same bytes every time.
#pragma once
#include <cstdint>
#include <vector>

#include "tools/musicgen/mg_song.h"

struct MG_SAMPLE {
  std::vector<int8_t> data;
  uint32_t loop_start = 0, loop_end = 0;  // a loop when loop_end > loop_start
  uint32_t c2_speed = 8363;               // playback rate of C-4, in Hz
};

// Pitched recipes sound middle C when played at C-4; drums and the croak
// sound as made at C-4. Peaks reach about 122 of 127 whatever the recipe,
// so that loudness is set by volumes. 1, or 0 for an unknown kind.
int mg_synth_make(const MG_INSTRUMENT& in, MG_SAMPLE* out);
