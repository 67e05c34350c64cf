// levelt: writes a .map file as the level map's text source that levelc compiles back to the same bytes.
//
// Usage: levelt INPUT.map [OUTPUT.txt]     (without OUTPUT: standard output)
//
// The text form is described at the top of levelc.cpp and in tools/README.md.
// Exits 0 when written, 1 with "INPUT: reason" for a .map that is cut short
// or has bytes after its last cell, 2 for bad usage or a file that cannot
// be read or written.
#include <cstdio>
#include <string>
#include <vector>

#include "world/map_text.h"

static bool read_all(const char* path, std::vector<uint8_t>* out) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out->insert(out->end(), buf, buf + n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: levelt INPUT.map [OUTPUT.txt]\n");
    return 2;
  }
  std::vector<uint8_t> map;
  if (!read_all(argv[1], &map)) {
    std::fprintf(stderr, "%s: cannot read the file\n", argv[1]);
    return 2;
  }
  std::string text, error;
  if (!Map_Text_From_Map(map.data(), map.size(), &text, &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  FILE* f = argc == 3 ? std::fopen(argv[2], "wb") : stdout;
  bool ok = f && std::fwrite(text.data(), 1, text.size(), f) == text.size();
  if (f && f != stdout && std::fclose(f) != 0) ok = false;
  if (!ok) {
    std::fprintf(stderr, "%s: cannot write the text\n", argc == 3 ? argv[2] : "standard output");
    return 2;
  }
  return 0;
}
