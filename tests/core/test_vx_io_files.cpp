// File layer: loose lookup (prefix folder, case), whole-file operations, folders, per-user folder and settings path.
#include <cstdio>

#include "core/vx_io_path.h"
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
    user = root / "xdg" / "Harrowby" / "Pond Sprint";
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

TEST_F(IoLoose, NameWithAFolderIsNeverPrefixed) {
  write("sub/x.txt", "start folder");
  write(user / "sub" / "x.txt", "user folder");
  VX_IO_FILE* h = vx_io_fopen("sub\\x.txt", "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(vx_io_file_path(h), nullptr);
  vx_io_fclose(h);
  EXPECT_EQ(load("sub\\x.txt"), "start folder");
}

TEST_F(IoLoose, BareNameIsWrittenIntoThePerUserFolder) {
  EXPECT_EQ(vx_io_save("new.txt", "abc", 3), 1);
  EXPECT_EQ(read(user / "new.txt"), "abc");
  EXPECT_FALSE(fs::exists("new.txt"));
}

TEST_F(IoLoose, RemovableFolderComesBeforeThePerUserFolder) {
  vx_io_deinit();
  fs::create_directories(root / "u3");
  setenv("U3_APP_DATA_PATH", (root / "u3").c_str(), 1);
  ASSERT_EQ(start(), 1);
  ASSERT_EQ(vx_io_user_folder_prepare("Pond.ini", "Pond Sprint"), 1);
  write(user / "y.txt", "user");
  write(root / "u3" / "y.txt", "removable");
  EXPECT_EQ(load("y.txt"), "removable");
  fs::remove(root / "u3" / "y.txt");
  EXPECT_EQ(load("y.txt"), "<none>") << "only one prefix folder is tried";
  std::string u3 = (root / "u3").string();
  for (char& c : u3)
    if (c == '/') c = '\\';
  EXPECT_EQ(std::string(vx_io_settings_path()), u3 + "\\Pond.ini");
  vx_io_deinit();
  EXPECT_EQ(std::string(vx_io_settings_path()), u3 + "\\Pond.ini") << "kept after shutdown";
}

// ---------------------------------------------------------------- case-blind lookup

TEST_F(IoLoose, MissingExactNameIsFoundUnderAnyCase) {
  write("Data/Level1/MAP.Txt", "map");
  EXPECT_EQ(load("data\\level1\\map.txt"), "map");
  EXPECT_EQ(load("DATA\\LEVEL1\\MAP.TXT"), "map");
  EXPECT_EQ(load("data\\level2\\map.txt"), "<none>");
  char os[VX_IO_PATH_MAX];
  EXPECT_EQ(vx_io_os_path("data\\LEVEL1\\map.txt", os, sizeof os), 1);
  EXPECT_STREQ(os, "Data/Level1/MAP.Txt");
}

TEST_F(IoLoose, CreatedFileLandsInTheExistingFolderAndIsFoundAgain) {
  write("Data/Scores/old.txt", "x");
  EXPECT_EQ(load("data\\scores\\new.txt"), "<none>");  // the folder is now listed and cached
  VX_IO_FILE* h = vx_io_fopen("DATA\\SCORES\\New.Txt", "wb");
  ASSERT_NE(h, nullptr);
  vx_io_fputs("fresh", h);
  vx_io_fclose(h);
  EXPECT_TRUE(fs::exists("Data/Scores/New.Txt"));
  EXPECT_EQ(load("data\\scores\\new.txt"), "fresh");
  // Writing under another case replaces the file instead of making a twin.
  EXPECT_EQ(vx_io_save("data\\scores\\NEW.TXT", "again", 5), 1);
  EXPECT_EQ(read("Data/Scores/New.Txt"), "again");
  EXPECT_FALSE(fs::exists("Data/Scores/NEW.TXT"));
}

TEST_F(IoLoose, CachedListingDoesNotHideFilesMadeBehindItsBack) {
  write("Maps/a.txt", "a");
  EXPECT_EQ(load("maps\\a.txt"), "a");
  write("Maps/B.txt", "b");  // not through the layer
  EXPECT_EQ(load("maps\\b.txt"), "b");
  int listings = vx_io_path_listings_read();
  EXPECT_EQ(load("maps\\b.txt"), "b");
  EXPECT_EQ(vx_io_path_listings_read(), listings) << "a hit is answered from the cache";
}

TEST_F(IoLoose, FolderIsNotAFile) {
  fs::create_directories("adir");
  EXPECT_EQ(vx_io_fopen("adir", "rb"), nullptr);
  EXPECT_EQ(vx_io_exists("adir", VX_IO_THROUGH_OPEN | VX_IO_ON_DISK), 0);
}

// ---------------------------------------------------------------- whole files

TEST_F(IoLoose, ExistsTellsWhereTheFileIs) {
  write("data/loose.txt", "l");
  clear_code();
  EXPECT_EQ(vx_io_exists("data\\only.txt", VX_IO_THROUGH_OPEN), 1);
  EXPECT_EQ(vx_io_exists("data\\only.txt", VX_IO_ON_DISK), 0);
  EXPECT_EQ(vx_io_exists("data\\loose.txt", VX_IO_THROUGH_OPEN), 2);
  EXPECT_EQ(vx_io_exists("data\\loose.txt", VX_IO_ON_DISK), 2);
  EXPECT_EQ(vx_io_exists("data\\loose.txt", VX_IO_THROUGH_OPEN | VX_IO_ON_DISK), 4);
  EXPECT_EQ(vx_io_exists("data\\none.txt", VX_IO_THROUGH_OPEN | VX_IO_ON_DISK), 0);
  EXPECT_EQ(code(), 99) << "a missing file is not reported";
  EXPECT_EQ(vx_io_open_count(), 0);
}

TEST_F(IoLoose, CopyReadsTheArchiveOrTheDisk) {
  EXPECT_EQ(vx_io_copy("copy.txt", "data\\only.txt", VX_IO_THROUGH_OPEN), 1);
  EXPECT_EQ(read(user / "copy.txt"), "archived only") << "a bare destination goes to the prefix folder";
  write("data/only.txt", "loose twin");
  EXPECT_EQ(vx_io_copy("out\\c2.txt", "data\\only.txt", VX_IO_ON_DISK), 0) << "folder out does not exist";
  fs::create_directories("out");
  EXPECT_EQ(vx_io_copy("out\\c2.txt", "data\\only.txt", VX_IO_ON_DISK), 1);
  EXPECT_EQ(read("out/c2.txt"), "loose twin");
  EXPECT_EQ(vx_io_copy("out\\c3.txt", "data\\only.txt", VX_IO_THROUGH_OPEN), 1);
  EXPECT_EQ(read("out/c3.txt"), "archived only");
  EXPECT_EQ(vx_io_copy("out\\c3.txt", "out\\c3.txt", VX_IO_ON_DISK), 0) << "never onto itself";
  EXPECT_EQ(read("out/c3.txt"), "archived only");
  EXPECT_EQ(vx_io_open_count(), 0);
}

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

TEST_F(IoLoose, RemoveDeletesLooseFilesOnly) {
  write("gone.txt", "x");
  write(user / "gone2.txt", "x");
  EXPECT_EQ(vx_io_remove("gone.txt"), 0);
  EXPECT_FALSE(fs::exists("gone.txt"));
  EXPECT_EQ(vx_io_remove("gone2.txt"), 0);
  EXPECT_FALSE(fs::exists(user / "gone2.txt")) << "the path that was opened";
  std::string archive = read("resource.dat");
  EXPECT_EQ(vx_io_remove("data\\only.txt"), 0);
  EXPECT_EQ(read("resource.dat"), archive);
  EXPECT_EQ(vx_io_remove("never.txt"), 0);
}

// ---------------------------------------------------------------- folders

TEST_F(IoLoose, FolderPartOfAPath) {
  char out[16] = "junk";
  EXPECT_EQ(vx_io_fgetdir("data\\lv\\a.def", out, sizeof out), 8);
  EXPECT_STREQ(out, "data\\lv\\");
  EXPECT_EQ(vx_io_fgetdir("c:a.def", out, sizeof out), 2);
  EXPECT_STREQ(out, "c:");
  EXPECT_EQ(vx_io_fgetdir("a.def", out, sizeof out), 0);
  EXPECT_STREQ(out, "");
  EXPECT_EQ(vx_io_fgetdir("\\a.def", out, sizeof out), 0) << "a separator in the first place gives nothing";
  clear_code();
  EXPECT_EQ(vx_io_fgetdir("data\\levels\\a.def", out, 12), -1) << "12 characters need 13 bytes";
  EXPECT_STREQ(out, "");
  EXPECT_EQ(code(), VX_IO_BUFFER_SMALL);
  EXPECT_STREQ(vx_error_detail_text(), "vx_io_fgetdir (data\\levels\\a.def)");
  EXPECT_EQ(vx_io_fgetdir("data\\levels\\a.def", out, 13), 12);
}

TEST_F(IoLoose, WriteFolderOfUserFiles) {
  char out[VX_IO_PATH_MAX], start_folder[VX_IO_PATH_MAX];
  ASSERT_EQ(vx_io_get_start_folder(start_folder, sizeof start_folder), 1);
  EXPECT_EQ(start_folder[std::strlen(start_folder) - 1], '\\');
  EXPECT_EQ(vx_io_write_folder("sub\\x.txt", out, sizeof out), 0);
  EXPECT_STREQ(out, "sub\\x.txt");
  EXPECT_EQ(vx_io_write_folder("x.txt", out, sizeof out), 1);
  EXPECT_STREQ(out, vx_io_user_folder());
  EXPECT_EQ(vx_io_write_folder("only.txt", out, sizeof out), 1);
  EXPECT_STREQ(out, vx_io_user_folder()) << "only.txt is not an archive name";
  vx_io_deinit();
  write("resource.dat", make_archive({{"ARCH.TXT", "", "a", 1}}));
  ASSERT_EQ(start("resource.dat"), 1);
  ASSERT_EQ(vx_io_user_folder_prepare("Pond.ini", "Pond Sprint"), 1);
  EXPECT_EQ(vx_io_write_folder("arch.txt", out, sizeof out), 1);
  EXPECT_STREQ(out, start_folder) << "a file only in the archive";
}

TEST_F(IoFixture, PerUserFolderReplacesNineCharactersOfTheTitle) {
  start();
  ASSERT_EQ(vx_io_user_folder_prepare("Set.ini", "a\"b&c'd*e:f?g\\h/i`j k<l>m|n"), 1);
  const fs::path made = root / "xdg" / "Harrowby" / "a_b_c_d_e_f_g_h_i_j k<l>m|n";
  EXPECT_TRUE(fs::is_directory(made));
  std::string expect = made.string() + "/Set.ini";
  for (char& c : expect)
    if (c == '/') c = '\\';
  EXPECT_EQ(std::string(vx_io_settings_path()), expect);
  vx_io_deinit();
  EXPECT_EQ(std::string(vx_io_settings_path()), expect) << "kept after shutdown";
  EXPECT_STREQ(vx_io_user_folder(), "");
}

TEST_F(IoFixture, WithoutAUserDataRootTheSettingsFileStaysBare) {
  start();
  unsetenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  std::string saved = home ? home : "";
  unsetenv("HOME");
  write("Warning.txt", "stale");
  EXPECT_EQ(vx_io_user_folder_prepare("Set.ini", "T"), 0);
  if (!saved.empty()) setenv("HOME", saved.c_str(), 1);
  EXPECT_STREQ(vx_io_settings_path(), "Set.ini");
  EXPECT_FALSE(fs::exists("Warning.txt")) << "a stale warning log is deleted";
}

TEST_F(IoFixture, RunWaitStartsFromTheProgramsFolder) {
  start();
  write("tools/exit3.sh", "#!/bin/sh\npwd > where.txt\nexit 3\n");
  fs::permissions("tools/exit3.sh", fs::perms::owner_all);
  EXPECT_EQ(vx_io_run_wait("tools\\missing.sh"), 0);
  EXPECT_EQ(vx_io_run_wait("tools\\exit3.sh"), 3);
  EXPECT_EQ(fs::current_path(), fs::canonical(root / "run" / "tools")) << "the folder stays current";
  EXPECT_TRUE(fs::exists("where.txt"));
}

}  // namespace
