// TGA and PCX files read back by an independent reader, and the snapshot names.
#include "display_fixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "display/vx_bit_save.h"

namespace {

constexpr const char* kConvert = "/usr/bin/convert";

// Every test runs in a fresh temporary folder, which becomes the current one.
class SaveTest : public DisplayTest {
 protected:
  void SetUp() override {
    DisplayTest::SetUp();
    old_ = std::filesystem::current_path();
    char tmpl[] = "/tmp/ps_saveXXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::filesystem::current_path(dir_);
  }
  void TearDown() override {
    std::filesystem::current_path(old_);
    std::filesystem::remove_all(dir_);
    DisplayTest::TearDown();
  }
  std::filesystem::path old_, dir_;
};

// Runs a command and returns its standard output.
std::string run(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  pclose(p);
  return out;
}

// The file's pixels as ImageMagick reads them ("rgb" or "rgba" bytes).
std::vector<uint8_t> read_back(const std::string& file, const char* format) {
  // TGA rows are stored bottom first: -auto-orient turns them upright.
  std::string s = run(std::string(kConvert) + " " + file + " -auto-orient -depth 8 " + format + ":- 2>/dev/null");
  return std::vector<uint8_t>(s.begin(), s.end());
}

std::string size_of(const std::string& file) {
  std::string s = run("/usr/bin/identify -format '%wx%h' " + file + " 2>/dev/null");
  return s;
}

#define NEED_IMAGEMAGICK() \
  if (access(kConvert, X_OK) != 0) GTEST_SKIP() << "ImageMagick's convert is not installed"

void touch(const char* name) {
  FILE* f = std::fopen(name, "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
}

// ---------------------------------------------------------------- TGA
TEST_F(SaveTest, Tga24And32ReadBackToTheSamePixels) {
  NEED_IMAGEMAGICK();
  VX_BITMAP b = make_bitmap(5, 3, 24, 17);
  ASSERT_EQ(vx_bit_save(&b, "a.tga", nullptr, 0), 1);
  EXPECT_EQ(size_of("a.tga"), "5x3");
  EXPECT_EQ(read_back("a.tga", "rgb"), pixels_of(b));
  VX_BITMAP c = make_bitmap(3, 4, 32, 99);
  ASSERT_EQ(vx_bit_save(&c, "b.tga", nullptr, 0), 1);
  EXPECT_EQ(read_back("b.tga", "rgba"), pixels_of(c));
  vx_bit_free(&b);
  vx_bit_free(&c);
}

TEST_F(SaveTest, Tga16IsWrittenAs555) {
  NEED_IMAGEMAGICK();
  VX_BITMAP b = make_bitmap(4, 2, 16);
  const uint8_t colours[8][3] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255},
                                 {8, 16, 24}, {128, 64, 32}, {0, 0, 0}, {200, 100, 50}};
  auto* w = reinterpret_cast<uint16_t*>(b.pixels);
  for (int i = 0; i < 8; i++) w[i] = vx_pal_pack16(colours[i][0], colours[i][1], colours[i][2]);
  ASSERT_EQ(vx_bit_save(&b, "c.tga", nullptr, 0), 1);
  // The header says 16 bits; the file holds 5 bits per channel.
  FILE* f = std::fopen("c.tga", "rb");
  uint8_t h[18];
  ASSERT_EQ(std::fread(h, 1, 18, f), 18u);
  uint8_t first[2];
  ASSERT_EQ(std::fread(first, 1, 2, f), 2u);  // bottom row first: colour 4
  std::fclose(f);
  EXPECT_EQ(nums(h[2], h[16], h[17]), nums(2, 16, 0));
  EXPECT_EQ(first[0] | (first[1] << 8), (1 << 10) | (2 << 5) | 3);
  std::vector<uint8_t> got = read_back("c.tga", "rgb");
  ASSERT_EQ(got.size(), 24u);
  for (int i = 0; i < 8; i++)
    for (int c = 0; c < 3; c++) EXPECT_EQ(got[i * 3 + c] >> 3, colours[i][c] >> 3) << i << "," << c;
  vx_bit_free(&b);
}

TEST_F(SaveTest, RectangleIsClippedToTheBitmap) {
  NEED_IMAGEMAGICK();
  VX_BITMAP b = make_bitmap(4, 4, 24, 1);
  VX_RECT r = {2, -1, 10, 3};
  ASSERT_EQ(vx_bit_save(&b, "d.tga", &r, 0), 1);
  EXPECT_EQ(size_of("d.tga"), "2x2");
  std::vector<uint8_t> got = read_back("d.tga", "rgb");
  std::vector<uint8_t> want;
  for (int y = 0; y < 2; y++) want.insert(want.end(), b.pixels + y * 12 + 6, b.pixels + y * 12 + 12);
  EXPECT_EQ(got, want);
  VX_RECT outside = {4, 0, 2, 2};
  EXPECT_EQ(vx_bit_save(&b, "e.tga", &outside, 0), 0);
  vx_bit_free(&b);
}

// ---------------------------------------------------------------- PCX
// Expected RGB bytes of an indexed bitmap through its palette.
std::vector<uint8_t> through(const std::vector<uint8_t>& idx, const VX_PALETTE* p) {
  std::vector<uint8_t> out;
  for (uint8_t i : idx) out.insert(out.end(), p->colours + i * 3, p->colours + i * 3 + 3);
  return out;
}

TEST_F(SaveTest, Pcx8RunsAndHighValuesReadBack) {
  NEED_IMAGEMAGICK();
  // An odd width; a run longer than 63; values with both top bits set, alone and in runs.
  VX_BITMAP b = make_bitmap(101, 3, 8);
  std::memset(b.pixels, 7, 101);
  for (int x = 0; x < 101; x++) b.pixels[101 + x] = uint8_t(0xC0 + x % 3);
  for (int x = 0; x < 101; x++) b.pixels[202 + x] = x < 50 ? 0xFF : uint8_t(x);
  b.palette = vx_pal_alloc(nullptr, 256, VX_PAL_OPT_RGB);
  for (int i = 0; i < 768; i++) b.palette->colours[i] = uint8_t(i * 13 + 5);
  ASSERT_EQ(vx_bit_save(&b, "a.pcx", nullptr, 0), 1);
  EXPECT_EQ(size_of("a.pcx"), "101x3");
  EXPECT_EQ(read_back("a.pcx", "rgb"), through(pixels_of(b), b.palette));
  FILE* f = std::fopen("a.pcx", "rb");
  uint8_t h[128];
  ASSERT_EQ(std::fread(h, 1, 128, f), 128u);
  EXPECT_EQ(h[0], 10);
  EXPECT_EQ(h[66] | (h[67] << 8), 102);  // even line length
  std::fseek(f, -769, SEEK_END);
  EXPECT_EQ(std::fgetc(f), 12);  // palette marker
  std::fclose(f);
  vx_bit_free(&b);
}

TEST_F(SaveTest, Pcx4BitsAreWrittenAsIndices) {
  NEED_IMAGEMAGICK();
  VX_BITMAP b = make_bitmap(3, 2, 4);
  const uint8_t px[] = {0x12, 0x30, 0xF5, 0x60};
  std::memcpy(b.pixels, px, 4);
  b.palette = vx_pal_alloc(nullptr, 16, VX_PAL_OPT_RGB | VX_PAL_OPT_GREY);
  ASSERT_EQ(vx_bit_save(&b, "b.pcx", nullptr, 0), 1);
  EXPECT_EQ(read_back("b.pcx", "rgb"), through({1, 2, 3, 15, 5, 6}, b.palette));
  vx_bit_free(&b);
}

TEST_F(SaveTest, RefusalsWriteNothing) {
  VX_BITMAP b = make_bitmap(2, 2, 8);
  b.bpp = 1;
  EXPECT_EQ(vx_bit_save(&b, "x.pcx", nullptr, 0), 0);
  b.bpp = 8;
  EXPECT_EQ(vx_bit_save(&b, "no_such_folder/x.pcx", nullptr, 0), 0);
  EXPECT_EQ(vx_bit_save(nullptr, "x.pcx", nullptr, 0), 0);
  EXPECT_FALSE(std::filesystem::exists("x.pcx"));
  vx_bit_free(&b);
  boxes();
}

// The 3D back end's save, recorded.
std::string g_saved;
int record_save(VX_BITMAP*, const char* name, const VX_RECT*, uint32_t) {
  g_saved = name;
  return 1;
}

TEST_F(SaveTest, With3DActiveTheBackEndSavesUnlessDirect) {
  VX_DSP_3D_INTERFACE t = {};
  t.vx_bit_3d_save = record_save;
  vx_dsp_3d_interface_set(&t);
  vx_screen_3d_active_set(1);
  g_saved.clear();
  VX_BITMAP b = make_bitmap(2, 2, 24);
  EXPECT_EQ(vx_bit_save(&b, "s.tga", nullptr, 0), 1);
  EXPECT_EQ(g_saved, "s.tga");
  EXPECT_FALSE(std::filesystem::exists("s.tga"));
  EXPECT_EQ(vx_bit_save(&b, "s.tga", nullptr, VX_BIT_SAVE_DIRECT), 1);
  EXPECT_TRUE(std::filesystem::exists("s.tga"));
  vx_bit_free(&b);
}

// ---------------------------------------------------------------- snapshots
TEST_F(SaveTest, SnapshotNameTakesTheFirstFreeNumber) {
  char name[32];
  ASSERT_EQ(vx_bit_snapshot_name(name, sizeof name, 1), 1);
  EXPECT_STREQ(name, "Snap0000.tga");
  for (const char* n : {"Snap0000.tga", "Snap0001.tga", "Snap0003.tga", "Snap0004.tga"}) touch(n);
  ASSERT_EQ(vx_bit_snapshot_name(name, sizeof name, 1), 1);
  EXPECT_STREQ(name, "Snap0002.tga");  // the gap first
  touch("Snap0002.tga");
  ASSERT_EQ(vx_bit_snapshot_name(name, sizeof name, 1), 1);
  EXPECT_STREQ(name, "Snap0005.tga");
  ASSERT_EQ(vx_bit_snapshot_name(name, sizeof name, 0), 1);
  EXPECT_STREQ(name, "Snap0000.pcx");  // the other extension counts apart
  EXPECT_EQ(vx_bit_snapshot_name(name, 8, 1), 0);
}

TEST_F(SaveTest, SnapshotWritesTheScreenAndRefusesSgiGeneric) {
  VX_BITMAP b = make_bitmap(4, 4, 16);
  touch("Snap0000.tga");
  ASSERT_EQ(vx_bit_snapshot(&b, 1, nullptr, nullptr), 1);
  EXPECT_GT(std::filesystem::file_size("Snap0001.tga"), 18u);
  EXPECT_EQ(vx_bit_snapshot(&b, 1, "SGI", "Generic OpenGL"), 0);
  EXPECT_NE(boxes().find("Sorry, it's not possible to take a snapshot under SGI's implementation"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists("Snap0002.tga"));
  b.bpp = 8;
  b.width = 8;  // same bytes at 8 bits
  ASSERT_EQ(vx_bit_snapshot(&b, 0, "NVIDIA Corporation", "GeForce"), 1);
  EXPECT_TRUE(std::filesystem::exists("Snap0000.pcx"));
  vx_bit_free(&b);
}

TEST_F(SaveTest, TenThousandSnapshotsAreEnough) {
  char name[32];
  for (int i = 0; i <= 9999; i++) {
    std::snprintf(name, sizeof name, "Snap%04d.pcx", i);
    touch(name);
  }
  EXPECT_EQ(vx_bit_snapshot_name(name, sizeof name, 0), 0);
  EXPECT_NE(boxes().find("Sorry, there are already 10000 snapshots in this directory. Please delete a few of "
                         "them if you want to take new ones."),
            std::string::npos);
}

}  // namespace
