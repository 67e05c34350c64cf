// The S3M loader: sample conversion, empty instruments, patterns, orders, pans, effect families by version, damage.
#include <gtest/gtest.h>

#include <tuple>

#include "sound/vx_mod_data.h"
#include "tests/sound/s3m_image.h"

using namespace s3m_test;

namespace {

struct Loaded {
  VX_MOD_POOL* pool = vx_mod_pool_create();
  VX_MODULE* m = nullptr;
  explicit Loaded(const std::vector<uint8_t>& image, int option = VX_MOD_LOAD_PANS) {
    m = vx_mod_load(image.data(), image.size(), option, pool);
  }
  ~Loaded() {
    vx_mod_free(m, pool);
    EXPECT_EQ(vx_mod_pool_destroy(pool), 1) << "every block came back";
  }
};

std::vector<int> sample_values(const VX_MOD_INSTRUMENT& in) {
  return std::vector<int>(in.data, in.data + in.length);
}

TEST(ModLoad, SamplesBecomeSigned8Bit) {
  struct Case {
    const char* what;
    int format, flags;
    std::vector<uint8_t> bytes;
    std::vector<int> values;
  };
  const std::vector<Case> cases = {
      {"8-bit unsigned", 2, 0, {0, 128, 255, 1}, {-128, 0, 127, -127}},
      {"8-bit signed", 1, 0, {0x80, 0, 0x7F, 0xFF}, {-128, 0, 127, -1}},
      {"16-bit unsigned keeps the high byte", 2, 4, {0xFF, 0x00, 0x00, 0x80, 0x34, 0xFF}, {-128, 0, 127}},
      {"16-bit signed keeps the high byte", 1, 4, {0x00, 0x80, 0xFF, 0x7F, 0x12, 0x00}, {-128, 127, 0}},
      // Stereo samples: the left channel comes first and is the one kept.
      {"stereo keeps the left channel", 2, 2, {10, 20, 200, 210}, {-118, -108}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SONG s;
    s.format = uint16_t(c.format);
    SAMPLE smp;
    smp.data = c.bytes;
    smp.flags = c.flags;
    if (c.flags & 2) smp.length = uint32_t(c.values.size());
    s.samples = {smp};
    Loaded l(build(s));
    ASSERT_NE(l.m, nullptr);
    EXPECT_EQ(sample_values(l.m->instruments[0]), c.values);
    EXPECT_EQ(std::vector<int>(l.m->instruments[0].data - VX_MOD_SAMPLE_PAD, l.m->instruments[0].data),
              std::vector<int>(VX_MOD_SAMPLE_PAD, 0));
  }
}

TEST(ModLoad, InstrumentFields) {
  SONG s;
  s.samples.resize(4);
  s.samples[0] = constant_sample(128, 100);
  s.samples[0].volume = 40, s.samples[0].c2 = 22050, s.samples[0].loop_start = 10, s.samples[0].loop_end = 500;
  s.samples[1].type = 2;  // an AdLib instrument
  s.samples[1].volume = 20, s.samples[1].c2 = 1000;
  s.samples[2].type = 0;
  s.samples[3] = constant_sample(128, 8);
  s.samples[3].volume = 99, s.samples[3].loop_start = 8;  // loop of no length
  Loaded l(build(s));
  ASSERT_NE(l.m, nullptr);
  const VX_MOD_INSTRUMENT* in = l.m->instruments;
  EXPECT_EQ(in[0].volume, 80) << "stored doubled";
  EXPECT_EQ(in[0].c2_speed, 22050u);
  EXPECT_TRUE(in[0].loop);
  EXPECT_EQ(in[0].loop_end, 100u) << "a loop end past the sample is cut to its length";
  for (int i : {1, 2}) {
    SCOPED_TRACE(i);
    EXPECT_NE(in[i].type, 1);
    EXPECT_EQ(in[i].data, nullptr);
    EXPECT_EQ(in[i].c2_speed, 8363u);
    EXPECT_EQ(in[i].volume, 128);
  }
  EXPECT_EQ(in[3].volume, 128) << "volumes above 64 are 64";
  EXPECT_FALSE(in[3].loop);
}

TEST(ModLoad, PatternsOrdersAndHeader) {
  SONG s;
  s.version = 0x1301;
  s.speed = 0;   // none: 6
  s.tempo = 20;  // below 33: 125
  s.global_volume = 48;
  s.master = 0x30;
  s.orders = {1, 254, 0, 255, 7};
  s.patterns = {{{63, 31, 0x42, 3, 64, 'H', 0x12}}, {{0, 0, 254, 0}, {5, 2, 255, 0, 10}, {5, 3, 255, 0, 255, 0, 7}}};
  Loaded l(build(s));
  ASSERT_NE(l.m, nullptr);
  EXPECT_EQ(std::vector<int>(l.m->orders, l.m->orders + 5), (std::vector<int>{1, 65534, 0, 65535, 7}));
  EXPECT_EQ(l.m->speed, 6);
  EXPECT_EQ(l.m->row_length, 36u);
  EXPECT_EQ(l.m->stored_tempo, 4800000u);
  EXPECT_EQ(l.m->global_volume, 96);
  EXPECT_EQ(l.m->master_volume, 0x30);
  EXPECT_EQ(l.m->stereo, 0);
  auto cell = [&](int p, int r, int c) {
    const uint8_t* x = vx_mod_cell(l.m, p, r, c);
    return std::vector<int>(x, x + 5);
  };
  EXPECT_EQ(cell(0, 63, 31), (std::vector<int>{0x42, 3, 64, FX_VIBRATO, 0x12}));
  EXPECT_EQ(cell(1, 0, 0), (std::vector<int>{254, 0, 255, 0, 0}));
  EXPECT_EQ(cell(1, 5, 2), (std::vector<int>{255, 0, 10, 0, 0}));
  EXPECT_EQ(cell(1, 5, 3), (std::vector<int>{255, 0, 255, 0, 7})) << "a parameter without a command is kept";
  for (auto [p, r, c] : std::vector<std::tuple<int, int, int>>{{0, 0, 0}, {0, 63, 30}, {1, 63, 31}})
    EXPECT_EQ(cell(p, r, c), (std::vector<int>{255, 0, 255, 0, 0}));
}

TEST(ModLoad, DefaultPansByVersionAndOption) {
  struct Case {
    const char* what;
    uint16_t version;
    uint8_t master, mark;
    int option;
    std::vector<int> pans;  // channels 0 (L1), 1 (R1), 2 (L2)
  };
  // The table gives channel 0 pan 2 (bit 5 set), channel 1 nothing (bit 5 clear), channel 2 pan 15.
  const std::vector<Case> cases = {
      {"stereo: left and right positions", 0x1320, 0xB0, 0, VX_MOD_LOAD_PANS, {24, 96, 24}},
      {"mono file: centre", 0x1320, 0x30, 0, VX_MOD_LOAD_PANS, {60, 60, 60}},
      {"pan table from 0x1320", 0x1320, 0xB0, 252, VX_MOD_LOAD_PANS, {16, 96, 120}},
      {"pan table ignored before 0x1320", 0x1310, 0xB0, 252, VX_MOD_LOAD_PANS, {24, 96, 24}},
      {"pan table ignored without the option", 0x3200, 0xB0, 252, 0, {24, 96, 24}},
      {"mono option", 0x1320, 0xB0, 252, VX_MOD_LOAD_MONO | VX_MOD_LOAD_PANS, {60, 60, 60}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SONG s;
    s.version = c.version, s.master = c.master, s.pan_mark = c.mark;
    s.pans[0] = 0x22, s.pans[1] = 0x0F, s.pans[2] = 0x2F;
    Loaded l(build(s), c.option);
    ASSERT_NE(l.m, nullptr);
    EXPECT_EQ((std::vector<int>{l.m->pan[0], l.m->pan[1], l.m->pan[2]}), c.pans);
  }
}

TEST(ModLoad, DamagedImagesAreRefused) {
  SONG s;
  s.samples = {constant_sample(200)};
  LAYOUT l;
  const std::vector<uint8_t> good = build(s, &l);
  struct Case {
    const char* what;
    size_t size;
    size_t at;  // byte to change, or 0
    uint8_t value;
  };
  const std::vector<Case> cases = {
      {"empty", 0, 0, 0},
      {"header cut short", 95, 0, 0},
      {"no SCRM mark", good.size(), 44, 'X'},
      {"258 orders", good.size(), 33, 1},
      {"257 instruments", good.size(), 35, 1},
      {"order and pointer tables past the end", l.pattern_ptrs + 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<uint8_t> bad(good.begin(), good.begin() + long(c.size));
    if (c.at) bad[c.at] = c.value;
    Loaded bad_load(bad);
    EXPECT_EQ(bad_load.m, nullptr);
  }
}

TEST(ModLoad, DamageInsideTheFileIsRepaired) {
  SONG s;
  s.samples = {constant_sample(200, 64), constant_sample(200, 64)};
  s.patterns = {{{0, 0, 0x40, 1}, {1, 1, 0x40, 1}}, {}};
  LAYOUT l;
  std::vector<uint8_t> image = build(s, &l);
  put16(image, l.instrument_ptrs + 2, 0xFFFF);  // second instrument outside the file
  put16(image, l.pattern_ptrs + 2, 0xFFFF);     // second pattern outside the file
  put16(image, l.patterns[0], 2 + 4);          // the first pattern's length ends after its first row
  image.resize(l.samples[0] + 40);              // first sample cut short
  Loaded ld(image);
  ASSERT_NE(ld.m, nullptr);
  EXPECT_EQ(ld.m->instruments[0].length, 40u);
  EXPECT_EQ(ld.m->instruments[0].loop_end, 40u);
  EXPECT_EQ(ld.m->instruments[1].data, nullptr);
  EXPECT_EQ(vx_mod_cell(ld.m, 0, 0, 0)[0], 0x40);
  EXPECT_EQ(vx_mod_cell(ld.m, 0, 1, 1)[0], 255) << "nothing is read past the pattern's length";
  EXPECT_EQ(vx_mod_cell(ld.m, 1, 0, 0)[0], 255);
}

TEST(ModLoad, RefusedBlocksGiveBackWhatWasTaken) {
  SONG s;
  s.samples = {constant_sample(1, 3000), constant_sample(2, 3000), SAMPLE{}};
  s.patterns.resize(3);
  const std::vector<uint8_t> image = build(s);
  size_t limit = 0;
  VX_MODULE* m = nullptr;
  VX_MOD_POOL* pool = vx_mod_pool_create();
  for (int tries = 0; !m && tries < 400; tries++) {
    vx_mod_pool_set_limit(pool, limit += 512);
    m = vx_mod_load(image.data(), image.size(), 0, pool);
    if (!m) {
      ASSERT_EQ(vx_mod_pool_blocks(pool), 0) << "limit " << limit;
    }
  }
  ASSERT_NE(m, nullptr);
  EXPECT_GT(limit, 3 * VX_MOD_PATTERN_BYTES) << "it failed on the way, more than once";
  EXPECT_EQ(vx_mod_pool_blocks(pool), 6) << "module, orders, instruments, patterns and two samples";
  vx_mod_free(m, pool);
  EXPECT_EQ(vx_mod_pool_destroy(pool), 1);
}

TEST(ModLoad, PoolReportsBlocksLeftBehind) {
  VX_MOD_POOL* pool = vx_mod_pool_create();
  void* a = vx_mod_pool_alloc(pool, 10, "a");
  vx_mod_pool_alloc(pool, 20, "b");
  vx_mod_pool_free(pool, a);
  EXPECT_EQ(vx_mod_pool_blocks(pool), 1);
  EXPECT_EQ(vx_mod_pool_destroy(pool), 0);
}

}  // namespace
