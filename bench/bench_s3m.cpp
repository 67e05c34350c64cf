// S3M rendering speed: the module engine against libopenmpt at comparable interpolation, on the corpus's larger modules.
//
// libopenmpt is only a timing reference: it is loaded at run time with
// dlopen, so nothing of the engine links it, and the benchmarks are skipped
// when it is missing. Each run renders 30 s of 44.1 kHz 16-bit stereo in
// blocks of 4096 frames with both (libopenmpt repeats the song; ours plays
// on as the game does); loading is not timed. Qualities low, medium and high
// (nearest, linear, quadratic) are set against libopenmpt's interpolation
// filters of 1, 2 and 4 taps (nearest, linear, cubic). Counters: ours and
// libopenmpt in ms per run, and ours / libopenmpt.
// The modules are read from PS_CORPUS/s3m (default: the corpus beside the
// source tree).
#include <benchmark/benchmark.h>
#include <dlfcn.h>
#include <libopenmpt/libopenmpt.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound/vx_mod.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

constexpr int RATE = 44100;
constexpr long FRAMES = 30L * RATE;
constexpr size_t BLOCK = 4096;

const Bytes& module_file(const char* name) {
  static std::vector<std::pair<std::string, Bytes>> cache;
  for (auto& [n, d] : cache)
    if (n == name) return d;
  std::string folder = std::getenv("PS_CORPUS") ? std::getenv("PS_CORPUS") : "";
  if (folder.empty()) {
    std::string here = __FILE__;
    folder = here.substr(0, here.rfind("/bench/")) + "/../shared/corpus";
  }
  std::ifstream in(folder + "/s3m/" + name, std::ios::binary);
  cache.emplace_back(name, Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
  return cache.back().second;
}

// ---------------------------------------------------------------- libopenmpt, loaded at run time
struct LibOpenmpt {
  void* lib;
  decltype(&openmpt_module_create_from_memory2) create;
  decltype(&openmpt_module_destroy) destroy;
  decltype(&openmpt_module_set_repeat_count) repeat;
  decltype(&openmpt_module_set_render_param) param;
  decltype(&openmpt_module_read_interleaved_stereo) read;
};

template <typename F>
void bind(void* lib, F* out, const char* name) {
  *out = lib ? reinterpret_cast<F>(dlsym(lib, name)) : nullptr;
}

const LibOpenmpt* libopenmpt() {
  static LibOpenmpt l = [] {
    LibOpenmpt o = {};
    o.lib = dlopen("libopenmpt.so.0", RTLD_NOW);
    bind(o.lib, &o.create, "openmpt_module_create_from_memory2");
    bind(o.lib, &o.destroy, "openmpt_module_destroy");
    bind(o.lib, &o.repeat, "openmpt_module_set_repeat_count");
    bind(o.lib, &o.param, "openmpt_module_set_render_param");
    bind(o.lib, &o.read, "openmpt_module_read_interleaved_stereo");
    return o;
  }();
  return l.lib && l.create && l.destroy && l.repeat && l.param && l.read ? &l : nullptr;
}

// ---------------------------------------------------------------- one render each
Clock::duration ours(const Bytes& file, uint16_t quality, std::vector<int16_t>& out) {
  vx_mod_start(128, 1, 1, 0, 0, 8, 360);
  VX_MOD_POOL* pool = vx_mod_pool_create();
  VX_MODULE* m = vx_mod_load(file.data(), file.size(), VX_MOD_LOAD_PANS, pool);
  vx_mod_select(m);
  vx_mod_reset();
  vx_mod_set(131072, RATE, VX_MOD_16BIT | VX_MOD_STEREO | quality, VX_MOD_RUNNING, VX_MOD_END_LOOP, 0, 256, 128);
  const Clock::time_point t0 = Clock::now();
  for (long done = 0; done < FRAMES; done += long(BLOCK)) vx_mod_render(out.data(), BLOCK * 4);
  const Clock::duration t = Clock::now() - t0;
  benchmark::DoNotOptimize(out[0]);
  vx_mod_free(m, pool);
  vx_mod_pool_destroy(pool);
  vx_mod_shutdown();
  return t;
}

Clock::duration theirs(const LibOpenmpt* o, const Bytes& file, int taps, std::vector<int16_t>& out) {
  openmpt_module* m =
      o->create(file.data(), file.size(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  o->repeat(m, -1);
  o->param(m, OPENMPT_MODULE_RENDER_INTERPOLATIONFILTER_LENGTH, taps);
  const Clock::time_point t0 = Clock::now();
  for (long done = 0; done < FRAMES; done += long(BLOCK)) o->read(m, RATE, BLOCK, out.data());
  const Clock::duration t = Clock::now() - t0;
  benchmark::DoNotOptimize(out[0]);
  o->destroy(m);
  return t;
}

// Alternates both renderers; the time reported is ours.
void BM_s3m(benchmark::State& state, const char* name, int quality) {
  const LibOpenmpt* o = libopenmpt();
  const Bytes& file = module_file(name);
  if (!o || file.empty()) {
    state.SkipWithError(!o ? "libopenmpt.so.0 not found" : "module not found");
    return;
  }
  const uint16_t modes[] = {0, VX_MOD_LINEAR, VX_MOD_QUADRATIC};
  const int taps[] = {1, 2, 4};
  std::vector<int16_t> out(BLOCK * 2);
  Clock::duration a{}, b{};
  for (auto _ : state) {
    const Clock::duration t = ours(file, modes[quality], out);
    a += t;
    b += theirs(o, file, taps[quality], out);
    state.SetIterationTime(std::chrono::duration<double>(t).count());
  }
  const double runs = double(state.iterations());
  state.counters["ours_ms"] = std::chrono::duration<double, std::milli>(a).count() / runs;
  state.counters["openmpt_ms"] = std::chrono::duration<double, std::milli>(b).count() / runs;
  state.counters["ours/openmpt"] = double(a.count()) / double(b.count());
}

#define S3M_BENCH(label, file)                                                                          \
  BENCHMARK_CAPTURE(BM_s3m, label##_low, file, 0)->UseManualTime()->Unit(benchmark::kMillisecond);    \
  BENCHMARK_CAPTURE(BM_s3m, label##_medium, file, 1)->UseManualTime()->Unit(benchmark::kMillisecond); \
  BENCHMARK_CAPTURE(BM_s3m, label##_high, file, 2)->UseManualTime()->Unit(benchmark::kMillisecond)

S3M_BENCH(music0, "secondreality/MUSIC0.S3M");
S3M_BENCH(music1, "secondreality/MUSIC1.S3M");
S3M_BENCH(data_jack, "libxmp-tests/p/data_jack.s3m");
S3M_BENCH(inside_out, "libxmp-tests/m/inside_out.s3m");
S3M_BENCH(mm2flash, "libxmp-tests/m/mm2flash.s3m");

}  // namespace
