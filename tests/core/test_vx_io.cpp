// File layer: archive lookup, bounded archived reads, line ends, refused writes, loose lookup, start and shutdown.
#include <cctype>
#include <cstdio>

#include "tests/core/test_vx_io_fixture.h"

using namespace io_test;

namespace {

class IoArchive : public IoFixture {
 protected:
  std::string archive_bytes;
  void SetUp() override {
    IoFixture::SetUp();
    archive_bytes = make_archive({
        {"data\\texts.txt", "", "archived texts", 0x21},
        {"data\\lines.txt", "", "one\r\ntwo\n\rthree\nfour\rfive\n\nsix\r\n\r\nseven", 0x7F},
        {"data\\ten.bin", "alias.bin", "0123456789", 0xC3},
        {"DATA\\TEXTS.TXT", "", "second entry of the same name", 0x01},
        {"data\\empty.txt", "", "", 0x10},
    });
    write("resource.dat", archive_bytes);
    write("data/texts.txt", "loose texts");
    ASSERT_EQ(start("resource.dat"), 1);
  }
  std::string read_all(const char* name) {
    VX_IO_FILE* h = vx_io_fopen(name, "rb");
    if (!h) return "<none>";
    std::string s;
    char buf[7];
    size_t n;
    while ((n = vx_io_fread(buf, 1, sizeof buf, h)) > 0) s.append(buf, n);
    vx_io_fclose(h);
    return s;
  }
};

// ---------------------------------------------------------------- lookup

TEST_F(IoArchive, ArchivedCopyWinsOverLooseWhateverTheCase) {
  EXPECT_EQ(vx_io_resource_count(), 5);
  for (const char* name : {"data\\texts.txt", "DATA\\TEXTS.TXT", "Data\\Texts.Txt"}) {
    VX_IO_FILE* h = vx_io_fopen(name, "rb");
    ASSERT_NE(h, nullptr) << name;
    EXPECT_EQ(vx_io_file_entry(h), 1u) << "the first matching entry wins";
    EXPECT_STREQ(vx_io_file_name(h), name) << "the name is kept as given";
    vx_io_fclose(h);
    EXPECT_EQ(read_all(name), "archived texts");
  }
  EXPECT_EQ(read_all("ALIAS.bin"), "0123456789") << "the second name also matches";
}

// ---------------------------------------------------------------- bounded reads

TEST_F(IoArchive, ReadsStopAtTheEntryEnd) {
  VX_IO_FILE* h = vx_io_fopen("data\\ten.bin", "rb");
  ASSERT_NE(h, nullptr);
  char buf[64] = {};
  EXPECT_EQ(vx_io_fread(buf, 4, 5, h), 2u) << "whole items that fit";
  EXPECT_EQ(std::string(buf, 8), "01234567");
  EXPECT_EQ(vx_io_fread(buf, 1, 64, h), 2u);
  EXPECT_EQ(std::string(buf, 2), "89");
  EXPECT_EQ(vx_io_fread(buf, 1, 64, h), 0u);
  EXPECT_EQ(vx_io_fgetc(h), -1);
  EXPECT_TRUE(vx_io_feof(h));
  EXPECT_EQ(vx_io_fgets(buf, sizeof buf, h), nullptr);
  vx_io_fclose(h);
}

TEST_F(IoArchive, SeekIsRelativeToTheEntry) {
  VX_IO_FILE* h = vx_io_fopen("data\\ten.bin", "rb");
  ASSERT_NE(h, nullptr);
  char buf[4];
  EXPECT_EQ(vx_io_fseek(h, 0, SEEK_END), 0);
  EXPECT_EQ(vx_io_ftell(h), 10);
  EXPECT_TRUE(vx_io_feof(h));
  EXPECT_EQ(vx_io_fread(buf, 1, 1, h), 0u);
  EXPECT_EQ(vx_io_fseek(h, -3, SEEK_END), 0);
  EXPECT_EQ(vx_io_fgetc(h), '7');
  EXPECT_EQ(vx_io_fseek(h, -2, SEEK_CUR), 0);
  EXPECT_EQ(vx_io_ftell(h), 6);
  EXPECT_EQ(vx_io_fgetc(h), '6');
  EXPECT_EQ(vx_io_fseek(h, -1, SEEK_SET), -1) << "before the entry";
  EXPECT_EQ(vx_io_ftell(h), 7) << "a failed seek leaves the position";
  vx_io_rewind(h);
  EXPECT_EQ(vx_io_ftell(h), 0);
  EXPECT_EQ(vx_io_fgetc(h), '0');
  EXPECT_EQ(vx_io_fseek(h, 20, SEEK_SET), 0) << "past the end is allowed";
  EXPECT_EQ(vx_io_fread(buf, 1, 4, h), 0u) << "but delivers nothing";
  vx_io_fclose(h);
}

TEST_F(IoArchive, LinesReadAlikeWhateverTheirEnds) {
  write("loose.txt", "alpha\r\nbeta\n\ngamma");
  struct Case {
    const char* name;
    int size;  // of the line buffer
    std::vector<std::string> lines;
  };
  const Case cases[] = {
      {"data\\empty.txt", 8, {}},  // at its end at once
      {"data\\lines.txt", 64, {"one", "two", "three", "four", "five", "", "six", "", "seven"}},  // four kinds of line end
      {"data\\ten.bin", 5, {"0123", "4567", "89"}},  // a long archived line comes in pieces
      {"loose.txt", 64, {"alpha", "beta", "", "gamma"}},  // loose lines lose their CR LF
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    VX_IO_FILE* h = vx_io_fopen(c.name, "rb");
    ASSERT_NE(h, nullptr);
    std::vector<std::string> lines;
    std::vector<char> line(size_t(c.size), 'x');
    while (vx_io_fgets(line.data(), c.size, h)) lines.push_back(line.data());
    EXPECT_EQ(lines, c.lines);
    if (c.lines.empty()) {
      EXPECT_STREQ(line.data(), "") << "the buffer is emptied";
    }
    EXPECT_TRUE(vx_io_feof(h));
    vx_io_fclose(h);
  }
}

// ---------------------------------------------------------------- refused writes

// ---------------------------------------------------------------- bad archives

struct BadArchive {
  const char* what;
  std::string bytes;
};

class IoBadArchive : public IoFixture, public ::testing::WithParamInterface<BadArchive> {};

static std::string good() { return make_archive({{"A.TXT", "", "hello", 3}, {"B.TXT", "", "world", 4}}); }

static std::string patched(size_t from_end, uint32_t value) {
  std::string s = good();
  for (int i = 0; i < 4; i++) s[s.size() - from_end + i] = static_cast<char>(value >> (8 * i));
  return s;
}

static std::vector<BadArchive> bad_archives() {
  std::string g = good();
  // A 20-byte name whose terminator and record are cut off: the table is
  // long enough for one entry by size, but its name runs to the trailer.
  std::string whole = make_archive({{std::string(20, 'A'), "", "hello", 3}});
  std::string cut = whole.substr(0, 5 + 20) + whole.substr(whole.size() - 13);
  std::string offset_out = make_archive({{"A.TXT", "", "hello", 0}}, 0);
  // The record's offset field sits after "A.TXT\0\0" in the table (plain, keys 0).
  size_t rec = 5 + 7;
  offset_out[rec + 3] = 0x7F;
  std::string size_out = make_archive({{"A.TXT", "", "hello", 0}}, 0);
  size_out[rec + 4 + 2] = 0x01;
  return {
      {"empty", ""},
      {"eight bytes", std::string(8, 'x')},
      {"twelve bytes", std::string(12, 'x')},
      {"truncated", g.substr(0, g.size() - 5)},
      {"wrong magic", patched(13, 0xCAFEBABEu)},
      {"table past the trailer", patched(9, static_cast<uint32_t>(g.size()))},
      {"table offset huge", patched(9, 0xFFFFFFF0u)},
      {"count huge", patched(5, 0x7FFFFFFFu)},
      {"count one too many", patched(5, 3)},
      {"names not terminated", cut},
      {"entry offset outside the file", offset_out},
      {"entry size outside the file", size_out},
  };
}

TEST_P(IoBadArchive, FailsTheLoadAndLooseFilesStillWork) {
  write("resource.dat", GetParam().bytes);
  write("A.TXT", "loose a");
  clear_code();
  EXPECT_EQ(start("resource.dat"), 0) << GetParam().what;
  EXPECT_EQ(code(), VX_IO_RESOURCE_INIT);
  EXPECT_EQ(alerts(), 0) << "shown in debug mode only";
  EXPECT_EQ(vx_io_resource_count(), 0);
  EXPECT_EQ(vx_io_open_count(), 0) << "the archive is closed again";
  VX_IO_FILE* h = vx_io_fopen("A.TXT", "rb");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(vx_io_file_entry(h), 0u);
  vx_io_fclose(h);
}

INSTANTIATE_TEST_SUITE_P(Damaged, IoBadArchive, ::testing::ValuesIn(bad_archives()), [](const auto& info) {
  std::string n = info.param.what;
  for (char& c : n)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return n;
});

TEST_F(IoFixture, MissingArchiveShowsOneMessageAndLooseFilesWork) {
  write("data/texts.txt", "loose");
  EXPECT_EQ(start("resource.dat"), 0);
  EXPECT_EQ(alerts(), 1);
  EXPECT_EQ(code(), VX_IO_OPEN_FAILED);
  ASSERT_FALSE(boxes().empty());
  EXPECT_NE(boxes()[0].find("Could not open file"), std::string::npos);
  EXPECT_NE(boxes()[0].find("resource.dat"), std::string::npos);
  EXPECT_TRUE(vx_io_running());
  long size = 0;
  char* text = static_cast<char*>(vx_io_load("data\\texts.txt", &size));
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(std::string(text, size), "loose");
  vx_mem_free(text);
}

}  // namespace
