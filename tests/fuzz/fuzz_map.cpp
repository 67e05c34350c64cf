// Fuzz target of the map readers: any bytes load as a level's .map, and as a map or as map text convert both ways without loss.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "world/engine_error.h"
#include "world/level.h"
#include "world/map.h"
#include "world/map_text.h"
#include "world/world_tables.h"

namespace {

void quiet(const char*, const char*, int, void*) {}

uint32_t fake_upload(const char*, int, GEN_TEXTURE_SIZES* sizes) {
  *sizes = {20, 30, 32, 32};
  return 1;
}
void fake_delete(uint32_t) {}

// Tiles 1..5 and sprites 0..5 in a 10 x 10 world (the level's cell size
// 24, so that maps written at 12 are rescaled).
const char DEF[] =
    "@a 10\r\n@b 10\r\n@c 24\r\n@d 32\r\n@e 32\r\n@f 256\r\n#A = a.png\r\n^S = s.png\r\n"
    "%1 = A, A, NULL, NULL, NULL, NULL\r\n%2 = A, A, A, A, A, A\r\n%3 = A, NULL, NULL, NULL, NULL, NULL\r\n"
    "%4 = A, A, NULL, NULL, NULL, NULL\r\n%5 = A, A, NULL, NULL, NULL, NULL\r\n"
    "&0 = S, 24, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n&1 = S, 24, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
    "&2 = S, 24, 60, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n&3 = S, 24, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n"
    "&4 = S, -50, -100, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n&5 = S, 24, 20, 1, 0, 0, 0, 0, 0, 0, 0, 0\r\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    plat_set_boxes(0);
    Engine_Error_Sink(quiet, nullptr);
    Level_Texture_Hooks(fake_upload, fake_delete);
    return true;
  }();
  (void)ready;

  // As the map of a level (the old-format and size notes go to standard output).
  const int r = Load_Level_Memory("fuzz.def", reinterpret_cast<const uint8_t*>(DEF), sizeof DEF - 1, "fuzz.map",
                                  data, size, 0);
  if (r == LEVEL_LOADED) {
    const WORLD_TABLES& w = world_tables;
    if (w.object_count < 0 || w.object_count > WORLD_MAX_MAP_OBJECTS) std::abort();
    for (int i = 0; i < 100; i++) {
      const CELL& c = w.world[i];
      if (c.tint < 0 || c.tint > 15 || c.brightness < 0 || c.brightness > 15) std::abort();
      if (w.tiles_obj[i].count < 0 || w.tiles_obj[i].count > WORLD_CELL_OBJECTS) std::abort();
    }
    World_Up_Height(size % 130 - 5.5, 30);
  }
  Free_Level();

  // As a .map for the level tools: what converts to text converts back to the same bytes.
  std::string text, error;
  std::vector<uint8_t> back;
  if (Map_Text_From_Map(data, size, &text, &error)) {
    if (!Map_Text_To_Map(text.data(), text.size(), &back, &error)) std::abort();
    if (back.size() != size || (size && std::memcmp(back.data(), data, size) != 0)) std::abort();
  }
  // As map text: what compiles writes a canonical text that compiles to the same bytes.
  if (Map_Text_To_Map(reinterpret_cast<const char*>(data), size, &back, &error)) {
    std::string canonical;
    std::vector<uint8_t> again;
    if (!Map_Text_From_Map(back.data(), back.size(), &canonical, &error)) std::abort();
    if (!Map_Text_To_Map(canonical.data(), canonical.size(), &again, &error) || again != back) std::abort();
  }
  return 0;
}
