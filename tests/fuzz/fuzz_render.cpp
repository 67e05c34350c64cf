// Fuzz target of the world renderer: any map, camera and view settings draw a frame and an overlay sprite without fault, and any bytes load as transparency tables and as the editor font.
//
// Input: 40 bytes of view (camera x, y, z as raw doubles; view depth,
// horizon shift, fade start as int16; a switch byte: cell lighting, object
// lighting, floors, walls, editor; then sprite x, y as int16), the rest a
// .map of the level below.
#include <cstdint>
#include <cstring>

#include "platform/platform.h"
#include "world/engine_error.h"
#include "world/level.h"
#include "world/render.h"
#include "world/world_tables.h"

namespace {

void quiet(const char*, const char*, int, void*) {}

uint32_t fake_upload(const char*, int, GEN_TEXTURE_SIZES* sizes) {
  *sizes = {20, 30, 32, 32};
  return 1;
}
void fake_delete(uint32_t) {}

// Counts what a frame hands out, and checks every polygon is whole.
long long polygons = 0;
void frame_begin(int, int) {}
void frame() {}
void polygon(const RENDER_POLYGON* p) {
  if (p->count < 3 || p->count > 4) __builtin_trap();
  for (int i = 0; i < p->count; i++)
    if (!(p->v[i].depth >= RENDER_NEAR)) __builtin_trap();
  polygons++;
}
void line(int, int, int, int, uint32_t) {}
void point(int x, int y, uint32_t) {
  if (x < 0 || y < 0 || x > render_view.view_right || y > render_view.view_bottom) __builtin_trap();
}
constexpr RENDER_OUTPUT kOutput = {frame_begin, frame, polygon, line, point, nullptr, nullptr};

// A 12 x 10 world of floors, blocks, open blocks and walls, sprites 0 to 5.
const char DEF[] =
    "@a 12\r\n@b 10\r\n@c 12\r\n@d 32\r\n@e 32\r\n@f 256\r\n#A = a.png\r\n$W = w.png\r\n^S = s.png\r\n"
    "%1 = A, A, NULL, NULL, NULL, NULL\r\n%2 = A, A, W, W, W, W\r\n%3 = NULL, A, W, W, W, W\r\n"
    "%4 = A, NULL, W!, NULL, W, NULL\r\n%5 = NULL, NULL, NULL, NULL, NULL, NULL\r\n"
    "&0 = S, 24, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n&1 = S, 24, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
    "&2 = S, 24, 60, 3, 0, 0, 0, 0, 0, 0, 0, 0\r\n&3 = S, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
    "&4 = S, -50, -100, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n&5 = NULL, 24, 20, 1, 0, 0, 0, 0, 0, 0, 0, 0\r\n";

constexpr size_t kView = 40;

template <typename T>
T take(const uint8_t* data, size_t at) {
  T v;
  std::memcpy(&v, data + at, sizeof v);
  return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    plat_set_boxes(0);
    Engine_Error_Sink(quiet, nullptr);
    Level_Texture_Hooks(fake_upload, fake_delete);
    Render_Output_Set(&kOutput);
    return true;
  }();
  (void)ready;

  // Any bytes as the two files of the renderer.
  Load_Transparency_Tables_Memory(data, size < 200000 ? size : 200000);
  Free_Transparency_Tables();
  if (size < kView) return 0;

  const int r = Load_Level_Memory("fuzz.def", reinterpret_cast<const uint8_t*>(DEF), sizeof DEF - 1, "fuzz.map",
                                  data + kView, size - kView, 0);
  if (r == LEVEL_LOADED) {
    const double x = take<double>(data, 0), y = take<double>(data, 8), z = take<double>(data, 16);
    const uint8_t switches = data[30];
    Set_Viewport(199, 319);
    Init_3D_Engine();
    Load_Editor_Font_Memory(data, size);
    RENDER_VIEW& v = render_view;
    v.view_depth = take<int16_t>(data, 24);
    v.horizon_shift = take<int16_t>(data, 26);
    v.fade_start = take<int16_t>(data, 28);
    v.cell_lighting = switches & 1;
    v.object_lighting = (switches >> 1) & 1;
    v.floors_on = (switches >> 2) & 1;
    v.walls_on = (switches >> 3) & 1;
    const int32_t centre_y = v.centre_y;
    Render_World(x, y, z, (switches >> 4) & 1);
    if (v.centre_y != centre_y) __builtin_trap();
    Draw_Sprite_At(data[31] % 6, take<int16_t>(data, 32), take<int16_t>(data, 34), data[36], data[37], data[38],
                   take<int16_t>(data, 32), take<int16_t>(data, 34), data[39] & 1, data[39] & 2);
    Free_3D_Engine();
  }
  Free_Level();
  return 0;
}
