// Blit throughput per depth on a 640 x 480 target: plain, transparent and scaled copies, in pixels per second.
#include <benchmark/benchmark.h>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "display/vx_bit.h"
#include "display/vx_blit.h"

namespace {

constexpr int kWidth = 640, kHeight = 480;

struct Pair {
  VX_BITMAP dest, src;
};

void start_tracker() {
  static VX_ERROR_SETTINGS quiet = {0};
  vx_error_init(&quiet);
  VX_MEM_SETTINGS mem = {0, 0x2000000};  // the game's 32 MiB
  vx_mem_init(&mem);
}

// A 640 x 480 target and a source of src_w x src_h whose pixels are a
// pattern with about one key pixel (0) in eight at 8 bits.
Pair make_pair(int bpp, int src_w, int src_h) {
  Pair p;
  VX_RECT d = {0, 0, kWidth, kHeight}, s = {0, 0, int16_t(src_w), int16_t(src_h)};
  vx_bit_alloc(&p.dest, &d, bpp);
  vx_bit_alloc(&p.src, &s, bpp);
  long n = vx_bit_size(src_w, src_h, bpp);
  for (long i = 0; i < n; i++) p.src.pixels[i] = uint8_t((i * 37) & 0xF8);
  return p;
}

void free_pair(Pair* p) {
  vx_bit_free(&p->dest);
  vx_bit_free(&p->src);
}

// Runs one copy per iteration; reports destination pixels per second and
// fails when a call allocated (the scale line buffer grows before the loop).
template <typename Copy>
void run(benchmark::State& state, int src_w, int src_h, uint32_t flags, Copy copy) {
  start_tracker();
  Pair p = make_pair(int(state.range(0)), src_w, src_h);
  copy(&p.dest, &p.src, nullptr, nullptr, flags | VX_BIT_SOFT);  // warms the scale line buffer
  VX_MEM_STATS before, after;
  vx_mem_stats(&before);
  for (auto _ : state) {
    copy(&p.dest, &p.src, nullptr, nullptr, flags | VX_BIT_SOFT);
    benchmark::ClobberMemory();
  }
  vx_mem_stats(&after);
  if (after.count != before.count || after.used != before.used) state.SkipWithError("a copy allocated");
  state.counters["pixels/s"] =
      benchmark::Counter(double(state.iterations()) * kWidth * kHeight, benchmark::Counter::kIsRate);
  free_pair(&p);
  vx_bit_scale_buffer_free();
  vx_mem_deinit();
}

void BM_CopyPlain(benchmark::State& state) { run(state, kWidth, kHeight, 0, vx_bit_copy); }
void BM_CopyTransparent(benchmark::State& state) { run(state, kWidth, kHeight, 0, vx_bit_copy_transp); }
// The half-size screen scaled to the full target, as the window layer does.
void BM_CopyScaled(benchmark::State& state) { run(state, kWidth / 2, kHeight / 2, VX_BIT_SCALE, vx_bit_copy); }
void BM_CopyScaledTransparent(benchmark::State& state) {
  run(state, kWidth / 2, kHeight / 2, VX_BIT_SCALE, vx_bit_copy_transp);
}
void BM_CopyDouble(benchmark::State& state) { run(state, kWidth / 2, kHeight / 2, VX_BIT_DOUBLE, vx_bit_copy); }

BENCHMARK(BM_CopyPlain)->Arg(8)->Arg(16)->Arg(24)->Arg(32);
BENCHMARK(BM_CopyTransparent)->Arg(8)->Arg(16)->Arg(24)->Arg(32);
BENCHMARK(BM_CopyScaled)->Arg(8)->Arg(16)->Arg(24)->Arg(32);
BENCHMARK(BM_CopyScaledTransparent)->Arg(8)->Arg(16)->Arg(24)->Arg(32);
BENCHMARK(BM_CopyDouble)->Arg(8)->Arg(16)->Arg(24)->Arg(32);

}  // namespace
