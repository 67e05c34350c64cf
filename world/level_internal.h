// Between the level loader's files: the byte source, the loading pass, the line reader and the line handlers, the map reader.
#pragma once
#include <cstddef>
#include <cstdint>

#include "core/vx_io.h"
#include "world/gen/gen_bit.h"

// A .def or .map: a file of the file layer, or bytes in memory.
struct LEVEL_SOURCE {
  const char* name;     // for opening and for messages
  VX_IO_FILE* file;     // open file, or null
  const uint8_t* data;  // memory source when not null
  size_t size, pos;
  int ended;            // the line reader met the end (or byte 255)
};

// Opens (again) from the start: 1, or 0 when the file cannot be opened.
int Level_Source_Open(LEVEL_SOURCE* src);
void Level_Source_Close(LEVEL_SOURCE* src);
int Level_Source_Getc(LEVEL_SOURCE* src);  // 0..255, -1 at the end
size_t Level_Source_Read(LEVEL_SOURCE* src, void* out, size_t bytes);

// What the line handlers share while one .def is read.
struct LEVEL_PASS {
  const char* def_name;  // both names as the messages print them
  const char* map_name;
  int floor_count;       // '#' and '$' lines of the first pass
  int wall_count;
  int seen_d, seen_e, seen_f;
};

// Line reader results.
constexpr int LEVEL_LINE = 1;
constexpr int LEVEL_END = 0;
constexpr int LEVEL_LINE_STOP = -1;  // too long; the message was given

// Reads the next non-empty line into `line` (WORLD_LINE_BUFFER bytes,
// zero-terminated) and its length.
int Level_Read_Line(LEVEL_SOURCE* src, char* line, int* length);
// Handles one line (also a generated one). 1, or 0 when a message stopped loading.
int Level_Handle_Line(LEVEL_PASS* pass, const char* line, int length);
// Allocates the tile buffer when @d, @e and @f have all been read and it
// does not exist yet. 1, or 0 when a message stopped loading.
int Level_Tile_Buffer(LEVEL_PASS* pass);

// Reads the map into the reset world (world/map.cpp). 1, or 0 when a
// message stopped loading. `src` null: no map.
int Map_Read(LEVEL_SOURCE* src, const LEVEL_PASS* pass);

// Stores a name as the tables keep it: upper case, at most 39 characters.
void Level_Name_Copy(char* out, const char* name, int length);
// The texture upload in use; a failure is counted for Level_Picture_Failures.
uint32_t Level_Upload(const char* file, int load_flags, GEN_TEXTURE_SIZES* sizes);
