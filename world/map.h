// The world grid: its reset before a map is read, and the height of a cell's upper face at a point.
//
// The map file (little-endian): int16 -1100 and int32 cell size (the
// current format; the old one starts with the next field), int16 last
// object number N, N + 1 object records of 59 bytes, int16 rows R, int16
// columns C, R x C cells of 22 bytes row by row. Load_Level reads it
// (world/map.cpp) right after the .def.
#pragma once
#include <cstdint>

constexpr int16_t MAP_MARK = -1100;  // bytes B4 FB

// Every animation active, looping forever, without owner; every cell of
// the world_width x world_depth grid empty (tile 0, heights 0, tint 0,
// brightness 15, no listed objects); every object without private
// animation. Needs the tables of a loaded (or loading) level.
void World_Reset();

// Height of the upper face of the cell under (x, z), world units; the face
// slopes along x when its first two corners agree, else along z.
// WORLD_NO_HEIGHT (-9999) outside the world or over an empty cell.
double World_Up_Height(double x, double z);
