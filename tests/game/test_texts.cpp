// Languages, messages, texts and the language screen on small files written for each test (defaults and warnings of the files, where messages go and what they say, the language switch, the choice on the language screen), and the shipped messages of every language measured against the default font.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "display/vx_blit.h"
#include "display/vx_screen.h"
#include "game/credits.h"
#include "game/game_state.h"
#include "game/language_screen.h"
#include "game/languages.h"
#include "game/menus.h"
#include "game/messages.h"
#include "game/rules.h"
#include "game/texts.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"
#include "toolkit/vx_font.h"
#include "world/engine_error.h"
#include "world/image/img_load.h"

namespace {

std::vector<std::string> fatal;
void record_fatal(const char*, const char* text, int, void*) { fatal.push_back(text ? text : ""); }

// Languages in the form "abbreviation:Number" (an empty string: not included).
std::string language_file(const std::vector<std::string>& slots, int default_position, int multi) {
  std::string s = "[Languages]\nNumLanguages=" + std::to_string(slots.size()) + "\nDefault=" +
                  std::to_string(default_position) + "\nMultiLanguages=" + std::to_string(multi) + "\n", sections;
  for (size_t i = 0; i < slots.size(); i++) {
    if (slots[i].empty()) continue;
    const std::string n = (i < 9 ? "0" : "") + std::to_string(i + 1), abbr = slots[i].substr(0, 3);
    s += "Included_" + n + "=1\nLanguage_" + n + "=L" + abbr + "\n";
    sections += "[L" + abbr + "]\nName=Name " + abbr + "\nAbbreviation=" + abbr + "\nNumber=" + slots[i].substr(4) + "\n";
  }
  return s + sections;
}

class Texts : public support::EngineTest {
 protected:
  support::TempFolder tmp;
  Texts() : EngineTest(1 << 25) {}
  void SetUp() override {
    EngineTest::SetUp();
    static VX_IO_SETTINGS io = {0, nullptr, nullptr};
    vx_io_init(&io);
    vx_io_user_folder_prepare("Test.ini", "Texts Test");
    Engine_Error_Sink(record_fatal, nullptr);
    fatal.clear();
    game_state_reset(&g_game);
  }
  void TearDown() override {
    messages_free(messages_current());
    credits_free();
    menus_free();
    language_screen_free();
    languages_stop();
    Engine_Error_Sink(nullptr, nullptr);
    vx_io_deinit();
    vx_dsp_resize_lists_clear();
    game_state_reset(&g_game);
    EngineTest::TearDown();
  }
  void file(const std::string& name, const std::string& text) {
    support::TempFolder::write(tmp.path / "run" / name, text);
  }
  // One message section per entry of `keys` (its key lines), numbered from 1.
  MESSAGE_TABLE* load_messages(const std::vector<std::string>& keys) {
    std::string s = "[Messages]\r\nNumMessages=" + std::to_string(keys.size()) + "\r\n", sections;
    for (size_t i = 0; i < keys.size(); i++) {
      char n[64];
      std::snprintf(n, sizeof n, "Message_%02zu=M%zu\r\n", i + 1, i + 1);
      s += n;
      sections += "[M" + std::to_string(i + 1) + "]\r\n" + keys[i];
    }
    file("data/m.txt", s + sections);
    return messages_load("data\\m.txt");
  }
  static std::string layout(const MESSAGE_TABLE* t, int n, VX_RECT* r = nullptr, int w = 640, int h = 480) {
    char text[MESSAGE_TEXT];
    VX_RECT unused;
    return message_layout(t, n, w, h, text, r ? r : &unused) ? text : "(none)";
  }
};

// ---------------------------------------------------------------- the language table

TEST_F(Texts, LanguageTableDefaultsAndWarnings) {
  // The second slot is included without a section name: a warning, an empty entry.
  file("data/lng.txt", "[Languages]\r\nNbLanguages=3\r\nDefault=2\r\nIncluded_01=1\r\nLanguage_01=A\r\n"
                       "Included_02=1\r\nIncluded_03=1\r\nLanguage_03=B\r\n[A]\r\nName=Alpha\r\nNumber=7\r\n"
                       "[B]\r\nName=Beta\r\nAbbreviation=bbb\r\nCharacters=2\r\n");
  VX_LANGUAGES* t = languages_start("data\\lng.txt");
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(boxed("Alert|Sorry, I can't find language Language_02 in data\\lng.txt"));
  EXPECT_STREQ(t->entries[1].name, "");
  // Default names the empty entry: the first existing one is current. Characters is 1 when missing.
  EXPECT_EQ(nums(t->count, t->current, t->entries[0].characters, t->entries[2].characters), nums(3, 0, 1, 2));
  // Number 0 (missing) belongs to Beta, never to the empty entry that also reads 0.
  EXPECT_EQ(language_select(t, 0) * 10 + t->current, 10 + 2);
  EXPECT_EQ(language_select(t, 99) * 10 + t->current, 0 + 2);
  file("data/none.txt", "[Languages]\r\nDefault=1\r\n");
  EXPECT_EQ(languages_load("data\\none.txt"), nullptr);
}

TEST_F(Texts, SavedChoiceCountsOnlyWithMultiLanguages) {
  vx_io_ini_set_int("Application", "Language", 3, vx_io_settings_path());
  for (int multi : {0, 1}) {
    file("data/lng.txt", language_file({"eng:1", "fra:2", "deu:3"}, 1, multi));
    EXPECT_EQ(languages_start("data\\lng.txt")->current, multi ? 2 : 0) << "multi " << multi;
  }
}

// ---------------------------------------------------------------- messages

TEST_F(Texts, RectanglesFromPercentAndPixels) {
  struct Case { const char* value; int ok; VX_RECT r; } cases[] = {
      {"-20,-30,50,10", 1, {20, 30, 320, 48}},  // x, y of 0 or less are pixels
      {"10,50,25,10", 1, {64, 240, 160, 48}},
      {"0,0,100,100", 1, {0, 0, 640, 480}},
      {"5,5,0,-10", 1, {32, 24, 0, 0}},  // no size is no size
      {"1,2,3", 0, {}},
      {"a,b,c,d", 0, {}},
  };
  for (const Case& c : cases) {
    VX_RECT r = {};
    EXPECT_EQ(message_rect_parse(c.value, &r), c.ok) << c.value;
    EXPECT_EQ(nums(r.x, r.y, r.width, r.height), nums(c.r.x, c.r.y, c.r.width, c.r.height)) << c.value;
  }
}

TEST_F(Texts, MessageKeysAndTheirDefaults) {
  MESSAGE_TABLE* t = load_messages({"Text=Plain\r\n", "Text=A\r\nRect=1,2,3\r\nFont=2\r\nFormat= \r\n"});
  ASSERT_NE(t, nullptr);
  VX_RECT r;
  EXPECT_EQ(layout(t, 1, &r), "Plain");
  EXPECT_EQ(nums(r.x, r.y, r.width, r.height), nums(10, 50, 300, 40));
  EXPECT_EQ(t->messages[0]->flags * 1000 + t->messages[1]->flags, 268 * 1000 + 260) << "Font 1 (default) or other";
  EXPECT_EQ(t->messages[1]->format, nullptr) << "a Format of one space is no format";
  messages_free(t);
  // A missing section name: the warning, and nothing to draw there.
  file("data/m.txt", "[Messages]\r\nNumMessages=2\r\nMessage_01=M1\r\n[M1]\r\nText=One\r\n");
  t = messages_load("data\\m.txt");
  EXPECT_TRUE(boxed("Alert|Sorry, I can't find Message Message_02 in data\\m.txt"));
  EXPECT_EQ(layout(t, 2, &r), "(none)");
  EXPECT_EQ(layout(t, 3, &r), "(none)");
  messages_free(t);
}

TEST_F(Texts, FormatsFillTheTextFromTheGame) {
  GameState& gs = g_game;
  std::snprintf(gs.text_buffer, sizeof gs.text_buffer, "%s", "120   ");
  gs.time_min = 2, gs.time_sec = 5, gs.time_tick = 9, gs.bonus_chunks = 12;
  std::vector<std::string> keys(18, "Text=T\r\n");
  keys[0] = "Text=T\r\nFormat=%s\r\n";  // messages 1 and 2 are never rebuilt
  keys[2] = "Text=T\r\nFormat=Score: %s\r\n";
  keys[7] = "Text=T\r\nFormat=%d:%02d.%02d\r\n";
  keys[11] = "Text=T\r\nFormat=100%%\r\n";
  keys[17] = "Text=T\r\nFormat=+%d\r\n";
  MESSAGE_TABLE* t = load_messages(keys);
  EXPECT_EQ(layout(t, 1), "T");
  EXPECT_EQ(layout(t, 3), "Score: 120   ");
  EXPECT_EQ(layout(t, 8), "2:05.09");
  EXPECT_EQ(layout(t, 12), "100%");
  EXPECT_EQ(layout(t, 18), "+12");
  messages_free(t);
  // Formats that do not take what the message is given leave the text as it is.
  for (const char* bad : {"%d", "%s %s", "%n", "%*d", "%ls", "50%"}) {
    t = load_messages({"", "", std::string("Text=Kept\r\nFormat=") + bad + "\r\n"});
    EXPECT_EQ(layout(t, 3), "Kept") << bad;
    messages_free(t);
  }
}

TEST_F(Texts, MessagesMoveByNumberOnlyWithAFormat) {
  GameState& gs = g_game;
  std::vector<std::string> keys(14, "Text=T\r\nRect=10,10,20,10\r\nFormat=F\r\n");
  keys[9] = "Text=T\r\nRect=10,10,20,10\r\nFormat=%s\r\n";
  keys[10] = keys[9];
  MESSAGE_TABLE* with = load_messages(keys);
  MESSAGE_TABLE* without = load_messages(std::vector<std::string>(14, "Text=T\r\nRect=10,10,20,10\r\n"));
  auto at = [](MESSAGE_TABLE* t, int n, int w = 640, int h = 480) {
    VX_RECT r;
    layout(t, n, &r, w, h);
    return nums(r.x, r.y);
  };
  // Reference values: the position rules worked by hand for these timers.
  gs.frog.state_timer = 0;  // cos 1, sin 0
  EXPECT_EQ(at(with, 13), nums(64, 60 + 160));
  EXPECT_EQ(at(with, 14), nums(192, 220));
  gs.frog.state_timer = 50;  // 50 / 32 rad: cos 0.0083, sin 0.99996 (x 213 = 212.99)
  EXPECT_EQ(at(with, 14, 1024, 768), nums(212 + 307, 0 + 256));
  gs.title_x = 60.5f;
  EXPECT_EQ(at(with, 10, 1024, 768)[0], 516);
  gs.bonus_text_timer = 100, gs.bonus_text_y = -10.0f;  // sin(3.125) = 0.0166
  EXPECT_EQ(at(with, 11), nums(2, -40));
  for (int n : {10, 11, 13, 14}) EXPECT_EQ(at(without, n), nums(64, 48)) << n;
  messages_free(with);
  messages_free(without);
}

TEST_F(Texts, RectanglesFollowTheScreen) {
  ASSERT_TRUE(vx_screen_alloc(640, 480, 16));
  vx_screen_pixels_free();
  MESSAGE_TABLE* t = load_messages({"Text=T\r\nRect=-20,-30,50,10\r\n"});
  vx_screen_resize(1280, 960, 0, 0);
  EXPECT_EQ(nums(t->messages[0]->rect.x, t->messages[0]->rect.y, t->messages[0]->rect.width), nums(40, 60, 640));
  VX_RECT* freed = &t->messages[0]->rect;  // compared, never read
  messages_free(t);
  EXPECT_EQ(vx_dsp_rect_remove(freed), 0) << "freed messages leave the list";
  vx_screen_free();
}

// ---------------------------------------------------------------- texts, rolling lines, the switch

TEST_F(Texts, TextFilesAndTheirFailures) {
  EXPECT_EQ(texts_load("xyz"), 0);
  file("data/texts.xyz", "1\r\n");
  EXPECT_EQ(texts_load("xyz"), 0);
  EXPECT_EQ(fatal, (std::vector<std::string>{"Error: Can't load texts!!", "Error: Can't load bonus texts!!"}));
  file("data/bonustxt.xyz", "Zero\r\nOne\r\n");
  file("level/level4.def", "x");
  file("level/level4.txt", "[Level]\r\nlevel_title.xyz=Titre\r\n");
  std::snprintf(g_game.def_path, sizeof g_game.def_path, "%s", "level\\level4.def");
  EXPECT_EQ(texts_load("xyz"), 1);
  EXPECT_EQ(std::string(bonus_text(1)) + "|" + bonus_text(7) + "|" + g_game.level_title + "|" + g_game.language_abbrev,
            "One||Titre|xyz");
  EXPECT_EQ(g_game.level_title_len, 5);
}

TEST_F(Texts, RollingLinesUpToAnEmptyLineAndNoMoreThan95) {
  file("data/c.txt", "One\r\nTwo\r\n\r\nNot read\r\n");
  EXPECT_EQ(credits_load("data\\c.txt") * 10 + credits_count(), 10 + 2);
  std::string many;
  for (int i = 0; i < 96; i++) many += "Line\r\n";
  file("data/c.txt", many);
  EXPECT_EQ(credits_load("data\\c.txt"), 0);
  EXPECT_EQ(credits_load("data\\missing.txt"), 0);
  EXPECT_EQ(fatal, (std::vector<std::string>{"Error: MAX_CREDITS exceeded", "Error: Cannot open credits file"}));
}

TEST_F(Texts, TheSwitchReplacesWhatTheLanguageNamesAndKeepsTheRest) {
  file("data/lng.txt", language_file({"aaa:1", "bbb:2"}, 1, 1));
  ASSERT_NE(languages_start("data\\lng.txt"), nullptr);
  file("data/texts.txt", "[Messages]\r\nMessages_aaa=data\\ma.txt\r\nCredits_aaa=data\\ca.txt\r\n"
                         "Messages_bbb=data\\mb.txt\r\n[Menus]\r\nMenu_aaa=data\\menus.txt\r\nMenu_bbb=data\\menus.txt\r\n"
                         "[Help]\r\nHelp_bbb=data\\hb.txt\r\n");
  for (const char* a : {"aaa", "bbb"}) {
    file(std::string("data/texts.") + a, "");
    file(std::string("data/bonustxt.") + a, std::string("Bonus ") + a + "\r\n");
    file(std::string("data/m") + a[0] + ".txt", std::string("[Messages]\r\nNumMessages=1\r\nMessage_01=X\r\n[X]\r\nText=") + a + "\r\n");
  }
  file("data/ca.txt", "Rolling\r\n");
  file("data/menus.txt", "[Quit Game]\r\nNumLines=1\r\nType_01=4\r\nValue_01=7001\r\nNotif_01=2\r\nLine_01=Yes\r\n");
  language_apply();
  EXPECT_EQ(Texts::layout(messages_current(), 1), "aaa");
  g_game.current_menu = MENU_QUIT_GAME;
  vx_menu_show(menu_get(MENU_QUIT_GAME), 1);
  language_select(languages_table(), 2);
  language_apply();
  EXPECT_EQ(Texts::layout(messages_current(), 1), "bbb");
  EXPECT_STREQ(bonus_text(0), "Bonus bbb");
  EXPECT_STREQ(credits_line(0), "Rolling") << "no Credits key: the lines stay";
  EXPECT_EQ(menu_get(MENU_QUIT_GAME)->shown, 1) << "the current menu is shown again";
  EXPECT_STREQ(language_help_file(), "data\\hb.txt");
}

// ---------------------------------------------------------------- the language screen

TEST_F(Texts, OneLanguageStillWaitsForItsKeyAndRowsWrap) {
  file("data/lng.txt", language_file({"", "fra:2"}, 1, 1));
  ASSERT_NE(languages_start("data\\lng.txt"), nullptr);
  ASSERT_EQ(read_languages(), 1);
  for (int i = 0; i < 5; i++) language_screen_frame();
  EXPECT_EQ(nums(language_screen_count(), g_game.language_chosen, language_screen_number()), nums(1, 0, 2));
  language_screen_confirm();
  int saved = 0;
  vx_io_ini_get_int("Application", "Language", &saved, vx_io_settings_path());
  EXPECT_EQ(nums(g_game.language_chosen, g_game.language_number, saved), nums(1, 2, 2));
  // Rows count included languages only, and wrap at both ends.
  file("data/lng.txt", language_file({"eng:1", "", "deu:3", "ita:5"}, 1, 1));
  languages_start("data\\lng.txt");
  read_languages();
  language_screen_move(-1);
  EXPECT_EQ(language_screen_row() * 10 + language_screen_number(), 2 * 10 + 5);
  language_screen_move(1);
  EXPECT_EQ(language_screen_number(), 1);
}

TEST_F(Texts, LayoutKeptWhereItFitsAndShrunkWhereItWouldNot) {
  const int names[6] = {7, 8, 7, 7, 8, 9};
  LANGUAGE_LAYOUT l;
  language_screen_layout(1024, 768, 18, names, 6, &l);  // unscaled: the positions as drawn at any size that fits
  EXPECT_EQ(nums(l.title.x, l.title.y, l.names[5].x, l.names[5].y, l.flag_left[5].x, l.flag_right[5].x),
            nums(208, 256, 224, 704, 153, 816));
  // 800 x 600 holds the picture once it is centred; 640 x 480 only shrunk.
  for (const auto& size : {std::pair{640, 480}, std::pair{800, 600}}) {
    language_screen_layout(size.first, size.second, 18, names, 6, &l);
    EXPECT_TRUE((l.scale < 1.0f) == (size.first == 640) && l.title.y >= 0) << size.first;
    for (int k = 0; k < 6; k++)  // inside the screen, rows not overlapping
      EXPECT_TRUE(l.flag_left[k].x >= 0 && l.flag_right[k].x + l.flag_right[k].width <= size.first &&
                  l.names[k].y + l.names[k].height <= size.second &&
                  (k == 0 || l.names[k].y >= l.names[k - 1].y + l.names[k - 1].height))
          << size.first << " row " << k;
  }
}

// ---------------------------------------------------------------- the shipped messages' shapes

// Messages are scaled into their rectangles without keeping the font's aspect: how far a
// text may be stretched (above 1) or squeezed (below 1) across before it reads badly.
constexpr double kLeast = 0.6, kMost = 1.6;

struct Variant { std::string s; int min = 2, sec = 57, tick = 30, chunks = 0; };  // buffer and game state

std::string read_key(const char* section, const std::string& key, const char* file) {
  char v[300];
  return vx_io_ini_get_string(section, key.c_str(), v, sizeof v - 1, file) ? v : "";
}

// A text longer than its field would lose its end.
Variant padded(const std::string& text, int width, int mode) {
  EXPECT_LE(text.size(), size_t(width)) << "cut by its field: " << text;
  char out[GAME_PATH_LEN];
  pad_text(out, text.c_str(), width, mode);
  return {out};
}

std::vector<Variant> lines_padded(const std::string& name, int width) {
  std::vector<Variant> out;
  VX_IO_FILE* f = vx_io_fopen(name.c_str(), "rt");
  char line[256];
  while (f && vx_io_fgets(line, sizeof line, f) && line[0]) out.push_back(padded(line, width, 2));
  if (f) vx_io_fclose(f);
  return out;
}

std::vector<Variant> variants(int n, const std::string& a) {
  std::vector<Variant> v;
  switch (n) {  // the texts a message is filled in with, padded as the play screen pads them
    case 3: return {padded("0", RULES_SCORE_FIELD, 1), padded("123456", RULES_SCORE_FIELD, 1)};
    case 7: return lines_padded(read_key("Messages", "Credits_" + a, "data\\texts.txt"), RULES_ROLLING_FIELD);
    case 8: return {{"", 0, 0, 0}, {"", 9, 59, 59}};
    case 10:
      for (int level = 0; level < GAME_LEVEL_COUNT; level++) {
        const std::string file = "level\\level" + std::to_string(level) + ".txt";
        const std::string title = read_key("Level", "level_title." + a, file.c_str());
        EXPECT_FALSE(title.empty()) << file;
        v.push_back(padded(title, RULES_TITLE_FIELD, 1));
      }
      return v;
    case 11: return lines_padded("data\\bonustxt." + a, RULES_BONUS_TEXT_FIELD);
    case 18: return {{"", 2, 57, 30, 0}, {"", 2, 57, 30, 360}};
    default: return {{""}};
  }
}

TEST_F(Texts, EveryShippedMessageOfEveryLanguageKeepsItsShape) {
  std::filesystem::current_path(PS_DATATREE);  // the fixture's folder puts the old one back
  static VX_FONT_SETTINGS fonts = {0};
  vx_font_picture_loader_set(vx_img_load);
  vx_font_init(&fonts);
  VX_FONT font = {};
  const std::string font_file = read_key("Application", "FNTFile", "data\\texts.txt");
  ASSERT_EQ(vx_font_load(&font, font_file.c_str(), VX_FONT_LOAD_PALETTE | VX_FONT_LOAD_TRIM), 1);
  VX_LANGUAGES* table = languages_start(read_key("Application", "LNGFile", "data\\texts.txt").c_str());
  ASSERT_NE(table, nullptr);
  int languages = 0;
  for (int i = 0; i < table->count; i++) {
    const std::string a = table->entries[i].abbreviation;
    if (a.empty()) continue;
    languages++;
    MESSAGE_TABLE* t = messages_load(read_key("Messages", "Messages_" + a, "data\\texts.txt").c_str());
    ASSERT_NE(t, nullptr) << a;
    for (int n = 1; n <= t->count; n++) {
      if (n == 6) continue;  // the owed steps: never drawn
      for (const Variant& v : variants(n, a)) {
        GameState& gs = g_game;
        std::snprintf(gs.text_buffer, sizeof gs.text_buffer, "%s", v.s.c_str());
        gs.time_min = v.min, gs.time_sec = v.sec, gs.time_tick = v.tick, gs.bonus_chunks = v.chunks;
        char text[MESSAGE_TEXT];
        VX_RECT r, size;
        ASSERT_TRUE(message_layout(t, n, 640, 480, text, &r)) << a << " message " << n;
        if (!text[0]) continue;
        vx_font_measure(&font, text, &size, t->messages[n - 1]->flags & VX_FONT_PROPORTIONAL);
        ASSERT_TRUE(size.width > 0 && r.height > 0) << a << " message " << n;
        const double stretch = (double(r.width) / r.height) / (double(size.width) / size.height);
        EXPECT_TRUE(stretch >= kLeast && stretch <= kMost) << a << " message " << n << " \"" << text << "\" " << stretch;
      }
    }
    messages_free(t);
  }
  EXPECT_EQ(languages, 6);
  vx_font_free(&font);
  vx_font_deinit();
}

}  // namespace
