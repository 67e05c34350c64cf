// Boxes printed instead of shown, environment, programs, folders, memory,
// fault signals and the single-instance lock.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include "platform/platform.h"
#include "tests/support/engine_fixture.h"

namespace {

// A fresh folder under the test temp folder, removed with its content.
class PlatTemp : public testing::Test {
 protected:
  std::string dir;
  void SetUp() override {
    std::string templ = testing::TempDir() + "plat_XXXXXX";
    char* made = mkdtemp(templ.data());
    ASSERT_NE(made, nullptr);
    dir = made;
  }
  void TearDown() override {
    std::string cmd = "rm -rf '" + dir + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }
  void write_file(const std::string& path, const char* text, mode_t mode = 0644) {
    FILE* f = std::fopen(path.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fputs(text, f);
    std::fclose(f);
    chmod(path.c_str(), mode);
  }
};

// Sets an environment variable for one test and puts the old value back.
struct ENV_GUARD {
  std::string name;
  bool had;
  std::string old;
  ENV_GUARD(const char* n, const char* value) : name(n) {
    const char* o = std::getenv(n);
    had = o != nullptr;
    if (o) old = o;
    if (value)
      setenv(n, value, 1);
    else
      unsetenv(n);
  }
  ~ENV_GUARD() {
    if (had)
      setenv(name.c_str(), old.c_str(), 1);
    else
      unsetenv(name.c_str());
  }
};

// ---------------------------------------------------------------- boxes

// ---------------------------------------------------------------- environment

TEST(PlatEnv, ProgramFolderHoldsThisProgram) {
  char buf[4096];
  ASSERT_EQ(plat_program_folder(buf, sizeof buf), 1);
  size_t len = std::strlen(buf);
  ASSERT_GT(len, 1u);
  EXPECT_EQ(buf[len - 1], '/');
  EXPECT_EQ(plat_path_kind(buf), 2);
  EXPECT_EQ(plat_path_kind((std::string(buf) + "test_platform").c_str()), 1);
  char small[2];
  EXPECT_EQ(plat_program_folder(small, sizeof small), 0);
}

TEST_F(PlatTemp, FolderWritableFollowsTheModeEvenForTheSuperuser) {
  EXPECT_EQ(plat_folder_writable(dir.c_str()), 1);
  EXPECT_EQ(plat_folder_writable((dir + "/missing").c_str()), 0);
  ASSERT_EQ(chmod(dir.c_str(), 0555), 0);
  EXPECT_EQ(plat_folder_writable(dir.c_str()), 0);
  ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
}

// ---------------------------------------------------------------- programs

TEST(PlatRun, ExitCodesComeBackAndMissingProgramsAreNotStarted) {
  int code = -5;
  EXPECT_EQ(plat_run("/bin/false", nullptr, 1, &code), 1);
  EXPECT_EQ(code, 1);
  EXPECT_EQ(plat_run("/bin/true", nullptr, 1, &code), 1);
  EXPECT_EQ(code, 0);
  code = -5;
  EXPECT_EQ(plat_run("/nonexistent/ScreenConfig.exe", nullptr, 1, &code), 0);
  EXPECT_EQ(plat_run("/nonexistent/ScreenConfig.exe", nullptr, 0, nullptr), 0);
  EXPECT_EQ(plat_run(nullptr, nullptr, 1, &code), 0);
  EXPECT_EQ(plat_run("", nullptr, 1, &code), 0);
  EXPECT_EQ(code, -5);
}

// ---------------------------------------------------------------- folders

// ---------------------------------------------------------------- faults

void report_fault(int sig) { std::fprintf(stderr, "fault %d\n", sig); }

void fault_twice() {
  plat_set_fault_handler(report_fault);
  raise(SIGSEGV);  // the handler reports it and returns
  raise(SIGSEGV);  // the default action now ends the process
}

TEST(PlatFaultDeathTest, HandlerRunsOnceThenTheDefaultApplies) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(fault_twice(), testing::KilledBySignal(SIGSEGV), "^fault 11\n$");
}

// ---------------------------------------------------------------- single instance

intptr_t exit_on_close(PLAT_WINDOW*, uint32_t m, uintptr_t, intptr_t) {
  if (m == PLAT_WM_CLOSE) _exit(42);
  return 0;
}

// The child takes the lock, says so through the pipe, then waits for PLAT_WM_CLOSE.
[[noreturn]] void instance_child(const char* name, int ready_fd) {
  if (!plat_instance_lock(name)) _exit(1);
  if (!plat_window_create("PondTest", "child", 0, 0, 32, 32, PLAT_WS_HIDDEN, exit_on_close)) _exit(2);
  char c = 'r';
  if (write(ready_fd, &c, 1) != 1) _exit(3);
  for (int i = 0; i < 1000; i++) {
    PLAT_MSG m;
    while (plat_peek_message(&m, 1)) plat_dispatch_message(&m);
    plat_sleep(10);
  }
  _exit(4);
}

TEST_F(PlatTemp, SecondInstanceSeesTheHolderAndClosesIt) {
  ENV_GUARD runtime("XDG_RUNTIME_DIR", dir.c_str());  // the lock file goes with the temp folder
  std::string name = "pond_test_" + std::to_string(getpid());
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) instance_child(name.c_str(), fds[1]);
  close(fds[1]);
  char c = 0;
  ASSERT_EQ(read(fds[0], &c, 1), 1);
  close(fds[0]);
  EXPECT_EQ(plat_instance_running(name.c_str()), 1);
  EXPECT_EQ(plat_instance_lock(name.c_str()), 0);
  EXPECT_EQ(plat_instance_notify(name.c_str(), 99), 0);
  EXPECT_EQ(plat_instance_notify(name.c_str(), PLAT_INSTANCE_CLOSE), 1);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 42);
  EXPECT_EQ(plat_instance_running(name.c_str()), 0);
  EXPECT_EQ(plat_instance_notify(name.c_str(), PLAT_INSTANCE_RAISE), 0);
}

// What another local user may plant where the lock goes: a link to a file
// of the player's (symbolic or hard), a pipe, a file of their own (needs
// root to plant). Each is passed over for the next place and left as it was.
// Runs before any test whose process keeps a lock its children would inherit.
TEST_F(PlatTemp, PlantedLockFilesArePassedOverAndLeftAlone) {
  const std::string run = dir + "/run", data = dir + "/data", victim = dir + "/victim";
  const std::string lock = run + "/planted.lock";
  ENV_GUARD runtime("XDG_RUNTIME_DIR", run.c_str()), root("XDG_DATA_HOME", data.c_str());
  for (int plant = 0; plant < (getuid() == 0 ? 4 : 3); plant++) {
    SCOPED_TRACE(plant);
    mkdir(run.c_str(), 0700);
    FILE* v = std::fopen(victim.c_str(), "w");
    std::fputs("precious", v);
    std::fclose(v);
    int planted = plant == 0   ? symlink(victim.c_str(), lock.c_str())
                  : plant == 1 ? link(victim.c_str(), lock.c_str())
                  : plant == 2 ? mkfifo(lock.c_str(), 0600)
                               : rename(victim.c_str(), lock.c_str()) + chown(lock.c_str(), 65534, 65534);
    ASSERT_EQ(planted, 0);
    pid_t child = fork();
    if (child == 0) _exit(plat_instance_lock("planted") ? 0 : 1);
    int status = -1;
    waitpid(child, &status, 0);
    EXPECT_EQ(status, 0);
    char text[16] = {};
    FILE* f = std::fopen(plant == 3 ? lock.c_str() : victim.c_str(), "r");
    EXPECT_EQ(std::fread(text, 1, sizeof text, f), 8u);
    std::fclose(f);
    struct stat st;
    EXPECT_EQ(stat((data + "/planted.lock").c_str(), &st), 0) << "the lock moved to the user data root";
    ASSERT_EQ(std::system(("rm -rf '" + run + "' '" + data + "'").c_str()), 0);
  }
}

}  // namespace
