// fontgen: rasterises the game's bitmap fonts from installed outline fonts and writes them into a data tree.
//
//   fontgen FOLDER           writes data/menu.fnt, font/*.fnt and their
//                            pictures under FOLDER (folders made as needed);
//                            a file whose bytes are already there is left alone
//   fontgen --list           prints the name and size of every file it would write
//   fontgen --preview DIR    writes sample pictures of every font into DIR
//
// Exit status 0, 1 when a font could not be made or a file not written,
// 2 for bad usage. The same program and outline fonts always give the same bytes.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "tools/fontgen/fg_fonts.h"
#include "tools/fontgen/fg_preview.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: fontgen FOLDER\n       fontgen --list\n       fontgen --preview DIR\n");
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
  const bool preview = argc == 3 && !std::strcmp(argv[1], "--preview");
  if (argc != 2 && !preview) return usage();
  if (!preview && argv[1][0] == '-' && std::strcmp(argv[1], "--list")) return usage();
  AG_OUTPUT out;
  std::vector<FG_FONT> fonts;
  const int ok = fg_generate_all(&out, preview ? &fonts : nullptr);
  int failed = ok ? 0 : 1;
  if (!ok) std::fprintf(stderr, "fontgen: some fonts could not be made\n");
  if (preview) {
    if (!fg_preview_write(fonts, argv[2])) {
      std::fprintf(stderr, "fontgen: cannot write the previews into %s\n", argv[2]);
      failed = 1;
    }
  } else if (!std::strcmp(argv[1], "--list")) {
    for (const AG_FILE& f : out.files) std::printf("%8zu %s\n", f.bytes.size(), f.name.c_str());
  } else {
    const std::filesystem::path root(argv[1]);
    for (const AG_FILE& f : out.files) {
      if (!write_file(root / f.name, f.bytes)) {
        std::fprintf(stderr, "fontgen: cannot write %s\n", (root / f.name).string().c_str());
        failed = 1;
      }
    }
  }
  fg_raster_done();
  return failed;
}
