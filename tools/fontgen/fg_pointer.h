// fg_pointer: the menus' pointer sprite, a bevelled gold star in 8-bit colour with a glint that sweeps across it.
//
// The menus take frame 1 of the default font's '*' as the sprite drawn
// beside the current line, so frame 1 is the plain star; later frames
// move a bright glint over it from the upper left to the lower right.
// Index 0 is transparent (the key colour); the star keeps a dark ring so
// that it reads on any background.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

constexpr int FG_POINTER_COLOURS = 8;  // palette entries in use, 0 included

// The palette: 256 RGB triples, the unused entries black.
std::array<uint8_t, 768> fg_pointer_palette();
// Frame `frame` (0 = the plain star) of `frames`, `size` x `size` indexes
// into fg_pointer_palette(), top row first.
std::vector<uint8_t> fg_pointer_frame(int size, int frame, int frames);
