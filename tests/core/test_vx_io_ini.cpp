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
  // Several keys in one rewrite end as the same keys set one after another.
  const char* keys[] = {"a", c.key, "new"};
  const char* values[] = {"w", "v", nullptr};
  fs::remove("cfg/w.ini");
  if (c.before) write("cfg/w.ini", c.before);
  ASSERT_EQ(vx_io_ini_set_strings(c.section, keys, values, 3, "cfg\\w.ini"), 1);
  if (c.before) write("cfg/one.ini", c.before);
  for (int i = 0; i < 3; i++) vx_io_ini_set_string(c.section, keys[i], values[i], "cfg\\one.ini");
  EXPECT_EQ(read("cfg/w.ini"), read("cfg/one.ini")) << c.what;
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

// ---------------------------------------------------------------- statistics at shutdown

}  // namespace
