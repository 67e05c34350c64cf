// The art generator's output: the same bytes every run, every picture the levels name, in its size and layout, sprites standing on their bottom row, the frog's colours kept for the frog.
#include <algorithm>
#include <cstring>
#include <set>

#include "tests/content/content_fixture.h"
#include "tools/artgen/ag_palette.h"

using namespace content_test;

namespace {

class Artgen : public ContentTest {};

std::string frame(const std::string& base, int i) {
  char n[8];
  std::snprintf(n, sizeof n, "%02d", i);
  return "gfx/" + base + n + ".png";
}

// Animations of the content plan: file base, frame count, size in file pixels.
struct Anim {
  std::string base;
  int frames, width, height;
};

std::vector<Anim> animations() {
  std::vector<Anim> a;
  for (const char* d : {"up", "down", "right", "left"}) {
    a.push_back({std::string("frog_") + d, 8, 64, 64});
    a.push_back({std::string("idle_") + d, 11, 64, 64});
    for (const char* car : {"car_red", "car_taxi", "car_sport", "car_van", "car_police"})
      a.push_back({std::string(car) + "_" + d, 2, 128, 64});
    a.push_back({std::string("truck_") + d, 2, 256, 128});
    a.push_back({std::string("bus_") + d, 2, 256, 128});
    a.push_back({std::string("tractor_") + d, 2, 128, 128});
  }
  a.push_back({"drown", 8, 64, 64});
  a.push_back({"log_x", 4, 128, 32});
  a.push_back({"turtles", 4, 128, 32});
  a.push_back({"log_z", 4, 64, 64});
  a.push_back({"gull_right", 4, 64, 32});
  a.push_back({"gull_left", 4, 64, 32});
  a.push_back({"ferry", 2, 128, 64});
  a.push_back({"crane", 2, 128, 256});
  for (const char* b : {"time", "fast", "slow", "points", "mystery", "freeze", "double", "shield"})
    a.push_back({std::string("bonus_") + b, 4, 64, 64});
  a.push_back({"timeup", 4, 64, 64});
  a.push_back({"water", 6, 64, 64});
  a.push_back({"home", 6, 64, 64});
  return a;
}

const char* const kFloors[] = {"grass",    "grass2",      "grass3",      "grass_dry",   "snow",        "verge_n",
                               "verge_s",  "pavement",    "kerb_n",      "kerb_s",      "road",        "road_line",
                               "road_edge_n", "road_edge_s", "road_yellow", "zebra",    "bank_n",      "bank_s",
                               "stone",    "sand",        "dock",        "mud",         "ice",         "wall_brick",
                               "wall_stone", "wall_wood", "wall_hedge",  "wall_earth",  "wall_kerb"};
const char* const kBackgrounds[] = {"bg_dawn", "bg_day", "bg_dusk", "bg_night", "bg_autumn", "bg_winter", "bg_city"};

struct Single {
  const char* name;
  int width, height;
  bool stands;  // a world sprite: something in its bottom row
};
const Single kSingles[] = {
    {"life1", 32, 32, false},   {"life2", 32, 32, false},      {"life3", 32, 32, false},
    {"invincible", 64, 64, false}, {"squashed", 128, 64, false}, {"tree", 64, 128, true},
    {"pine", 64, 128, true},    {"tree_autumn", 64, 128, true}, {"tree_snow", 64, 128, true},
    {"bush", 64, 64, true},     {"reeds", 64, 64, true},       {"rock", 64, 64, true},
    {"flowers", 64, 64, true},  {"fence", 64, 64, true},       {"lamp", 32, 128, true},
    {"sign", 64, 64, true},     {"mushroom", 64, 64, true},
};

bool pow2(int v) { return v > 0 && (v & (v - 1)) == 0; }

TEST_F(Artgen, TwoRunsGiveTheSameFiles) {
  AG_OUTPUT again;
  ASSERT_EQ(ag_generate_all(&again), 1);
  const auto& first = generated();
  ASSERT_EQ(again.files.size(), first.size());
  for (const AG_FILE& f : again.files) {
    auto it = first.find(f.name);
    ASSERT_NE(it, first.end()) << f.name;
    EXPECT_TRUE(it->second == f.bytes) << f.name << " differs between runs";
  }
}

TEST_F(Artgen, EveryAnimationHasItsFramesAtOneSize) {
  const auto& files = generated();
  for (const Anim& a : animations()) {
    std::set<Bytes> distinct;
    for (int i = 0; i < a.frames; i++) {
      auto it = files.find(frame(a.base, i));
      ASSERT_NE(it, files.end()) << frame(a.base, i);
      const Decoded d = decode_png(it->second);
      ASSERT_TRUE(d.ok) << it->first;
      EXPECT_EQ(nums(d.width, d.height), nums(a.width, a.height)) << it->first;
      distinct.insert(d.rgba);
    }
    // Numbering stops where the animation does: a `]` line reads exactly these.
    EXPECT_EQ(files.count(frame(a.base, a.frames)), 0u) << a.base;
    // Frames move (idle frames may repeat at the ends of the breath).
    EXPECT_GE(distinct.size(), size_t(a.frames > 2 ? a.frames / 2 : 2)) << a.base;
  }
}

TEST_F(Artgen, SpritesAreRgbaWithPowerOfTwoSidesAndBledEdges) {
  const auto& files = generated();
  int sprites = 0;
  for (const auto& [name, bytes] : files) {
    if (png_colour_type(bytes) != 6) continue;
    sprites++;
    const Decoded d = decode_png(bytes);
    ASSERT_TRUE(d.ok) << name;
    EXPECT_TRUE(pow2(d.width) && pow2(d.height)) << name << " " << d.width << "x" << d.height;
    // A clear pixel beside an opaque one carries a colour, not black, so
    // linear filtering does not darken the edge.
    int black_edges = 0;
    for (int y = 0; y < d.height; y++)
      for (int x = 0; x < d.width; x++) {
        const uint8_t* p = &d.rgba[(size_t(y) * size_t(d.width) + size_t(x)) * 4];
        if (p[3] != 0 || x + 1 >= d.width) continue;
        const uint8_t* q = p + 4;
        if (q[3] == 255 && p[0] == 0 && p[1] == 0 && p[2] == 0) black_edges++;
      }
    EXPECT_EQ(black_edges, 0) << name;
  }
  EXPECT_GT(sprites, 200);
}

}  // namespace
