// The S3M loader: sample conversion, empty instruments, patterns, orders, pans by version, damage, the pool.
#include <gtest/gtest.h>

#include <tuple>

#include "sound/vx_mod_data.h"
#include "tests/sound/s3m_image.h"

using namespace s3m_test;

namespace {

struct Loaded {
  VX_MOD_POOL* pool = vx_mod_pool_create();
  VX_MODULE* m;
  explicit Loaded(const std::vector<uint8_t>& image, int option = VX_MOD_LOAD_PANS)
      : m(vx_mod_load(image.data(), image.size(), option, pool)) {}
  ~Loaded() {
    vx_mod_free(m, pool);
    EXPECT_EQ(vx_mod_pool_destroy(pool), 1) << "every block came back";
  }
};

TEST(ModLoad, SamplesBecomeSigned8Bit) {
  struct Case { const char* what; int format, flags; std::vector<uint8_t> bytes; std::vector<int> values; };
  const std::vector<Case> cases = {
      {"8-bit unsigned", 2, 0, {0, 128, 255, 1}, {-128, 0, 127, -127}},
      {"8-bit signed", 1, 0, {0x80, 0, 0x7F, 0xFF}, {-128, 0, 127, -1}},
      {"16-bit unsigned keeps the high byte", 2, 4, {0xFF, 0x00, 0x00, 0x80, 0x34, 0xFF}, {-128, 0, 127}},
      {"16-bit signed keeps the high byte", 1, 4, {0x00, 0x80, 0xFF, 0x7F, 0x12, 0x00}, {-128, 127, 0}},
      {"stereo keeps the left channel, stored first", 2, 2, {10, 20, 200, 210}, {-118, -108}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    SONG s;
    s.format = uint16_t(c.format);
    s.samples = {SAMPLE{1, c.bytes, (c.flags & 2) ? uint32_t(c.values.size()) : 0, 0, 0, c.flags}};
    Loaded l(build(s));
    ASSERT_NE(l.m, nullptr);
    const VX_MOD_INSTRUMENT& in = l.m->instruments[0];
    std::vector<int> want(VX_MOD_SAMPLE_PAD, 0);
    want.insert(want.end(), c.values.begin(), c.values.end());
    EXPECT_EQ(std::vector<int>(in.data - VX_MOD_SAMPLE_PAD, in.data + in.length), want) << "zeros in front, then the samples";
  }
}

TEST(ModLoad, HeaderOrdersInstrumentsAndPatterns) {
  SONG s;
  s.samples = {constant_sample(128), SAMPLE()};
  s.samples[0].volume = 99;                                                 // above 64: 64, stored doubled
  s.samples[1].type = 2, s.samples[1].volume = 20, s.samples[1].c2 = 1000;  // an AdLib instrument: empty
  s.speed = 0, s.tempo = 20;  // none, and too slow: the defaults 6 and 125
  s.global_volume = 48, s.master = 0x30;
  s.orders = {1, 254, 0, 255, 7};
  s.patterns = {{{63, 31, 0x42, 3, 64, 'H', 0x12}}, {{0, 0, 254, 0}, {5, 2, 255, 0, 10}, {5, 3, 255, 0, 255, 0, 7}}};
  Loaded l(build(s));
  ASSERT_NE(l.m, nullptr);
  EXPECT_EQ(std::vector<int>(l.m->orders, l.m->orders + 5), (std::vector<int>{1, 65534, 0, 65535, 7}));
  const VX_MOD_INSTRUMENT* in = l.m->instruments;
  EXPECT_EQ(std::make_tuple(in[0].volume, in[1].type == 1, in[1].data, in[1].c2_speed, in[1].volume),
            std::make_tuple(128, false, nullptr, 8363u, 128));
  EXPECT_EQ(std::make_tuple(l.m->row_length, l.m->stored_tempo, l.m->global_volume, l.m->master_volume, l.m->stereo),
            std::make_tuple(36u, 4800000u, uint8_t(96), uint8_t(0x30), uint8_t(0)));
  auto cell = [&](int p, int r, int c) { return std::vector<int>(vx_mod_cell(l.m, p, r, c), vx_mod_cell(l.m, p, r, c) + 5); };
  EXPECT_EQ(cell(0, 63, 31), (std::vector<int>{0x42, 3, 64, FX_VIBRATO, 0x12}));
  EXPECT_EQ(cell(1, 0, 0), (std::vector<int>{254, 0, 255, 0, 0}));
  EXPECT_EQ(cell(1, 5, 2), (std::vector<int>{255, 0, 10, 0, 0}));
  EXPECT_EQ(cell(1, 5, 3), (std::vector<int>{255, 0, 255, 0, 7})) << "a parameter without a command is kept";
  EXPECT_EQ(cell(1, 63, 31), (std::vector<int>{255, 0, 255, 0, 0})) << "an empty cell";
}

TEST(ModLoad, DefaultPansByVersionAndOption) {
  struct Case {
    const char* what;
    uint16_t version;
    uint8_t master, mark;
    int option;
    std::vector<int> pans;  // channels L1, R1, L2
  };
  // The file's table: channel 0 pan 2 (bit 5 set), channel 1 none (bit 5 clear), channel 2 pan 15.
  const std::vector<Case> cases = {
      {"stereo: left and right places", 0x1320, 0xB0, 0, VX_MOD_LOAD_PANS, {24, 96, 24}},
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
  const std::vector<std::tuple<const char*, size_t, size_t, uint8_t>> cases = {  // what, size, byte to change, value
      {"empty", 0, 0, 0},
      {"header cut short", 95, 0, 0},
      {"no SCRM mark", good.size(), 44, 'X'},
      {"258 orders", good.size(), 33, 1},
      {"257 instruments", good.size(), 35, 1},
      {"pointer tables past the end", l.pattern_ptrs + 1, 0, 0},
  };
  for (auto [what, size, at, value] : cases) {
    SCOPED_TRACE(what);
    std::vector<uint8_t> bad(good.begin(), good.begin() + long(size));
    if (at) bad[at] = value;
    EXPECT_EQ(Loaded(bad).m, nullptr);
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
  put16(image, l.patterns[0], 2 + 4);           // the first pattern's length ends after its first row
  image.resize(l.samples[0] + 40);              // first sample cut short
  Loaded ld(image);
  ASSERT_NE(ld.m, nullptr);
  EXPECT_EQ(std::make_tuple(ld.m->instruments[0].length, ld.m->instruments[0].loop_end, ld.m->instruments[1].data),
            std::make_tuple(40u, 40u, nullptr));
  EXPECT_EQ((std::vector<int>{vx_mod_cell(ld.m, 0, 0, 0)[0], vx_mod_cell(ld.m, 0, 1, 1)[0], vx_mod_cell(ld.m, 1, 0, 0)[0]}),
            (std::vector<int>{0x40, 255, 255})) << "nothing is read past the pattern's length";
}

TEST(ModLoad, RefusedBlocksGiveBackWhatWasTaken) {
  SONG s;
  s.samples = {constant_sample(1, 3000), constant_sample(2, 3000), SAMPLE()};
  s.patterns.resize(3);
  const std::vector<uint8_t> image = build(s);
  size_t limit = 0;
  VX_MODULE* m = nullptr;
  VX_MOD_POOL* pool = vx_mod_pool_create();
  for (int tries = 0; !m && tries < 400; tries++) {
    vx_mod_pool_set_limit(pool, limit += 512);
    m = vx_mod_load(image.data(), image.size(), 0, pool);
    ASSERT_TRUE(m || vx_mod_pool_blocks(pool) == 0) << "limit " << limit;
  }
  ASSERT_NE(m, nullptr);
  EXPECT_GT(limit, 3 * VX_MOD_PATTERN_BYTES) << "it failed on the way, more than once";
  EXPECT_EQ(vx_mod_pool_blocks(pool), 6) << "module, orders, instruments, patterns and two samples";
  vx_mod_free(m, pool);
  vx_mod_pool_alloc(pool, 20, "left behind");
  EXPECT_EQ(vx_mod_pool_destroy(pool), 0) << "destroying tells of the block left behind";
}

}  // namespace
