// The splash screen: its section of the texts file, the widening and centring arithmetic, the text line, the window, the full-screen and 3D paths, and its removal.
#include <algorithm>
#include <cstring>
#include <fstream>

#include "display/vx_dsp_splash.h"
#include "display/vx_pal.h"
#include "platform/plat_internal.h"
#include "platform/plat_picture.h"
#include "tests/display/dsp_fixture.h"

using namespace dsp_test;

namespace {

// What the test loader was asked for.
struct LoaderLog {
  int calls;
  std::string name;
  int flags;
};
LoaderLog& loader_log() {
  static LoaderLog log;
  return log;
}

// A binary PPM ("P6", maxval 255) read through the file layer into a 24-bit
// bitmap; "mem:pal8" makes a 6 x 2 palette picture and "mem:bpp1" a
// 1-bit one, without a file. A missing, short or malformed file fails.
int test_loader(VX_BITMAP* bitmap, const char* name, int flags) {
  loader_log().calls++;
  loader_log().name = name;
  loader_log().flags = flags;
  *bitmap = VX_BITMAP{};
  if (std::strcmp(name, "mem:pal8") == 0) {
    VX_RECT r = {0, 0, 6, 2};
    if (!vx_bit_alloc(bitmap, &r, 8)) return 0;
    bitmap->palette = vx_pal_alloc(nullptr, 256, VX_PAL_OPT_RGB);
    for (int i = 0; i < 256; i++) {
      bitmap->palette->colours[i * 3] = uint8_t(i);
      bitmap->palette->colours[i * 3 + 1] = uint8_t(255 - i);
      bitmap->palette->colours[i * 3 + 2] = 7;
    }
    for (int i = 0; i < 12; i++) bitmap->pixels[i] = uint8_t(i * 10);
    return 1;
  }
  if (std::strcmp(name, "mem:bpp1") == 0) {
    bitmap->width = 8;
    bitmap->height = 8;
    bitmap->bpp = 1;
    bitmap->pixels = static_cast<uint8_t*>(vx_mem_alloc_named(8, "test 1-bit picture"));
    return 1;
  }
  VX_IO_FILE* f = vx_io_fopen(name, "rb");
  if (!f) return 0;
  std::string data;
  char buf[4096];
  for (size_t n; (n = vx_io_fread(buf, 1, sizeof buf, f)) > 0;) data.append(buf, n);
  vx_io_fclose(f);
  int w = 0, h = 0, max = 0, head = 0;
  if (std::sscanf(data.c_str(), "P6 %d %d %d%n", &w, &h, &max, &head) != 3 || max != 255 || w < 1 || h < 1)
    return 0;
  head++;  // the single white-space byte before the samples
  if (data.size() < size_t(head) + size_t(w) * size_t(h) * 3) return 0;
  VX_RECT r = {0, 0, int16_t(w), int16_t(h)};
  if (!vx_bit_alloc(bitmap, &r, 24)) return 0;
  std::memcpy(bitmap->pixels, data.data() + head, size_t(w) * size_t(h) * 3);
  return 1;
}

// The reference picture: pixel (x, y) is (x mod 256, 4y, 200).
std::string ppm(int w, int h) {
  std::string s = "P6\n" + std::to_string(w) + " " + std::to_string(h) + "\n255\n";
  for (int y = 0; y < h; y++)
    for (int x = 0; x < w; x++) s += {char(x & 255), char(y * 4), char(200)};
  return s;
}

// The recording put of the 3D table.
struct Put {
  VX_BITMAP* bitmap;
  VX_RECT dest, src;
};
std::vector<Put>& puts_seen() {
  static std::vector<Put> p;
  return p;
}
int record_put(VX_BITMAP* bitmap, const VX_RECT* dest, const VX_RECT* src, uint32_t) {
  puts_seen().push_back({bitmap, *dest, *src});
  return 1;
}

class Splash : public DspTest {
 protected:
  VX_DSP_3D_INTERFACE table = {};

  void SetUp() override {
    DspTest::SetUp();
    loader_log() = LoaderLog{};
    puts_seen().clear();
    vx_dsp_splash_loader_set(test_loader);
    fs::create_directories(tmp.path / "run" / "data");
    fs::create_directories(tmp.path / "run" / "gfx");
    write("gfx/pic.ppm", ppm(301, 40));
    write_texts(
        "[Application]\r\nStartSplash=StartSplash\r\n"
        "[StartSplash_eng]\r\nBitmap=gfx\\pic.ppm\r\nText=I\r\nPosX=10\r\nPosY=5\r\n"
        "ColorR=255\r\nColorG=0\r\nColorB=0\r\n"
        "[StartSplash_fra]\r\nBitmap=gfx\\autre.ppm\r\nText=Chargement\r\nPosX=-3\r\nPosY=300\r\n"
        "ColorR=300\r\nColorG=-1\r\nColorB=511\r\n"
        "[StartSplash_ita]\r\nBitmap=gfx\\pic.ppm\r\nPosX=10\r\nPosY=5\r\nColorR=255\r\n"
        "[StartSplash_nld]\r\nText=Laden\r\nPosX=4\r\n"
        "[StartSplash_por]\r\nBitmap=gfx\\missing.ppm\r\n"
        "[StartSplash_deu]\r\nBitmap=gfx\\short.ppm\r\n"
        "[StartSplash_esp]\r\nBitmap=mem:pal8\r\nText=\r\n"
        "[StartSplash_bits]\r\nBitmap=mem:bpp1\r\n");
    // A picture cut short: the header promises more samples than follow.
    write("gfx/short.ppm", ppm(301, 40).substr(0, 2000));
  }
  void TearDown() override {
    vx_dsp_splash_free();
    vx_dsp_splash_loader_set(nullptr);
    DspTest::TearDown();
  }

  void write(const std::string& rel, const std::string& text) {
    std::ofstream(tmp.path / "run" / rel, std::ios::binary) << text;
  }
  void write_texts(const std::string& text) { write("data/texts.txt", text); }

  static int on(const char* section) { return vx_dsp_splash_on("data\\texts.txt", section, nullptr); }

  // The 3D table of the fixture with a recording put.
  void use_recording_put() {
    table = *fake_table();
    table.vx_bit_3d_put = record_put;
    app.table_3d = &table;
  }

  static PLAT_WINDOW* splash_window() { return vx_dsp_splash_window(); }
  static VX_DSP_RECT rect_of(PLAT_WINDOW* w) {
    VX_DSP_RECT r = {};
    plat_window_rect(w, &r.x, &r.y, &r.width, &r.height);
    return r;
  }
  // Pixel (x, y) of the window's last picture, as 0xRRGGBBAA.
  static uint32_t shown_pixel(PLAT_WINDOW* w, int x, int y) {
    int pw = 0, ph = 0;
    const uint8_t* p = plat_window_null_picture(w, &pw, &ph);
    if (!p || x < 0 || y < 0 || x >= pw || y >= ph) return 0xDEADBEEF;
    p += (y * pw + x) * 4;
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
  }
  static uint32_t reference(int x, int y) { return uint32_t(x & 255) << 24 | uint32_t(y * 4) << 16 | 200u << 8 | 255u; }
  static uint16_t screen_word(int x, int y) {
    const VX_BITMAP* s = vx_screen();
    uint16_t w;
    std::memcpy(&w, s->pixels + (long(y) * s->width + x) * 2, 2);
    return w;
  }
};

}  // namespace

// ---------------------------------------------------------------- the section

TEST_F(Splash, KeysOfAFullSection) {
  VX_DSP_SPLASH_KEYS k;
  ASSERT_EQ(vx_dsp_splash_keys_read("data\\texts.txt", "StartSplash_eng", &k), 1);
  EXPECT_STREQ(k.bitmap, "gfx\\pic.ppm");
  EXPECT_STREQ(k.text, "I");
  EXPECT_EQ(k.x, 10);
  EXPECT_EQ(k.y, 5);
  EXPECT_EQ(k.red, 255);
  EXPECT_EQ(k.green, 0);
  EXPECT_EQ(k.blue, 0);
}

TEST_F(Splash, TheLanguageSuffixPicksTheSection) {
  VX_DSP_SPLASH_KEYS k;
  ASSERT_EQ(vx_dsp_splash_keys_read("data\\texts.txt", "StartSplash_fra", &k), 1);
  EXPECT_STREQ(k.bitmap, "gfx\\autre.ppm");
  EXPECT_STREQ(k.text, "Chargement");
  EXPECT_EQ(k.x, -3);
  EXPECT_EQ(k.y, 300);
}

// ---------------------------------------------------------------- arithmetic

TEST_F(Splash, WidthRoundsUpToAMultipleOfFour) {
  EXPECT_EQ(vx_dsp_splash_width(301), 304);  // the documented edge case
  EXPECT_EQ(vx_dsp_splash_width(302), 304);
  EXPECT_EQ(vx_dsp_splash_width(304), 304);
  EXPECT_EQ(vx_dsp_splash_width(305), 308);
  EXPECT_EQ(vx_dsp_splash_width(1), 4);
  EXPECT_EQ(vx_dsp_splash_width(0), 0);
  EXPECT_EQ(vx_dsp_splash_width(-7), 0);
}

TEST_F(Splash, CentringHalvesTheDifference) {
  int x = 1, y = 1;
  vx_dsp_splash_centre(1024, 768, 304, 40, &x, &y);
  EXPECT_EQ(x, 360);
  EXPECT_EQ(y, 364);
  vx_dsp_splash_centre(641, 481, 300, 40, &x, &y);  // odd differences round toward zero
  EXPECT_EQ(x, 170);
  EXPECT_EQ(y, 220);
  vx_dsp_splash_centre(320, 240, 400, 300, &x, &y);  // larger than the area
  EXPECT_EQ(x, -40);
  EXPECT_EQ(y, -30);
}

// ---------------------------------------------------------------- the text line

// ---------------------------------------------------------------- the window

TEST_F(Splash, ShowsTheWidenedPictureCentredOnTheDesktop) {
  ASSERT_EQ(on("StartSplash_eng"), 1);
  EXPECT_EQ(loader_log().name, "gfx\\pic.ppm");
  EXPECT_EQ(loader_log().flags, 1);
  PLAT_WINDOW* w = splash_window();
  ASSERT_NE(w, nullptr);
  VX_DSP_RECT r = rect_of(w);
  EXPECT_EQ(r.width, 304);
  EXPECT_EQ(r.height, 40);
  EXPECT_EQ(r.x, 360);  // (1024 - 304) / 2 on the null desktop
  EXPECT_EQ(r.y, 364);
  EXPECT_TRUE(w->style & PLAT_WS_POPUP);
  EXPECT_EQ(w->shown, 1);
  EXPECT_EQ(plat_window_main(), nullptr) << "the splash is never the main window";
  ASSERT_NE(vx_dsp_splash_bitmap(), nullptr);
  EXPECT_EQ(vx_dsp_splash_bitmap()->width, 304);
  EXPECT_EQ(vx_dsp_splash_bitmap()->bpp, 24);
  EXPECT_EQ(plat_display_null_cursor_shown(), 0);
  EXPECT_EQ(boxes(), "");
}

// ---------------------------------------------------------------- no splash

TEST_F(Splash, AMissingPictureMeansNoSplash) {
  const long long used = vx_mem_used();
  EXPECT_EQ(on("StartSplash_por"), 0);
  EXPECT_EQ(loader_log().calls, 1);
  EXPECT_EQ(splash_window(), nullptr);
  EXPECT_EQ(vx_dsp_splash_bitmap(), nullptr);
  EXPECT_EQ(vx_mem_used(), used);
  EXPECT_EQ(plat_display_null_cursor_shown(), 1);
  EXPECT_EQ(boxes(), "") << "no message: the game goes on without a splash";
}

// ---------------------------------------------------------------- with the display

TEST_F(Splash, InAWindowTheMainWindowWaitsForTheSplashToGo) {
  write_settings("[Display]\nFullscreen=0\n");
  const long long used = vx_mem_used();
  ASSERT_EQ(on("StartSplash_eng"), 1);
  PLAT_WINDOW* s = splash_window();
  app.table_3d = nullptr;  // the 2D display paints the window itself
  ASSERT_EQ(start(VX_DSP_3D), 1);
  EXPECT_EQ(splash_window(), s) << "the display start keeps the splash";
  EXPECT_EQ(plat_window_main(), vx_dsp_window());
  EXPECT_EQ(vx_dsp_window()->shown, 0);
  EXPECT_EQ(shown_pixel(s, 0, 0), reference(0, 0));

  vx_dsp_splash_off();
  EXPECT_FALSE(plat_window_exists(s));
  EXPECT_EQ(splash_window(), nullptr);
  EXPECT_EQ(vx_dsp_splash_bitmap(), nullptr);
  EXPECT_EQ(vx_dsp_window()->shown, 1);
  EXPECT_STREQ(vx_dsp_window()->title, "Display Test");
  vx_dsp_deinit();
  EXPECT_EQ(vx_mem_used(), used) << "the splash freed everything";
}

TEST_F(Splash, The3dBackEndGetsThePictureCentred) {
  write_settings("[Display]\nResolution=640x480x16\n");
  use_recording_put();
  ASSERT_EQ(on("StartSplash_eng"), 1);
  ASSERT_EQ(start(), 1);
  auto it = std::find_if(puts_seen().begin(), puts_seen().end(),
                         [](const Put& p) { return p.bitmap == vx_dsp_splash_bitmap(); });
  ASSERT_NE(it, puts_seen().end()) << "the splash went to the 3D back end";
  const Put& p = *it;
  const VX_BITMAP* screen = vx_screen();
  EXPECT_EQ(p.dest.x, (screen->width - 304) / 2);
  EXPECT_EQ(p.dest.y, (screen->height - 40) / 2);
  EXPECT_EQ(p.dest.width, 304);
  EXPECT_EQ(p.dest.height, 40);
  EXPECT_EQ(p.src.x, 0);
  EXPECT_EQ(p.src.width, 304);
  EXPECT_EQ(p.src.height, 40);
  EXPECT_GT(fake().updates, 0) << "presented";
  EXPECT_EQ(vx_dsp_window()->shown, 0);

  const int clears = fake().clears, updates = fake().updates;
  vx_dsp_splash_off();
  EXPECT_EQ(splash_window(), nullptr);
  EXPECT_EQ(vx_dsp_window()->shown, 1);
  EXPECT_EQ(fake().clears, clears + 1);
  EXPECT_EQ(fake().updates, updates + 1);
}
