// respack's packer: a folder tree packed and read back through the file layer byte for byte; seeded builds repeat.
#include <random>

#include "tests/core/test_vx_io_fixture.h"

using namespace io_test;

namespace {

class IoPack : public IoFixture {
 protected:
  // name inside the archive -> plain bytes
  std::vector<std::pair<std::string, std::string>> files;

  void SetUp() override {
    IoFixture::SetUp();
    std::mt19937 rng(7);
    std::string big(200000, 0);
    for (char& c : big) c = static_cast<char>(rng());
    std::string all;
    for (int i = 0; i < 256; i++) all.push_back(static_cast<char>(i));
    files = {
        {"data\\texts.txt", "[Application]\r\nTitle=Pond Sprint\r\n"},
        {"data\\Levels\\Level01.def", "def"},
        {"data\\Levels\\big.bin", big},
        {"data\\empty.txt", ""},
        {"all256.bin", all},
        {"Music\\deep\\er\\x.s3m", "SCRM"},
    };
    for (auto& [name, bytes] : files) {
      std::string os = name;
      for (char& c : os)
        if (c == '\\') c = '/';
      write(root / "tree" / os, bytes);
    }
  }
};

TEST_F(IoPack, EveryFileReadsBackThroughTheLayer) {
  ASSERT_EQ(vx_io_archive_pack_folder((root / "tree").c_str(), "resource.dat", 1234), 6);
  ASSERT_EQ(start("resource.dat"), 1);
  EXPECT_EQ(vx_io_resource_count(), 6);
  for (auto& [name, bytes] : files) {
    long size = -1;
    char* data = static_cast<char*>(vx_io_load(name.c_str(), &size));
    ASSERT_NE(data, nullptr) << name;
    EXPECT_EQ(std::string(data, static_cast<size_t>(size)), bytes) << name;
    vx_mem_free(data);
    // Also in odd-sized pieces, with the handle checked to be archived.
    VX_IO_FILE* h = vx_io_fopen(name.c_str(), "rb");
    ASSERT_NE(h, nullptr);
    EXPECT_NE(vx_io_file_entry(h), 0u);
    std::string got;
    char buf[333];
    size_t n;
    while ((n = vx_io_fread(buf, 1, sizeof buf, h)) > 0) got.append(buf, n);
    EXPECT_EQ(got, bytes) << name;
    vx_io_fclose(h);
  }
}

TEST_F(IoPack, DataAndTableAreCoded) {
  ASSERT_EQ(vx_io_archive_pack_folder((root / "tree").c_str(), "resource.dat", 99), 6);
  std::string archive = read("resource.dat");
  EXPECT_EQ(archive.find("Title=Pond Sprint"), std::string::npos);
  EXPECT_EQ(archive.find("Level01"), std::string::npos);
  EXPECT_EQ(archive.size(), 200000 + 256 + 3 + 4 + 34 + 0 + 6 * 15 + std::string("data\\texts.txt").size() +
                                std::string("data\\Levels\\Level01.def").size() +
                                std::string("data\\Levels\\big.bin").size() + std::string("data\\empty.txt").size() +
                                std::string("all256.bin").size() + std::string("Music\\deep\\er\\x.s3m").size() + 13);
}

TEST_F(IoPack, EqualSeedsGiveEqualArchives) {
  ASSERT_EQ(vx_io_archive_pack_folder((root / "tree").c_str(), "a.dat", 5), 6);
  ASSERT_EQ(vx_io_archive_pack_folder((root / "tree").c_str(), "b.dat", 5), 6);
  ASSERT_EQ(vx_io_archive_pack_folder((root / "tree").c_str(), "c.dat", 6), 6);
  EXPECT_EQ(read("a.dat"), read("b.dat"));
  EXPECT_NE(read("a.dat"), read("c.dat"));
}

TEST_F(IoPack, RecordsCarryTheCrcOfThePlainData) {
  ASSERT_EQ(vx_io_archive_pack_folder((root / "tree").c_str(), "resource.dat", 3), 6);
  std::string a = read("resource.dat");
  std::vector<uint8_t> bytes(a.begin(), a.end());
  VX_IO_ARCHIVE_TRAILER t = vx_io_archive_trailer(bytes.data() + bytes.size() - 13);
  ASSERT_EQ(t.magic, VX_IO_ARCHIVE_MAGIC);
  ASSERT_EQ(t.count, 6u);
  uint8_t* toc = bytes.data() + t.toc_offset;
  size_t toc_size = bytes.size() - 13 - t.toc_offset;
  for (size_t i = 0; i < toc_size; i++) toc[i] ^= t.toc_key;
  std::vector<VX_IO_ARCHIVE_REF> refs(t.count + 1);
  ASSERT_EQ(vx_io_archive_walk(toc, toc_size, t.count, bytes.size() - 13, refs.data()), 1);
  // Byte order of the names as found ('M' sorts before 'a'), upper-cased by the walk.
  EXPECT_STREQ(refs[0].name_a, "MUSIC\\DEEP\\ER\\X.S3M");
  EXPECT_STREQ(refs[1].name_a, "ALL256.BIN");
  for (uint32_t i = 0; i < t.count; i++) {
    VX_IO_ARCHIVE_RECORD r = vx_io_archive_record(refs[i].record);
    EXPECT_NE(r.data_key, 0) << refs[i].name_a;
    std::vector<uint8_t> plain(bytes.begin() + r.offset, bytes.begin() + r.offset + r.size);
    for (uint8_t& c : plain) c ^= r.data_key;
    EXPECT_EQ(vx_io_crc32(0, plain.data(), plain.size()), r.crc) << refs[i].name_a;
  }
  // The standard check value of CRC-32: "123456789" gives 0xCBF43926.
  EXPECT_EQ(vx_io_crc32(0, reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
}

TEST_F(IoPack, ArchiveInsideThePackedFolderIsLeftOut) {
  const std::string inside = (root / "tree" / "resource.dat").string();
  ASSERT_EQ(vx_io_archive_pack_folder((root / "tree").c_str(), inside.c_str(), 1), 6);
  ASSERT_EQ(vx_io_archive_pack_folder((root / "tree").c_str(), inside.c_str(), 1), 6) << "not 7 on the second run";
}

TEST_F(IoPack, MissingFolderFails) {
  EXPECT_EQ(vx_io_archive_pack_folder((root / "nothing").c_str(), "r.dat", 1), -1);
  EXPECT_FALSE(fs::exists("r.dat"));
}

}  // namespace
