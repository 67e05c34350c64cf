// musicgen: compiles the game's scores into S3M modules.
//
//   musicgen SCORES FOLDER   every SCORES/NAME.txt becomes FOLDER/snd/NAME.s3m
//                            (folders made as needed; a file whose bytes are
//                            already there is left alone)
//   musicgen SCORE.txt OUT.s3m   one score
//
// Exit status 0, 1 when a score has an error (reported with its line) or a
// file cannot be written, 2 for bad usage. The same scores always give the
// same bytes.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tools/musicgen/mg_s3m.h"

namespace fs = std::filesystem;

namespace {

bool read_text(const fs::path& path, std::string* text) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

// Written beside the target under a temporary name, then renamed over it;
// unchanged files keep their time stamps.
bool write_file(const fs::path& path, const std::vector<uint8_t>& bytes) {
  std::string old;
  if (read_text(path, &old) && old.size() == bytes.size() && std::equal(bytes.begin(), bytes.end(), old.begin(),
                                                                          [](uint8_t a, char b) { return a == uint8_t(b); }))
    return true;
  std::error_code ec;
  if (path.has_parent_path()) fs::create_directories(path.parent_path(), ec);
  const fs::path temp = path.string() + ".part";
  {
    std::ofstream f(temp, std::ios::binary | std::ios::trunc);
    f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    f.flush();
    if (!f) return false;
  }
  fs::rename(temp, path, ec);
  return !ec;
}

bool compile(const fs::path& score, const fs::path& target) {
  std::string text, error;
  std::vector<uint8_t> bytes;
  if (!read_text(score, &text)) {
    std::fprintf(stderr, "musicgen: cannot read %s\n", score.string().c_str());
    return false;
  }
  if (!mg_s3m_build(text, &bytes, &error)) {
    std::fprintf(stderr, "musicgen: %s: %s\n", score.string().c_str(), error.c_str());
    return false;
  }
  if (!write_file(target, bytes)) {
    std::fprintf(stderr, "musicgen: cannot write %s\n", target.string().c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 || argv[1][0] == '-') {
    std::fprintf(stderr, "usage: musicgen SCORES FOLDER\n       musicgen SCORE.txt OUT.s3m\n");
    return 2;
  }
  const fs::path src(argv[1]), dst(argv[2]);
  std::error_code ec;
  if (!fs::is_directory(src, ec)) return compile(src, dst) ? 0 : 1;
  std::vector<fs::path> scores;
  for (const fs::directory_entry& e : fs::directory_iterator(src, ec))
    if (e.path().extension() == ".txt") scores.push_back(e.path());
  std::sort(scores.begin(), scores.end());
  if (scores.empty()) {
    std::fprintf(stderr, "musicgen: no scores in %s\n", src.string().c_str());
    return 1;
  }
  int status = 0;
  for (const fs::path& score : scores)
    if (!compile(score, dst / "snd" / (score.stem().string() + ".s3m"))) status = 1;
  return status;
}
