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
        EXPECT_STREQ(vx_img_reason(), "");
        vx_bit_free(&b);
      } else {
        through_loader.refused++;
        EXPECT_STRNE(vx_img_reason(), "") << "a refusal says why";
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

// The reason a tool prints names what kept the picture out.
TEST_F(Corpus, RefusalsSayWhy) {
  Bytes tga(18, 0);
  tga[2] = 99, tga[12] = 4, tga[14] = 4, tga[16] = 24;  // type 99, 4 x 4
  Bytes raw_cut = tga;
  raw_cut[2] = 2;  // true colour, but no pixels follow
  Bytes png = read_file(corpus("png/pngsuite/basn2c08.png"));
  ASSERT_GT(png.size(), 100u);
  Bytes png_cut(png.begin(), png.begin() + long(png.size() - 40));
  const struct {
    int format;
    Bytes data;
    const char* says;
  } cases[] = {
      {VX_IMG_JPEG, read_file(corpus("jpeg/image-rs-image/progressive_cat.jpg")), "progressive"},
      {VX_IMG_JPEG, read_file(corpus("jpeg/pillow/pil_sample_cmyk.jpg")), "CMYK"},
      {VX_IMG_JPEG, read_file(corpus("jpeg/libjpeg-turbo/testimgari.jpg")), "arithmetic"},
      {VX_IMG_TGA, tga, "unknown TGA type"},
      {VX_IMG_TGA, raw_cut, "truncated"},
      {VX_IMG_PNG, png_cut, "truncated"},
      {VX_IMG_PNG, Bytes(png.begin() + 1, png.end()), "not a PNG"},
  };
  for (const auto& c : cases) {
    ASSERT_GT(c.data.size(), 0u) << c.says;
    VX_BITMAP b;
    testing::internal::CaptureStderr();
    EXPECT_EQ(vx_img_decode(c.format, &b, c.data.data(), c.data.size(), 0, "x", nullptr), 0) << c.says;
    testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string(vx_img_reason()).find(c.says), std::string::npos) << vx_img_reason();
  }
  VX_BITMAP b;
  EXPECT_EQ(vx_img_load(&b, "no such picture.png", 0), 0);
  EXPECT_STREQ(vx_img_reason(), "missing or unreadable file");
}
