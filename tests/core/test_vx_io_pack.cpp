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
      write(tmp.path / "tree" / os, bytes);
    }
  }
};

TEST_F(IoPack, EveryFileReadsBackThroughTheLayer) {
  ASSERT_EQ(vx_io_archive_pack_folder((tmp.path / "tree").c_str(), "resource.dat", 1234), 6);
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

TEST_F(IoPack, EqualSeedsGiveEqualArchives) {
  ASSERT_EQ(vx_io_archive_pack_folder((tmp.path / "tree").c_str(), "a.dat", 5), 6);
  ASSERT_EQ(vx_io_archive_pack_folder((tmp.path / "tree").c_str(), "b.dat", 5), 6);
  ASSERT_EQ(vx_io_archive_pack_folder((tmp.path / "tree").c_str(), "c.dat", 6), 6);
  EXPECT_EQ(read("a.dat"), read("b.dat"));
  EXPECT_NE(read("a.dat"), read("c.dat"));
}

TEST_F(IoPack, ArchiveInsideThePackedFolderIsLeftOut) {
  const std::string inside = (tmp.path / "tree" / "resource.dat").string();
  ASSERT_EQ(vx_io_archive_pack_folder((tmp.path / "tree").c_str(), inside.c_str(), 1), 6);
  ASSERT_EQ(vx_io_archive_pack_folder((tmp.path / "tree").c_str(), inside.c_str(), 1), 6) << "not 7 on the second run";
}

}  // namespace
