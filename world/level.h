// Level loading: the level definition (.def) and map (.map) into the world tables, level freeing, name lookups and the texture hooks.
//
// A .def is read line by line (a carriage return ends a line and swallows
// the byte after it, bytes below 32 are dropped, byte 255 ends the file);
// the first byte of a line says what it declares:
//   @a..@i  parameter   @j background   # floor bitmap   $ wall bitmap
//   ^ sprite bitmap     > animated bitmap   < animated sprite bitmap
//   ] super animated sprite bitmap   % tile   & sprite   * moving cell
//   + animated object; any other first byte makes a comment line.
// Messages go through Engine_Error (world/engine_error.h); most of them end
// the process at once, a few let loading go on and the program close later.
#pragma once
#include <cstddef>
#include <cstdint>

#include "world/gen/gen_bit.h"
#include "world/world_tables.h"

// Load_Level results.
constexpr int LEVEL_LOADED = 0;   // the level is built
constexpr int LEVEL_NO_DEF = 1;   // the .def could not be opened; nothing else was done
constexpr int LEVEL_STOPPED = 2;  // only with an error sink: a message stopped loading (Free_Level cleans up)

// Reads `def_file` and `map_file` (file-layer names; a null map gives an
// empty world) into the world tables. A level still loaded is freed first.
// With `add_animated_objects` every animated object also becomes an object.
// Call after the 3D interface is set up and before the renderer starts.
int Load_Level(const char* def_file, const char* map_file, uint8_t add_animated_objects);

// As Load_Level with the two files' bytes in memory (`map` null: no map).
// The names only appear in messages. For tools and fuzz targets.
int Load_Level_Memory(const char* def_name, const uint8_t* def, size_t def_size, const char* map_name,
                      const uint8_t* map, size_t map_size, uint8_t add_animated_objects);

// Frees the world, the textures, the background and every table in the
// fixed order; each table pointer becomes null and each count 0. Safe to
// call at any time, also after LEVEL_NO_DEF or LEVEL_STOPPED (it then also
// frees the line buffer that loading left).
void Free_Level();

// Name lookups (case-blind: the name is upper-cased and cut to 39
// characters): the first entry of that name, WORLD_NAME_NULL (-1) for
// "NULL", WORLD_NAME_ABSENT (-10) when absent or no level is loaded.
int Find_Bitmap(const char* name);
int Find_Sprite_Bitmap(const char* name);
// The animation number of the named sprite bitmap (0 for a plain '^'
// entry), -1 when the name is not found.
int Sprite_Bitmap_Animation(const char* name);

// ---------------------------------------------------------------- textures
// Uploads picture `file` (a trailing `!` asks for nearest-pixel filtering)
// with the picture loader's `load_flags` and reports its sizes; returns the
// texture handle, 0 on failure (after its own box).
typedef uint32_t (*LEVEL_TEXTURE_LOAD)(const char* file, int load_flags, GEN_TEXTURE_SIZES* sizes);
typedef void (*LEVEL_TEXTURE_DELETE)(uint32_t texture);
// Installs the upload and release used by the loader and Free_Level. The
// program installs its 3D back end's (the game's start-up and the tools
// that draw: the gen layer's gen_bit_texture_load and
// gen_bit_texture_delete); null gives the defaults: Level_Texture_Load and
// no release.
void Level_Texture_Hooks(LEVEL_TEXTURE_LOAD load, LEVEL_TEXTURE_DELETE remove);
// The default upload, for a world without a 3D back end (tests, tools that
// only check levels): the picture is only loaded and measured, with the
// sizes an upload would report and handle 0; a picture that does not load
// gives the box "Can't load bitmap!" with the file name.
uint32_t Level_Texture_Load(const char* file, int load_flags, GEN_TEXTURE_SIZES* sizes);
// Pictures whose upload failed during the last Load_Level.
int Level_Picture_Failures();
