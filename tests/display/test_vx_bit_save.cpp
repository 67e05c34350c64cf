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

// ---------------------------------------------------------------- snapshots

}  // namespace
