// The front end's rules that a player meets at the edges: the high-score offer and name entry, the saved table, the volume lines and the help page's reopen delay.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "core/vx_io.h"
#include "game/frontend.h"
#include "game/game_state.h"
#include "game/help_page.h"
#include "game/highscore.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

class Frontend : public support::EngineTest {
 protected:
  support::TempFolder tmp;
  void SetUp() override {
    EngineTest::SetUp();
    static VX_IO_SETTINGS io;
    io = {0, nullptr, nullptr};
    vx_io_init(&io);
    game_state_reset(&g_game);
  }
  void TearDown() override {
    help_close_at(0);
    vx_io_deinit();
    EngineTest::TearDown();
  }
  // A table file of `scores` (best first), names N1, N2 ..., MaxSizeName 10.
  static HIGH_SCORES* table(const std::vector<int>& scores) {
    std::string s = "[High-Scores]\nNbScores=" + std::to_string(scores.size()) +
                    "\nMaxSizeName=10\nMaxSizeScore=6\nDefaultName=NEW\n";
    for (size_t i = 0; i < scores.size(); i++)
      s += "Name_0" + std::to_string(i + 1) + "=N" + std::to_string(i + 1) + "\nScore_0" + std::to_string(i + 1) +
           "=" + std::to_string(scores[i]) + "\n";
    support::TempFolder::write("t.txt", s);
    return high_scores_load("t.txt", "High-Scores");
  }
  static std::string order(const HIGH_SCORES* t) {
    std::string s;
    for (int i = 0; i < t->count; i++) s += std::string(t->entries[i]->name) + ":" + std::to_string(t->entries[i]->score) + " ";
    return s;
  }
};

TEST_F(Frontend, OfferPlacesTheScoreAboveEqualScoresAndDropsTheWorst) {
  struct Case {
    std::vector<int> scores;
    int offered, entered;
    const char* after;
  } cases[] = {
      {{500, 300, 100}, 300, 1, "N1:500 NEW:300 N2:300 "},  // a tie goes above
      {{500, 300, 100}, 100, 1, "N1:500 N2:300 NEW:100 "},  // equal to the worst: enters, pushes it out
      {{500, 300, 0}, 0, 1, "N1:500 N2:300 NEW:0 "},        // 0 against a last 0
      {{500, 300, 100}, 99, 0, "N1:500 N2:300 N3:100 "},    // below every entry
      {{500, 300, 100}, 9000, 1, "NEW:9000 N1:500 N2:300 "},
  };
  for (const Case& c : cases) {
    HIGH_SCORES* t = table(c.scores);
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(high_scores_offer(t, c.offered), c.entered) << c.offered;
    EXPECT_EQ(order(t), c.after);
    EXPECT_EQ(high_scores_cursor(), c.entered ? 0 : -1);
    high_scores_free(t);  // also ends a name entry that pointed into it
  }
}

TEST_F(Frontend, NameEntryWrapsTheCharacterCycleAndKeepsTheCursorInTheField) {
  HIGH_SCORES* t = table({10});
  ASSERT_EQ(high_scores_offer(t, 10), 1);
  const HIGH_SCORE_ENTRY* e = high_scores_named_entry();
  t->entries[0]->name[0] = 'Z';
  high_scores_name_input(4);  // Z wraps to a space
  EXPECT_EQ(e->name[0], ' ');
  high_scores_name_input(8);  // a space wraps back to Z
  EXPECT_EQ(e->name[0], 'Z');
  t->entries[0]->name[0] = '!';
  high_scores_name_input(8);
  EXPECT_EQ(e->name[0], ' ');
  high_scores_name_input(16);  // left at 0 stays
  EXPECT_EQ(high_scores_cursor(), 0);
  for (int i = 0; i < 15; i++) high_scores_name_input(32);
  EXPECT_EQ(high_scores_cursor(), 9);  // MaxSizeName - 1
  high_scores_name_input(4);           // past the name's end: filled with spaces
  EXPECT_STREQ(e->name, " EW      !");
  char shown[32];
  std::vector<std::string> blinks;
  for (int i = 0; i < 2; i++) high_scores_name_text(shown, sizeof shown), blinks.push_back(shown);
  EXPECT_NE(blinks[0], blinks[1]);  // the cursor's character blinks
  EXPECT_EQ(high_scores_name_input(2), 1);
  EXPECT_EQ(nums(high_scores_cursor(), high_scores_named_entry() == nullptr), nums(-1, 1));
  high_scores_free(t);
}

TEST_F(Frontend, SavedTableRightAlignsItsFieldsAndReadsBackAMissingNameAsAWarning) {
  HIGH_SCORES* t = table({700, 50});
  std::snprintf(t->entries[0]->name, 11, "%s", "FROG");
  ASSERT_EQ(high_scores_save(t, "t.txt", "High-Scores"), 1);
  high_scores_free(t);
  const std::string file = support::TempFolder::read("t.txt");
  EXPECT_NE(file.find("Name_01=      FROG"), std::string::npos) << file;
  EXPECT_NE(file.find("Score_02=    50"), std::string::npos) << file;
  t = high_scores_load("t.txt", "High-Scores");
  ASSERT_NE(t, nullptr);
  EXPECT_STREQ(t->entries[0]->name, "      FROG");
  char line[64];
  ASSERT_EQ(high_scores_line_text(t, 2, line, sizeof line), 1);
  EXPECT_STREQ(line, "2         N2     50");
  high_scores_free(t);

  support::TempFolder::write("t.txt", "[High-Scores]\nNbScores=2\nMaxSizeName=4\nMaxSizeScore=4\nName_01=A\n");
  t = high_scores_load("t.txt", "High-Scores");
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(boxed("Alert|Sorry, I can't find key Name_02 in t.txt")) << boxes();
  EXPECT_EQ(t->entries[1], nullptr);
  EXPECT_EQ(high_scores_line_text(t, 2, line, sizeof line), 0);
  EXPECT_EQ(high_scores_offer(t, 1), 1);  // the empty worst slot gets a record
  high_scores_free(t);
  support::TempFolder::write("t.txt", "[High-Scores]\nNbScores=2\nMaxSizeName=4\n");
  EXPECT_EQ(high_scores_load("t.txt", "High-Scores"), nullptr);
}

// Saves stopped at any moment by a kill: the file holds the first table
// (names N1, N2, ...) or a later one (every name its own score), never the
// names of one beside the scores of another.
TEST_F(Frontend, SaveStoppedAtAnyMomentLeavesOneWholeTable) {
  high_scores_free(table({90, 80, 70, 60, 50, 40, 30, 20, 10}));
  for (int attempt = 1; attempt <= 120; attempt++) {
    if (pid_t child = fork(); child == 0) {
      for (int score = 1000;; score++) {  // a new best every time
        HIGH_SCORES* t = high_scores_load("t.txt", "High-Scores");
        if (!t || !high_scores_offer(t, score)) _exit(2);
        for (int i = 0; i < t->count; i++) std::snprintf(t->entries[i]->name, 11, "%d", t->entries[i]->score);
        high_scores_save(t, "t.txt", "High-Scores");
        high_scores_free(t);
      }
    } else {
      usleep(useconds_t(attempt * 251 % 20000 + 1)), kill(child, SIGKILL), waitpid(child, nullptr, 0);
    }
    HIGH_SCORES* t = high_scores_load("t.txt", "High-Scores");
    ASSERT_NE(t, nullptr) << "attempt " << attempt;
    std::string names;
    for (int i = 0; i < t->count; i++) {
      std::string name = t->entries[i]->name;
      name.erase(0, name.find_first_not_of(' '));
      names += name[0] == 'N' ? "N" : name == std::to_string(t->entries[i]->score) ? "s" : "?";
    }
    ASSERT_TRUE(names == std::string(9, 'N') || names == std::string(9, 's')) << names << " attempt " << attempt;
    high_scores_free(t);
  }
}

TEST_F(Frontend, VolumeLinesShowTheNumberOrTheirVariants) {
  struct Case {
    const char* text;
    int volume;
    const char* shown;
  } cases[] = {
      {"Music: ****", 70, "Music: 70%"}, {"Music: ****", 100, "Music: 100%"},
      {"Vol.**", 10, "Vol.10%"},          {"****", 40, "40%"},
      {"Music: 90%", 100, "Music: 100%"},
  };
  for (const Case& c : cases) {
    char text[VX_MENU_TEXT_SIZE];
    std::snprintf(text, sizeof text, "%s", c.text);
    frontend_volume_write(text, sizeof text, c.volume);
    EXPECT_STREQ(text, c.shown);
  }
  VX_MENU_TEXT texts[4] = {};
  std::snprintf(texts[0].text, sizeof texts[0].text, "Fx ****");
  VX_MENU_LINE line = {VX_MENU_OPTIONS, 3002, 1, 1, 50, 4, 0, texts};
  std::vector<double> variants;
  for (int v : {0, -2, -1, 100}) frontend_volume_line(&line, v), variants.push_back(line.current_text);
  EXPECT_EQ(variants, nums(1, 2, 3, 0));  // silent, switched off, unavailable, a number
  EXPECT_STREQ(texts[0].text, "Fx 100%");
  EXPECT_EQ(nums(frontend_volume_step(100, 32), frontend_volume_step(100, 2), frontend_volume_step(0, 16),
                 frontend_volume_step(90, 2), frontend_volume_step(50, 16), frontend_volume_step(50, 4)),
            nums(100, 100, 0, 100, 40, 50));
}

TEST_F(Frontend, HelpPageReopensOnlyHalfItsTimeoutAfterClosing) {
  support::TempFolder::write("help.txt",
                             "[Help]\nText_X=40\nTimeout=400\n[Text]\nNumberOfLines=2\nText=one\nText=two\n");
  ASSERT_EQ(help_open_file("help.txt", 1000), 1);
  EXPECT_EQ(nums(help_line_count(), g_game.help_open), nums(2, 1));
  EXPECT_STREQ(help_line(1), "two");
  EXPECT_EQ(help_open_file("help.txt", 5000), 0);  // open already
  help_close_at(2000);
  EXPECT_EQ(nums(help_line_count(), g_game.help_open), nums(0, 0));
  EXPECT_EQ(help_open_file("help.txt", 2199), 0);
  EXPECT_EQ(help_open_file("help.txt", 2200), 1);
}

}  // namespace
