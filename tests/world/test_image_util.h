// Helpers of the picture decoder tests: ImageMagick as the reference reader, RGBA expansion, corpus listing, file builders.
#pragma once
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "display/vx_bit.h"
#include "world/image/img_load.h"

namespace img_test {

using Bytes = std::vector<uint8_t>;

// Every test starts the error module and the memory tracker and checks at
// the end that the decoders left no block behind.
class ImageTest : public testing::Test {
 protected:
  void SetUp() override {
    VX_ERROR_SETTINGS quiet = {0};
    vx_error_init(&quiet);
    static VX_MEM_SETTINGS mem;  // the tracker keeps a pointer to it
    mem = {0, 1 << 22};
    vx_mem_init(&mem);
    vx_img_set_limit(0);
  }
  void TearDown() override {
    EXPECT_EQ(vx_mem_deinit(), 1) << "a decoder leaked a block";
    vx_error_deinit();
  }
};

// Values of several fields side by side: EXPECT_EQ(nums(b.width, b.bpp), nums(2, 8)).
// The arguments are evaluated in no set order: pass reads without side effects only.
template <typename... T>
std::vector<double> nums(T... v) {
  return {double(v)...};
}

inline std::string corpus(const std::string& rel) { return std::string(PS_CORPUS) + "/" + rel; }

// A path in the temporary folder that no other test process uses at the
// same time: "<temp>/<pid>_<name>" (several builds may run these tests at once).
inline std::string temp_path(const std::string& name) {
  return testing::TempDir() + std::to_string(getpid()) + "_" + name;
}

inline Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_file(const std::string& path, const Bytes& data) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
}

// Every regular file under corpus folder `rel`, sorted, whose lower-case
// name ends in one of `exts`.
inline std::vector<std::string> corpus_files(const std::string& rel, const std::vector<std::string>& exts) {
  std::vector<std::string> out;
  std::error_code ec;
  for (auto it = std::filesystem::recursive_directory_iterator(corpus(rel), ec);
       it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (ec || !it->is_regular_file()) continue;
    std::string name = it->path().filename().string();
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return char(std::tolower(c)); });
    for (const std::string& e : exts)
      if (name.size() >= e.size() && name.compare(name.size() - e.size(), e.size(), e) == 0)
        out.push_back(it->path().string());
  }
  std::sort(out.begin(), out.end());
  return out;
}

inline std::string base_name(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// What ImageMagick reads from `path`: `convert PATH [options] -depth D rgba:-`.
// Empty when it refuses the file. 16-bit samples come least significant byte first.
inline Bytes magick_rgba(const std::string& path, const std::string& options = "", int depth = 8) {
  std::string cmd = "convert '" + path + "' " + options + " -depth " + std::to_string(depth) +
                    (depth == 16 ? " -endian LSB" : "") + " rgba:- 2>/dev/null";
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return {};
  Bytes out;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.insert(out.end(), buf, buf + n);
  return pclose(p) == 0 ? out : Bytes{};
}

// The decoded bitmap expanded to 8-bit RGBA by the library.
inline Bytes expand(const VX_BITMAP& b, const VX_IMG_INFO& info) {
  Bytes out(size_t(b.width) * size_t(b.height) * 4);
  EXPECT_EQ(vx_img_expand_rgba(&b, &info, out.data()), 1);
  return out;
}

struct Diff {
  double mean;
  int max;
};
// Per-channel difference of two RGBA buffers; `alpha` false skips the fourth byte.
inline Diff compare(const Bytes& a, const Bytes& b, bool alpha = true) {
  Diff d = {0, 0};
  size_t n = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); i++) {
    if (!alpha && i % 4 == 3) continue;
    int e = std::abs(int(a[i]) - int(b[i]));
    d.mean += e;
    d.max = std::max(d.max, e);
    n++;
  }
  if (n) d.mean /= double(n);
  return d;
}

// A refused picture leaves the record all zeros.
inline bool cleared(const VX_BITMAP& b) {
  static const VX_BITMAP zero = {};
  return std::memcmp(&b, &zero, sizeof b) == 0;
}

// Decodes a file of the corpus from memory; the caller frees the bitmap.
inline int decode_file(int format, const std::string& path, VX_BITMAP* b, VX_IMG_INFO* info, int flags = VX_IMG_PALETTE) {
  Bytes data = read_file(path);
  return vx_img_decode(format, b, data.data(), data.size(), flags, path.c_str(), info);
}

// ---------------------------------------------------------------- PNG building
inline void put_be32(Bytes& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}

inline void add_chunk(Bytes& png, const char* type, const Bytes& data) {
  put_be32(png, uint32_t(data.size()));
  size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  put_be32(png, uint32_t(crc32(0, png.data() + start, uInt(png.size() - start))));
}

inline Bytes zlib_compress(const Bytes& raw) {
  uLongf size = compressBound(uLong(raw.size()));
  Bytes out(size);
  EXPECT_EQ(compress2(out.data(), &size, raw.data(), uLong(raw.size()), 9), Z_OK);
  out.resize(size);
  return out;
}

inline Bytes ihdr(uint32_t w, uint32_t h, int depth, int colour, int interlace = 0, int filter = 0) {
  Bytes d;
  put_be32(d, w);
  put_be32(d, h);
  d.push_back(uint8_t(depth));
  d.push_back(uint8_t(colour));
  d.push_back(0);
  d.push_back(uint8_t(filter));
  d.push_back(uint8_t(interlace));
  return d;
}

// A PNG of the given header, optional palette and filtered image data
// (rows with their filter bytes), the data split into `parts` IDAT chunks.
inline Bytes make_png(const Bytes& header, const Bytes& raw, const Bytes& plte = {}, int parts = 1) {
  Bytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  add_chunk(png, "IHDR", header);
  if (!plte.empty()) add_chunk(png, "PLTE", plte);
  Bytes z = zlib_compress(raw);
  size_t step = z.size() / size_t(parts) + 1;
  for (size_t at = 0; at < z.size(); at += step)
    add_chunk(png, "IDAT", Bytes(z.begin() + long(at), z.begin() + long(std::min(z.size(), at + step))));
  add_chunk(png, "IEND", {});
  return png;
}

}  // namespace img_test
