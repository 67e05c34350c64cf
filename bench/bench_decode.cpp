// Picture decoding speed: our PNG and JPEG decoders against libpng and libjpeg-turbo on the same large files.
//
// The reference libraries are only timing references: they are loaded at
// run time with dlopen, so nothing of the engine links them, and their
// benchmarks are skipped when they are missing. The pictures default to
// 1920 x 1080 plasma fractals (seed 1) that ImageMagick writes into the
// temporary folder on the first run: an RGB PNG, and baseline JPEGs at
// quality 90 with chroma halved both ways (4:2:0) and at full size (4:4:4).
// PS_BENCH_PNG, PS_BENCH_JPEG and PS_BENCH_JPEG444 name other files.
// BM_*_ratio runs both decoders in turn and reports ours / reference; the
// JPEG ones also report how far our pixels lie from libjpeg-turbo's
// (largest and mean difference per channel, in levels).
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <jpeglib.h>
#include <png.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "display/vx_bit.h"
#include "world/image/img_jpeg.h"
#include "world/image/img_png.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes read_all(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file named by `env`, or a generated one made with `make` (an ImageMagick command line).
const Bytes& picture(const char* env, const char* name, const char* make) {
  static std::vector<std::pair<std::string, Bytes>> cache;
  for (auto& [n, d] : cache)
    if (n == name) return d;
  std::string path;
  if (const char* p = std::getenv(env)) {
    path = p;
  } else {
    path = std::string("/tmp/") + name;
    if (read_all(path).empty()) {
      std::string cmd = std::string(make) + " '" + path + "'";
      if (std::system(cmd.c_str()) != 0) std::fprintf(stderr, "could not make %s\n", path.c_str());
    }
  }
  cache.emplace_back(name, read_all(path));
  return cache.back().second;
}

const Bytes& png_file() {
  return picture("PS_BENCH_PNG", "ps_bench_1080p.png", "convert -seed 1 -size 1920x1080 plasma:fractal");
}
const Bytes& jpeg_file() {
  return picture("PS_BENCH_JPEG", "ps_bench_1080p.jpg",
                 "convert -seed 1 -size 1920x1080 plasma:fractal -sampling-factor 2x2 -quality 90");
}
const Bytes& jpeg444_file() {
  return picture("PS_BENCH_JPEG444", "ps_bench_1080p_444.jpg",
                 "convert -seed 1 -size 1920x1080 plasma:fractal -sampling-factor 1x1 -quality 90");
}

// ---------------------------------------------------------------- our decoders
bool ours_png(const Bytes& d) {
  VX_BITMAP b;
  if (!vx_img_png_decode(&b, d.data(), d.size(), 0, nullptr, nullptr)) return false;
  benchmark::DoNotOptimize(b.pixels[0]);
  vx_bit_free(&b);
  return true;
}

bool ours_jpeg(const Bytes& d) {
  VX_BITMAP b;
  if (!vx_img_jpeg_decode(&b, d.data(), d.size(), 0, nullptr, nullptr)) return false;
  benchmark::DoNotOptimize(b.pixels[0]);
  vx_bit_free(&b);
  return true;
}

// ---------------------------------------------------------------- libpng, loaded at run time
struct LibPng {
  void* lib;
  decltype(&png_create_read_struct) create_read;
  decltype(&png_create_info_struct) create_info;
  decltype(&png_set_read_fn) set_read_fn;
  decltype(&png_get_io_ptr) get_io_ptr;
  decltype(&png_read_info) read_info;
  decltype(&png_set_interlace_handling) interlace;
  decltype(&png_read_update_info) update_info;
  decltype(&png_get_rowbytes) rowbytes;
  decltype(&png_get_image_height) height;
  decltype(&png_read_image) read_image;
  decltype(&png_destroy_read_struct) destroy;
};

template <typename F>
void bind(void* lib, F* out, const char* name) {
  *out = lib ? reinterpret_cast<F>(dlsym(lib, name)) : nullptr;
}

const LibPng* libpng() {
  static LibPng l = [] {
    LibPng p = {};
    p.lib = dlopen("libpng16.so.16", RTLD_NOW);
    bind(p.lib, &p.create_read, "png_create_read_struct");
    bind(p.lib, &p.create_info, "png_create_info_struct");
    bind(p.lib, &p.set_read_fn, "png_set_read_fn");
    bind(p.lib, &p.get_io_ptr, "png_get_io_ptr");
    bind(p.lib, &p.read_info, "png_read_info");
    bind(p.lib, &p.interlace, "png_set_interlace_handling");
    bind(p.lib, &p.update_info, "png_read_update_info");
    bind(p.lib, &p.rowbytes, "png_get_rowbytes");
    bind(p.lib, &p.height, "png_get_image_height");
    bind(p.lib, &p.read_image, "png_read_image");
    bind(p.lib, &p.destroy, "png_destroy_read_struct");
    return p;
  }();
  return l.lib && l.destroy ? &l : nullptr;
}

struct MemoryReader {
  const uint8_t* cur;
  const uint8_t* end;
};

// Samples as stored, no transformations: the same work our decoder does.
bool libpng_decode(const Bytes& d) {
  const LibPng* p = libpng();
  png_structp png = p->create_read(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = p->create_info(png);
  MemoryReader m = {d.data(), d.data() + d.size()};
  p->set_read_fn(png, &m, [](png_structp s, png_bytep out, size_t n) {
    auto* r = static_cast<MemoryReader*>(libpng()->get_io_ptr(s));
    size_t take = size_t(r->end - r->cur) < n ? size_t(r->end - r->cur) : n;
    std::copy(r->cur, r->cur + take, out);
    r->cur += take;
  });
  p->read_info(png, info);
  p->interlace(png);
  p->update_info(png, info);
  size_t row = p->rowbytes(png, info), h = p->height(png, info);
  Bytes pixels(row * h);
  std::vector<png_bytep> rows(h);
  for (size_t y = 0; y < h; y++) rows[y] = pixels.data() + y * row;
  p->read_image(png, rows.data());
  benchmark::DoNotOptimize(pixels[0]);
  p->destroy(&png, &info, nullptr);
  return true;
}

// ---------------------------------------------------------------- libjpeg-turbo, loaded at run time
struct LibJpeg {
  void* lib;
  decltype(&jpeg_std_error) std_error;
  decltype(&jpeg_CreateDecompress) create;
  decltype(&jpeg_mem_src) mem_src;
  decltype(&jpeg_read_header) read_header;
  decltype(&jpeg_start_decompress) start;
  decltype(&jpeg_read_scanlines) read_scanlines;
  decltype(&jpeg_finish_decompress) finish;
  decltype(&jpeg_destroy_decompress) destroy;
};

const LibJpeg* libjpeg() {
  static LibJpeg l = [] {
    LibJpeg j = {};
    j.lib = dlopen("libjpeg.so.62", RTLD_NOW);
    bind(j.lib, &j.std_error, "jpeg_std_error");
    bind(j.lib, &j.create, "jpeg_CreateDecompress");
    bind(j.lib, &j.mem_src, "jpeg_mem_src");
    bind(j.lib, &j.read_header, "jpeg_read_header");
    bind(j.lib, &j.start, "jpeg_start_decompress");
    bind(j.lib, &j.read_scanlines, "jpeg_read_scanlines");
    bind(j.lib, &j.finish, "jpeg_finish_decompress");
    bind(j.lib, &j.destroy, "jpeg_destroy_decompress");
    return j;
  }();
  return l.lib && l.destroy && l.mem_src ? &l : nullptr;
}

// Default settings (accurate integer IDCT, fancy upsampling) to 8-bit RGB.
bool libjpeg_pixels(const Bytes& d, Bytes* pixels) {
  const LibJpeg* j = libjpeg();
  jpeg_decompress_struct c;
  jpeg_error_mgr err;
  c.err = j->std_error(&err);
  j->create(&c, JPEG_LIB_VERSION, sizeof c);
  j->mem_src(&c, d.data(), static_cast<unsigned long>(d.size()));
  j->read_header(&c, TRUE);
  c.out_color_space = JCS_RGB;
  j->start(&c);
  pixels->assign(size_t(c.output_width) * c.output_height * 3, 0);
  while (c.output_scanline < c.output_height) {
    JSAMPROW row = pixels->data() + size_t(c.output_scanline) * c.output_width * 3;
    j->read_scanlines(&c, &row, 1);
  }
  j->finish(&c);
  j->destroy(&c);
  return true;
}

bool libjpeg_decode(const Bytes& d) {
  Bytes pixels;
  libjpeg_pixels(d, &pixels);
  benchmark::DoNotOptimize(pixels[0]);
  return true;
}

// Largest and mean difference per channel between our decoding of `d` and
// libjpeg-turbo's, as counters of `state`.
void jpeg_accuracy(benchmark::State& state, const Bytes& d) {
  Bytes ref;
  VX_BITMAP b;
  if (!libjpeg_pixels(d, &ref) || !vx_img_jpeg_decode(&b, d.data(), d.size(), 0, nullptr, nullptr)) return;
  if (size_t(b.width) * size_t(b.height) * 3 == ref.size()) {
    int most = 0;
    double sum = 0;
    for (size_t i = 0; i < ref.size(); i++) {
      const int e = std::abs(int(b.pixels[i]) - int(ref[i]));
      most = std::max(most, e);
      sum += e;
    }
    state.counters["max_diff"] = most;
    state.counters["mean_diff"] = sum / double(ref.size());
  }
  vx_bit_free(&b);
}

// ---------------------------------------------------------------- benchmarks
template <bool (*Decode)(const Bytes&), const Bytes& (*File)()>
void run(benchmark::State& state, bool available) {
  const Bytes& d = File();
  if (!available || d.empty()) {
    state.SkipWithError("reference library or picture missing");
    return;
  }
  for (auto _ : state)
    if (!Decode(d)) state.SkipWithError("decode failed");
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(d.size()));
}

void BM_png_ours(benchmark::State& s) { run<ours_png, png_file>(s, true); }
void BM_png_libpng(benchmark::State& s) { run<libpng_decode, png_file>(s, libpng() != nullptr); }
void BM_jpeg_ours(benchmark::State& s) { run<ours_jpeg, jpeg_file>(s, true); }
void BM_jpeg_libjpeg_turbo(benchmark::State& s) { run<libjpeg_decode, jpeg_file>(s, libjpeg() != nullptr); }
void BM_jpeg444_ours(benchmark::State& s) { run<ours_jpeg, jpeg444_file>(s, true); }
void BM_jpeg444_libjpeg_turbo(benchmark::State& s) { run<libjpeg_decode, jpeg444_file>(s, libjpeg() != nullptr); }

// Alternates both decoders and reports the time ratio ours / reference.
template <bool (*Ours)(const Bytes&), bool (*Theirs)(const Bytes&), const Bytes& (*File)()>
void ratio(benchmark::State& state, bool available) {
  const Bytes& d = File();
  if (!available || d.empty()) {
    state.SkipWithError("reference library or picture missing");
    return;
  }
  using Clock = std::chrono::steady_clock;
  Clock::duration ours{}, theirs{};
  for (auto _ : state) {
    auto t0 = Clock::now();
    Ours(d);
    auto t1 = Clock::now();
    Theirs(d);
    ours += t1 - t0;
    theirs += Clock::now() - t1;
  }
  state.counters["ours/ref"] = double(ours.count()) / double(theirs.count());
}

void BM_png_ratio(benchmark::State& s) { ratio<ours_png, libpng_decode, png_file>(s, libpng() != nullptr); }
void BM_jpeg_ratio(benchmark::State& s) {
  ratio<ours_jpeg, libjpeg_decode, jpeg_file>(s, libjpeg() != nullptr);
  if (libjpeg()) jpeg_accuracy(s, jpeg_file());
}
void BM_jpeg444_ratio(benchmark::State& s) {
  ratio<ours_jpeg, libjpeg_decode, jpeg444_file>(s, libjpeg() != nullptr);
  if (libjpeg()) jpeg_accuracy(s, jpeg444_file());
}

BENCHMARK(BM_png_ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_png_libpng)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_png_ratio)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_jpeg_ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_jpeg_libjpeg_turbo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_jpeg_ratio)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_jpeg444_ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_jpeg444_libjpeg_turbo)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_jpeg444_ratio)->Unit(benchmark::kMillisecond);

}  // namespace
