// levelview: renders the view of a level from a camera position into a TGA picture with the game's renderer on an off-screen OpenGL context.
//
// Usage: levelview [options] LEVEL.def [LEVEL.map] OUT.tga
//   -C FOLDER    the folder the level's file names are relative to (the
//                game's data root, where "gfx\..." and "level\..." lie)
//   -a           also turn the animated objects into objects, as the game does
//   -s WxH       picture size in pixels (default 640x480)
//   -c X,Y,Z     camera position in world units (default: y 25, over the
//                start cell's column, four cells behind the start cell)
//   -d ROWS      rows drawn in front of the camera row (default 40)
//   -h PERCENT   horizon shift (default -20, as the game)
//   -t STEPS     run STEPS game-logic steps of the level's animations,
//                moving cells and animated objects before drawing
//   -b           draw the level's background picture first
//   -e           editor mode (needs data\font.dat in FOLDER)
//   -u           unlit: no tint, brightness or fade
// The view is drawn as the game draws it: cells and objects lit, the fade
// starting at 50 rows. Without a display the SDL off-screen driver is used
// (SDL_VIDEODRIVER=offscreen unless set). Loader and renderer messages go
// to standard error; a summary line to standard output. Exits 0 when the
// picture was written without messages, 1 on any message or failure, 2
// for bad usage, 3 when no OpenGL context can be made here.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_blit.h"
#include "display/vx_dsp3d.h"
#include "platform/platform.h"
#include "world/anim.h"
#include "world/engine_error.h"
#include "world/gen/gen_bit.h"
#include "world/gen/gen_info.h"
#include "world/gen/gen_wrap.h"
#include "world/gen/render_gl.h"
#include "world/level.h"
#include "world/render.h"

namespace {

struct Options {
  const char* folder = nullptr;
  uint8_t add_objects = 0;
  int width = 640, height = 480;
  bool camera_given = false;
  double cam[3] = {0, 25, 0};
  int depth = 40;
  int horizon = -20;
  int steps = 0;
  bool background = false, editor = false, unlit = false;
  std::string def, map, out;
};

constexpr double kStepTime = 3.0;  // time units of one game-logic step
constexpr int kNoContext = 3;      // exit status without a GL context

int messages = 0;

void print_message(const char* caption, const char* text, int, void*) {
  messages++;
  if (caption && std::strcmp(caption, "Error") != 0)
    std::fprintf(stderr, "%s: %s\n", caption, text);
  else
    std::fprintf(stderr, "%s\n", text);
}

std::string file_layer_name(const char* path) {
  std::string s = path;
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

int usage() {
  std::fprintf(stderr,
               "usage: levelview [-C FOLDER] [-a] [-s WxH] [-c X,Y,Z] [-d ROWS] [-h PERCENT] [-t STEPS] [-b] [-e] [-u]\n"
               "                 LEVEL.def [LEVEL.map] OUT.tga\n");
  return 2;
}

bool parse(int argc, char** argv, Options* o) {
  int arg = 1;
  for (; arg < argc && argv[arg][0] == '-' && argv[arg][1]; arg++) {
    const char* a = argv[arg];
    const bool has_value = arg + 1 < argc;
    if (!std::strcmp(a, "-a")) {
      o->add_objects = 1;
    } else if (!std::strcmp(a, "-b")) {
      o->background = true;
    } else if (!std::strcmp(a, "-e")) {
      o->editor = true;
    } else if (!std::strcmp(a, "-u")) {
      o->unlit = true;
    } else if (!std::strcmp(a, "-C") && has_value) {
      o->folder = argv[++arg];
    } else if (!std::strcmp(a, "-s") && has_value) {
      if (std::sscanf(argv[++arg], "%dx%d", &o->width, &o->height) != 2) return false;
      if (o->width < 16 || o->height < 16 || o->width > 4096 || o->height > 4096) return false;
    } else if (!std::strcmp(a, "-c") && has_value) {
      if (std::sscanf(argv[++arg], "%lf,%lf,%lf", &o->cam[0], &o->cam[1], &o->cam[2]) != 3) return false;
      o->camera_given = true;
    } else if (!std::strcmp(a, "-d") && has_value) {
      o->depth = std::atoi(argv[++arg]);
    } else if (!std::strcmp(a, "-h") && has_value) {
      o->horizon = std::atoi(argv[++arg]);
    } else if (!std::strcmp(a, "-t") && has_value) {
      o->steps = std::atoi(argv[++arg]);
    } else {
      return false;
    }
  }
  const int left = argc - arg;
  if (left < 2 || left > 3) return false;
  o->def = file_layer_name(argv[arg]);
  if (left == 3) o->map = file_layer_name(argv[arg + 1]);
  // The picture goes where the caller meant, whatever folder the level is read from.
  o->out = std::filesystem::absolute(argv[argc - 1]).string();
  return true;
}

// The game's lighting and view, or none of the lighting with -u.
void set_view(const Options& o) {
  Set_Viewport(o.height - 1, o.width - 1);
  Init_3D_Engine();
  if (!o.unlit) {
    render_view.cell_lighting = 1;
    render_view.object_lighting = 1;
    render_view.fade_start = 50;
    render_view.fade_rate = 1.0;
  }
  render_view.horizon_shift = o.horizon;
  render_view.view_depth = o.depth;
}

// Draws the frame and writes it through the snapshot of the display update.
int draw(const Options& o, double x, double y, double z) {
  const VX_DSP_3D_INTERFACE* gl = vx_dsp_3d_interface();
  gl->vx_dsp_3d_screen_clear();
  if (o.background && !Draw_Background()) std::fprintf(stderr, "levelview: the level has no background picture\n");
  Render_World(x, y, z, o.editor ? 1 : 0);
  const VX_RECT whole = {0, 0, int16_t(o.width), int16_t(o.height)};
  if (!gl->vx_bit_3d_save(nullptr, o.out.c_str(), &whole, 0)) return 0;
  gl->vx_dsp_3d_display_update();
  return std::filesystem::exists(o.out);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, &o)) return usage();
  if (o.folder && !plat_set_current_folder(o.folder)) {
    std::fprintf(stderr, "levelview: cannot enter %s\n", o.folder);
    return 2;
  }
  setenv("SDL_VIDEODRIVER", "offscreen", 0);

  plat_set_boxes(0);
  VX_ERROR_SETTINGS quiet = {0};
  vx_error_init(&quiet);
  VX_MEM_SETTINGS mem = {0, 0};
  vx_mem_init(&mem);
  VX_IO_SETTINGS io = {0, nullptr, nullptr};
  vx_io_init(&io);
  gen_info_history_set(0);  // no history.txt beside the level
  Engine_Error_Sink(print_message, nullptr);

  // The OpenGL layer as the game installs it: the 3D table, the renderer's
  // output and the level's texture upload.
  VX_DSP_3D_INTERFACE table;
  gen_wrap_get_interface(&table);
  vx_dsp_3d_interface_set(&table);
  RENDER_OUTPUT gl;
  Render_Output_GL(&gl);
  Render_Output_Set(&gl);
  Level_Texture_Hooks(gen_bit_texture_load, gen_bit_texture_delete);
  int status = 0;
  PLAT_WINDOW* window = plat_window_create("LevelView", "levelview", 0, 0, o.width, o.height, PLAT_WS_OPENGL, nullptr);
  const VX_RECT screen = {0, 0, int16_t(o.width), int16_t(o.height)};
  if (window) table.vx_dsp_3d_init(window, &screen, nullptr, nullptr);
  // Flushing fails without a context.
  if (!window || !table.vx_dsp_3d_flush()) {
    std::fprintf(stderr, "levelview: no OpenGL context can be made here\n");
    status = kNoContext;
  } else {
    const int result = Load_Level(o.def.c_str(), o.map.empty() ? nullptr : o.map.c_str(), o.add_objects);
    if (result == LEVEL_NO_DEF) {
      std::fprintf(stderr, "Error: Error opening the level file : %s\n", o.def.c_str());
      status = 1;
    } else if (result != LEVEL_LOADED) {
      status = 1;
    } else {
      for (int i = 0; i < o.steps; i++) {
        Animations_Step(kStepTime);
        Moving_Cells_Step(kStepTime);
        Animated_Objects_Step(kStepTime);
      }
      const WORLD_TABLES& w = world_tables;
      const double cs = w.cell_size;
      if (!o.camera_given) {
        o.cam[0] = w.start_x * cs + cs / 2;
        o.cam[2] = (w.start_z + 4) * cs + cs / 2;
      }
      set_view(o);
      if (!draw(o, o.cam[0], o.cam[1], o.cam[2])) {
        std::fprintf(stderr, "levelview: cannot write %s\n", o.out.c_str());
        status = 1;
      } else {
        const RENDER_STATS s = Render_Stats();
        std::printf("%s: %d x %d from (%g, %g, %g): %d rows, %d cells, %d polygons, %d object pieces\n",
                    o.out.c_str(), o.width, o.height, o.cam[0], o.cam[1], o.cam[2], s.rows, s.cells, s.polygons,
                    s.objects);
      }
      Free_3D_Engine();
    }
    Free_Level();
    table.vx_dsp_3d_deinit();
  }
  if (window) plat_window_destroy(window);
  Level_Texture_Hooks(nullptr, nullptr);
  Render_Output_Set(nullptr);
  vx_dsp_3d_interface_set(nullptr);
  Engine_Error_Sink(nullptr, nullptr);
  gen_info_deinit();
  vx_io_deinit();
  vx_bit_scale_buffer_free();
  if (!vx_mem_deinit() && status == 0) {
    std::fprintf(stderr, "levelview: memory was left allocated\n");
    status = 1;
  }
  vx_error_deinit();
  return status == 0 && messages > 0 ? 1 : status;
}
