// File layer: loose lookup (prefix folder, case), whole-file operations, folders, per-user folder and settings path.
#include <sys/stat.h>

#include <cstdio>

#include "core/vx_io_path.h"
#include "platform/platform.h"
#include "tests/core/test_vx_io_fixture.h"

using namespace io_test;

namespace {

class IoLoose : public IoFixture {
 protected:
  fs::path user;  // the per-user folder on disk
  void SetUp() override {
    IoFixture::SetUp();
    write("resource.dat", make_archive({{"data\\only.txt", "", "archived only", 0x42}}));
    ASSERT_EQ(start("resource.dat"), 1);
    ASSERT_EQ(vx_io_user_folder_prepare("Pond.ini", "Pond Sprint"), 1);
    user = tmp.path / "xdg" / "Harrowby" / "Pond Sprint";
  }
  static std::string load(const char* name) {
    long size = -1;
    char* data = static_cast<char*>(vx_io_load(name, &size));
    if (!data) return "<none>";
    std::string s(data, static_cast<size_t>(size));
    vx_mem_free(data);
    return s;
  }
};

// ---------------------------------------------------------------- prefix folder

TEST_F(IoLoose, BareNameLooksInThePerUserFolderFirst) {
  write("x.txt", "start folder");
  write(user / "x.txt", "user folder");
  VX_IO_FILE* h = vx_io_fopen("x.txt", "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(std::string(vx_io_file_path(h)), std::string(vx_io_user_folder()) + "x.txt");
  vx_io_fclose(h);
  EXPECT_EQ(load("x.txt"), "user folder");
  fs::remove(user / "x.txt");
  EXPECT_EQ(load("x.txt"), "start folder");
}

// ---------------------------------------------------------------- case-blind lookup

// ---------------------------------------------------------------- whole files

TEST_F(IoLoose, LoadAndSaveRoundTrip) {
  std::string bytes;
  for (int i = 0; i < 1000; i++) bytes.push_back(static_cast<char>(i * 7));
  EXPECT_EQ(vx_io_save("sub\\bin.dat", bytes.data(), static_cast<long>(bytes.size())), 0) << "no folder sub";
  fs::create_directories("sub");
  EXPECT_EQ(vx_io_save("sub\\bin.dat", bytes.data(), static_cast<long>(bytes.size())), 1);
  EXPECT_EQ(load("sub\\bin.dat"), bytes);
  EXPECT_EQ(load("data\\only.txt"), "archived only");
  EXPECT_EQ(vx_io_save("sub\\empty.dat", nullptr, 0), 1);
  EXPECT_EQ(load("sub\\empty.dat"), "");
}

// ---------------------------------------------------------------- folders

// A name that reaches a device or a pipe (a sound list naming
// "..\\..\\dev\\tty1") opens nothing: reading one could wait for ever.
TEST_F(IoLoose, DevicesAndPipesAreNoFiles) {
  fs::create_directories("odd");
  fs::create_symlink("/dev/null", "odd/null.wav");
  ASSERT_EQ(vx_io_fopen("odd\\null.wav", "rb"), nullptr);
  ASSERT_EQ(mkfifo("odd/pipe.wav", 0600), 0);
  EXPECT_EQ(load("odd\\pipe.wav"), "<none>");
  EXPECT_EQ(plat_path_kind("odd/pipe.wav"), 3);
  EXPECT_EQ(load("odd"), "<none>");
}

}  // namespace
