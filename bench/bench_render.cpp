// Times the world renderer on the off-screen GL context: frames per second at 640 x 480, 1024 x 768 and 1600 x 1200 beside the device's one-quad fill rate, main-thread CPU, draw calls and texture binds per frame, and launch to the first frame.
//
// The level is made here: 100 x 100 cells of 12 with bands of road, raised
// grass banks, water and scattered tall blocks and sloped cells, about 700
// objects (cars, logs, trees), textures of 32 x 32 generated pictures. The
// camera moves along the level as the game's camera follows the frog, lit
// and faded as the game draws. Each frame ends with a flush (glFinish), so the time
// is the whole frame's, the GL work included.
//
// The fill-rate reference is one full-screen blended textured quad per
// frame on the same context. Each figure is the median of several runs,
// world and quad runs taking turns (the machines it runs on are shared,
// and their speed drifts). The last line is
//   RESULT fps_640=... fps_1024=... fps_1600=... quad_fps_1600=...
//          cpu_ms_1024=... draws=... binds=... first_frame_ms=...
// (one line) for scripts. Usage: bench_render [RUNS [FRAMES]].
#include <GL/gl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "display/vx_dsp3d.h"
#include "platform/platform.h"
#include "world/engine_error.h"
#include "world/gen/gen_atlas.h"
#include "world/gen/gen_bit.h"
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

// Textures: a 32 x 32 checker in a colour of the file's name, placed on
// the world texture pages as the game's loader places its pictures.
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
  // Sprites are keyed: their corners are see-through.
  if (file[0] == 'c' || file[0] == 'l' || file[0] == 't')
    for (int i : {0, 31, 32 * 31, 32 * 32 - 1}) px[i * 4 + 3] = 0;
  *sizes = {32, 32, 32, 32};
  return gen_atlas_add(px.data(), 32, 32, 0);
}
void release(uint32_t t) { gen_bit_texture_delete(t); }

void quiet(const char* caption, const char* text, int, void*) { std::fprintf(stderr, "%s: %s\n", caption, text); }

// ---------------------------------------------------------------- the context
struct Scene {
  VX_DSP_3D_INTERFACE table = {};
  const char* renderer = "";
  PLAT_WINDOW* window = nullptr;
  bool level = false;
  int width = 0, height = 0;
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
  s->width = width, s->height = height;
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

// ---------------------------------------------------------------- clocks
double now_ms(clockid_t clock) {
  timespec t;
  clock_gettime(clock, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

long rss_kib() {
  long pages = 0, resident = 0;
  FILE* f = std::fopen("/proc/self/statm", "r");
  if (f && std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
  if (f) std::fclose(f);
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

// ---------------------------------------------------------------- frames
struct Timing {
  double frame_ms = 0, cpu_ms = 0, draws = 0, binds = 0, polygons = 0;
};

long long frame_counter = 0;

void world_frame(Scene* s) {
  // The camera walks up the level, 40 rows of it ahead.
  const double z = (kSize - 2) * kCell - double(frame_counter++ % 600);
  s->table.vx_dsp_3d_screen_clear();
  Render_World(kSize * kCell / 2.0 + 6, 25, z, 0);
  s->table.vx_dsp_3d_flush();
}

// One full-screen textured quad blended over the cleared screen.
GLuint quad_texture = 0;
void quad_frame(Scene* s) {
  s->table.vx_dsp_3d_screen_clear();
  glMatrixMode(GL_PROJECTION);
  glPushMatrix();
  glLoadIdentity();
  glMatrixMode(GL_MODELVIEW);
  glPushMatrix();
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, quad_texture);
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glColor4f(1, 1, 1, 1);
  glBegin(GL_TRIANGLE_STRIP);
  glTexCoord2f(0, 0), glVertex2f(-1, -1);
  glTexCoord2f(1, 0), glVertex2f(1, -1);
  glTexCoord2f(0, 1), glVertex2f(-1, 1);
  glTexCoord2f(1, 1), glVertex2f(1, 1);
  glEnd();
  glDisable(GL_BLEND);
  glDisable(GL_TEXTURE_2D);
  glPopMatrix();
  glMatrixMode(GL_PROJECTION);
  glPopMatrix();
  glMatrixMode(GL_MODELVIEW);
  s->table.vx_dsp_3d_flush();
}

// The per-frame figures of each run.
struct Samples {
  std::vector<double> wall, cpu, draws, binds, polygons;
};

// One run of `frames` frames.
void run_frames(Scene* s, void (*frame)(Scene*), int frames, Samples* out) {
  const RENDER_GL_STATS g0 = Render_GL_Stats();
  const double w0 = now_ms(CLOCK_MONOTONIC), c0 = now_ms(CLOCK_THREAD_CPUTIME_ID);
  double poly = 0;
  for (int f = 0; f < frames; f++) {
    frame(s);
    poly += Render_Stats().polygons;
  }
  const double w1 = now_ms(CLOCK_MONOTONIC), c1 = now_ms(CLOCK_THREAD_CPUTIME_ID);
  const RENDER_GL_STATS g1 = Render_GL_Stats();
  out->wall.push_back((w1 - w0) / frames);
  out->cpu.push_back((c1 - c0) / frames);
  out->draws.push_back(double(g1.draws - g0.draws) / frames);
  out->binds.push_back(double(g1.binds - g0.binds) / frames);
  out->polygons.push_back(poly / frames);
}

Timing medians(const Samples& m) {
  return {median(m.wall), median(m.cpu), median(m.draws), median(m.binds), median(m.polygons)};
}

struct SizeResult {
  Timing world, quad;
  long tracker_blocks = 0, rss_growth_kib = 0;
};

bool run_size(int width, int height, int runs, int frames, double* first_frame_ms, SizeResult* out) {
  Scene scene;
  if (!scene_open(&scene, width, height)) {
    scene_close(&scene);
    return false;
  }
  world_frame(&scene);
  if (first_frame_ms) *first_frame_ms = plat_launch_ms();
  // Warm-up frames: the GL driver builds its shaders on first use.
  for (int i = 0; i < 3; i++) world_frame(&scene);
  std::vector<uint8_t> px(256 * 256 * 4, 200);
  glGenTextures(1, &quad_texture);
  glBindTexture(GL_TEXTURE_2D, quad_texture);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 256, 256, 0, GL_RGBA, GL_UNSIGNED_BYTE, px.data());
  quad_frame(&scene);
  world_frame(&scene);
  // World and quad runs take turns, so that a shared machine whose speed
  // drifts over the seconds of the measure slows both alike.
  VX_MEM_STATS before, after;
  vx_mem_stats(&before);
  const long rss0 = rss_kib();
  Samples world, quad;
  for (int r = 0; r < runs; r++) {
    run_frames(&scene, world_frame, frames, &world);
    run_frames(&scene, quad_frame, frames, &quad);
  }
  out->rss_growth_kib = rss_kib() - rss0;
  vx_mem_stats(&after);
  out->tracker_blocks = long(after.count - before.count);
  out->world = medians(world);
  out->quad = medians(quad);
  glDeleteTextures(1, &quad_texture);
  std::printf("%4d x %-4d  world %6.1f fps (%6.2f ms, cpu %5.2f ms, %6.0f polygons, %5.0f draws, %5.0f binds)  "
              "quad %6.1f fps  world/quad %.2f  rss %+ld KiB, tracker blocks %+ld  [%s]\n",
              width, height, 1e3 / out->world.frame_ms, out->world.frame_ms, out->world.cpu_ms, out->world.polygons,
              out->world.draws, out->world.binds, 1e3 / out->quad.frame_ms,
              out->quad.frame_ms / out->world.frame_ms, out->rss_growth_kib, out->tracker_blocks, scene.renderer);
  std::fflush(stdout);
  scene_close(&scene);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  double first_frame_ms = 0;
  SizeResult r1024, r640, r1600;
  // The first scene opened times the launch: process start to the first
  // world frame finished (window, context, level, frame).
  if (!run_size(1024, 768, runs, frames, &first_frame_ms, &r1024) || !run_size(640, 480, runs, frames, nullptr, &r640) ||
      !run_size(1600, 1200, runs, frames, nullptr, &r1600)) {
    std::fprintf(stderr, "bench_render: no GL context here (SDL off-screen driver)\n");
    return 1;
  }
  const double fps_1600 = 1e3 / r1600.world.frame_ms, quad_1600 = 1e3 / r1600.quad.frame_ms;
  std::printf("world at 1600 x 1200 draws at %.2f of the one-quad rate (target >= 0.5); 1024 x 768 frame %.2f ms "
              "(target <= 16.7), cpu %.2f ms (target <= 3)\n",
              fps_1600 / quad_1600, r1024.world.frame_ms, r1024.world.cpu_ms);
  std::printf("RESULT fps_640=%.1f fps_1024=%.1f fps_1600=%.1f quad_fps_1600=%.1f cpu_ms_1024=%.2f draws=%.0f "
              "binds=%.0f first_frame_ms=%.0f\n",
              1e3 / r640.world.frame_ms, 1e3 / r1024.world.frame_ms, fps_1600, quad_1600, r1024.world.cpu_ms,
              r1024.world.draws, r1024.world.binds, first_frame_ms);
  return 0;
}
