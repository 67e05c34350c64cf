// artgen: draws every picture of the game and writes it, with the generated data files, into a data tree.
//
//   artgen FOLDER      writes gfx/*.png, data/font.dat and data/transp.tab
//                      under FOLDER (folders made as needed); a file whose
//                      bytes are already there is left alone
//   artgen --list      prints the name and size of every file it would write
//   artgen --icons FOLDER
//                      writes the program's icon at every size as
//                      NxN/pondsprint.png under FOLDER instead
//
// Exit status 0, 1 when a picture could not be made or a file not written,
// 2 for bad usage. The same program always writes the same bytes.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/artgen/ag_gen.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: artgen FOLDER\n       artgen --list\n       artgen --icons FOLDER\n");
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
  // Unchanged files keep their time stamps, so later steps need not redo their work.
  if (same_bytes(path, bytes)) return true;
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  return bool(f);
}

}  // namespace

int main(int argc, char** argv) {
  const bool icons = argc == 3 && !std::strcmp(argv[1], "--icons");
  if (argc != 2 && !icons) return usage();
  if (icons) argv++;
  AG_OUTPUT out;
  int ok;
  if (icons) {
    out.failed = 0;
    ag_icons_make(&out);
    ok = out.failed == 0;
  } else {
    ok = ag_generate_all(&out);
  }
  if (!std::strcmp(argv[1], "--list")) {
    for (const AG_FILE& f : out.files) std::printf("%8zu %s\n", f.bytes.size(), f.name.c_str());
    return ok ? 0 : 1;
  }
  if (argv[1][0] == '-') return usage();
  int failed = ok ? 0 : 1;
  if (!ok) std::fprintf(stderr, "artgen: %d pictures could not be encoded\n", out.failed);
  const std::filesystem::path root(argv[1]);
  for (const AG_FILE& f : out.files) {
    if (!write_file(root / f.name, f.bytes)) {
      std::fprintf(stderr, "artgen: cannot write %s\n", (root / f.name).string().c_str());
      failed = 1;
    }
  }
  return failed;
}
