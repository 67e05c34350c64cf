// Text-defined menus: loading faults, both layouts, the resize list, navigation, timing, notifications and drawing against golden pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "display/vx_bit_save.h"
#include "display/vx_blit.h"
#include "display/vx_pal.h"
#include "display/vx_screen.h"
#include "tests/support/temp_folder.h"
#include "tests/support/engine_fixture.h"
#include "toolkit/vx_menu.h"
#include "world/image/img_load.h"

namespace {

const std::string kFixtures = std::string(PS_TEST_DATA) + "/toolkit/";

std::vector<int> raised, levels;  // "Menu" codes shown; translucency levels set
std::vector<double> sent;         // value and code of each notification
VX_MENU_LINE* sent_by;            // the line of the latest one

int record_box(const char*, const char* caption, unsigned) {
  if (!std::strcmp(caption, "Alert") && !std::strcmp(vx_error_module_name(vx_error_current_module()), "Menu"))
    raised.push_back(vx_error_current_code());
  return 1;
}
void record_notify(int v, int code, VX_MENU_LINE* line) { sent.push_back(v), sent.push_back(code), sent_by = line; }

std::vector<double> rect(const VX_RECT& r) { return nums(r.x, r.y, r.width, r.height); }

class MenuTest : public testing::Test {
 protected:
  VX_MENU menu{};
  VX_FONT font{};
  VX_BITMAP target{};  // 640 x 480, 8 bits, the font's palette
  VX_MENU_SETTINGS settings{1, 640, 480, [](int p) { levels.push_back(p); }};
  support::TempFolder tmp;

  void SetUp() override {
    static const VX_ERROR_SETTINGS errors{0};
    static const VX_MEM_SETTINGS mem = {0, 1 << 22};  // the modules keep pointers to their settings
    static const VX_IO_SETTINGS io{0, nullptr, nullptr};
    static const VX_FONT_SETTINGS fonts{0};
    vx_error_init(&errors);
    vx_error_set_box(record_box);
    vx_mem_init(&mem);
    vx_io_init(&io);
    vx_font_init(&fonts);
    vx_font_picture_loader_set(vx_img_load);
    ASSERT_EQ(vx_font_load(&font, (kFixtures + "blocks.fnt").c_str(), 3), 1);
    const VX_RECT screen = {0, 0, 640, 480};
    vx_bit_alloc(&target, &screen, VX_BIT_BPP8);
    target.palette = vx_pal_ref(font.palette);
    vx_menu_init(&settings);
    raised.clear(), levels.clear(), sent.clear();
  }
  void TearDown() override {
    vx_menu_free(&menu);
    vx_font_free(&font);
    vx_bit_free(&target);
    vx_screen_free();
    vx_font_deinit();
    vx_io_deinit();
    vx_bit_scale_buffer_free();
    EXPECT_EQ(vx_mem_deinit(), 1) << "a menu block was left allocated";
    vx_error_set_box(nullptr);
    vx_error_deinit();
  }
  // Loads section [M] with `body` as its keys.
  int load(const std::string& body, int flags = 0) {
    std::ofstream("m.txt", std::ios::binary) << "[M]\n" << body;
    return vx_menu_load(&menu, "m.txt", "M", nullptr, record_notify, &font, flags);
  }
  VX_MENU_TEXT& text(int line, int t = 0) { return menu.lines[line]->texts[t]; }
  // Type, texts, value, mask, spacing and align of every line ("-" for none).
  std::string lines() const {
    std::string s;
    for (int i = 0; i < menu.line_count; i++) {
      const VX_MENU_LINE* l = menu.lines[i];
      char b[80] = "-";
      if (l) std::snprintf(b, sizeof b, "%d/%d/%d/%d/%d/%d", l->type, l->text_count, l->value, l->notify_mask,
                           l->spacing, l->align);
      s += (i ? " " : "") + std::string(b);
    }
    return s;
  }
};

// Keys of one complete line NN of kind `type` with text `line`, value 100NN and notify mask `mask`.
std::string line_keys(int n, int type, const std::string& line, const std::string& extra = "", int mask = 2) {
  const std::string nn = (n < 10 ? "_0" : "_") + std::to_string(n);
  return "Type" + nn + "=" + std::to_string(type) + "\nValue" + nn + "=100" + std::to_string(n) + "\nNotif" + nn + "=" +
         std::to_string(mask) + "\nFont" + nn + "=1\nAlign" + nn + "=1\n" + extra + "Line" + nn + "=" + line + "\n";
}

TEST_F(MenuTest, EachMissingOrBadKeyGivesItsDefaultAndMessage) {
  constexpr int FORMAT = VX_MENU_ERR_FORMAT, LINE = VX_MENU_ERR_LINE, SIZE = VX_MENU_ERR_SIZE;
  struct Case { const char* name; std::string body; int result; std::vector<int> codes; std::string lines; };
  const std::string head = "NumLines=1\nPosition=10,10,80,80\n";
  // Position: percent of 640 x 480, pixels when zero or negative, else 25,25,50,50 and a report.
  const std::pair<const char*, std::vector<double>> positions[] = {
      {"10,10,80,80", nums(64, 48, 512, 384)}, {"-20,-30,50,50", nums(20, 30, 320, 240)},
      {"0,0,100,100", nums(0, 0, 640, 480)},   {"10,10,80", nums(160, 120, 320, 240)},
      {"a,b,c,d", nums(160, 120, 320, 240)},   {"", nums(160, 120, 320, 240)}};
  for (const auto& [position, want] : positions) {
    raised.clear();
    ASSERT_EQ(load(std::string("NumLines=0\nPosition=") + position + "\n"), 1);
    EXPECT_EQ(nums(menu.rect.x, menu.rect.y, menu.rect.width, menu.rect.height), want) << position;
    EXPECT_EQ(raised.size(), want[0] == 160 ? 1u : 0u) << position;
    vx_menu_free(&menu);
  }
  const Case cases[] = {
      {"no line count", "Position=10,10,80,80\n", 0, {LINE}, ""},
      {"old line count", "NbLines=1\nPosition=1,1,1,1\n" + line_keys(1, 4, "A"), 1, {}, "4/1/1001/2/1/1"},
      {"no type", head + "Line_01=A\n", 1, {FORMAT}, "-"},
      {"unknown kind", head + "Type_01=3\n", 1, {FORMAT}, "-"},
      {"unknown kind under visibility bits", head + "Type_01=19\n", 1, {FORMAT}, "-"},
      {"option list without count", head + line_keys(1, 8, "A"), 1, {FORMAT}, "8/1/1001/2/1/1"},
      {"two texts: Line_01_02 missing", head + line_keys(1, 64, "", "NbOptions_01=2\nLine_01_01=A\n"), 1, {LINE},
       "64/2/1001/2/1/1"},
      {"static line reads no value", head + "Type_01=1\nFont_01=0\nAlign_01=3\nLine_01=A\n", 1, {}, "1/1/0/0/0/3"},
      {"item without value or mask", head + "Type_01=772\nFont_01=1\nAlign_01=2\nLine_01=A\n", 1, {FORMAT, FORMAT},
       "772/1/0/0/1/2"},
      {"no spacing or alignment", head + "Type_01=1\nLine_01=A\n", 1, {LINE, LINE}, "1/1/0/0/1/1"},
      {"missing text", head + "Type_01=1\nFont_01=1\nAlign_01=1\n", 1, {LINE}, "1/1/0/0/1/1"},
      {"empty text", head + "Type_01=1\nFont_01=1\nAlign_01=1\nLine_01=\n", 1, {}, "1/1/0/0/1/1"},
      {"no space", "NumLines=2\nPosition=1,1,9,9\n" + line_keys(1, 4, "A") + line_keys(2, 4, "B"), 1, {SIZE},
       "4/1/1001/2/1/1 4/1/1002/2/1/1"},  // and no room: lines 0 high
      {"0 high", "NumLines=2\nSpace=4\nPosition=1,1,9,1\n" + line_keys(1, 1, "A") + line_keys(2, 1, "B"), 1, {SIZE},
       "1/1/0/0/1/1 1/1/0/0/1/1"},  // (4 - 4) / 2
  };
  raised.clear();
  EXPECT_EQ(vx_menu_load(&menu, "none.txt", "M", nullptr, nullptr, &font, 0), 0);
  EXPECT_EQ(vx_menu_load(nullptr, "none.txt", "M", nullptr, nullptr, &font, 0), 0);
  EXPECT_EQ(raised, (std::vector<int>{VX_MENU_ERR_NO_FILE, VX_MENU_ERR_POINTER}));
  for (const Case& c : cases) {
    raised.clear();
    EXPECT_EQ(load(c.body), c.result) << c.name;
    EXPECT_EQ(raised, c.codes) << c.name;
    EXPECT_EQ(lines(), c.lines) << c.name;
    EXPECT_TRUE(c.codes != std::vector{SIZE} || text(0).rect.height + text(1).rect.height == 0);
    vx_menu_free(&menu);
  }
}

// Four lines of 88 pixels ((384 - 3 x 10) / 4) with 10 between them. The
// blocks font is 5 high; measured widths: "AB" 6 (spans 3 and 1, a gap
// after each), "CAB" fixed 14 (three cells of 4 and two gaps), "ABCD" 14,
// twelve characters 42, "B" 2.
const char* const kLayout =
    "NumLines=4\nPosition=10,10,80,80\nSpace=10\n"
    "Type_01=1\nFont_01=1\nAlign_01=1\nLine_01=AB\n"
    "Type_02=4\nValue_02=0\nNotif_02=0\nFont_02=0\nAlign_02=3\nLine_02=CAB\n"
    "Type_03=8\nNumOptions_03=2\nValue_03=0\nNotif_03=0\nFont_03=1\nAlign_03=2\nLine_03_01=ABCD\n"
    "Line_03_02=ABCDABCDABCD\nType_04=4\nValue_04=0\nNotif_04=0\nFont_04=1\nAlign_04=4\nLine_04=B\n";

TEST_F(MenuTest, NaturalAndFittedLayoutsPlaceEveryText) {
  // Rectangles of "AB", "CAB", "ABCD", the twelve characters and "B".
  const std::pair<int, std::vector<double>> cases[] = {
      // Natural: width x 88 / 5, capped at the menu's 512.
      {0, nums(267, 48, 105, 88, 330, 146, 246, 88, 64, 244, 246, 88, 64, 244, 512, 88, 64, 342, 35, 88)},
      // Fitted: width x 512 / 42; stretch takes the menu's width.
      {VX_MENU_FITTED, nums(283, 48, 73, 88, 406, 146, 170, 88, 64, 244, 170, 88, 64, 244, 512, 88, 64, 342, 512, 88)}};
  for (const auto& [flags, want] : cases) {
    ASSERT_EQ(load(kLayout, flags), 1);
    std::vector<double> got;
    for (const VX_MENU_TEXT* t : {&text(0), &text(1), &text(2), &text(2, 1), &text(3)})
      for (double v : rect(t->rect)) got.push_back(v);
    EXPECT_EQ(got, want) << flags;
    EXPECT_TRUE(raised.empty());
    vx_menu_free(&menu);
  }
}

TEST_F(MenuTest, RectanglesFollowTheScreenUntilFreed) {
  ASSERT_EQ(vx_screen_alloc(640, 480, VX_BIT_BPP8), 1);
  ASSERT_EQ(load(kLayout), 1);
  vx_screen_resize(1280, 960, 0, 0);
  EXPECT_EQ(rect(menu.rect), nums(128, 96, 1024, 768));
  EXPECT_EQ(rect(text(3).rect), nums(128, 684, 70, 176));
  vx_menu_free(&menu);
  vx_screen_resize(640, 480, 0, 0);  // a rectangle left in the list would be written into freed blocks
  EXPECT_EQ(rect(menu.rect), nums(0, 0, 0, 0));
}

// Static, item, dynamic text, item shown with hardware 3D only (not here), dynamic option list, option list.
const std::string kNavigation = "NumLines=6\nPosition=10,10,80,80\nSpace=1\n" + line_keys(1, 1, "A") +
                                line_keys(2, 4, "B") + line_keys(3, 2, "C") + line_keys(4, 4 | 16, "D") +
                                line_keys(5, 64, "E", "NumOptions_05=1\n") + line_keys(6, 8, "F", "NumOptions_06=1\n");

TEST_F(MenuTest, ShowingChoosesALineAndUpAndDownWrapOverSelectableVisibleLines) {
  // Down, down, up, up from the default line, or without a usable default from the last item or option list.
  for (auto [d, want] : {std::pair{"2", std::vector{1, 5, 1, 5, 1}}, {"0", {5, 1, 5, 1, 5}}, {"7", {5, 1, 5, 1, 5}}}) {
    ASSERT_EQ(load(kNavigation + "Delay=0\nDefault=" + d + "\n"), 1);
    vx_menu_show(&menu, 1);
    std::vector<int> visited = {menu.current};
    for (int code : {8, 8, 4, 4}) visited.push_back(vx_menu_input(&menu, code) ? menu.current : -2);
    EXPECT_EQ(visited, want) << d;
    vx_menu_free(&menu);
  }
  ASSERT_EQ(load("NumLines=2\nSpace=1\nDelay=0\nPosition=1,1,9,9\n" + line_keys(1, 2, "A") + line_keys(2, 4, "B")), 1);
  vx_menu_show(&menu, 1);
  for (int code : {4, 8}) EXPECT_EQ(vx_menu_input(&menu, code) ? menu.current : -2, 1);  // the one line stays
}

TEST_F(MenuTest, DelayTimeoutAndTheHiddenMenu) {
  ASSERT_EQ(load(kNavigation + "Delay=60000\nTimeout=90000\nDefault=2\n"), 1);
  vx_menu_show(&menu, 1);
  // Milliseconds the clock moves on, the code, whether it is taken, whether the menu is shown after it.
  const int steps[][4] = {{0, 8, 0, 1},      {0, 1, 0, 1},  // within the delay, also the code that closes
                          {60000, 0, 0, 1},  {90000, 0, 1, 0},  // the timeout sends the escape value 1
                          {0, 1, 0, 0},                         // and restarts the delay
                          {60000, 8, 0, 0},  {60000, 0, 0, 0},  // hidden: down is nothing, no timeout
                          {0, 1, 1, 1}};                        // back opens it
  for (const auto& step : steps) {
    menu.last_input -= step[0];
    const int taken = vx_menu_input(&menu, step[1]);
    EXPECT_EQ(nums(taken, menu.shown, menu.current), nums(step[2], step[3], 1)) << step[0] << " " << step[1];
  }
}

TEST_F(MenuTest, NotifyMasksChooseTheCodesThatSendTheValue) {
  // Select, left, right and back are tried: (value, code) of each notification.
  for (auto [mask, want] : {std::pair{2, nums(1001, 2, 1500, 1)}, {48, nums(1001, 16, 1001, 32, 1500, 1)}}) {
    ASSERT_EQ(load("NumLines=1\nPosition=1,1,9,9\nDelay=0\nEscape=1500\n" + line_keys(1, 4, "A", "", mask)), 1);
    vx_menu_show(&menu, 1);
    sent.clear();
    for (int code : {2, 16, 32, 1}) EXPECT_EQ(vx_menu_input(&menu, code), 1);
    EXPECT_EQ(sent, want) << mask;
    EXPECT_EQ(nums(sent_by == menu.lines[0], menu.shown), nums(1, 1));
    vx_menu_free(&menu);
  }
}

TEST_F(MenuTest, DynamicTextRewrittenPastItsCapacityIsReportedAndCut) {
  ASSERT_EQ(load("NumLines=1\nPosition=1,1,20,9\n" + line_keys(1, 2, "AB")), 1);
  menu.update_cb = [](VX_MENU_LINE* line) { std::strcpy(line->texts[0].text, "ABC"); };
  vx_menu_show(&menu, 1);
  vx_menu_draw(&menu, &font, &target, nullptr, 12);
  EXPECT_EQ(raised, std::vector<int>{VX_MENU_ERR_TOO_LONG});
  EXPECT_STREQ(text(0).text, "AB");
}

TEST_F(MenuTest, BoxOnlyWithFlagTwoAndTranslucencyOnlyForOtherSelectableLines) {
  ASSERT_EQ(load(kLayout + std::string("Default=2\n")), 1);
  vx_menu_show(&menu, 1);
  const VX_MENU_POINTER pointer = {nullptr, {}, 9, nullptr};
  // Translucent: the menu's 50 at the start; the static title and the current line at 0.
  for (auto [flags, box, want] : {std::tuple{2, true, std::vector<int>{}}, {14, true, {}}, {3, false, {}},
                                  {66, false, {50, 0, 50, 0, 50}}}) {
    std::memset(target.pixels, 0, 640 * 480);
    levels.clear();
    vx_menu_draw(&menu, &font, &target, &pointer, flags);
    EXPECT_EQ(target.pixels[(text(1).rect.y - 1) * 640 + text(1).rect.x - 1] == 9, box) << flags;
    EXPECT_EQ(levels, want) << flags;
  }
}

// The name entry's case: a fixed-spacing dynamic text narrower than its
// rectangle is drawn from the rectangle's left edge; the pointers beside it
// leave every pixel of its columns as the text alone left them.
TEST_F(MenuTest, PointersStandBesideAFixedSpacingDynamicText) {
  ASSERT_EQ(load("NumLines=1\nPosition=10,10,80,20\nDefault=1\nType_01=128\nValue_01=6001\nNotif_01=2\n"
                 "Font_01=0\nAlign_01=1\nLine_01=----------\n"), 1);
  menu.update_cb = [](VX_MENU_LINE* line) { std::strcpy(line->texts[0].text, "AB"); };
  vx_menu_show(&menu, 1);
  VX_RECT cells[3];
  const VX_MENU_POINTER pointer = {vx_font_char_frame(&font, '*', 1, cells), cells[0], 9, nullptr};
  std::vector<uint8_t> alone, with;
  for (auto [p, out] : {std::pair{(const VX_MENU_POINTER*)nullptr, &alone}, {&pointer, &with}}) {
    std::memset(target.pixels, 0, 640 * 480);
    vx_menu_draw(&menu, &font, &target, p, 12);
    out->assign(target.pixels, target.pixels + 640 * 480);
  }
  int first = 640, last = -1, over = 0, beside = 0;
  for (int i = 0; i < 640 * 480; i++)
    if (alone[i]) first = std::min(first, i % 640), last = std::max(last, i % 640);
  for (int i = 0; i < 640 * 480; i++)
    if (alone[i] != with[i]) (i % 640 >= first && i % 640 <= last ? over : beside)++;
  EXPECT_EQ(nums(over, beside > 0), nums(0, 1)) << first << ".." << last;
}

// The fixture menus laid out at a base size of 160 x 120 and drawn on a
// picture of that size, against their golden TGAs (PS_UPDATE_GOLDEN=1 writes
// them) read by the picture loader; a few pixels may differ.
TEST_F(MenuTest, FixtureMenusDrawAsTheirGoldenPictures) {
  settings.base_width = 160, settings.base_height = 120;
  const std::string menus = kFixtures + "menus.txt";
  VX_RECT cells[3];
  const VX_MENU_POINTER pointer = {vx_font_char_frame(&font, '*', 1, cells), cells[0], 9, nullptr};
  const VX_RECT small = {0, 0, 160, 120};
  for (auto [section, layout, flags, golden] : {std::tuple{"Main Menu", 0, 12, "menu_natural.tga"},
                                                {"Key Table", VX_MENU_FITTED, 14, "menu_fitted.tga"}}) {
    ASSERT_EQ(vx_menu_load(&menu, menus.c_str(), section, nullptr, nullptr, &font, layout), 1);
    vx_menu_show(&menu, 1);
    VX_BITMAP drawn{};
    vx_bit_alloc(&drawn, &small, VX_BIT_BPP8);
    drawn.palette = vx_pal_ref(font.palette);
    vx_menu_draw(&menu, &font, &drawn, &pointer, flags);
    ASSERT_EQ(vx_bit_convert(&drawn, VX_BIT_BPP24), 1);
    EXPECT_TRUE(!std::getenv("PS_UPDATE_GOLDEN") || vx_bit_save(&drawn, (kFixtures + golden).c_str(), nullptr, 0));
    VX_BITMAP want{};
    ASSERT_EQ(vx_img_load(&want, (kFixtures + golden).c_str(), 0), 1);
    ASSERT_EQ(nums(want.width, want.height, want.bpp), nums(160, 120, 24));
    int differ = 0;
    for (int i = 0; i < 160 * 120 * 3; i++) differ += std::abs(want.pixels[i] - drawn.pixels[i]) > 8;
    EXPECT_LE(differ, 6) << golden;
    vx_bit_free(&want), vx_bit_free(&drawn), vx_menu_free(&menu);
  }
  EXPECT_TRUE(raised.empty());
}

}  // namespace
