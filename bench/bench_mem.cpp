// Allocation throughput of the memory tracker against the standard allocator.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdlib>
#include <random>

#include "core/vx_error.h"
#include "core/vx_list.h"
#include "core/vx_mem.h"

namespace {

constexpr int kSlots = 256;  // live blocks in the churn benchmarks

void start_tracker() {
  static VX_ERROR_SETTINGS quiet = {0};
  vx_error_init(&quiet);
  vx_list_init(&quiet);
  VX_MEM_SETTINGS mem = {0, 0x2000000};  // the game's 32 MiB
  vx_mem_init(&mem);
}

// One block allocated and freed at once: the fast path of both allocators.
void BM_TrackerMallocFree(benchmark::State& state) {
  start_tracker();
  auto size = static_cast<size_t>(state.range(0));
  for (auto _ : state) {
    void* p = vx_mem_malloc(size);
    benchmark::DoNotOptimize(p);
    vx_mem_free(p);
  }
  vx_mem_deinit();
}
BENCHMARK(BM_TrackerMallocFree)->Arg(16)->Arg(256)->Arg(4096);

void BM_StdMallocFree(benchmark::State& state) {
  auto size = static_cast<size_t>(state.range(0));
  for (auto _ : state) {
    void* p = std::malloc(size);
    benchmark::DoNotOptimize(p);
    std::free(p);
  }
}
BENCHMARK(BM_StdMallocFree)->Arg(16)->Arg(256)->Arg(4096);

// A pool of live blocks of mixed sizes, one replaced per iteration: best fit
// over a fragmented free list, and (for tracked blocks) the record walk.
template <void* (*Alloc)(size_t), void (*Free)(void*)>
void churn(benchmark::State& state) {
  std::mt19937 rng(7);
  std::array<void*, kSlots> slots = {};
  for (auto& s : slots) s = Alloc(16 + rng() % 2000);
  for (auto _ : state) {
    auto& s = slots[rng() % kSlots];
    Free(s);
    s = Alloc(16 + rng() % 2000);
    benchmark::DoNotOptimize(s);
  }
  for (auto& s : slots) Free(s);
}

void BM_TrackerChurn(benchmark::State& state) {
  start_tracker();
  churn<vx_mem_malloc, vx_mem_free>(state);
  vx_mem_deinit();
}
BENCHMARK(BM_TrackerChurn);

void BM_RawChurn(benchmark::State& state) {
  start_tracker();
  churn<vx_mem_raw_alloc, vx_mem_raw_free>(state);
  vx_mem_deinit();
}
BENCHMARK(BM_RawChurn);

void BM_StdChurn(benchmark::State& state) { churn<std::malloc, std::free>(state); }
BENCHMARK(BM_StdChurn);

}  // namespace
