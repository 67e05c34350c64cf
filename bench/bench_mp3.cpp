// MP3 decoding speed: our Layer III decoder against libmpg123 on the same files, with the ratio of the times.
//
// libmpg123 is a timing reference only (linked into this benchmark, never
// into the game). PS_BENCH_MP3 names a file; the default is the longest ISO
// test vector of the corpus (l3-test45, 22 s of MPEG-2 stereo at 22.05 kHz),
// then l3-compl (MPEG-1 mono at 48 kHz) and l3-sin1k0db (MPEG-1 stereo at
// 44.1 kHz, the game's own format: no conversion). Two paths are timed:
// - frames: the frame decoder alone at the file's own rate and channels,
//   against libmpg123's plain decode;
// - stream: the stream as the game opens it (looping, 16-bit stereo at
//   44.1 kHz, one pass of the file), against libmpg123 forced to that format.
// The ratios count processor time, so other work on the machine skews them less.
#include <benchmark/benchmark.h>
#include <mpg123.h>

#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound/vx_mp3.h"
#include "sound/vx_mp3_dec.h"

namespace {

using Bytes = std::vector<uint8_t>;
constexpr int kGameRate = 44100;

const Bytes& mp3_file(int which) {
  static const char* const names[3] = {"l3-test45.bit", "l3-compl.bit", "l3-sin1k0db.bit"};
  static Bytes files[3];
  if (files[which].empty()) {
    const char* env = std::getenv("PS_BENCH_MP3");
    std::string dir = std::string(PS_CORPUS) + "/mp3/minimp3-vectors/";
    std::string path = env && which == 0 ? std::string(env) : dir + names[which];
    std::ifstream in(path, std::ios::binary);
    files[which] = Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files[which];
}

// Every Layer III frame of the file through the frame decoder (fixed-size
// frames; anything else is stepped over a byte at a time).
long ours_frames(const Bytes& d) {
  static VX_MP3_DECODER dec;
  static int16_t pcm[VX_MP3_MAX_FRAME_SAMPLES * 2];
  vx_mp3_decoder_reset(&dec);
  long n = 0;
  size_t p = 0;
  while (p + 4 <= d.size()) {
    VX_MP3_HEADER h;
    if (!vx_mp3_header(&d[p], &h) || h.layer != 3 || !h.frame_bytes || p + size_t(h.frame_bytes) > d.size()) {
      p++;
      continue;
    }
    n += vx_mp3_decode_frame(&dec, &h, &d[p], size_t(h.frame_bytes), pcm);
    p += size_t(h.frame_bytes);
  }
  return n;
}

// Samples per channel of one pass of the file at the game's rate.
long pass_frames(const Bytes& d) {
  static long cached[3] = {0, 0, 0};
  long& c = cached[&d == &mp3_file(0) ? 0 : &d == &mp3_file(1) ? 1 : 2];
  if (!c) {
    VX_MP3_FORMAT f{16, 2, kGameRate};
    VX_MP3* s = vx_mp3_open_memory(d.data(), d.size(), 0, &f);
    std::vector<int16_t> buf(2 * 4096);
    while (vx_mp3_decode(s, buf.data(), long(buf.size() * 2))) c += 4096;
    vx_mp3_close(s);
  }
  return c;
}

// One pass of the looping stream in the game's format, in 4096-frame calls.
long ours_stream(const Bytes& d) {
  static std::vector<int16_t> buf(2 * 4096);
  VX_MP3_FORMAT f{16, 2, kGameRate};
  VX_MP3* s = vx_mp3_open_memory(d.data(), d.size(), VX_MP3_IN_MEMORY | VX_MP3_LOOP, &f);
  long n = 0, want = pass_frames(d);
  for (; n < want; n += 4096) vx_mp3_decode(s, buf.data(), long(buf.size() * 2));
  vx_mp3_close(s);
  return n;
}

// The file's sampling frequency (its first frame's).
int file_rate(const Bytes& d) {
  VX_MP3_FORMAT f{16, 2, kGameRate};
  VX_MP3* s = vx_mp3_open_memory(d.data(), d.size(), 0, &f);
  int rate = s ? vx_mp3_file_rate(s) : kGameRate;
  vx_mp3_close(s);
  return rate;
}

// libmpg123 over the whole file; `game_format` asks for 16-bit stereo at
// 44.1 kHz (its resampler only where the file's rate differs).
long theirs(const Bytes& d, bool game_format) {
  static std::vector<unsigned char> buf(1 << 17);
  mpg123_init();
  int err = 0;
  mpg123_handle* m = mpg123_new(nullptr, &err);
  mpg123_param(m, MPG123_FLAGS, MPG123_QUIET, 0);
  if (game_format) {
    if (file_rate(d) != kGameRate) mpg123_param(m, MPG123_FORCE_RATE, kGameRate, 0);
    mpg123_format_none(m);
    mpg123_format(m, kGameRate, MPG123_STEREO, MPG123_ENC_SIGNED_16);
  }
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

long ours(const Bytes& d, bool stream) { return stream ? ours_stream(d) : ours_frames(d); }

// range(0): the file; range(1): 0 frames, 1 stream.
void BM_mp3_ours(benchmark::State& state) {
  const Bytes& d = mp3_file(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ours(d, state.range(1) != 0));
}
void BM_mp3_libmpg123(benchmark::State& state) {
  const Bytes& d = mp3_file(int(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(theirs(d, state.range(1) != 0));
}
// Both in turn; reports ours / libmpg123 in processor time (the goal for
// the stream is at most 1.5).
void BM_mp3_ratio(benchmark::State& state) {
  const Bytes& d = mp3_file(int(state.range(0)));
  bool stream = state.range(1) != 0;
  double a = 0, b = 0;
  for (auto _ : state) {
    std::clock_t t0 = std::clock();
    benchmark::DoNotOptimize(ours(d, stream));
    std::clock_t t1 = std::clock();
    benchmark::DoNotOptimize(theirs(d, stream));
    std::clock_t t2 = std::clock();
    a += double(t1 - t0);
    b += double(t2 - t1);
  }
  state.counters["ours_over_libmpg123"] = b > 0 ? a / b : 0;
}

#define PS_MP3_ARGS ArgsProduct({{0, 1, 2}, {0, 1}})->ArgNames({"file", "stream"})->Unit(benchmark::kMillisecond)
BENCHMARK(BM_mp3_ours)->PS_MP3_ARGS;
BENCHMARK(BM_mp3_libmpg123)->PS_MP3_ARGS;
BENCHMARK(BM_mp3_ratio)->PS_MP3_ARGS;

}  // namespace
