// Test helper: finds where a sound effect starts in recorded audio output by normalised correlation, or measures the output's peak.
//
// Usage: audio_find OUTPUT.raw EFFECT.wav [THRESHOLD]
//          prints one line per place the effect starts ("at 5.104 s, 0.998"),
//          where the correlation with its first 60 ms reaches THRESHOLD
//          (0.9 by default); the head alone is matched so that another
//          sound starting during the effect's tail does not hide it
//        audio_find OUTPUT.raw --peak
//          prints the largest sample magnitude (0 for silence)
// OUTPUT.raw is 16-bit little-endian stereo at the effect's rate, as SDL's
// disk audio driver writes it; EFFECT.wav is 16-bit mono PCM with "data"
// right after a 16-byte "fmt ". The left channel is searched.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

std::vector<uint8_t> slurp(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<double> samples(const uint8_t* p, size_t count, size_t stride) {
  std::vector<double> out(count);
  for (size_t i = 0; i < count; i++) out[i] = static_cast<int16_t>(p[i * stride] | p[i * stride + 1] << 8);
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: audio_find OUTPUT.raw EFFECT.wav [THRESHOLD] | OUTPUT.raw --peak\n");
    return 2;
  }
  const std::vector<uint8_t> raw = slurp(argv[1]);
  const std::vector<double> x = samples(raw.data(), raw.size() / 4, 4);
  if (!std::strcmp(argv[2], "--peak")) {
    double peak = 0;
    for (double v : x) peak = std::fmax(peak, std::fabs(v));
    std::printf("%.0f\n", peak);
    return 0;
  }
  const std::vector<uint8_t> wav = slurp(argv[2]);
  if (wav.size() < 44 || std::memcmp(wav.data() + 36, "data", 4) != 0) {
    std::fprintf(stderr, "audio_find: %s is not a plain mono WAV file\n", argv[2]);
    return 2;
  }
  const double rate = wav[24] | wav[25] << 8 | wav[26] << 16;
  std::vector<double> h = samples(wav.data() + 44, (wav.size() - 44) / 2, 2);
  h.resize(std::min(h.size(), static_cast<size_t>(rate * 0.06)));
  const double threshold = argc > 3 ? std::atof(argv[3]) : 0.9;
  double eh = 0;
  for (double v : h) eh += v * v;
  const size_t k = h.size();
  if (x.size() < k || eh <= 0) return 0;
  auto energy = [&](size_t p) {
    double e = 0;
    for (size_t i = p; i < p + k; i++) e += x[i] * x[i];
    return e;
  };
  auto correlation = [&](size_t p, double e) {
    double dot = 0;
    for (size_t i = 0; i < k; i++) dot += x[p + i] * h[i];
    return dot / std::sqrt(e * eh);
  };
  // The window's energy slides along (exact: sums of squared 16-bit
  // integers stay far below 2^53); silent windows are skipped.
  size_t p = 0;
  double ex = energy(0);
  while (p + k <= x.size()) {
    if (ex > eh * 1e-6 && correlation(p, ex) >= threshold) {
      size_t best = p;
      double best_c = correlation(p, ex);
      for (size_t q = p + 1; q < p + 64 && q + k <= x.size(); q++) {
        const double e = energy(q);
        if (e > 0 && correlation(q, e) > best_c) {
          best = q;
          best_c = correlation(q, e);
        }
      }
      std::printf("at %.3f s, %.3f\n", best / rate, best_c);
      p = best + k / 2;
      if (p + k > x.size()) break;
      ex = energy(p);
      continue;
    }
    if (p + k < x.size()) ex += x[p + k] * x[p + k] - x[p] * x[p];
    p++;
  }
  return 0;
}
