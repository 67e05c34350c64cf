// Renders a 40-row view of a busy level at 640 x 480 and 1024 x 768 on the off-screen GL context; reports frames per second, polygons per frame and the memory tracker's allocations during the frames (0).
//
// The level is made here: 100 x 100 cells of 12 with bands of road, raised
// grass banks, water and scattered tall blocks and sloped cells, about 700
// objects (cars, logs, trees), textures of 32 x 32 generated pictures. The
// camera moves along the level as the game's camera follows the frog, lit
// and faded as the game draws. Each frame ends with a flush (glFinish), so the time
// is the whole frame's, the GL work included.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "display/vx_dsp3d.h"
#include "platform/platform.h"
#include "world/engine_error.h"
#include "world/gen/gen_info.h"
#include "world/gen/gen_wrap.h"
#include "world/gen/render_gl.h"
#include "world/level.h"
#include "world/render.h"

namespace {

constexpr int kSize = 100;
constexpr int kCell = 12;

// ---------------------------------------------------------------- the level
const char kDef[] =
    "@a 100\r\n@b 100\r\n@c 12\r\n@d 32\r\n@e 32\r\n@f 256\r\n"
    "#ROAD = road.png\r\n#GRASS = grass.png\r\n#WATER = water.png\r\n$BANK = bank.png\r\n$STONE = stone.png\r\n"
    "^CAR = car.png\r\n^LOG = log.png\r\n^TREE = tree.png\r\n"
    "%1 = ROAD, ROAD, NULL, NULL, NULL, NULL\r\n"
    "%2 = GRASS, GRASS, BANK, BANK, BANK, BANK\r\n"
    "%3 = WATER, WATER, NULL, NULL, NULL, NULL\r\n"
    "%4 = GRASS, STONE, STONE, STONE, STONE, STONE\r\n"
    "&1 = CAR, 10, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
    "&2 = LOG, 6, 36, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
    "&3 = TREE, 30, 16, 1, 0, 0, 0, 0, 0, 0, 0, 0\r\n";

void put(std::vector<uint8_t>* b, const void* p, size_t n) {
  b->insert(b->end(), static_cast<const uint8_t*>(p), static_cast<const uint8_t*>(p) + n);
}

uint32_t next(uint32_t* seed) {
  *seed = *seed * 1664525u + 1013904223u;
  return *seed >> 8;
}

CELL cell_at(int r, int c, uint32_t* seed) {
  CELL cell = {};
  cell.brightness = 15;
  const int band = r % 10;
  if (band == 0 || band == 4) {  // raised grass banks
    cell.tile = 2;
    for (int16_t& h : cell.up) h = 12;
  } else if (band < 4) {
    cell.tile = 1;
  } else {
    cell.tile = 3;  // water, tinted
    cell.tint = 10;
    cell.brightness = 12;
  }
  const uint32_t roll = next(seed) % 100;
  if (roll < 4) {  // tall blocks
    cell.tile = 4;
    for (int16_t& h : cell.up) h = int16_t(24 + 12 * (roll % 3));
  } else if ((roll < 8 || c % 10 == 9) && cell.tile == 2) {  // a bank sloping down along x
    cell.up[2] = cell.up[3] = 0;
  }
  return cell;
}

OBJECT object_of(int sprite, double x, double y, double z) {
  OBJECT o;
  std::memset(&o, 0, sizeof o);
  o.sprite = int16_t(sprite);
  o.x = x, o.y = y, o.z = z;
  o.brightness = 15;
  return o;
}

std::vector<uint8_t> busy_map() {
  uint32_t seed = 7;
  std::vector<OBJECT> objects;
  for (int r = 0; r < kSize; r++) {
    const int band = r % 10;
    for (int c = 0; c < kSize; c += 3) {
      const double x = c * kCell + next(&seed) % kCell, z = r * kCell + kCell / 2.0;
      if (band >= 1 && band <= 3 && next(&seed) % 3 == 0) objects.push_back(object_of(1, x, 0, z));
      if (band >= 5 && next(&seed) % 3 == 0) objects.push_back(object_of(2, x, 0, z));
      if ((band == 0 || band == 4) && next(&seed) % 6 == 0) objects.push_back(object_of(3, x, 12, z));
    }
  }
  if (objects.size() > 990) objects.resize(990);
  std::vector<uint8_t> b;
  const int16_t mark = -1100, n = int16_t(objects.size()), rows = kSize, cols = kSize;
  const int32_t cell = kCell;
  put(&b, &mark, 2);
  put(&b, &cell, 4);
  put(&b, &n, 2);
  const OBJECT zero = object_of(0, 0, 0, 0);
  put(&b, &zero, sizeof zero);
  for (const OBJECT& o : objects) put(&b, &o, sizeof o);
  put(&b, &rows, 2);
  put(&b, &cols, 2);
  seed = 11;
  for (int r = 0; r < kSize; r++)
    for (int c = 0; c < kSize; c++) {
      const CELL x = cell_at(r, c, &seed);
      put(&b, &x, sizeof x);
    }
  return b;
}

// Textures: a 32 x 32 checker in a colour of the file's name, uploaded here.
uint32_t upload(const char* file, int, GEN_TEXTURE_SIZES* sizes) {
  uint32_t h = 2166136261u;
  for (const char* p = file; *p; p++) h = (h ^ uint8_t(*p)) * 16777619u;
  std::vector<uint8_t> px(32 * 32 * 4);
  for (int y = 0; y < 32; y++)
    for (int x = 0; x < 32; x++) {
      uint8_t* p = &px[(y * 32 + x) * 4];
      const int light = ((x / 4 + y / 4) & 1) ? 255 : 160;
      p[0] = uint8_t((h & 0xFF) * light / 255), p[1] = uint8_t((h >> 8 & 0xFF) * light / 255);
      p[2] = uint8_t((h >> 16 & 0xFF) * light / 255), p[3] = 255;
    }
  GLuint t = 0;
  glGenTextures(1, &t);
  glBindTexture(GL_TEXTURE_2D, t);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 32, 32, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  *sizes = {32, 32, 32, 32};
  return t;
}
void release(uint32_t t) {
  const GLuint name = t;
  glDeleteTextures(1, &name);
}

void quiet(const char* caption, const char* text, int, void*) { std::fprintf(stderr, "%s: %s\n", caption, text); }

// ---------------------------------------------------------------- the context
struct Scene {
  VX_DSP_3D_INTERFACE table = {};
  const char* renderer = "";
  PLAT_WINDOW* window = nullptr;
  bool level = false;
};

bool scene_open(Scene* s, int width, int height) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  plat_set_boxes(0);
  VX_ERROR_SETTINGS es = {0};
  vx_error_init(&es);
  VX_MEM_SETTINGS ms = {0, 1 << 24};
  vx_mem_init(&ms);
  gen_info_history_set(0);
  Engine_Error_Sink(quiet, nullptr);
  gen_wrap_get_interface(&s->table);
  vx_dsp_3d_interface_set(&s->table);
  RENDER_OUTPUT gl;
  Render_Output_GL(&gl);
  Render_Output_Set(&gl);
  s->window = plat_window_create("BenchRender", "bench", 0, 0, width, height, PLAT_WS_OPENGL, nullptr);
  const VX_RECT screen = {0, 0, int16_t(width), int16_t(height)};
  // Flushing fails without a context.
  if (!s->window || (s->table.vx_dsp_3d_init(s->window, &screen, &s->renderer, nullptr), !s->table.vx_dsp_3d_flush()))
    return false;
  Level_Texture_Hooks(upload, release);
  const std::vector<uint8_t> map = busy_map();
  if (Load_Level_Memory("busy.def", reinterpret_cast<const uint8_t*>(kDef), sizeof kDef - 1, "busy.map", map.data(),
                        map.size(), 0) != LEVEL_LOADED)
    return false;
  s->level = true;
  // As the game starts a level.
  Set_Viewport(height - 1, width - 1);
  Init_3D_Engine();
  render_view.cell_lighting = render_view.object_lighting = 1;
  render_view.fade_start = 50;
  render_view.fade_rate = 1.0;
  render_view.horizon_shift = -20;
  render_view.view_depth = 40;
  return true;
}

void scene_close(Scene* s) {
  if (s->level) {
    Free_3D_Engine();
    Free_Level();
  }
  Level_Texture_Hooks(nullptr, nullptr);
  if (s->window) s->table.vx_dsp_3d_deinit();
  if (s->window) plat_window_destroy(s->window);
  Render_Output_Set(nullptr);
  vx_dsp_3d_interface_set(nullptr);
  Engine_Error_Sink(nullptr, nullptr);
  gen_info_deinit();
  vx_mem_deinit();
  vx_error_deinit();
}

void BM_RenderWorld(benchmark::State& state) {
  Scene scene;
  if (!scene_open(&scene, int(state.range(0)), int(state.range(1)))) {
    scene_close(&scene);
    state.SkipWithError("no GL context here (SDL off-screen driver)");
    return;
  }
  // Warm-up frames: the GL driver builds its shaders and uploads the
  // textures on first use.
  for (int i = 0; i < 3; i++) {
    Render_World(kSize * kCell / 2.0 + 6, 25, (kSize - 2) * kCell, 0);
    scene.table.vx_dsp_3d_flush();
  }
  // Bring the tracker's block count up to its highest so far with blocks of
  // its own: a block allocated during a frame then raises the highest count.
  VX_MEM_STATS before;
  vx_mem_stats(&before);
  std::vector<void*> filler;
  for (long long i = before.count; i < before.max_count; i++) filler.push_back(vx_mem_malloc(4));
  vx_mem_stats(&before);
  long long frames = 0, polygons = 0, cells = 0;
  for (auto _ : state) {
    // The camera walks up the level, 40 rows of it ahead.
    const double z = (kSize - 2) * kCell - double(frames % 600);
    scene.table.vx_dsp_3d_screen_clear();
    Render_World(kSize * kCell / 2.0 + 6, 25, z, 0);
    scene.table.vx_dsp_3d_flush();
    polygons += Render_Stats().polygons;
    cells += Render_Stats().cells;
    frames++;
  }
  VX_MEM_STATS after;
  vx_mem_stats(&after);
  for (void* p : filler) vx_mem_free(p);
  state.SetLabel(scene.renderer);
  state.counters["fps"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
  state.counters["polygons_per_frame"] = frames ? double(polygons) / frames : 0;
  state.counters["cells_per_frame"] = frames ? double(cells) / frames : 0;
  state.counters["tracker_allocs"] = double(after.max_count - before.max_count + after.count - before.count);
  if (after.max_count != before.max_count || after.count != before.count || after.used != before.used)
    state.SkipWithError("a frame allocated memory through the tracker");
  scene_close(&scene);
}

// The same frames without OpenGL: the renderer's own work (visiting the
// cells, projecting, clipping, culling, sorting), its polygons counted only.
void count_polygon(const RENDER_POLYGON*) {}
void no_frame_begin(int, int) {}
void no_frame() {}
void no_line(int, int, int, int, uint32_t) {}
void no_point(int, int, uint32_t) {}

void BM_RenderWorldProjectionOnly(benchmark::State& state) {
  Scene scene;
  if (!scene_open(&scene, int(state.range(0)), int(state.range(1)))) {
    scene_close(&scene);
    state.SkipWithError("no GL context here (SDL off-screen driver)");
    return;
  }
  const RENDER_OUTPUT counting = {no_frame_begin, no_frame, count_polygon, no_line, no_point, nullptr, nullptr};
  Render_Output_Set(&counting);
  long long frames = 0, polygons = 0;
  for (auto _ : state) {
    const double z = (kSize - 2) * kCell - double(frames % 600);
    Render_World(kSize * kCell / 2.0 + 6, 25, z, 0);
    polygons += Render_Stats().polygons;
    frames++;
  }
  state.counters["fps"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
  state.counters["polygons_per_frame"] = frames ? double(polygons) / frames : 0;
  scene_close(&scene);
}

BENCHMARK(BM_RenderWorldProjectionOnly)->Args({640, 480})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderWorld)->Args({640, 480})->Args({1024, 768})->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
