// The shipped messages of every language as the game draws them at 640 x 480: each text, padded as the play screen pads it, is scaled into its rectangle without keeping the default font's aspect, so the rectangle's shape must suit the text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "core/vx_mem.h"
#include "display/vx_blit.h"
#include "game/game_state.h"
#include "game/languages.h"
#include "game/messages.h"
#include "game/rules.h"
#include "toolkit/vx_font.h"
#include "world/image/img_load.h"

namespace {

// How far a text may be stretched (above 1) or squeezed (below 1) across
// against its height before it reads badly.
constexpr double kLeast = 0.6, kMost = 1.6;

struct Variant {
  std::string what;  // for the failure message
  std::string s;     // the shared text buffer as the play screen fills it (may be empty)
  int min = 2, sec = 57, tick = 30, chunks = 0;
};

std::string read_key(const char* section, const std::string& key, const char* file) {
  char v[300];
  return vx_io_ini_get_string(section, key.c_str(), v, sizeof v - 1, file) ? v : "";
}

std::vector<std::string> lines_of(const std::string& name) {
  std::vector<std::string> out;
  VX_IO_FILE* f = vx_io_fopen(name.c_str(), "rt");
  char line[256];
  while (f && vx_io_fgets(line, sizeof line, f) && line[0]) out.push_back(line);
  if (f) vx_io_fclose(f);
  return out;
}

// Texts padded as the play screen pads them; a text longer than its field
// would lose its end (or half a character).
std::string padded(const std::string& text, int width, int mode) {
  EXPECT_LE(text.size(), size_t(width)) << "cut by its field: " << text;
  char out[GAME_PATH_LEN];
  pad_text(out, text.c_str(), width, mode);
  return out;
}

std::vector<Variant> variants(int n, const std::string& a) {
  std::vector<Variant> v;
  switch (n) {
    case 3:
      for (const char* score : {"0", "123456"}) v.push_back({score, padded(score, 6, 1)});
      break;
    case 7:
      for (const std::string& l : lines_of(read_key("Messages", "Credits_" + a, "data\\texts.txt")))
        v.push_back({l, padded(l, 25, 2)});
      break;
    case 8:
      v.push_back({"0:00.00", "", 0, 0, 0});
      v.push_back({"9:59.59", "", 9, 59, 59});
      break;
    case 10:
      for (int level = 0; level < GAME_LEVEL_COUNT; level++) {
        const std::string file = "level\\level" + std::to_string(level) + ".txt";
        const std::string title = read_key("Level", "level_title." + a, file.c_str());
        EXPECT_FALSE(title.empty()) << file;
        v.push_back({title, padded(title, 50, 1)});
      }
      break;
    case 11:
      for (const std::string& b : lines_of("data\\bonustxt." + a)) v.push_back({b, padded(b, 20, 2)});
      break;
    case 18:
      for (int chunks : {0, 360}) v.push_back({std::to_string(chunks), "", 2, 57, 30, chunks});
      break;
    default: v.push_back({"", ""});
  }
  return v;
}

class MessageAspect : public testing::Test {
 protected:
  void SetUp() override {
    old_ = std::filesystem::current_path();
    std::filesystem::current_path(PS_DATATREE);
    static VX_ERROR_SETTINGS quiet;
    quiet = {0};
    vx_error_init(&quiet);
    static VX_MEM_SETTINGS mem;
    mem = {0, 1 << 25};
    vx_mem_init(&mem);
    static VX_IO_SETTINGS io;
    io = {0, nullptr, nullptr};
    vx_io_init(&io);
    static VX_FONT_SETTINGS fonts;
    fonts = {0};
    vx_font_picture_loader_set(vx_img_load);
    vx_font_init(&fonts);
    game_state_reset(&g_game);
  }
  void TearDown() override {
    vx_font_free(&font_);
    vx_font_deinit();
    vx_io_deinit();
    EXPECT_EQ(vx_mem_deinit(), 1);
    vx_error_deinit();
    vx_dsp_resize_lists_clear();
    game_state_reset(&g_game);
    std::filesystem::current_path(old_);
  }
  VX_FONT font_ = {};
  std::filesystem::path old_;
};

TEST_F(MessageAspect, EveryMessageOfEveryLanguageKeepsItsShape) {
  ASSERT_EQ(vx_font_load(&font_, "data\\menu.fnt", VX_FONT_LOAD_PALETTE | VX_FONT_LOAD_TRIM), 1);
  VX_LANGUAGES* table = languages_load("data\\language.txt");
  ASSERT_NE(table, nullptr);
  int languages = 0;
  for (int i = 0; i < table->count; i++) {
    const std::string a = table->entries[i].abbreviation;
    if (a.empty()) continue;
    languages++;
    MESSAGE_TABLE* t = messages_load(read_key("Messages", "Messages_" + a, "data\\texts.txt").c_str());
    ASSERT_NE(t, nullptr) << a;
    double worst = 1;
    std::string worst_what;
    for (int n = 1; n <= t->count; n++) {
      if (n == 6) continue;  // the owed steps: never drawn
      for (const Variant& v : variants(n, a)) {
        GameState& gs = g_game;
        std::snprintf(gs.text_buffer, sizeof gs.text_buffer, "%s", v.s.c_str());
        gs.time_min = v.min, gs.time_sec = v.sec, gs.time_tick = v.tick, gs.bonus_chunks = v.chunks;
        char text[MESSAGE_TEXT];
        VX_RECT r;
        ASSERT_TRUE(message_layout(t, n, 640, 480, text, &r)) << a << " message " << n;
        if (!text[0]) continue;
        VX_RECT size;
        vx_font_measure(&font_, text, &size, t->messages[n - 1]->flags & VX_FONT_PROPORTIONAL);
        ASSERT_GT(size.width, 0);
        ASSERT_GT(r.height, 0) << a << " message " << n;
        const double stretch = (double(r.width) / r.height) / (double(size.width) / size.height);
        EXPECT_GE(stretch, kLeast) << a << " message " << n << " \"" << text << "\"";
        EXPECT_LE(stretch, kMost) << a << " message " << n << " \"" << text << "\"";
        if (std::max(stretch, 1 / stretch) > std::max(worst, 1 / worst))
          worst = stretch, worst_what = "message " + std::to_string(n) + " \"" + text + "\"";
      }
    }
    std::printf("%s: worst stretch %.2f, %s\n", a.c_str(), worst, worst_what.c_str());
    messages_free(t);
  }
  EXPECT_EQ(languages, 6);
  languages_free(table);
}

}  // namespace
