// Test helper: finds where a sound effect starts in recorded audio output by normalised correlation, or measures the output's peak.
//
// Usage: audio_find OUTPUT.raw EFFECT.wav   one line per start found ("at 5.104 s, 0.998, frame 225086")
//        audio_find OUTPUT.raw --peak       the largest sample magnitude (0 for silence)
// OUTPUT.raw is 16-bit little-endian stereo at the effect's rate, as SDL's
// disk audio driver writes it, searched in its left channel; EFFECT.wav is
// 16-bit mono PCM with "data" right after a 16-byte "fmt ". Only the
// effect's first 60 ms are matched (correlation 0.9 or more), so that a
// sound starting during its tail does not hide it.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

static std::vector<double> samples(const char* path, size_t skip, size_t stride) {
  std::ifstream in(path, std::ios::binary);
  const std::vector<uint8_t> b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<double> out;
  for (size_t i = skip; i + 1 < b.size(); i += stride) out.push_back(static_cast<int16_t>(b[i] | b[i + 1] << 8));
  return out;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: audio_find OUTPUT.raw EFFECT.wav | OUTPUT.raw --peak\n");
    return 2;
  }
  const std::vector<double> x = samples(argv[1], 0, 4);
  if (!std::strcmp(argv[2], "--peak")) {
    double peak = 0;
    for (double v : x) peak = std::max(peak, std::fabs(v));
    std::printf("%.0f\n", peak);
    return 0;
  }
  std::vector<double> h = samples(argv[2], 44, 2);
  const double rate = 44100;
  h.resize(std::min(h.size(), static_cast<size_t>(rate * 0.06)));
  double eh = 0;
  for (double v : h) eh += v * v;
  const size_t k = h.size();
  for (size_t p = 0; eh > 0 && p + k <= x.size(); p++) {
    double dot = 0, ex = 0;
    // Silence is skipped at once: most of the recording is.
    if (x[p] == 0 && x[p + k / 2] == 0) continue;
    for (size_t i = 0; i < k; i++) {
      dot += x[p + i] * h[i];
      ex += x[p + i] * x[p + i];
    }
    if (ex <= 0 || dot / std::sqrt(ex * eh) < 0.9) continue;
    std::printf("at %.3f s, %.3f, frame %zu\n", p / rate, dot / std::sqrt(ex * eh), p);
    p += k;
  }
  return 0;
}
