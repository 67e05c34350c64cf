// The menu bar: the resources in seven languages, the loaded menu and its popups, check marks after each command, the Language popup and the bar's tracking.
#include <set>

#include "tests/display/dsp_fixture.h"

using namespace dsp_test;

namespace {

std::vector<uint32_t>& commands() {
  static std::vector<uint32_t> c;
  return c;
}
int& hook_calls() {
  static int n = 0;
  return n;
}

// The game's link of the chain: it notes the commands, then hands on.
intptr_t recording_proc(PLAT_WINDOW* w, uint32_t m, uintptr_t wp, intptr_t lp) {
  if (m == PLAT_WM_COMMAND) commands().push_back(plat_loword(wp));
  return vx_dsp_window_proc(w, m, wp, lp);
}

void draw(int, int) {}
const VX_MENU_BAR_DRAWER kDrawer = {draw, nullptr};

class DspMenu : public DspTest {
 protected:
  void SetUp() override {
    DspTest::SetUp();
    commands().clear();
    hook_calls() = 0;
    app.window_proc = recording_proc;
    app.menu_hook = [] { hook_calls()++; };
  }
  // In a window (3D back end, no full-screen-only), the bar drawn.
  void start_windowed(uint32_t flags = VX_DSP_3D) {
    write_settings("[Display]\nFullscreen=0\nWindowPosition=100,50,640,480\n");
    ASSERT_EQ(start(flags), 1);
    vx_dsp_menu_bar_drawer_set(&kDrawer);
    pump();
  }
  static int sub(int pos) { return vx_dsp_menu_sub(vx_dsp_menu_bar(), pos); }
  static std::string text(int menu, int pos) {
    const VX_MENU_ITEM* it = vx_dsp_menu_item(menu, pos);
    return it ? it->text : "<none>";
  }
  static std::string text_of(uint32_t id) {
    int m, p;
    return vx_dsp_menu_find(id, &m, &p) ? text(m, p) : "<none>";
  }
  static void key(uint32_t vk) { send(PLAT_WM_KEYDOWN, vk); }
  static void click(int x, int y) {
    send(PLAT_WM_LBUTTONDOWN, PLAT_MK_LBUTTON, plat_makelong(static_cast<uint32_t>(x), static_cast<uint32_t>(y)));
  }
  // The centre of item `pos` of the open popup's box.
  static void click_item(int menu, VX_DSP_RECT box, int pos) {
    int y = box.y;
    for (int i = 0; i < pos; i++)
      y += (vx_dsp_menu_item(menu, i)->flags & VX_MENU_SEPARATOR) ? VX_MENU_SEPARATOR_ROW : VX_MENU_ROW;
    click(box.x + 4, y + 4);
  }
};

}  // namespace

// ---------------------------------------------------------------- resources

TEST(DspMenuResources, SevenLanguagesEachWithEveryCommand) {
  const std::set<uint32_t> ids = {40004, 40005, 41001, 41002, 50001, 50002, 50003, 50004,
                                  50005, 51001, 51002, 51003, 51004, 51005, 59999};
  ASSERT_EQ(vx_dsp_menu_resource_count(), 7);
  std::set<uint16_t> langs;
  for (int i = 0; i < 7; i++) {
    const VX_MENU_RESOURCE* r = vx_dsp_menu_resource_at(i);
    langs.insert(r->language);
    std::set<uint32_t> seen;
    int popups = 0;
    for (int k = 0; k < r->count; k++) {
      if (r->lines[k].kind == VX_RES_ITEM) seen.insert(r->lines[k].id);
      if (r->lines[k].depth == 0) popups++;
      EXPECT_NE(r->lines[k].text, nullptr);
    }
    EXPECT_EQ(seen, ids) << "language " << r->language;
    EXPECT_EQ(popups, 4);
  }
  // English US, French, Spanish, German, Italian, Portuguese (Portugal), Japanese.
  EXPECT_EQ(langs, (std::set<uint16_t>{0x0409, 0x040C, 0x040A, 0x0407, 0x0410, 0x0816, 0x0411}));
  EXPECT_EQ(vx_dsp_menu_resource_at(7), nullptr);
  EXPECT_NE(vx_dsp_menu_resource("pondsprint", 0x0409), nullptr);
  EXPECT_EQ(vx_dsp_menu_resource("OTHER", 0x0409), nullptr);
  EXPECT_EQ(vx_dsp_menu_resource(nullptr, 0x0409), nullptr);
}

TEST(DspMenuResources, LanguageIdsFromAbbreviationsAndPositions) {
  VX_LANGUAGE l = {};
  auto id = [&](const char* a, int index) {
    std::snprintf(l.abbreviation, sizeof l.abbreviation, "%s", a);
    return vx_dsp_menu_language_id(&l, index);
  };
  EXPECT_EQ(id("eng", 5), 0x0409);
  EXPECT_EQ(id("FRA", 0), 0x040C);
  EXPECT_EQ(id("spa", 0), 0x040A);
  EXPECT_EQ(id("deu", 0), 0x0407);
  EXPECT_EQ(id("ita", 0), 0x0410);
  EXPECT_EQ(id("por", 0), 0x0816);
  EXPECT_EQ(id("jpn", 0), 0x0411);
  EXPECT_EQ(id("dut", 0), 0) << "no menu in Dutch";
  EXPECT_EQ(id("", 4), 0x0410) << "no abbreviation: by position";
  EXPECT_EQ(id("", 9), 0);
  EXPECT_EQ(vx_dsp_menu_language_id(nullptr, 3), 0x0409);
}

// ---------------------------------------------------------------- the loaded menu

TEST_F(DspMenu, EnglishMenuWithFilledResolutionPopupAndNoLanguagePopup) {
  start_windowed();
  EXPECT_EQ(nums(vx_dsp_menu_language(), vx_dsp_menu_count(vx_dsp_menu_bar())), nums(0x0409, 4));
  EXPECT_EQ(vx_dsp_menu_count(sub(0)), 3) << "no language table: the Language popup is gone";
  EXPECT_EQ(text(sub(0), 0), "&Back to Game");
  int res = vx_dsp_menu_sub(sub(1), 7);
  ASSERT_GE(res, 0);
  ASSERT_GE(vx_dsp_menu_count(res), 4);
  EXPECT_EQ(text(res, 0), "320x240");
  EXPECT_EQ(text(res, 3), "1024x768");
  EXPECT_EQ(vx_dsp_menu_item(res, 2)->id, 50102u);
  EXPECT_EQ(vx_dsp_menu_find(VX_CMD_PLACEHOLDER, nullptr, nullptr), 0);
  EXPECT_EQ(hook_calls(), 2) << "loaded at the start and again by the mode set";
  // The bar takes room above the picture.
  int x, y, w, h;
  plat_window_rect(vx_dsp_window(), &x, &y, &w, &h);
  EXPECT_EQ(nums(h, vx_dsp_client_rect().height, vx_screen()->height), nums(480 + VX_MENU_BAR_HEIGHT, 480, 480));
}

TEST_F(DspMenu, LanguagePopupListsTheLanguagesAndChecksTheCurrentOne) {
  set_languages({"eng", "fra", "jpn"});
  start_windowed();
  int lang = vx_dsp_menu_sub(sub(0), 0);
  ASSERT_GE(lang, 0);
  ASSERT_EQ(vx_dsp_menu_count(lang), 3);
  EXPECT_EQ(text(lang, 1), "Lang fra");
  EXPECT_EQ(vx_dsp_menu_item(lang, 1)->id, 50301u);
  EXPECT_EQ(nums(vx_dsp_menu_is_checked(50300), vx_dsp_menu_is_checked(50301)), nums(1, 0));
}

TEST_F(DspMenu, LanguagePopupGoesWithoutMultiLanguagesOrWithOneLanguage) {
  set_languages({"eng", "fra"}, 0);
  start_windowed();
  EXPECT_EQ(vx_dsp_menu_count(sub(0)), 3);
  vx_dsp_deinit();
  set_languages({"eng"}, 1);
  start_windowed();
  EXPECT_EQ(vx_dsp_menu_count(sub(0)), 3);
}

TEST_F(DspMenu, ChoosingALanguageReloadsTheMenuInIt) {
  set_languages({"eng", "fra", "jpn"});
  start_windowed();
  const int hooks = hook_calls();
  send(PLAT_WM_COMMAND, 50301);
  EXPECT_EQ(nums(table.current, vx_dsp_menu_language()), nums(1, 0x040C));
  EXPECT_EQ(text(sub(0), 1), "&Retour au jeu");
  EXPECT_EQ(hook_calls(), hooks + 1);
  EXPECT_EQ(nums(vx_dsp_menu_is_checked(50301), vx_dsp_menu_is_checked(50300)), nums(1, 0));
  EXPECT_EQ(text_of(VX_CMD_TOGGLE), "Full fra\tF4");
  // The same language again changes nothing.
  send(PLAT_WM_COMMAND, 50301);
  EXPECT_EQ(hook_calls(), hooks + 1);
}

TEST_F(DspMenu, AMissingMenuKeepsThePreviousOne) {
  set_languages({"eng", "dut"});
  start_windowed();
  const int hooks = hook_calls();
  boxes();
  send(PLAT_WM_COMMAND, 50301);
  EXPECT_NE(boxes().find("Menu not found in the resource"), std::string::npos);
  EXPECT_EQ(nums(table.current, vx_dsp_menu_language(), vx_dsp_menu_count(vx_dsp_menu_bar())), nums(0, 0x0409, 4));
  EXPECT_EQ(hook_calls(), hooks);
}

// ---------------------------------------------------------------- check marks after each command

TEST_F(DspMenu, MarksFollowTheCurrentModeAndDepth) {
  start_windowed();
  // In a window on the 1024 x 768 x 32 desktop.
  EXPECT_EQ(nums(vx_dsp_menu_is_checked(50103), vx_dsp_menu_is_checked(50102), vx_dsp_menu_is_checked(50004)),
            nums(1, 0, 0));
  EXPECT_EQ(vx_dsp_menu_is_enabled(50100), 0) << "320 x 240 is no window size";
  EXPECT_EQ(nums(vx_dsp_menu_is_enabled(50102), vx_dsp_menu_is_checked(VX_CMD_DEFAULT_MODE)), nums(1, -1));

  send(PLAT_WM_COMMAND, VX_CMD_256_COLOURS);
  EXPECT_EQ(nums(current_mode().depth, vx_dsp_menu_is_checked(50004), vx_dsp_menu_is_checked(50103)), nums(16, 1, 1));

  send(PLAT_WM_COMMAND, VX_CMD_256_COLOURS);
  EXPECT_EQ(nums(current_mode().depth, vx_dsp_menu_is_checked(50004)), nums(32, 0));

  send(PLAT_WM_COMMAND, 50102);
  EXPECT_EQ(nums(current_mode().width, vx_dsp_menu_is_checked(50102), vx_dsp_menu_is_checked(50103)), nums(800u, 1, 0));
  EXPECT_EQ(running, 1u) << "every display command ends with a click";
}

TEST_F(DspMenu, ADesktopOutsideTheTableGetsTheDefaultItem) {
  const PLAT_DISPLAY_MODE modes[] = {{1920, 1080, 32, 60}, {800, 600, 32, 60}, {640, 480, 16, 60}};
  const PLAT_DISPLAY_MODE desktop = {1920, 1080, 32, 60};
  plat_display_null_setup(modes, 3, &desktop, 0, 0, 1920, 1050);
  start_windowed();
  int m, p;
  ASSERT_EQ(vx_dsp_menu_find(VX_CMD_DEFAULT_MODE, &m, &p), 1);
  EXPECT_EQ(text(m, p), "1920x1080 (Default)");
  EXPECT_EQ(vx_dsp_menu_is_checked(VX_CMD_DEFAULT_MODE), 1);
  EXPECT_TRUE(vx_dsp_menu_item(m, p - 1)->flags & VX_MENU_SEPARATOR);
  EXPECT_EQ(vx_dsp_menu_is_enabled(50103), 0) << "no 1024 x 768 mode";

  send(PLAT_WM_COMMAND, 50102);
  EXPECT_EQ(vx_dsp_menu_is_checked(VX_CMD_DEFAULT_MODE), -1);
  EXPECT_EQ(vx_dsp_menu_count(m), 4) << "the item and its separator are gone";
}

TEST_F(DspMenu, FullScreenMarksAndTheToggleLabel) {
  set_languages({"eng", "fra"});
  write_settings("[Display]\nResolution=800x600x16\n");
  ASSERT_EQ(start(), 1);
  EXPECT_EQ(text_of(VX_CMD_TOGGLE), "Win eng\tF4");
  EXPECT_EQ(vx_dsp_menu_is_enabled(50100), 1) << "320 x 240 exists in full screen";
  EXPECT_EQ(nums(vx_dsp_menu_is_checked(50102), vx_dsp_menu_is_checked(50004)), nums(1, 1));
  // Flags 9: the Display popup is greyed.
  EXPECT_TRUE(vx_dsp_menu_item(vx_dsp_menu_bar(), 1)->flags & VX_MENU_GRAYED);
  vx_dsp_fullscreen_toggle();
  pump();
  EXPECT_EQ(text_of(VX_CMD_TOGGLE), "Full eng\tF4");
}

TEST_F(DspMenu, A2dDisplayKeepsTheDisplayPopup) {
  app.table_3d = nullptr;
  start_windowed(0);
  EXPECT_FALSE(vx_dsp_menu_item(vx_dsp_menu_bar(), 1)->flags & VX_MENU_GRAYED);
}

TEST_F(DspMenu, AllModesPopupListsEveryModeAfterItsOffset) {
  app.all_modes_menu_pos = 3;  // the Help popup stands in: its first two items stay
  start_windowed();
  int all = sub(3);
  ASSERT_EQ(vx_dsp_menu_count(all), 2 + vx_dsp_mode_count());
  EXPECT_EQ(text(all, 0), "&Help Topics\tF1");
  const int cur = vx_dsp_mode_current();
  EXPECT_TRUE(vx_dsp_menu_item(all, 2 + cur)->flags & VX_MENU_CHECKED);
  const int eight = index_of(640, 480, 8);
  EXPECT_TRUE(vx_dsp_menu_item(all, 2 + eight)->flags & VX_MENU_GRAYED);
  EXPECT_EQ(text(all, 2 + index_of(640, 480, 16)), "640x480x16, 60Hz");
  send(PLAT_WM_COMMAND, VX_CMD_MODE_FIRST + index_of(800, 600, 32));
  EXPECT_TRUE(vx_dsp_menu_item(all, 2 + index_of(800, 600, 32))->flags & VX_MENU_CHECKED);
  EXPECT_FALSE(vx_dsp_menu_item(all, 2 + cur)->flags & VX_MENU_CHECKED);
}

TEST_F(DspMenu, BackToGameResumesAndExitCloses) {
  start_windowed();
  send(PLAT_WM_ACTIVATE, PLAT_WA_INACTIVE);
  EXPECT_EQ(running, 0u);
  send(PLAT_WM_COMMAND, VX_CMD_BACK_TO_GAME);
  EXPECT_EQ(running, 1u);
  PLAT_WINDOW* w = vx_dsp_window();
  send(PLAT_WM_COMMAND, VX_CMD_EXIT);
  EXPECT_FALSE(plat_window_exists(w)) << "PLAT_WM_CLOSE reached the default procedure";
}

// ---------------------------------------------------------------- the bar on screen

TEST_F(DspMenu, F10OpensTheBarAndTheKeysChooseACommand) {
  start_windowed();
  send(PLAT_WM_SYSKEYDOWN, PLAT_VK_F10);
  const VX_MENU_BAR_STATE* b = vx_dsp_menu_bar_state();
  ASSERT_EQ(b->open, 1);
  EXPECT_EQ(b->popup, 0);
  EXPECT_EQ(b->item, 0);
  EXPECT_EQ(running, 0u) << "the menu loop pauses play";
  key(PLAT_VK_RIGHT);
  EXPECT_EQ(b->popup, 1);
  EXPECT_EQ(b->item, -1) << "the greyed Display popup does not drop";
  key(PLAT_VK_RIGHT);
  EXPECT_EQ(b->popup, 2);
  key(PLAT_VK_DOWN);
  EXPECT_EQ(b->item, 1);
  key(PLAT_VK_RETURN);
  EXPECT_EQ(b->open, 0);
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0], VX_CMD_SOUND_EFFECTS);
}

TEST_F(DspMenu, AltLetGoAloneOpensTheBarAndAgainClosesIt) {
  start_windowed();
  const VX_MENU_BAR_STATE* b = vx_dsp_menu_bar_state();
  // Alt+X opens nothing; Alt alone opens; Alt again closes, its release not reopening.
  for (uint32_t vk : {uint32_t(PLAT_VK_MENU), uint32_t('X')}) send(PLAT_WM_SYSKEYDOWN, vk);
  send(PLAT_WM_SYSKEYUP, PLAT_VK_MENU);
  EXPECT_EQ(b->open, 0);
  for (int i = 0; i < 2; i++) {
    send(PLAT_WM_SYSKEYDOWN, PLAT_VK_MENU);
    send(PLAT_WM_SYSKEYUP, PLAT_VK_MENU);
    EXPECT_EQ(nums(b->open, b->item), i == 0 ? nums(1, 0) : nums(0, -1));
  }
}

TEST_F(DspMenu, SubPopupsOpenToTheRight) {
  start_windowed();
  send(PLAT_WM_SYSKEYDOWN, PLAT_VK_F10);
  key(PLAT_VK_LEFT);  // wraps to Help
  key(PLAT_VK_LEFT);  // Sound
  const VX_MENU_BAR_STATE* b = vx_dsp_menu_bar_state();
  EXPECT_EQ(b->popup, 2);
  key(PLAT_VK_UP);  // up from the first item wraps to Music Quality
  EXPECT_EQ(b->item, 3);
  key(PLAT_VK_RIGHT);
  EXPECT_EQ(b->sub, 3);
  EXPECT_EQ(b->sub_item, 0);
  key(PLAT_VK_DOWN);
  key(PLAT_VK_RETURN);
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0], VX_CMD_QUALITY_MEDIUM);
}

TEST_F(DspMenu, EscapeClosesASubPopupThenTheBar) {
  start_windowed();
  send(PLAT_WM_SYSKEYDOWN, PLAT_VK_F10);
  key(PLAT_VK_RIGHT);
  key(PLAT_VK_RIGHT);
  key(PLAT_VK_UP);
  key(PLAT_VK_RIGHT);
  const VX_MENU_BAR_STATE* b = vx_dsp_menu_bar_state();
  ASSERT_EQ(b->sub, 3);
  key(PLAT_VK_ESCAPE);
  EXPECT_EQ(b->sub, -1);
  EXPECT_EQ(b->open, 1);
  key(PLAT_VK_ESCAPE);
  EXPECT_EQ(b->open, 0);
  EXPECT_TRUE(commands().empty());
}

TEST_F(DspMenu, TheMouseOpensTheBarAndChoosesAnItem) {
  start_windowed();
  VX_DSP_RECT help = vx_dsp_menu_bar_title_rect(3);
  ASSERT_GT(help.width, 0);
  click(help.x + 2, 5);
  const VX_MENU_BAR_STATE* b = vx_dsp_menu_bar_state();
  ASSERT_EQ(b->open, 1);
  EXPECT_EQ(b->popup, 3);
  VX_DSP_RECT box = vx_dsp_menu_popup_rect(sub(3), help.x, VX_MENU_BAR_HEIGHT);
  click_item(sub(3), box, 2);
  EXPECT_EQ(b->open, 0);
  ASSERT_EQ(commands().size(), 1u);
  EXPECT_EQ(commands()[0], VX_CMD_ABOUT);
  // A click outside closes the bar; a posted click never opens it.
  click(vx_dsp_menu_bar_title_rect(0).x + 2, 5);
  ASSERT_EQ(b->open, 1);
  click(600, 400);
  EXPECT_EQ(b->open, 0);
  vx_dsp_post_click();
  pump();
  EXPECT_EQ(b->open, 0);
  EXPECT_EQ(commands().size(), 1u);
}

TEST_F(DspMenu, InFullScreenTheBarIsDetachedAndMenusAreRefused) {
  ASSERT_EQ(start(), 1);
  vx_dsp_menu_bar_drawer_set(&kDrawer);
  EXPECT_EQ(vx_dsp_menu_bar_shown(), 0);
  EXPECT_EQ(vx_dsp_menu_bar_height(), 0);
  send(PLAT_WM_SYSKEYDOWN, PLAT_VK_F10);
  EXPECT_EQ(vx_dsp_menu_bar_state()->open, 0);
  // A menu loop begun anyway is refused: it ends at once, play resumes.
  send(PLAT_WM_ENTERMENULOOP);
  EXPECT_EQ(plat_display_null_cursor_shown(), 0);
  EXPECT_EQ(running, 1u);
  vx_dsp_fullscreen_toggle();
  pump();
  EXPECT_EQ(vx_dsp_menu_bar_shown(), 1) << "back in a window the bar is back";
}
