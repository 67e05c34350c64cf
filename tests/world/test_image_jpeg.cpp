// JPEG decoder: baseline files against libjpeg-turbo and ImageMagick, sampling factors, single-component scans, restarts, and clean refusals.
#include <dlfcn.h>
#include <setjmp.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>  // after <cstdio>: it uses FILE

#include "tests/world/test_image_util.h"
#include "world/image/img_jpeg.h"

using namespace img_test;

namespace {

class Jpeg : public ImageTest {};

// ImageMagick reads JPEG through the system's libjpeg. With libjpeg-turbo
// it agrees with the check below; IJG's libjpeg 7 and later bring halved
// chroma to size with a scaled IDCT instead of the triangle filter: a few
// levels at single pixels, well under one level on average.
constexpr double kMeanTolerance = 2.0;
constexpr int kMaxTolerance = 24;

// libjpeg-turbo with its defaults (accurate integer IDCT, triangle-filter
// upsampling) computes the same samples; only the colour formulas differ:
// ours drop the fraction of the 16.16 products where libjpeg-turbo rounds
// them, which moves a channel by at most one level, in about half the pixels.
constexpr int kLibjpegMax = 1;
constexpr double kLibjpegMean = 0.75;  // tiny files: 2 of 3 values in a 1 x 1 picture

// ---------------------------------------------------------------- libjpeg-turbo
// Loaded at run time, so that nothing links it; tests that need it are
// skipped when it is not installed.
struct LibJpeg {
  void* lib;
  decltype(&jpeg_std_error) std_error;
  decltype(&jpeg_CreateDecompress) create_decompress;
  decltype(&jpeg_mem_src) mem_src;
  decltype(&jpeg_read_header) read_header;
  decltype(&jpeg_start_decompress) start_decompress;
  decltype(&jpeg_read_scanlines) read_scanlines;
  decltype(&jpeg_finish_decompress) finish_decompress;
  decltype(&jpeg_destroy_decompress) destroy_decompress;
};

template <typename F>
void bind(void* lib, F* out, const char* name) {
  *out = lib ? reinterpret_cast<F>(dlsym(lib, name)) : nullptr;
}

const LibJpeg* libjpeg() {
  static LibJpeg l = [] {
    LibJpeg j = {};
    j.lib = dlopen("libjpeg.so.62", RTLD_NOW);
    bind(j.lib, &j.std_error, "jpeg_std_error");
    bind(j.lib, &j.create_decompress, "jpeg_CreateDecompress");
    bind(j.lib, &j.mem_src, "jpeg_mem_src");
    bind(j.lib, &j.read_header, "jpeg_read_header");
    bind(j.lib, &j.start_decompress, "jpeg_start_decompress");
    bind(j.lib, &j.read_scanlines, "jpeg_read_scanlines");
    bind(j.lib, &j.finish_decompress, "jpeg_finish_decompress");
    bind(j.lib, &j.destroy_decompress, "jpeg_destroy_decompress");
    return j;
  }();
  return l.lib && l.destroy_decompress ? &l : nullptr;
}

// libjpeg reports errors through a callback that must not return.
struct Failure {
  jpeg_error_mgr mgr;
  jmp_buf back;
};
void fail_back(j_common_ptr c) { longjmp(reinterpret_cast<Failure*>(c->err)->back, 1); }
void no_message(j_common_ptr, int) {}

// libjpeg-turbo's R, G, B pixels of `data` into *out; false when it refuses
// them. (Everything the error path uses lives outside this frame or is set
// before setjmp, as longjmp requires.)
bool libjpeg_decode_into(const Bytes& data, jpeg_decompress_struct* c, Failure* f, Bytes* out) {
  const LibJpeg* l = libjpeg();
  c->err = l->std_error(&f->mgr);
  f->mgr.error_exit = fail_back;
  f->mgr.emit_message = no_message;
  if (setjmp(f->back)) {
    l->destroy_decompress(c);
    return false;
  }
  l->create_decompress(c, JPEG_LIB_VERSION, sizeof *c);
  l->mem_src(c, data.data(), static_cast<unsigned long>(data.size()));
  l->read_header(c, TRUE);
  c->out_color_space = JCS_RGB;
  l->start_decompress(c);
  out->resize(size_t(c->output_width) * c->output_height * 3);
  while (c->output_scanline < c->output_height) {
    JSAMPROW row = out->data() + size_t(c->output_scanline) * c->output_width * 3;
    l->read_scanlines(c, &row, 1);
  }
  l->finish_decompress(c);
  l->destroy_decompress(c);
  return true;
}

// libjpeg-turbo's R, G, B pixels of `data`; empty when it refuses them.
Bytes libjpeg_rgb(const Bytes& data) {
  jpeg_decompress_struct c;
  Failure f;
  Bytes out;
  return libjpeg_decode_into(data, &c, &f, &out) ? out : Bytes{};
}


// Per-channel difference of two R, G, B buffers.
Diff compare_rgb(const uint8_t* a, const Bytes& b) {
  Diff d = {0, 0};
  for (size_t i = 0; i < b.size(); i++) {
    const int e = std::abs(int(a[i]) - int(b[i]));
    d.mean += e;
    d.max = std::max(d.max, e);
  }
  if (!b.empty()) d.mean /= double(b.size());
  return d;
}

// Decodes `data` and compares it with libjpeg-turbo's decoding, when installed.
void expect_close_to_libjpeg(const Bytes& data) {
  if (!libjpeg()) return;
  Bytes ref = libjpeg_rgb(data);
  ASSERT_FALSE(ref.empty());
  VX_BITMAP b;
  ASSERT_EQ(vx_img_jpeg_decode(&b, data.data(), data.size(), 0, nullptr, nullptr), 1);
  ASSERT_EQ(size_t(b.width) * size_t(b.height) * 3, ref.size());
  Diff d = compare_rgb(b.pixels, ref);
  EXPECT_LE(d.max, kLibjpegMax);
  EXPECT_LT(d.mean, kLibjpegMean);
  vx_bit_free(&b);
}

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

// Decodes `path` and compares it with ImageMagick's reading of the same
// file and with libjpeg-turbo's.
void expect_close_to_references(const std::string& path) {
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
  expect_close_to_libjpeg(read_file(path));
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
      expect_close_to_references(path);
      baseline++;
    }
  }
  EXPECT_GE(baseline, 35);
  EXPECT_GE(refused, 15);
}

// ---------------------------------------------------------------- scans of one component

// ---------------------------------------------------------------- sampling factors
TEST_F(Jpeg, EverySamplingLayoutDecodes) {
  // 4:2:0, 4:2:2, 4:4:4, 4:4:0, and the wide factors 4 x 1 and 4 x 2.
  for (std::string s : {"2x2", "2x1", "1x1", "1x2", "4x1", "4x2"}) {
    std::string path = magick_jpeg("rose_" + s + ".jpg", "-sampling-factor " + s);
    expect_close_to_references(path);
    std::remove(path.c_str());
  }
}

// ---------------------------------------------------------------- bad input
TEST_F(Jpeg, FrameLargerThanItsScanIsRefusedUnmade) {
  Bytes bomb = read_file(corpus("jpeg/pillow/hopper.jpg"));
  size_t sof = 2;
  while (sof + 1 < bomb.size() && !(bomb[sof] == 0xFF && bomb[sof + 1] == 0xC0)) sof++;
  ASSERT_LT(sof + 10, bomb.size());
  for (size_t i : {5, 7}) bomb[sof + i] = 0x7F, bomb[sof + i + 1] = 0xFF;
  VX_BITMAP b;
  EXPECT_EQ(vx_img_jpeg_decode(&b, bomb.data(), bomb.size(), 0, nullptr, nullptr), 0);
  EXPECT_LT(vx_mem_max_used(), 1 << 20);
}

