// Helpers of the level, map and object tests: a fixture that captures the engine's messages and fakes texture uploads, .def and .map builders.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "world/engine_error.h"
#include "world/level.h"
#include "world/map.h"
#include "world/world_tables.h"

namespace level_test {

using Bytes = std::vector<uint8_t>;

struct Message {
  std::string caption, text;
  int stops;
};

struct Upload {
  std::string file;
  int flags;
};

// What the fixture records; the sink and the fake upload write here.
struct Record {
  std::vector<Message> messages;
  std::vector<Upload> uploads;
  std::vector<uint32_t> deleted;
  std::map<std::string, GEN_TEXTURE_SIZES> sizes;  // by file name as the loader passes it
  uint32_t next_texture = 100;
};
inline Record record;

inline void sink(const char* caption, const char* text, int stops, void*) {
  record.messages.push_back({caption ? caption : "", text ? text : "", stops});
}

// Every picture uploads as a new texture: 32 x 32 unless `sizes` says
// otherwise; a file name containing "missing" fails.
inline uint32_t fake_upload(const char* file, int flags, GEN_TEXTURE_SIZES* sizes) {
  record.uploads.push_back({file, flags});
  if (std::strstr(file, "missing")) return 0;
  auto it = record.sizes.find(file);
  *sizes = it != record.sizes.end() ? it->second : GEN_TEXTURE_SIZES{32, 32, 32, 32};
  return record.next_texture++;
}

inline void fake_delete(uint32_t texture) { record.deleted.push_back(texture); }

// The three slot sizes that let bitmap lines follow.
inline const std::string SLOTS = "@d 32\r\n@e 32\r\n@f 256\r\n";

// Every test starts the error module and the memory tracker, captures the
// engine's messages and fakes the texture upload; at the end the level is
// freed and no block may be left.
class LevelTest : public testing::Test {
 protected:
  void SetUp() override {
    VX_ERROR_SETTINGS quiet = {0};
    vx_error_init(&quiet);
    static VX_MEM_SETTINGS mem;  // the tracker keeps a pointer to it
    mem = {0, 1 << 22};
    vx_mem_init(&mem);
    record = Record();
    Engine_Error_Sink(sink, nullptr);
    Engine_Error_Reset_Count();
    Level_Texture_Hooks(fake_upload, fake_delete);
  }
  void TearDown() override {
    Free_Level();
    Level_Texture_Hooks(nullptr, nullptr);
    Engine_Error_Sink(nullptr, nullptr);
    EXPECT_EQ(vx_mem_deinit(), 1) << "the level left a block allocated";
    vx_error_deinit();
  }

  // Loads a .def text (and map bytes) from memory as "t.def" and "t.map".
  int load(const std::string& def, const Bytes* map = nullptr, uint8_t add_objects = 0) {
    return Load_Level_Memory("t.def", reinterpret_cast<const uint8_t*>(def.data()), def.size(),
                             map ? "t.map" : nullptr, map ? map->data() : nullptr, map ? map->size() : 0,
                             add_objects);
  }

  // The texts of the captured messages.
  std::vector<std::string> texts() const {
    std::vector<std::string> out;
    for (const Message& m : record.messages) out.push_back(m.text);
    return out;
  }
};

// ---------------------------------------------------------------- map builder
inline void put16(Bytes* b, int v) {
  b->push_back(uint8_t(v));
  b->push_back(uint8_t(v >> 8));
}
inline void put32(Bytes* b, int32_t v) {
  for (int i = 0; i < 4; i++) b->push_back(uint8_t(uint32_t(v) >> (8 * i)));
}

inline OBJECT object_at(int sprite, double x, double y, double z) {
  OBJECT o;
  std::memset(&o, 0, sizeof o);
  o.sprite = int16_t(sprite);
  o.x = x;
  o.y = y;
  o.z = z;
  o.brightness = 15;
  return o;
}

inline CELL cell_of(int tile, int height = 0) {
  CELL c;
  std::memset(&c, 0, sizeof c);
  c.tile = int16_t(tile);
  for (int k = 0; k < 4; k++) c.up[k] = int16_t(height);
  c.brightness = 15;
  return c;
}

// A .map: `cell_size` 0 writes the old format. `objects` are records 1..N
// (record 0 is written zero). `cells(r, c)` gives each of rows x columns.
template <typename CellFn>
Bytes map_bytes(int cell_size, const std::vector<OBJECT>& objects, int rows, int columns, CellFn cells) {
  Bytes b;
  if (cell_size) {
    put16(&b, MAP_MARK);
    put32(&b, cell_size);
  }
  put16(&b, int(objects.size()));
  OBJECT zero;
  std::memset(&zero, 0, sizeof zero);
  b.insert(b.end(), reinterpret_cast<const uint8_t*>(&zero), reinterpret_cast<const uint8_t*>(&zero) + sizeof zero);
  for (const OBJECT& o : objects)
    b.insert(b.end(), reinterpret_cast<const uint8_t*>(&o), reinterpret_cast<const uint8_t*>(&o) + sizeof o);
  put16(&b, rows);
  put16(&b, columns);
  for (int r = 0; r < rows; r++)
    for (int c = 0; c < columns; c++) {
      const CELL cell = cells(r, c);
      b.insert(b.end(), reinterpret_cast<const uint8_t*>(&cell), reinterpret_cast<const uint8_t*>(&cell) + sizeof cell);
    }
  return b;
}

inline Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline std::string fixture(const std::string& rel) { return std::string(PS_TEST_DATA) + "/world/" + rel; }

// Values of several fields side by side, so that one expectation compares a
// whole record: EXPECT_EQ(nums(a.x, a.y), nums(1, 2)).
// The arguments are evaluated in no set order: pass reads without side effects only.
template <typename... T>
std::vector<double> nums(T... v) {
  return {double(v)...};
}

// The nine level parameters: width, depth, cell size, floor size, wall width
// and height, start x and z, far limit.
inline std::vector<double> level_params() {
  const WORLD_TABLES& w = world_tables;
  return nums(w.world_width, w.world_depth, w.cell_size, w.floor_bitmap_size, w.wall_bitmap_width,
              w.wall_bitmap_height, w.start_x, w.start_z, w.far_limit);
}

// A level with tiles 1..5 (bitmap A on both floors), sprites 0..5 and 100
// (bitmap S, 20 wide, 24 high), in a world of `width` x `depth` cells of `cell_size`.
inline std::string basic_def(int width = 10, int depth = 10, int cell_size = 12) {
  std::string s = "@a " + std::to_string(width) + "\r\n@b " + std::to_string(depth) + "\r\n@c " +
                  std::to_string(cell_size) + "\r\n" + SLOTS + "#A = a.png\r\n^S = s.png\r\n";
  for (int t = 1; t <= 5; t++) s += "%" + std::to_string(t) + " = A, A, NULL, NULL, NULL, NULL\r\n";
  for (int sp : {0, 1, 2, 3, 4, 5, 100}) s += "&" + std::to_string(sp) + " = S, 24, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n";
  return s;
}

}  // namespace level_test
