// levelcheck: loads a level as the game does and reports every loader message on standard error instead of in a box.
//
// Usage: levelcheck [-C FOLDER] [-a] [-r ARCHIVE] LEVEL.def [LEVEL.map]
//   -C FOLDER   the folder the level's file names are relative to (the
//               game's data root, where "gfx\..." and "level\..." lie)
//   -a          also turn the animated objects into objects, as the game does
//   -r ARCHIVE  read files through this resource archive first
// File names may use `\` or '/'. Pictures are loaded and measured (there is
// no GL context), so a missing or broken picture is reported too.
//
// Every message goes to standard error, one a line: "Error: ..." for the
// loader's own messages, "CAPTION: FILE" for a picture that did not load.
// The map reader's notes (old format, changed world size) go to standard
// output and are not errors. On success a summary line goes to standard
// output. Exits 0 for a clean level, 1 when there was a message or the
// .def could not be opened, 2 for bad usage.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "platform/platform.h"
#include "world/engine_error.h"
#include "world/level.h"

static void print_message(const char* caption, const char* text, int, void*) {
  // Engine_Error's text carries its own "Error: " and its caption is "Error".
  if (caption && std::strcmp(caption, "Error") != 0)
    std::fprintf(stderr, "%s: %s\n", caption, text);
  else
    std::fprintf(stderr, "%s\n", text);
}

static std::string file_layer_name(const char* path) {
  std::string s = path;
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

static int usage() {
  std::fprintf(stderr, "usage: levelcheck [-C FOLDER] [-a] [-r ARCHIVE] LEVEL.def [LEVEL.map]\n");
  return 2;
}

int main(int argc, char** argv) {
  const char* folder = nullptr;
  const char* archive = nullptr;
  uint8_t add_objects = 0;
  int arg = 1;
  for (; arg < argc && argv[arg][0] == '-' && argv[arg][1]; arg++) {
    if (!std::strcmp(argv[arg], "-a")) {
      add_objects = 1;
    } else if (!std::strcmp(argv[arg], "-C") && arg + 1 < argc) {
      folder = argv[++arg];
    } else if (!std::strcmp(argv[arg], "-r") && arg + 1 < argc) {
      archive = argv[++arg];
    } else {
      return usage();
    }
  }
  if (arg >= argc || argc - arg > 2) return usage();
  const std::string def = file_layer_name(argv[arg]);
  const std::string map = arg + 1 < argc ? file_layer_name(argv[arg + 1]) : std::string();
  if (folder && !plat_set_current_folder(folder)) {
    std::fprintf(stderr, "levelcheck: cannot enter %s\n", folder);
    return 2;
  }

  plat_set_boxes(0);
  VX_ERROR_SETTINGS quiet = {0};
  vx_error_init(&quiet);
  VX_MEM_SETTINGS mem = {0, 0};
  vx_mem_init(&mem);
  VX_IO_SETTINGS io = {0, archive, nullptr};
  vx_io_init(&io);
  Engine_Error_Sink(print_message, nullptr);
  Engine_Error_Reset_Count();

  const int result = Load_Level(def.c_str(), map.empty() ? nullptr : map.c_str(), add_objects);
  int status = 0;
  if (result == LEVEL_NO_DEF) {
    std::fprintf(stderr, "Error: Error opening the level file : %s\n", def.c_str());
    status = 1;
  } else if (result != LEVEL_LOADED || Engine_Error_Count() > 0 || Level_Picture_Failures() > 0) {
    status = 1;
  } else {
    const WORLD_TABLES& w = world_tables;
    int tiles = 0, sprites = 0;
    for (int i = 0; i < WORLD_TILES; i++) tiles += w.tiles[i].defined;
    for (int i = 0; i < WORLD_SPRITES; i++) sprites += w.sprites[i].defined;
    std::printf("%s: %d x %d cells of %d, %d bitmaps, %d sprite bitmaps, %d animations, %d tiles, %d sprites, "
                "%d moving cells, %d animated objects, %d objects\n",
                def.c_str(), w.world_width, w.world_depth, w.cell_size, w.bitmap_count, w.sprite_bitmap_count,
                w.animation_count, tiles, sprites, w.mov_cell_count, w.ani_object_count, int(w.object_count));
  }
  Free_Level();
  Engine_Error_Sink(nullptr, nullptr);
  vx_io_deinit();
  if (!vx_mem_deinit() && status == 0) {
    std::fprintf(stderr, "levelcheck: the loader left memory allocated\n");
    status = 1;
  }
  vx_error_deinit();
  return status;
}
