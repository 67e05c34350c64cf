// String files: the literal reader, numbers, the keep-open cache, modes, the writer's rules and archived string files.
#include <cctype>
#include <cstring>

#include "tests/core/test_vx_io_fixture.h"

using namespace io_test;

namespace {

class Ini : public IoFixture {
 protected:
  void SetUp() override {
    IoFixture::SetUp();
    ASSERT_EQ(start(), 1);
  }
  static std::string get(const char* section, const char* key, const char* file, int size = 255) {
    std::vector<char> buf(static_cast<size_t>(size) + 1, 'x');
    int n = vx_io_ini_get_string(section, key, buf.data(), size, file);
    EXPECT_EQ(n, static_cast<int>(std::strlen(buf.data())));
    return vx_io_get_status(1) ? "<failed>" : std::string(buf.data());
  }
};

// ---------------------------------------------------------------- literal matching

TEST_F(Ini, NamesMatchLiterallyAndCaseSensitively) {
  write("s.ini",
        "Volume=1\n"
        "[Sound]\nVolume = 80\n Volume=70\nvolume=60\n[ Sound ]\nMusic=2\n [Sound]\nMusic=3\n"
        "[sound]\nMusic=1\n"
        "[Sound]trailing text\nMusic=4\n");
  EXPECT_EQ(get("Sound", "Volume", "s.ini"), "<failed>") << "no line is exactly Volume= in [Sound]";
  EXPECT_EQ(get("Sound", "volume", "s.ini"), "60");
  EXPECT_EQ(get("Sound", "Volume ", "s.ini"), " 80") << "the value is everything after the =";
  EXPECT_EQ(get("sound", "Music", "s.ini"), "1");
  EXPECT_EQ(get(" Sound ", "Music", "s.ini"), "2");
  EXPECT_EQ(get("Sound", "Music", "s.ini"), "<failed>") << "the first [Sound] section ends at [ Sound ]";
  EXPECT_EQ(get("Nothing", "Volume", "s.ini"), "<failed>") << "lines before the first header never match";
}

TEST_F(Ini, ValueIsTakenAsItStands) {
  write("v.ini", "[A]\nName=  \"a = b\"  \nNum= 42  \nMixed=12abc\nWord=abc\nReal= 1.5 \nEmpty=\n");
  EXPECT_EQ(get("A", "Name", "v.ini"), "  \"a = b\"  ");
  int n = -1;
  EXPECT_EQ(vx_io_ini_get_int("A", "Num", &n, "v.ini"), 5) << "the string read's result: \" 42  \"";
  EXPECT_EQ(n, 42);
  vx_io_ini_get_int("A", "Mixed", &n, "v.ini");
  EXPECT_EQ(n, 12);
  vx_io_ini_get_int("A", "Word", &n, "v.ini");
  EXPECT_EQ(n, 0);
  float f = 0;
  vx_io_ini_get_float("A", "Real", &f, "v.ini");
  EXPECT_FLOAT_EQ(f, 1.5f);
  // A missing number zeroes the integer and keeps the real.
  n = 7;
  EXPECT_EQ(vx_io_ini_get_int("A", "Y", &n, "v.ini"), 0);
  EXPECT_EQ(n, 0);
  EXPECT_EQ(vx_io_ini_get_float("A", "Y", &f, "v.ini"), 0);
  EXPECT_FLOAT_EQ(f, 1.5f);
}

TEST_F(Ini, EmptyValueAndMissingKeyDifferOnlyByStatus) {
  write("e.ini", "[A]\nEmpty=\n");
  char buf[8] = "junk";
  EXPECT_EQ(vx_io_ini_get_string("A", "Empty", buf, 7, "e.ini"), 0);
  EXPECT_EQ(vx_io_get_status(1), 0);
  EXPECT_STREQ(buf, "");
  strcpy(buf, "junk");
  clear_code();
  EXPECT_EQ(vx_io_ini_get_string("A", "Missing", buf, 7, "e.ini"), 0);
  EXPECT_EQ(vx_io_get_status(1), 1);
  EXPECT_STREQ(buf, "");
  EXPECT_EQ(code(), VX_IO_INI_NO_KEY);
  EXPECT_STREQ(vx_error_detail_text(), "e.ini,[A]Missing");
  EXPECT_EQ(vx_io_get_status(2), 0);
  EXPECT_EQ(vx_io_ini_get_string("B", "Empty", buf, 7, "e.ini"), 0);
  EXPECT_EQ(code(), VX_IO_INI_NO_SECTION);
  EXPECT_STREQ(vx_error_detail_text(), "e.ini,[B]Empty");
  EXPECT_EQ(vx_io_ini_get_string("A", "Empty", buf, 7, "none.ini"), 0);
  EXPECT_EQ(code(), VX_IO_OPEN_FAILED);
  EXPECT_EQ(vx_io_get_status(1), 1);
  EXPECT_EQ(vx_io_open_count(), 0) << "every failing read closes its file";
}

TEST_F(Ini, BufferSizeBoundary) {
  write("b.ini", "[A]\nTen=0123456789\n");
  char buf[16];
  std::memset(buf, '#', sizeof buf);
  clear_code();
  EXPECT_EQ(vx_io_ini_get_string("A", "Ten", buf, 10, "b.ini"), 10);
  EXPECT_STREQ(buf, "0123456789");
  EXPECT_EQ(buf[11], '#') << "size + 1 bytes are used, no more";
  EXPECT_EQ(code(), 99) << "an exact fit is no error";
  std::memset(buf, '#', sizeof buf);
  EXPECT_EQ(vx_io_ini_get_string("A", "Ten", buf, 9, "b.ini"), 9);
  EXPECT_STREQ(buf, "012345678");
  EXPECT_EQ(buf[10], '#');
  EXPECT_EQ(code(), VX_IO_INI_TOO_LONG);
  EXPECT_STREQ(vx_error_detail_text(), "[A]Ten=0123456789");
  EXPECT_EQ(vx_io_get_status(1), 0) << "the cut value is still delivered";
}

TEST_F(Ini, LongLinesArePiecesAndOddBytesAreHarmless) {
  std::string text = "[A]\n" + std::string(1023, 'v') + "Key=piece\n";
  text += std::string("Nul=a\0b\n", 8) + "Last=end";
  write("l.ini", text);
  EXPECT_EQ(get("A", "Key", "l.ini"), "piece") << "the 1024th character starts a new piece";
  EXPECT_EQ(get("A", "Nul", "l.ini"), "a");
  EXPECT_EQ(get("A", "Last", "l.ini"), "end") << "a last line without a line end";
}

// ---------------------------------------------------------------- keep-open cache

TEST_F(Ini, CachedReadsInAnyOrderAndAcrossSections) {
  write("c.ini", "Early=0\n[A]\nFirst=1\nSecond=2\n\nThird=3\n[B]\nFirst=b1\nOnly=b\n[C]\nX=c\n");
  ASSERT_EQ(vx_io_ini_set_mode("c.ini", KEEP_OPEN), 1);
  EXPECT_EQ(vx_io_ini_cached_count(), 1);
  EXPECT_EQ(get("A", "Second", "c.ini"), "2");
  EXPECT_EQ(get("A", "First", "c.ini"), "1") << "the scan wraps to the section start";
  EXPECT_EQ(get("A", "Third", "c.ini"), "3");
  EXPECT_EQ(get("C", "X", "c.ini"), "c");
  EXPECT_EQ(get("B", "First", "c.ini"), "b1") << "the section search wraps to the file start";
  EXPECT_EQ(get("B", "Third", "c.ini"), "<failed>") << "a key of another section is not found";
  EXPECT_EQ(get("B", "Only", "c.ini"), "b") << "a failed key scan leaves the section usable";
  EXPECT_EQ(get("Z", "Early", "c.ini"), "<failed>");
  EXPECT_EQ(get("A", "Early", "c.ini"), "<failed>") << "lines before the first header never match";
  EXPECT_EQ(get("A", "First", "c.ini"), "1");
  EXPECT_EQ(vx_io_open_count(), 1);
  EXPECT_EQ(vx_io_ini_set_mode("c.ini", KEEP_CLOSE), 1);
  EXPECT_EQ(vx_io_open_count(), 0);
  EXPECT_EQ(vx_io_ini_cached_count(), 0);
}

TEST_F(Ini, ReadingASectionInFileOrderReadsTheFileAboutOnce) {
  std::string text = "[Other]\n";
  for (int i = 0; i < 50; i++) text += "Pad" + std::to_string(i) + "=" + std::string(30, 'p') + "\n";
  text += "[Big]\n";
  for (int i = 0; i < 200; i++) text += "Key" + std::to_string(i) + "=" + std::to_string(i * 3) + "\n";
  text += "[After]\nX=1\n";
  write("big.ini", text);
  ASSERT_EQ(vx_io_ini_set_mode("big.ini", KEEP_OPEN), 1);
  vx_io_set_bytes_read(0);
  for (int i = 0; i < 200; i++) {
    int v = -1;
    vx_io_ini_get_int("Big", ("Key" + std::to_string(i)).c_str(), &v, "big.ini");
    ASSERT_EQ(v, i * 3);
  }
  EXPECT_LE(vx_io_bytes_read(), static_cast<long long>(text.size()));
  vx_io_ini_set_mode("big.ini", KEEP_CLOSE);
  // Without the cache every read scans from the start (for comparison).
  vx_io_set_bytes_read(0);
  for (int i = 0; i < 200; i++) {
    int v = -1;
    vx_io_ini_get_int("Big", ("Key" + std::to_string(i)).c_str(), &v, "big.ini");
  }
  EXPECT_GT(vx_io_bytes_read(), 50 * static_cast<long long>(text.size()));
}

TEST_F(Ini, ModeRules) {
  write("m.ini", "[A]\nX=1\n");
  clear_code();
  EXPECT_EQ(vx_io_ini_set_mode("m.ini", KEEP_CLOSE), 0);
  EXPECT_EQ(code(), VX_IO_INI_NOT_OPEN);
  EXPECT_EQ(vx_io_ini_set_mode("m.ini", KEEP_OPEN), 1);
  EXPECT_EQ(vx_io_ini_set_mode("m.ini", KEEP_OPEN), 0);
  EXPECT_EQ(code(), VX_IO_INI_ALREADY_OPEN);
  EXPECT_EQ(vx_io_ini_cached_count(), 1);
  EXPECT_EQ(vx_io_ini_set_mode(nullptr, KEEP_OPEN), 0);
  EXPECT_EQ(code(), VX_IO_INI_NULL_NAME);
  EXPECT_EQ(vx_io_ini_set_mode("m.ini", 3), 0);
  EXPECT_EQ(vx_io_ini_set_mode("none.ini", KEEP_OPEN), 0) << "a file that cannot be opened";
  EXPECT_EQ(vx_io_ini_cached_count(), 1);
  for (int quiet : {QUIET_KEY_ON, QUIET_KEY_OFF, QUIET_SECTION_ON, QUIET_SECTION_OFF})
    EXPECT_EQ(vx_io_ini_set_mode(nullptr, quiet), 1);
  EXPECT_EQ(vx_io_ini_set_mode("m.ini", KEEP_CLOSE), 1);
  EXPECT_EQ(vx_io_ini_set_mode("m.ini", KEEP_CLOSE), 0);
}

TEST_F(Ini, QuietFlagsSilenceOnlyTheirFailure) {
  write("q.ini", "[A]\nX=1\n");
  char buf[8];
  vx_io_ini_set_mode(nullptr, QUIET_KEY_ON);
  clear_code();
  EXPECT_EQ(vx_io_ini_get_string("A", "Y", buf, 7, "q.ini"), 0);
  EXPECT_EQ(code(), 99);
  EXPECT_EQ(vx_io_get_status(1), 1);
  EXPECT_EQ(vx_io_ini_get_string("B", "Y", buf, 7, "q.ini"), 0);
  EXPECT_EQ(code(), VX_IO_INI_NO_SECTION);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_ON);
  clear_code();
  EXPECT_EQ(vx_io_ini_get_string("B", "Y", buf, 7, "q.ini"), 0);
  EXPECT_EQ(code(), 99);
}

TEST_F(Ini, CachedFileSeesItsOwnWrites) {
  write("w.ini", "[A]\nX=1\nY=2\n");
  ASSERT_EQ(vx_io_ini_set_mode("w.ini", KEEP_OPEN), 1);
  EXPECT_EQ(get("A", "Y", "w.ini"), "2");
  ASSERT_EQ(vx_io_ini_set_string("A", "X", "longer value", "w.ini"), 1);
  EXPECT_EQ(get("A", "Y", "w.ini"), "2");
  EXPECT_EQ(get("A", "X", "w.ini"), "longer value");
  vx_io_ini_set_mode("w.ini", KEEP_CLOSE);
}

// ---------------------------------------------------------------- writer

struct WriteCase {
  const char* what;
  const char* before;  // null: no file
  const char* section;
  const char* key;
  const char* after;
};

class IniWrite : public Ini, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(IniWrite, RewritesTheFileAsTheRulesSay) {
  const WriteCase& c = GetParam();
  fs::create_directories("cfg");
  if (c.before) write("cfg/w.ini", c.before);
  ASSERT_EQ(vx_io_ini_set_string(c.section, c.key, "v", "cfg\\w.ini"), 1);
  EXPECT_EQ(read("cfg/w.ini"), c.after) << c.what;
  EXPECT_FALSE(fs::exists("cfg/w.ini.bak")) << "the backup is deleted";
  EXPECT_EQ(get(c.section, c.key, "cfg\\w.ini"), "v") << "the reader finds what was written";
}

INSTANTIATE_TEST_SUITE_P(
    Rules, IniWrite,
    ::testing::Values(
        WriteCase{"new file", nullptr, "S", "k", "[S]\nk=v\n"},
        WriteCase{"before a blank line", "[S]\na=1\n\n[T]\nb=2\n", "S", "k", "[S]\na=1\nk=v\n\n[T]\nb=2\n"},
        WriteCase{"replaced in place", "[S]\na=1\nk=old\nc=3\n", "S", "k", "[S]\na=1\nk=v\nc=3\n"},
        WriteCase{"before the next header", "[S]\na=1\n[T]\nk=2\n", "S", "k", "[S]\na=1\nk=v\n[T]\nk=2\n"},
        WriteCase{"missing section appended", "[T]\nb=2\n", "S", "k", "[T]\nb=2\n\n[S]\nk=v\n"},
        WriteCase{"header is the last line", "[T]\nb=2\n[S]\n", "S", "k", "[T]\nb=2\n[S]\nk=v\n"},
        WriteCase{"header without line end", "[T]\nb=2\n[S]", "S", "k", "[T]\nb=2\n[S]\nk=v\n"},
        WriteCase{"key after a blank line", "[S]\na=1\n\nk=old\n", "S", "k", "[S]\na=1\nk=v\n\nk=old\n"},
        WriteCase{"CR LF blank line", "[S]\r\na=1\r\n\r\n", "S", "k", "[S]\r\na=1\r\nk=v\n\r\n"}),
    [](const auto& info) {
      std::string n = info.param.what;
      for (char& c : n)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
      return n;
    });

TEST_F(Ini, LongOldLinesNumbersAndOutputThatCannotBeCreated) {
  write("long.ini", "[S]\nk=" + std::string(600, 'x') + "\nz=1\n");
  ASSERT_EQ(vx_io_ini_set_string("S", "k", "v", "long.ini"), 1);
  EXPECT_EQ(read("long.ini"), "[S]\nk=v\nz=1\n") << "dropped whole; no per-user folder: the start folder";
  fs::create_directories("cfg");
  ASSERT_EQ(vx_io_ini_set_int("N", "I", -42, "cfg\\n.ini"), 1);
  ASSERT_EQ(vx_io_ini_set_float("N", "F", 1.5f, "cfg\\n.ini"), 1);
  EXPECT_EQ(read("cfg/n.ini"), "[N]\nI=-42\nF=1.500000\n");
  EXPECT_EQ(vx_io_ini_set_string("S", "k", "v", "nofolder\\x.ini"), 0);
}

TEST_F(Ini, BareSettingsFileIsCopiedIntoThePerUserFolder) {
  write("Pond.ini", "[Sound]\nVolume=80\n[Display]\nMode=1\n");
  ASSERT_EQ(vx_io_user_folder_prepare("Pond.ini", "Pond"), 1);
  const fs::path user = root / "xdg" / "Harrowby" / "Pond";
  ASSERT_EQ(vx_io_ini_set_string("Sound", "Volume", "55", "Pond.ini"), 1);
  EXPECT_EQ(read("Pond.ini"), "[Sound]\nVolume=80\n[Display]\nMode=1\n") << "the start folder's file stays";
  EXPECT_EQ(read(user / "Pond.ini"), "[Sound]\nVolume=55\n[Display]\nMode=1\n");
  EXPECT_FALSE(fs::exists(user / "Pond.ini.bak"));
  EXPECT_EQ(get("Sound", "Volume", "Pond.ini"), "55") << "later reads find the per-user copy";
  EXPECT_EQ(get("Sound", "Volume", vx_io_settings_path()), "55");
}

// ---------------------------------------------------------------- archived string files

class IniArchived : public IoFixture {
 protected:
  std::string archive;
  void SetUp() override {
    IoFixture::SetUp();
    archive = make_archive(
        {{"data\\texts.txt", "", "[Application]\r\nTitle=Pond\n\rINIFile=Pond.ini\rLNGFile=lang.txt", 0x33}});
    write("resource.dat", archive);
    ASSERT_EQ(start("resource.dat"), 1);
  }
};

TEST_F(IniArchived, EveryLineEndKindReads) {
  char buf[64];
  EXPECT_EQ(vx_io_ini_get_string("Application", "Title", buf, 63, "data\\texts.txt"), 4);
  EXPECT_STREQ(buf, "Pond");
  EXPECT_EQ(vx_io_ini_get_string("Application", "INIFile", buf, 63, "data\\texts.txt"), 8);
  EXPECT_EQ(vx_io_ini_get_string("Application", "LNGFile", buf, 63, "DATA\\TEXTS.TXT"), 8);
  EXPECT_STREQ(buf, "lang.txt");
}

TEST_F(IniArchived, InPlaceUpdateIsRefusedAndTheArchiveStays) {
  boxes().clear();
  EXPECT_EQ(vx_io_ini_set_string("Application", "Title", "Frog", "data\\texts.txt"), 0);
  EXPECT_EQ(code(), VX_IO_RESOURCE_WRITE) << "same length: the write is tried and refused";
  EXPECT_EQ(alerts(), 1);
  EXPECT_EQ(vx_io_ini_set_string("Application", "Title", "Frogger", "data\\texts.txt"), 0);
  EXPECT_EQ(code(), VX_IO_INI_TOO_LONG);
  EXPECT_STREQ(vx_error_detail_text(), "data\\texts.txt, [Application]Title=Frogger");
  EXPECT_EQ(vx_io_ini_set_string("Application", "Nope", "x", "data\\texts.txt"), 0);
  EXPECT_EQ(code(), VX_IO_INI_NO_KEY);
  EXPECT_EQ(vx_io_ini_set_string("Nope", "Title", "x", "data\\texts.txt"), 0);
  EXPECT_EQ(code(), VX_IO_INI_NO_SECTION);
  EXPECT_EQ(alerts(), 1) << "only the refused write is shown without debug";
  EXPECT_EQ(read("resource.dat"), archive);
  EXPECT_FALSE(fs::exists("data"));
  EXPECT_EQ(vx_io_open_count(), 0);
}

// ---------------------------------------------------------------- statistics at shutdown

TEST_F(IoFixture, MemoryStatisticsGoIntoTheSettingsFileAfterShutdown) {
  VX_MEM_SETTINGS mem{0, 0};
  ASSERT_EQ(vx_mem_init(&mem), 1);
  ASSERT_EQ(start(), 1);
  ASSERT_EQ(vx_io_user_folder_prepare("Stats.ini", "Pond"), 1);
  const fs::path file = root / "xdg" / "Harrowby" / "Pond" / "Stats.ini";
  write(file, "[Sound]\nVolume=80\n");
  vx_io_deinit();
  vx_mem_deinit();
  std::string text = read(file);
  EXPECT_EQ(text.rfind("[Sound]\nVolume=80\n\n[System]\nTotalRAM=", 0), 0u) << text;
  for (const char* key :
       {"FreeRAM=", "UsedRAM=", "MaxNumberAlloc=", "NumberAlloc=", "TotalSizeHeap=", "MaxUsedHeap=", "UsedHeap="})
    EXPECT_NE(text.find(std::string("\n") + key), std::string::npos) << key;
}

}  // namespace
