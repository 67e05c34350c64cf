// Fuzz target of the level generator: any bytes as a level source either are refused with a reason or build a level that the engine loads without a message.
#define LEVELGEN_NO_MAIN
#include "tools/levelgen.cpp"

#include <cstdint>
#include <cstdlib>

#include "platform/platform.h"
#include "world/engine_error.h"
#include "world/level.h"

namespace {

void quiet(const char*, const char*, int, void*) {}

uint32_t fake_upload(const char*, int, GEN_TEXTURE_SIZES* sizes) {
  *sizes = {16, 16, 16, 16};
  return 1;
}
void fake_delete(uint32_t) {}

// A complete small include: every tile and sprite a key names is declared.
const char kInclude[] =
    "@d 32\n@e 32\n@f 32\n#G = g.png\n^S = s.png\n"
    "%1 = G, G, NULL, NULL, NULL, NULL\n%2 = G, G, NULL, NULL, NULL, NULL\n%3 = G, G, NULL, NULL, NULL, NULL\n"
    "%4 = G, G, NULL, NULL, NULL, NULL\n%5 = G, G, NULL, NULL, NULL, NULL\n%6 = G, G, NULL, NULL, NULL, NULL\n"
    "%7 = G, G, NULL, NULL, NULL, NULL\n%8 = G, G, NULL, NULL, NULL, NULL\n%26 = G, G, NULL, NULL, NULL, NULL\n"
    "%27 = G, G, NULL, NULL, NULL, NULL\n%28 = G, G, NULL, NULL, NULL, NULL\n%29 = G, G, NULL, NULL, NULL, NULL\n"
    "%30 = G, G, NULL, NULL, NULL, NULL\n%31 = G, G, NULL, NULL, NULL, NULL\n%32 = G, G, NULL, NULL, NULL, NULL\n"
    "%33 = G, G, NULL, NULL, NULL, NULL\n"
    "%42 = G, G, G, G, G, G\n%52 = G, G, NULL, NULL, NULL, NULL\n%58 = G, G, NULL, NULL, NULL, NULL\n"
    "%59 = G, G, NULL, NULL, NULL, NULL\n%67 = G, G, G, G, G, G\n"
    "&1 = S, 12, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0\n&2 = S, 12, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0\n"
    "&3 = S, 12, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0\n&4 = S, 12, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0\n"
    "&80 = S, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0\n&81 = S, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0\n"
    "&82 = S, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0\n&83 = S, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0\n"
    "&84 = S, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0\n&85 = S, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0\n"
    "&86 = S, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0\n&87 = S, 8, 8, 0, 0, 0, 0, 0, 0, 0, 0, 0\n"
    "&200 = S, 24, 12, 0, 0, 0, 0, 0, 0, 0, 0, 0\n"
    "vehicle red = c 2 6 12 24 12 10\nvehicle bus = b 2 6 24 48 23 20\nraft log = l 4 10 7 28\n"
    "terrain grass = 42 2 -12\nterrain road = 52 0 -12\nterrain water = 58 0 -12\n"
    "terrain home = 59 1 -12\nterrain hedge = 67 14 -12\n"
    "key . = grass\nkey = = road\nkey ~ = water\nkey H = home\nkey # = hedge\n"
    "key 1 = road car 1\nkey 2 = road car 2\nkey a = water log 1\nkey b = water log 2\n"
    "key S = grass start up\nkey * = grass bonus\nkey T = grass object 200\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    plat_set_boxes(0);
    Engine_Error_Sink(quiet, nullptr);
    Level_Texture_Hooks(fake_upload, fake_delete);
    return true;
  }();
  (void)ready;
  const std::string source(reinterpret_cast<const char*>(data), size);
  Output out;
  std::string error;
  if (!levelgen_build(kInclude, source, 5, &out, &error)) {
    if (error.empty()) std::abort();
    return 0;
  }
  // Raw "def" lines and a background picture may be refused by the loader
  // on their own; anything else the generator accepts must load cleanly.
  if (source.find("def ") != std::string::npos || source.find("background") != std::string::npos) return 0;
  Engine_Error_Reset_Count();
  const int r = Load_Level_Memory("fuzz.def", reinterpret_cast<const uint8_t*>(out.def.data()), out.def.size(),
                                  "fuzz.map", out.map.data(), out.map.size(), 1);
  if (r != LEVEL_LOADED || Engine_Error_Count() != 0) std::abort();
  Free_Level();
  return 0;
}
