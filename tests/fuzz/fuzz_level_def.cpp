// Fuzz target of the level definition reader: any bytes load as a .def or stop with a message, the level's steps run on what loaded, and freeing leaves nothing.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"
#include "world/anim.h"
#include "world/engine_error.h"
#include "world/level.h"
#include "world/map.h"
#include "world/objects.h"
#include "world/world_tables.h"

namespace {

void quiet(const char*, const char*, int, void*) {}

// Pictures are not read: every name uploads as a texture whose sizes come
// from the name, so that names steer the sizes without touching files.
uint32_t fake_upload(const char* file, int, GEN_TEXTURE_SIZES* sizes) {
  const size_t n = std::strlen(file);
  if (n % 7 == 3) return 0;  // some pictures fail
  const int16_t side = int16_t(1 + n * 13 % 300);
  *sizes = {side, int16_t(side / 2 + 1), 256, 128};
  return uint32_t(n + 1);
}
void fake_delete(uint32_t) {}

// A small map so that objects exist: sprites 0..3 on tile 1, when the
// .def defines them; otherwise the loader stops, which is fine too.
const uint8_t* small_map(size_t* size) {
  static uint8_t map[2 + 4 + 2 + 59 * 3 + 4 + 22 * 4];
  static bool made = false;
  if (!made) {
    uint8_t* p = map;
    const int16_t mark = -1100, n = 2, rows = 2, columns = 2;
    const int32_t cell_size = 12;
    std::memcpy(p, &mark, 2), p += 2;
    std::memcpy(p, &cell_size, 4), p += 4;
    std::memcpy(p, &n, 2), p += 2;
    for (int i = 0; i <= n; i++, p += 59) {
      OBJECT o = {};
      o.sprite = int16_t(i);
      o.x = 6 + 12 * i;
      o.z = 6;
      std::memcpy(p, &o, sizeof o);
    }
    std::memcpy(p, &rows, 2), p += 2;
    std::memcpy(p, &columns, 2), p += 2;
    for (int i = 0; i < 4; i++, p += 22) {
      CELL c = {};
      c.tile = 1;
      c.brightness = 15;
      std::memcpy(p, &c, sizeof c);
    }
    made = true;
  }
  *size = sizeof map;
  return map;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    plat_set_boxes(0);
    Engine_Error_Sink(quiet, nullptr);  // stops return instead of ending the process
    Level_Texture_Hooks(fake_upload, fake_delete);
    return true;
  }();
  (void)ready;
  size_t map_size = 0;
  const uint8_t* map = small_map(&map_size);
  const int with_map = size && (data[0] & 1);
  const int r = Load_Level_Memory("fuzz.def", data, size, "fuzz.map", with_map ? map : nullptr, map_size, 1);
  if (r == LEVEL_LOADED) {
    const WORLD_TABLES& w = world_tables;
    if (w.buffer || !w.world || w.object_count < 0 || w.bitmap_count > WORLD_BITMAPS ||
        w.sprite_bitmap_count > WORLD_SPRITE_BITMAPS || w.animation_count > WORLD_ANIMATIONS)
      std::abort();
    // Run the level a little: the steps and the object calls on whatever loaded.
    for (int i = 0; i < 20; i++) {
      Animations_Step(3);
      Moving_Cells_Step(3);
      Animated_Objects_Step(3);
    }
    const int o = Create_Object(0, 6, 0, 6);
    if (o > 0 && w.animation_count > 0) asign_animation_to_object(o, w.animation_count - 1, 2, 1);
    World_Up_Height(6, 6);
  }
  Free_Level();
  return 0;
}
