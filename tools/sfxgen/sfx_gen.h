// sfx_gen: the game's 11 sound effects, each drawn from its own recipe, and the sound list that names them.
//
// Effect n is line n of data\sndlist.txt: 1 hit by a car, 2 splash, 3 the
// frog leaves a completed level, 4 take-off and menu back, 5 the time-bonus
// tick, 6 its end, 7 a bonus appears and menu choice, 8 hop, 9 a bad
// pick-up (slow frog, doubled traffic), 10 a good one, 11 points.
#pragma once
#include <string>
#include <vector>

#include "tools/sfxgen/sfx_synth.h"

constexpr int SFX_EFFECTS = 11;

struct SFX_FILE {
  std::string name;  // relative to the data root, '/' separators ("snd/hop.wav")
  std::vector<uint8_t> bytes;
};

// The name the game opens effect n by ("snd\hop.wav"); "" outside 1..11.
std::string sfx_effect_game_name(int n);
// Effect n (1..11), finished: faded edges, at its loudness.
SFX_SAMPLES sfx_effect(int n);
// Every effect as a WAV file, then data/sndlist.txt (CR LF lines).
std::vector<SFX_FILE> sfx_generate_all();
