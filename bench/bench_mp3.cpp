// MP3 decoding speed: our Layer III frame decoder against libmpg123 on the same files, with the ratio of the times.
//
// libmpg123 is a timing reference only (linked into this benchmark, never
// into the game). PS_BENCH_MP3 names a file; the default is the longest ISO
// test vector of the corpus (l3-test45, 22 s of MPEG-2 stereo), then l3-compl.
#include <benchmark/benchmark.h>
#include <mpg123.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound/vx_mp3.h"

namespace {

using Bytes = std::vector<uint8_t>;

const Bytes& mp3_file(int which) {
  static Bytes files[2];
  if (files[which].empty()) {
    const char* env = std::getenv("PS_BENCH_MP3");
    std::string dir = std::string(PS_CORPUS) + "/mp3/minimp3-vectors/";
    std::string path = env && which == 0 ? std::string(env) : dir + (which == 0 ? "l3-test45.bit" : "l3-compl.bit");
    std::ifstream in(path, std::ios::binary);
    files[which] = Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files[which];
}

// Decodes the whole file at its own rate and channels, 16-bit.
long ours(const Bytes& d) {
  static std::vector<int16_t> buf(1 << 16);
  VX_MP3_FORMAT probe{16, 2, 44100};
  VX_MP3* s = vx_mp3_open_memory(d.data(), d.size(), 0, &probe);
  if (!s) return 0;
  VX_MP3_FORMAT f{16, vx_mp3_file_channels(s), vx_mp3_file_rate(s)};
  vx_mp3_close(s);
  s = vx_mp3_open_memory(d.data(), d.size(), 0, &f);
  long n = 0;
  while (vx_mp3_decode(s, buf.data(), long(buf.size() * 2))) n += long(buf.size());
  vx_mp3_close(s);
  return n;
}

long theirs(const Bytes& d) {
  static std::vector<unsigned char> buf(1 << 17);
  mpg123_init();
  int err = 0;
  mpg123_handle* m = mpg123_new(nullptr, &err);
  mpg123_param(m, MPG123_FLAGS, MPG123_QUIET, 0);
  mpg123_open_feed(m);
  size_t done = 0;
  long n = 0;
  int ret = mpg123_decode(m, d.data(), d.size(), buf.data(), buf.size(), &done);
  for (;;) {
    n += long(done / 2);
    if (ret == MPG123_ERR || ret == MPG123_NEED_MORE) break;
    ret = mpg123_decode(m, nullptr, 0, buf.data(), buf.size(), &done);
  }
  mpg123_delete(m);
  return n;
}

void BM_mp3_ours(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ours(mp3_file(int(state.range(0)))));
}
void BM_mp3_libmpg123(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(theirs(mp3_file(int(state.range(0)))));
}
// Both in turn; reports ours / libmpg123 (the goal is at most 1.5).
void BM_mp3_ratio(benchmark::State& state) {
  const Bytes& d = mp3_file(int(state.range(0)));
  double a = 0, b = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(ours(d));
    auto t1 = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(theirs(d));
    auto t2 = std::chrono::steady_clock::now();
    a += std::chrono::duration<double>(t1 - t0).count();
    b += std::chrono::duration<double>(t2 - t1).count();
  }
  state.counters["ours_over_libmpg123"] = b > 0 ? a / b : 0;
}

BENCHMARK(BM_mp3_ours)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_mp3_libmpg123)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_mp3_ratio)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace
