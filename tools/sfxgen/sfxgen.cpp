// sfxgen: synthesises the game's sound effects and writes them, with the sound list, into a data tree.
//
//   sfxgen FOLDER      writes snd/*.wav and data/sndlist.txt under FOLDER
//                      (folders made as needed); a file whose bytes are
//                      already there is left alone
//   sfxgen --list      prints each effect's file, length, peak, RMS and loudness
//
// Exit status 0, 1 when a file could not be written, 2 for bad usage. The
// same program always writes the same bytes.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/sfxgen/sfx_gen.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: sfxgen FOLDER\n       sfxgen --list\n");
  return 2;
}

bool same_bytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::vector<uint8_t> old((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return old == bytes;
}

bool write_file(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  std::error_code ec;
  std::filesystem::create_directories(path.parent_path(), ec);
  // Unchanged files keep their time stamps, so the archive is not packed again.
  if (same_bytes(path, bytes)) return true;
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(f);
}

double db(double v) { return v > 0 ? 20.0 * std::log10(v) : -999.0; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return usage();
  if (!std::strcmp(argv[1], "--list")) {
    for (int n = 1; n <= SFX_EFFECTS; n++) {
      const SFX_SAMPLES s = sfx_effect(n);
      std::printf("%2d %-16s %5.3f s  peak %6.1f dBFS  RMS %6.1f dBFS  loudest 50 ms %6.1f dBFS\n", n,
                  sfx_effect_game_name(n).c_str(), static_cast<double>(s.size()) / SFX_RATE, db(sfx_peak(s)),
                  db(sfx_rms(s)), db(sfx_loudness(s)));
    }
    return 0;
  }
  if (argv[1][0] == '-') return usage();
  int failed = 0;
  const std::filesystem::path root(argv[1]);
  for (const SFX_FILE& f : sfx_generate_all()) {
    if (!write_file(root / f.name, f.bytes)) {
      std::fprintf(stderr, "sfxgen: cannot write %s\n", (root / f.name).string().c_str());
      failed = 1;
    }
  }
  return failed;
}
