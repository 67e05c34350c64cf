// Every file of the picture corpus, damaged ones included, through the loader and the decoders: loaded or refused, never a fault.
#include "tests/world/test_image_util.h"

using namespace img_test;

namespace {

class Corpus : public ImageTest {};

struct Counts {
  int loaded = 0, refused = 0;
};

// Decodes `data` as `format` with and without the palette flag and a
// prefix of it; checks the record's invariants after each. Counts the full decode.
void decode_all_ways(int format, const std::string& path, const Bytes& data, Counts* c) {
  for (int flags : {VX_IMG_PALETTE, 0}) {
    VX_BITMAP b;
    VX_IMG_INFO info;
    int ok = vx_img_decode(format, &b, data.data(), data.size(), flags, path.c_str(), &info);
    if (ok) {
      EXPECT_GT(b.width, 0);
      EXPECT_GT(b.height, 0);
      ASSERT_NE(b.pixels, nullptr);
      Bytes rgba(size_t(b.width) * size_t(b.height) * 4);
      EXPECT_EQ(vx_img_expand_rgba(&b, &info, rgba.data()), 1);
      vx_bit_free(&b);
    } else {
      EXPECT_EQ(b.pixels, nullptr);
      EXPECT_EQ(b.palette, nullptr);
    }
    if (flags) (ok ? c->loaded : c->refused)++;
  }
  Bytes half(data.begin(), data.begin() + long(data.size() / 2));
  VX_BITMAP b;
  if (vx_img_decode(format, &b, half.data(), half.size(), VX_IMG_PALETTE, path.c_str(), nullptr)) vx_bit_free(&b);
}

}  // namespace

TEST_F(Corpus, EveryFileLoadsOrIsRefusedWithoutFault) {
  const std::vector<std::pair<const char*, int>> folders = {
      {"png", VX_IMG_PNG}, {"jpeg", VX_IMG_JPEG}, {"tga", VX_IMG_TGA}, {"pcx", VX_IMG_PCX}};
  int files = 0;
  for (const auto& [folder, format] : folders) {
    Counts own, through_loader;
    // Every file of the folder, whatever its name says, goes to the folder's decoder.
    for (const std::string& path : corpus_files(folder, {""})) {
      SCOPED_TRACE(path);
      testing::internal::CaptureStderr();  // the "not supported yet" boxes
      decode_all_ways(format, path, read_file(path), &own);
      VX_BITMAP b;
      if (vx_img_load(&b, path.c_str(), VX_IMG_PALETTE)) {
        through_loader.loaded++;
        vx_bit_free(&b);
      } else {
        through_loader.refused++;
      }
      testing::internal::GetCapturedStderr();
      files++;
    }
    std::printf("%-5s %3d loaded, %3d refused by the decoder; through the loader %3d loaded, %3d refused\n", folder,
                own.loaded, own.refused, through_loader.loaded, through_loader.refused);
    EXPECT_GT(own.loaded, 0);
  }
  EXPECT_GT(files, 600);
}
