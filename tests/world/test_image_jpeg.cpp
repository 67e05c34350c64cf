// JPEG decoder: baseline files against ImageMagick within IDCT rounding, sampling factors, restarts, and clean refusals.
#include <cstdlib>

#include "tests/world/test_image_util.h"
#include "world/image/img_jpeg.h"

using namespace img_test;

namespace {

class Jpeg : public ImageTest {};

// Decoders differ in IDCT rounding, colour-conversion rounding and the
// chroma filter at picture edges: a few levels at single pixels, well
// under one level on average.
constexpr double kMeanTolerance = 2.0;
constexpr int kMaxTolerance = 24;

// The code of the first frame marker (C0 to CF but C4, C8, CC), 0 for none;
// `dht` tells whether a Huffman table segment comes before the first scan,
// `components` the frame's component count.
int frame_marker(const Bytes& d, bool* dht, int* components) {
  *dht = false;
  *components = 0;
  int frame = 0;
  for (size_t i = 2; i + 4 <= d.size();) {
    if (d[i] != 0xFF || d[i + 1] == 0xFF || d[i + 1] == 0) {
      i++;
      continue;
    }
    int code = d[i + 1];
    if (code == 0xD8 || (code >= 0xD0 && code <= 0xD7) || code == 0x01) {
      i += 2;
      continue;
    }
    if (code == 0xD9) break;
    if (code == 0xC4) *dht = true;
    if (!frame && code >= 0xC0 && code <= 0xCF && code != 0xC4 && code != 0xC8 && code != 0xCC) {
      frame = code;
      if (i + 9 < d.size()) *components = d[i + 9];
    }
    if (code == 0xDA) break;  // the tables of the first scan come before it
    i += 2 + (size_t(d[i + 2]) << 8 | d[i + 3]);
  }
  return frame;
}

// Decodes `path` and compares it with ImageMagick's reading of the same file.
void expect_close_to_magick(const std::string& path) {
  SCOPED_TRACE(path);
  VX_BITMAP b;
  VX_IMG_INFO info;
  ASSERT_EQ(decode_file(VX_IMG_JPEG, path, &b, &info), 1);
  EXPECT_EQ(b.bpp, 24);
  EXPECT_EQ(b.palette, nullptr);
  Bytes ref = magick_rgba(path);
  Bytes got = expand(b, info);
  ASSERT_EQ(got.size(), ref.size());
  Diff d = compare(got, ref);
  EXPECT_LT(d.mean, kMeanTolerance);
  EXPECT_LT(d.max, kMaxTolerance);
  vx_bit_free(&b);
}

// ImageMagick writes the built-in "rose:" picture (70 x 46: edge MCUs on both sides) with `options`.
std::string magick_jpeg(const std::string& name, const std::string& options) {
  std::string path = temp_path(name);
  std::string cmd = "convert rose: " + options + " -quality 90 '" + path + "'";
  EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
  return path;
}

}  // namespace

// ---------------------------------------------------------------- real files
TEST_F(Jpeg, CorpusBaselineFilesMatchAndOthersAreRefused) {
  int baseline = 0, refused = 0;
  for (std::string dir : {"jpeg/allegro5", "jpeg/image-rs-image", "jpeg/jpeg-decoder-reftest",
                                 "jpeg/libjpeg-turbo", "jpeg/pillow"}) {
    for (const std::string& path : corpus_files(dir, {".jpg", ".jpeg"})) {
      SCOPED_TRACE(path);
      Bytes data = read_file(path);
      bool dht = false;
      int components = 0;
      int frame = data.size() >= 2 && data[0] == 0xFF && data[1] == 0xD8 ? frame_marker(data, &dht, &components) : 0;
      const std::string name = base_name(path);
      if (frame != 0xC0 || !dht || components > 3) {
        // Progressive, extended, lossless, arithmetic-coded; no tables (Motion
        // JPEG frames rely on tables they do not carry); four components
        // (CMYK); not a JPEG at all.
        VX_BITMAP b;
        EXPECT_EQ(decode_file(VX_IMG_JPEG, path, &b, nullptr), 0);
        EXPECT_TRUE(cleared(b));
        refused++;
        continue;
      }
      if (name == "rgb.jpg" || name == "hopper_bad_exif.jpg") {
        // rgb.jpg stores red, green and blue (Adobe transform 0), which the
        // decoder reads as YCbCr like every three-component file;
        // hopper_bad_exif.jpg has damaged entropy-coded data that decoders
        // resynchronise differently. Both only have to decode.
        VX_BITMAP b;
        EXPECT_EQ(decode_file(VX_IMG_JPEG, path, &b, nullptr), 1);
        vx_bit_free(&b);
        continue;
      }
      expect_close_to_magick(path);
      baseline++;
    }
  }
  EXPECT_GE(baseline, 35);
  EXPECT_GE(refused, 15);
}

TEST_F(Jpeg, RestartIntervals) {
  // restarts.jpg: 33 x 33, 4:4:4, five MCUs (one MCU row) per interval.
  const std::string path = corpus("jpeg/jpeg-decoder-reftest/restarts.jpg");
  expect_close_to_magick(path);
  // Damage in the second interval spoils its MCU row only: decoding
  // resumes at the next RSTn marker with fresh DC predictions.
  Bytes data = read_file(path);
  size_t rst0 = 0, rst1 = 0;
  for (size_t i = 0; i + 1 < data.size(); i++) {
    if (data[i] == 0xFF && data[i + 1] == 0xD0) rst0 = i;
    if (data[i] == 0xFF && data[i + 1] == 0xD1) rst1 = i;
  }
  ASSERT_TRUE(rst0 && rst1 > rst0 + 40);
  Bytes damaged = data;
  std::fill(damaged.begin() + long(rst0 + 10), damaged.begin() + long(rst0 + 30), 0xFE);
  VX_BITMAP sound, hurt;
  ASSERT_EQ(vx_img_jpeg_decode(&sound, data.data(), data.size(), 0, nullptr, nullptr), 1);
  ASSERT_EQ(vx_img_jpeg_decode(&hurt, damaged.data(), damaged.size(), 0, nullptr, nullptr), 1);
  const size_t row = 33 * 3;
  EXPECT_EQ(std::memcmp(sound.pixels, hurt.pixels, 8 * row), 0);                 // rows 0-7
  EXPECT_NE(std::memcmp(sound.pixels + 8 * row, hurt.pixels + 8 * row, 8 * row), 0);  // rows 8-15
  EXPECT_EQ(std::memcmp(sound.pixels + 16 * row, hurt.pixels + 16 * row, 17 * row), 0);  // rows 16-32
  vx_bit_free(&sound);
  vx_bit_free(&hurt);
}

// ---------------------------------------------------------------- sampling factors
TEST_F(Jpeg, EverySamplingLayoutDecodes) {
  // 4:2:0, 4:2:2, 4:4:4, 4:4:0, and the wide factors 4 x 1 and 4 x 2.
  for (std::string s : {"2x2", "2x1", "1x1", "1x2", "4x1", "4x2"}) {
    std::string path = magick_jpeg("rose_" + s + ".jpg", "-sampling-factor " + s);
    expect_close_to_magick(path);
    std::remove(path.c_str());
  }
}

TEST_F(Jpeg, GreyFilesFillAllThreeChannels) {
  std::string path = magick_jpeg("rose_grey.jpg", "-colorspace Gray");
  expect_close_to_magick(path);
  VX_BITMAP b;
  ASSERT_EQ(decode_file(VX_IMG_JPEG, path, &b, nullptr), 1);
  for (size_t i = 0; i < size_t(b.width) * size_t(b.height); i++) {
    ASSERT_EQ(b.pixels[3 * i], b.pixels[3 * i + 1]);
    ASSERT_EQ(b.pixels[3 * i], b.pixels[3 * i + 2]);
  }
  vx_bit_free(&b);
  std::remove(path.c_str());
}

TEST_F(Jpeg, ProgressiveFilesYieldNoPicture) {
  std::string path = magick_jpeg("rose_progressive.jpg", "-interlace JPEG");
  VX_BITMAP b;
  EXPECT_EQ(decode_file(VX_IMG_JPEG, path, &b, nullptr), 0);
  EXPECT_TRUE(cleared(b));
  std::remove(path.c_str());
}

// ---------------------------------------------------------------- bad input
TEST_F(Jpeg, DamagedFilesAreRefusedOrDecodedWithoutFault) {
  Bytes good = read_file(corpus("jpeg/pillow/hopper.jpg"));
  ASSERT_GT(good.size(), 1000u);
  VX_BITMAP b;
  // Cut in the middle of the entropy-coded data: what was decoded stands.
  Bytes cut(good.begin(), good.begin() + long(good.size() * 3 / 4));
  EXPECT_EQ(vx_img_jpeg_decode(&b, cut.data(), cut.size(), 0, nullptr, nullptr), 1);
  vx_bit_free(&b);
  // No SOI; nothing but SOI; SOI and EOI.
  const std::vector<Bytes> refused = {Bytes(good.begin() + 2, good.end()), {0xFF, 0xD8}, {0xFF, 0xD8, 0xFF, 0xD9}};
  for (const Bytes& d : refused) {
    EXPECT_EQ(vx_img_jpeg_decode(&b, d.data(), d.size(), 0, nullptr, nullptr), 0);
    EXPECT_TRUE(cleared(b));
  }
  // The frame header: 12-bit samples, four components, zero height.
  size_t sof = 2;
  while (sof + 1 < good.size() && !(good[sof] == 0xFF && good[sof + 1] == 0xC0)) sof++;
  ASSERT_LT(sof + 10, good.size());
  for (auto [offset, value] : {std::pair<size_t, uint8_t>{4, 12}, {9, 4}, {5, 0}}) {
    Bytes bad = good;
    bad[sof + offset] = value;
    if (offset == 5) bad[sof + 6] = 0;
    EXPECT_EQ(vx_img_jpeg_decode(&b, bad.data(), bad.size(), 0, nullptr, nullptr), 0) << "offset " << offset;
    EXPECT_TRUE(cleared(b));
  }
}

TEST_F(Jpeg, TestSeesOnlyTheStartMarker) {
  const uint8_t soi[] = {0xFF, 0xD8, 0xFF};
  EXPECT_EQ(vx_img_jpeg_test(soi, 3), 1);
  EXPECT_EQ(vx_img_jpeg_test(soi, 1), 0);
  EXPECT_EQ(vx_img_jpeg_test(soi + 1, 2), 0);
  EXPECT_EQ(vx_img_jpeg_test(nullptr, 0), 0);
}
