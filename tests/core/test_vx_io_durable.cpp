// Settings writes that survive a kill and a full disk, the backup taken back at start, and a copy that writes nothing.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include "tests/core/test_vx_io_fixture.h"

using namespace io_test;

namespace {

class Durable : public IoFixture {
 protected:
  std::string before;  // 8 sections of 24 keys
  void SetUp() override {
    IoFixture::SetUp();
    ASSERT_EQ(start(), 1);
    for (int s = 0; s < 8; s++) {
      before += "[S" + std::to_string(s) + "]\n";
      for (int k = 0; k < 24; k++) before += "K" + std::to_string(k) + "=" + std::string(20, 'a') + "\n";
    }
    write("p.ini", before);
  }
  int write_in_child(int fsize_limit, int kill_after_us) {
    pid_t child = fork();
    if (child == 0) {
      signal(SIGXFSZ, SIG_IGN);
      rlimit limit{rlim_t(fsize_limit), rlim_t(fsize_limit)};
      if (fsize_limit) setrlimit(RLIMIT_FSIZE, &limit);
      for (int i = 0; kill_after_us || i < 1; i++)
        if (!vx_io_ini_set_string(("S" + std::to_string(i % 8)).c_str(), ("K" + std::to_string(i % 24)).c_str(),
                                  std::string(kill_after_us ? 1 + i % 300 : 300, 'z').c_str(), "p.ini"))
          _exit(1);
      _exit(0);
    }
    if (kill_after_us) usleep(useconds_t(kill_after_us)), kill(child, SIGKILL);
    int status = -1;
    waitpid(child, &status, 0);
    return status;
  }
};

TEST_F(Durable, KilledOrCutShortAWriteLeavesAWholeFile) {
  for (int attempt = 1; attempt <= 120; attempt++) {
    write_in_child(0, attempt * 37 % 4000 + 1);
    std::string after = read("p.ini");
    ASSERT_EQ(std::count(after.begin(), after.end(), '\n'), 8 * 25) << "attempt " << attempt;
  }
  write("p.ini", before);
  EXPECT_NE(write_in_child(int(before.size()), 0), 0) << "a full disk is a failed write";
  EXPECT_EQ(read("p.ini"), before);
  EXPECT_NE(read("Warning.txt").find("p.ini"), std::string::npos);
}

TEST_F(Durable, BackupReplacesOnlyAMissingOrEmptyFileAndADeferringCopyWritesNothing) {
  for (const char* file : {"-", "", "[S0]\n"}) {
    fs::remove("p.ini");
    if (*file != '-') write("p.ini", file);
    write("p.ini.bak", before);
    EXPECT_EQ(vx_io_ini_recover("p.ini"), *file != '[');
    EXPECT_EQ(read("p.ini"), *file == '[' ? file : before);
  }
  write("p.ini", before);
  vx_io_ini_set_writes(0);
  EXPECT_EQ(vx_io_ini_set_string("S0", "K0", "x", "p.ini"), 0);
  vx_io_ini_set_writes(1);
  EXPECT_EQ(read("p.ini"), before);
}

}  // namespace
