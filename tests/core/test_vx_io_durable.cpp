// Settings writes that survive a kill and a full disk, the backup taken back at start, and a copy that writes nothing.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <random>

#include "tests/core/test_vx_io_fixture.h"

using namespace io_test;

namespace {

class Durable : public IoFixture {
 protected:
  std::string original;
  void SetUp() override {
    IoFixture::SetUp();
    ASSERT_EQ(start(), 1);
    for (int s = 0; s < 8; s++) {
      original += "[S" + std::to_string(s) + "]\n";
      for (int k = 0; k < 24; k++) original += "K" + std::to_string(k) + "=" + std::string(20, 'a' + k) + "\n";
      original += "\n";
    }
    write("p.ini", original);
  }
  // Every key is there, once, and the file has its full number of lines.
  static void expect_whole(const std::string& text) {
    ASSERT_EQ(std::count(text.begin(), text.end(), '\n'), 8 * 26) << text.size() << " bytes left";
    for (int s = 0; s < 8; s++)
      for (int k = 0; k < 24; k++) {
        char v[64];
        std::string sec = "S" + std::to_string(s), key = "K" + std::to_string(k);
        ASSERT_GT(vx_io_ini_get_string(sec.c_str(), key.c_str(), v, 63, "p.ini"), 0) << sec << " " << key;
      }
  }
};

TEST_F(Durable, KilledWriterLeavesTheOldFileOrTheNewOne) {
  std::mt19937 random(7);
  for (int attempt = 0; attempt < 120; attempt++) {
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0)
      for (int i = 0;; i++) {
        std::string sec = "S" + std::to_string(i % 8), key = "K" + std::to_string(i % 24);
        vx_io_ini_set_string(sec.c_str(), key.c_str(), std::string(1 + i % 37, 'z').c_str(), "p.ini");
      }
    usleep(random() % 4000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    SCOPED_TRACE(attempt);
    expect_whole(read("p.ini"));
  }
  // What a killed write left beside the file does not hold up the next one.
  EXPECT_EQ(vx_io_ini_set_string("S0", "K0", "after", "p.ini"), 1);
  expect_whole(read("p.ini"));
}

TEST_F(Durable, FullDiskKeepsTheFileAndSaysSo) {
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The new file may not grow past the old one's size.
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{original.size(), original.size()};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(vx_io_ini_set_string("S7", "New", std::string(300, 'n').c_str(), "p.ini"));
  }
  int status = -1;
  waitpid(child, &status, 0);
  EXPECT_EQ(status, 0) << "the write reports its failure";
  EXPECT_EQ(read("p.ini"), original);
  EXPECT_NE(read("Warning.txt").find("p.ini"), std::string::npos) << read("Warning.txt");
  EXPECT_FALSE(fs::exists("p.ini.new"));
}

// What an interrupted write of an older run left: the backup replaces a
// file that is missing or empty, never one that reads.
TEST_F(Durable, BackupTakesThePlaceOfALostFileAtStart) {
  struct Case { const char* file; bool restored; };
  for (Case c : {Case{nullptr, true}, Case{"", true}, Case{"[S0]\nK0=new\n", false}}) {
    fs::remove("p.ini");
    if (c.file) write("p.ini", c.file);
    write("p.ini.bak", original);
    EXPECT_EQ(vx_io_ini_recover("p.ini"), c.restored ? 1 : 0);
    EXPECT_EQ(read("p.ini"), c.restored ? original : std::string(c.file));
  }
  fs::remove("p.ini.bak");
  EXPECT_EQ(vx_io_ini_recover("p.ini"), 0) << "no backup, nothing to do";
}

TEST_F(Durable, ACopyThatDefersWritesNothing) {
  vx_io_ini_set_writes(0);
  vx_io_write_stat("System", "Blocks", 5);
  EXPECT_EQ(vx_io_ini_set_string("S0", "K0", "x", "p.ini"), 0);
  vx_io_ini_set_writes(1);
  EXPECT_EQ(read("p.ini"), original);
  EXPECT_FALSE(fs::exists("p.ini.bak"));
}

}  // namespace
