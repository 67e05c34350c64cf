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

// ---------------------------------------------------------------- the loaded menu

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

// ---------------------------------------------------------------- check marks after each command

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
