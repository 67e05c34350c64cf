// menuview: loads one menu section of a string file with the game's default font and draws it as the game does into a TGA picture, on an off-screen OpenGL context.
//
// Usage: menuview [options] FILE SECTION OUT.tga
//   --size WxH   the virtual screen in pixels (default 640x480); the menu is
//                laid out at 640 x 480 and follows the screen's size
//   --select N   make line N (from 1) the current line
//   --fitted     the fitted layout (every text scaled by one factor)
//   --flags N    drawing flags (default 12: the pointer sprite on both sides)
//   -C FOLDER    the data root holding data\menu.fnt (default: the data tree
//                beside the tools, build/datatree, else build/ with its
//                resource.dat)
// The pointer sprite is the default font's '*', frame 1, as in the game;
// the screen starts black. Every line's rectangle and text go to standard
// output; menu and font reports to standard error. Exits 0 when the
// picture was written without reports, 1 on a report or failure, 2 for bad
// usage, 3 when no OpenGL context can be made here.
#include <unistd.h>

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
#include "display/vx_screen.h"
#include "platform/platform.h"
#include "toolkit/vx_font.h"
#include "toolkit/vx_menu.h"
#include "world/gen/gen_bit.h"
#include "world/gen/gen_info.h"
#include "world/gen/gen_wrap.h"
#include "world/image/img_load.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kFont = "data\\menu.fnt";  // the game's default font (FNTFile)
constexpr int kFontFlags = 3;                     // as the game loads it: palette and trimming
constexpr int kNoContext = 3;

struct Options {
  std::string file, section, out, folder;
  int width = 640, height = 480;
  int select = 0;  // 1-based, 0 for the menu's own choice
  int flags = VX_MENU_DRAW_POINTER_LEFT | VX_MENU_DRAW_POINTER_RIGHT;
  bool fitted = false;
};

int reports = 0;

// Reports come as an "Alert" box and a call-stack box: the first says it all.
int print_box(const char* text, const char* caption, unsigned) {
  if (!caption || std::strcmp(caption, "Alert")) return 1;
  reports++;
  std::fprintf(stderr, "%s\n", text ? text : "");
  return 1;
}

int usage() {
  std::fprintf(stderr,
               "usage: menuview [--size WxH] [--select N] [--fitted] [--flags N] [-C FOLDER] FILE SECTION OUT.tga\n");
  return 2;
}

// The file layer's spelling of a path: `\` between folders.
std::string file_layer_name(const std::string& path) {
  std::string s = path;
  for (char& c : s)
    if (c == '/') c = '\\';
  return s;
}

bool parse(int argc, char** argv, Options* o) {
  int arg = 1;
  for (; arg < argc && argv[arg][0] == '-'; arg++) {
    const char* a = argv[arg];
    const bool has_value = arg + 1 < argc;
    if (!std::strcmp(a, "--fitted")) {
      o->fitted = true;
    } else if (!std::strcmp(a, "--size") && has_value) {
      if (std::sscanf(argv[++arg], "%dx%d", &o->width, &o->height) != 2) return false;
      if (o->width < 64 || o->height < 48 || o->width > 4096 || o->height > 4096) return false;
    } else if (!std::strcmp(a, "--select") && has_value) {
      o->select = std::atoi(argv[++arg]);
    } else if (!std::strcmp(a, "--flags") && has_value) {
      o->flags = std::atoi(argv[++arg]);
    } else if (!std::strcmp(a, "-C") && has_value) {
      o->folder = argv[++arg];
    } else {
      return false;
    }
  }
  if (argc - arg != 3) return false;
  // The files stay where the caller meant, whatever folder the data is read from.
  o->file = fs::absolute(argv[arg]).string();
  o->section = argv[arg + 1];
  o->out = fs::absolute(argv[arg + 2]).string();
  return true;
}

// The data root: -C, else the data tree beside the tools, else the build
// folder with its archive.
std::string data_root(const Options& o, const char* argv0) {
  if (!o.folder.empty()) return o.folder;
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (ec) exe = fs::absolute(argv0);
  const fs::path build = exe.parent_path().parent_path();
  if (fs::exists(build / "datatree" / "data" / "menu.fnt")) return (build / "datatree").string();
  return build.string();
}

void print_lines(const VX_MENU& menu) {
  std::printf("%s: %d lines, menu at %d,%d %dx%d, current %d\n", menu.name, menu.line_count, menu.rect.x, menu.rect.y,
              menu.rect.width, menu.rect.height, menu.current + 1);
  for (int i = 0; i < menu.line_count; i++) {
    const VX_MENU_LINE* line = menu.lines[i];
    if (!line) {
      std::printf("  line %d: not loaded\n", i + 1);
      continue;
    }
    const VX_MENU_TEXT& t = line->texts[line->current_text];
    std::printf("  line %d: type %d at %d,%d %dx%d \"%s\"%s\n", i + 1, line->type, t.rect.x, t.rect.y, t.rect.width,
                t.rect.height, t.text, vx_menu_line_visible(line) ? "" : " (hidden here)");
  }
}

// The virtual screen as the game has it with the 3D back end: base size
// 640 x 480, resized to the picture, every copy into it going to the back end.
void screen_start(const Options& o) {
  vx_screen_alloc(640, 480, VX_BIT_BPP32);
  vx_screen_resize(o.width, o.height, 0, 0);
  vx_screen_pixels_free();
  vx_screen_copy_set(vx_bit_copy_3d, vx_bit_copy_transp_3d);
  vx_screen_3d_active_set(1);
  vx_screen_mode_set_flag(1);
}

void screen_stop() {
  vx_screen_mode_set_flag(0);
  vx_screen_3d_active_set(0);
  vx_screen_copy_set(nullptr, nullptr);
  vx_dsp_resize_lists_clear();
  vx_screen_free();
}

// Loads the menu and the font, draws and writes the picture. 0 or 1.
int view(const Options& o, const VX_DSP_3D_INTERFACE& gl) {
  VX_FONT font = {};
  VX_MENU menu = {};
  int status = 1;
  if (!vx_font_load(&font, kFont, kFontFlags)) {
    std::fprintf(stderr, "menuview: cannot load %s\n", kFont);
  } else if (!vx_menu_load(&menu, file_layer_name(o.file).c_str(), o.section.c_str(), nullptr, nullptr, &font,
                           o.fitted ? VX_MENU_FITTED : 0)) {
    std::fprintf(stderr, "menuview: cannot load the menu [%s] of %s\n", o.section.c_str(), o.file.c_str());
  } else {
    if (o.select > 0) menu.current = o.select - 1;
    vx_menu_show(&menu, 1);
    print_lines(menu);
    VX_MENU_POINTER pointer = {};
    VX_RECT rects[3];
    pointer.bitmap = vx_font_char_frame(&font, '*', 1, rects);
    pointer.rect = rects[0];
    pointer.colour = 150;  // the game's highlight colour starts there
    gl.vx_dsp_3d_screen_clear();
    vx_menu_draw(&menu, &font, vx_screen(), &pointer, o.flags);
    const VX_RECT whole = {0, 0, int16_t(o.width), int16_t(o.height)};
    if (gl.vx_bit_3d_save(nullptr, o.out.c_str(), &whole, 0) && gl.vx_dsp_3d_display_update() &&
        fs::exists(o.out)) {
      status = 0;
    } else {
      std::fprintf(stderr, "menuview: cannot write %s\n", o.out.c_str());
    }
  }
  vx_menu_free(&menu);
  vx_font_free(&font);
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, &o)) return usage();
  const std::string root = data_root(o, argv[0]);
  if (!plat_set_current_folder(root.c_str())) {
    std::fprintf(stderr, "menuview: cannot enter %s\n", root.c_str());
    return 2;
  }
  setenv("SDL_VIDEODRIVER", "offscreen", 0);

  plat_set_boxes(0);
  VX_ERROR_SETTINGS errors = {0};
  vx_error_init(&errors);
  vx_error_set_box(print_box);
  VX_MEM_SETTINGS mem = {0, 0};
  vx_mem_init(&mem);
  VX_IO_SETTINGS io = {0, fs::exists("resource.dat") ? "resource.dat" : nullptr, nullptr};
  vx_io_init(&io);
  VX_FONT_SETTINGS fonts = {1};
  vx_font_init(&fonts);
  vx_font_picture_loader_set(vx_img_load);
  VX_MENU_SETTINGS menus = {1, 640, 480, gen_bit_translucency_set};
  vx_menu_init(&menus);
  gen_info_history_set(0);

  VX_DSP_3D_INTERFACE table;
  gen_wrap_get_interface(&table);
  vx_dsp_3d_interface_set(&table);
  int status = 0;
  PLAT_WINDOW* window = plat_window_create("MenuView", "menuview", 0, 0, o.width, o.height, PLAT_WS_OPENGL, nullptr);
  const VX_RECT screen = {0, 0, int16_t(o.width), int16_t(o.height)};
  if (window) table.vx_dsp_3d_init(window, &screen, nullptr, nullptr);
  if (!window || !table.vx_dsp_3d_flush()) {
    std::fprintf(stderr, "menuview: no OpenGL context can be made here\n");
    status = kNoContext;
  } else {
    screen_start(o);
    status = view(o, table);
    screen_stop();
    table.vx_dsp_3d_deinit();
  }
  if (window) plat_window_destroy(window);
  vx_dsp_3d_interface_set(nullptr);
  gen_info_deinit();
  vx_font_deinit();
  vx_io_deinit();
  vx_bit_scale_buffer_free();
  if (!vx_mem_deinit() && status == 0) {
    std::fprintf(stderr, "menuview: memory was left allocated\n");
    status = 1;
  }
  vx_error_deinit();
  return status == 0 && reports > 0 ? 1 : status;
}
