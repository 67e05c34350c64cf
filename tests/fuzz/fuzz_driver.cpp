// Deterministic stand-in for libFuzzer: runs a target over seed files and seeded mutations of them.
//
// Usage: fuzz_NAME [--runs N] [SEED_FOLDER_OR_FILE ...]
// Every seed is fed as it is, then N inputs are made from the seeds by a
// fixed pseudo-random sequence of byte flips, insertions, deletions, splices
// and truncations, so a run is the same on every machine and every failure
// can be replayed from its run number.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static uint64_t rng_state = 0x9E3779B97F4A7C15ull;
static uint32_t next_random() {
  rng_state ^= rng_state << 13;
  rng_state ^= rng_state >> 7;
  rng_state ^= rng_state << 17;
  return static_cast<uint32_t>(rng_state >> 11);
}

static void add_seed(std::vector<std::vector<uint8_t>>& seeds, const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

static std::vector<uint8_t> mutate(const std::vector<std::vector<uint8_t>>& seeds) {
  std::vector<uint8_t> d = seeds[next_random() % seeds.size()];
  int edits = 1 + next_random() % 8;
  for (int e = 0; e < edits; e++) {
    size_t n = d.size();
    switch (next_random() % 7) {
      case 0:  // flip a bit
        if (n) d[next_random() % n] ^= static_cast<uint8_t>(1u << (next_random() % 8));
        break;
      case 1:  // set a byte to an interesting value
        if (n) {
          static const uint8_t special[] = {0, 1, 0x7F, 0x80, 0xFF, '\r', '\n', '[', ']', '='};
          d[next_random() % n] = special[next_random() % sizeof special];
        }
        break;
      case 2:  // insert random bytes
      {
        size_t at = n ? next_random() % (n + 1) : 0;
        size_t count = 1 + next_random() % 16;
        for (size_t i = 0; i < count; i++) d.insert(d.begin() + at, static_cast<uint8_t>(next_random()));
        break;
      }
      case 3:  // delete a run
        if (n) {
          size_t at = next_random() % n;
          size_t count = 1 + next_random() % std::min<size_t>(n - at, 64);
          d.erase(d.begin() + at, d.begin() + at + count);
        }
        break;
      case 4:  // truncate
        if (n) d.resize(next_random() % n);
        break;
      case 5:  // overwrite a 32-bit word with a large or small value
        if (n >= 4) {
          static const uint32_t words[] = {0, 0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x10000u, 1};
          uint32_t w = words[next_random() % 6];
          std::memcpy(&d[next_random() % (n - 3)], &w, 4);
        }
        break;
      case 6:  // splice in part of another seed
      {
        const std::vector<uint8_t>& o = seeds[next_random() % seeds.size()];
        if (!o.empty() && n) {
          size_t from = next_random() % o.size();
          size_t count = 1 + next_random() % std::min<size_t>(o.size() - from, 256);
          size_t at = next_random() % n;
          d.insert(d.begin() + at, o.begin() + from, o.begin() + from + count);
        }
        break;
      }
    }
  }
  return d;
}

int main(int argc, char** argv) {
  long runs = 1000;
  std::vector<std::vector<uint8_t>> seeds;
  for (int i = 1; i < argc; i++) {
    if (!std::strcmp(argv[i], "--runs") && i + 1 < argc) {
      runs = std::atol(argv[++i]);
      continue;
    }
    std::filesystem::path p(argv[i]);
    std::error_code ec;
    if (std::filesystem::is_directory(p, ec)) {
      std::vector<std::filesystem::path> files;
      for (const auto& e : std::filesystem::directory_iterator(p, ec))
        if (e.is_regular_file()) files.push_back(e.path());
      std::sort(files.begin(), files.end());  // a fixed order keeps runs repeatable
      for (const auto& f : files) add_seed(seeds, f);
    } else if (std::filesystem::is_regular_file(p, ec)) {
      add_seed(seeds, p);
    }
  }
  if (seeds.empty()) seeds.emplace_back();
  for (const auto& s : seeds) LLVMFuzzerTestOneInput(s.data(), s.size());
  for (long r = 0; r < runs; r++) {
    std::vector<uint8_t> d = mutate(seeds);
    LLVMFuzzerTestOneInput(d.data(), d.size());
  }
  std::printf("%zu seeds and %ld mutations run without fault\n", seeds.size(), runs);
  return 0;
}
