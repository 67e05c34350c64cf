// The generated fonts: well-formed .fnt files whose pictures hold every listed character, the alphabets of the game's languages and the menu bar's texts, tabular figures, and FLC files that an independent decoder (ffmpeg) reads back frame for frame.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <set>
#include <string_view>

#include "display/vx_dsp_menu.h"
#include "tests/content/content_fixture.h"
#include "tools/fontgen/fg_flc.h"
#include "tools/fontgen/fg_fonts.h"
#include "tools/fontgen/fg_pointer.h"

using namespace content_test;

namespace {

class Fontgen : public ContentTest {};

const std::map<std::string, Bytes>& font_files() {
  static const std::map<std::string, Bytes> files = [] {
    AG_OUTPUT out;
    std::map<std::string, Bytes> m;
    if (!fg_generate_all(&out)) return m;
    for (const AG_FILE& f : out.files) m[f.name] = f.bytes;
    return m;
  }();
  return files;
}

// Sections and keys of a string file as the game's literal reader sees
// them: the first '=' ends the key, the value is the rest as it stands.
using Ini = std::map<std::string, std::map<std::string, std::string>>;
Ini parse(const Bytes& file) {
  Ini ini;
  std::string section, text(file.begin(), file.end());
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '[') section = line.substr(1, line.find(']') - 1), ini[section];
    else if (line.find('=') != std::string::npos && !section.empty())
      ini[section].emplace(line.substr(0, line.find('=')), line.substr(line.find('=') + 1));
  }
  return ini;
}

int num(const std::map<std::string, std::string>& keys, const char* key) {
  const auto it = keys.find(key);
  return it == keys.end() ? -1 : std::atoi(it->second.c_str());
}

std::string section_name(int i) {
  char s[32];
  std::snprintf(s, sizeof s, "File%06d", i);
  return s;
}

std::string line_key(int k) {
  char s[32];
  std::snprintf(s, sizeof s, "Line%03d", k);
  return s;
}

// Every code a font lists, over all its rows.
std::set<uint32_t> codes_of(const Ini& ini) {
  std::set<uint32_t> all;
  for (int i = 1; i <= num(ini.at("Font Properties"), "NumFiles"); i++) {
    const auto& s = ini.at(section_name(i));
    for (int k = 1; k <= num(s, "NumLines"); k++) {
      FG_CODES row;
      fg_utf8_decode(s.at(line_key(k)), &row);
      all.insert(row.begin(), row.end());
    }
  }
  return all;
}

std::vector<std::string> fnt_names() {
  std::vector<std::string> names;
  for (const auto& [name, bytes] : font_files())
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".fnt") == 0) names.push_back(name);
  return names;
}

bool inked(const Decoded& d, int x0, int y0, int w, int h) {
  for (int y = y0; y < y0 + h && y < d.height; y++)
    for (int x = x0; x < x0 + w && x < d.width; x++)
      if (d.rgba[(size_t(y) * size_t(d.width) + size_t(x)) * 4 + 3]) return true;
  return false;
}

// The inked columns of a cell: first and last, -1 when none.
std::pair<int, int> span_of(const Decoded& d, int x0, int y0, int w, int h) {
  int first = -1, last = -1;
  for (int x = x0; x < x0 + w; x++)
    if (inked(d, x, y0, 1, h)) last = x, first = first < 0 ? x : first;
  return {first, last};
}

}  // namespace

TEST_F(Fontgen, FontFilesAreWellFormedAndEveryListedCharacterHasInk) {
  const auto& files = font_files();
  ASSERT_FALSE(files.empty()) << "the generator failed";
  EXPECT_EQ(fnt_names().size(), 6u);
  for (const std::string& name : fnt_names()) {
    SCOPED_TRACE(name);
    const Ini ini = parse(files.at(name));
    const std::string dir = name.substr(0, name.rfind('/') + 1);
    ASSERT_TRUE(ini.count("Font Properties"));
    const auto& props = ini.at("Font Properties");
    EXPECT_FALSE(props.at("Name").empty());
    EXPECT_EQ(props.at("Version"), "2") << "the game's texts are UTF-8";
    const int width = num(props, "Width"), height = num(props, "Height"), n = num(props, "NumFiles");
    ASSERT_GT(width, 0);
    ASSERT_GT(height, 0);
    ASSERT_GT(n, 0);
    EXPECT_EQ(ini.size(), size_t(n) + 1 + ini.count("Character Properties")) << "stray sections";
    size_t listed = 0;
    for (int i = 1; i <= n; i++) {
      SCOPED_TRACE(section_name(i));
      ASSERT_TRUE(ini.count(section_name(i)));
      const auto& s = ini.at(section_name(i));
      ASSERT_TRUE(files.count(dir + s.at("Name"))) << "names a file that is not made";
      const Bytes& pic = files.at(dir + s.at("Name"));
      const int type = num(s, "Type"), lines = num(s, "NumLines");
      const int cw = type == 1 ? width : num(s, "Width"), ch = type == 1 ? height : num(s, "Height") / (type == 5 ? lines : 1);
      ASSERT_GT(lines, 0);
      EXPECT_EQ(ch, height) << "every cell has the font's height";
      if (type == 5) {
        ASSERT_GE(pic.size(), 128u);
        EXPECT_EQ(pic[4] | pic[5] << 8, 0xAF12);
        EXPECT_GE(pic[8] | pic[9] << 8, num(s, "X") + cw);
        EXPECT_GE(pic[10] | pic[11] << 8, num(s, "Y") + ch * lines);
        for (int k = 1; k <= lines; k++) listed += 1;
        continue;
      }
      ASSERT_TRUE(type == 1 || type == 2) << type;
      const Decoded d = decode_png(pic);
      ASSERT_TRUE(d.ok);
      EXPECT_GE(d.height, lines * ch);
      for (int k = 1; k <= lines; k++) {
        FG_CODES row;
        ASSERT_TRUE(s.count(line_key(k)));
        ASSERT_TRUE(fg_utf8_decode(s.at(line_key(k)), &row));
        EXPECT_GE(d.width, int(row.size()) * cw) << "row " << k << " runs off the picture";
        for (size_t c = 0; c < row.size(); c++)
          EXPECT_TRUE(inked(d, int(c) * cw, (k - 1) * ch, cw, ch)) << "U+" << std::hex << row[c] << " is blank";
        listed += row.size();
      }
    }
    const std::set<uint32_t> codes = codes_of(ini);
    EXPECT_EQ(codes.size(), listed) << "a character is listed twice";
    EXPECT_FALSE(codes.count(' ')) << "the loader makes the space";
    if (ini.count("Character Properties")) {
      FG_CODES src, dst;
      fg_utf8_decode(ini.at("Character Properties").at("MapSrc"), &src);
      fg_utf8_decode(ini.at("Character Properties").at("MapDst"), &dst);
      ASSERT_EQ(src.size(), dst.size());
      for (size_t i = 0; i < src.size(); i++) {
        EXPECT_FALSE(codes.count(src[i])) << "a mapped code the font has is never mapped";
        EXPECT_TRUE(dst[i] == ' ' || codes.count(dst[i])) << "maps to a code the font lacks";
      }
    }
  }
}

// Lower-case letters each language writes (its alphabet with every
// accented letter in use, after the exemplar sets of the Unicode CLDR),
// then the signs its typography prints beyond ASCII. The compiler encodes
// these literals, so a fault in the generator's own UTF-8 coding shows.
struct Language {
  const char* name;
  std::u32string_view letters, signs;
};
constexpr Language kLanguages[] = {
    {"eng", U"abcdefghijklmnopqrstuvwxyz", U"‘’“”–—…©"},
    {"fra", U"abcdefghijklmnopqrstuvwxyzàâæçéèêëîïôœùûüÿ", U"«»’–…"},
    {"deu", U"abcdefghijklmnopqrstuvwxyzäöüß", U"„“‚‘–"},
    {"spa", U"abcdefghijklmnopqrstuvwxyzáéíñóúü", U"¿¡«»ºª"},
    {"ita", U"abcdefghijklmnopqrstuvwxyzàèéìíîòóùú", U"«»’"},
    {"nld", U"abcdefghijklmnopqrstuvwxyzáäéëíïĳóöúü", U"‘’“”·"},
    {"por", U"abcdefghijklmnopqrstuvwxyzáàâãçéêíóôõú", U"«»ºª€"},
};

// The capital of a lower-case Latin letter; 0 for ß, which has none in print.
uint32_t capital(uint32_t c) {
  if (c < 0x80 || (c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;
  if (c == 0xFF) return 0x178;
  if (c == 0x133 || c == 0x153) return c - 1;
  return 0;
}

TEST_F(Fontgen, EveryFontCoversTheAlphabetsAndTheDefaultFontTheMenuBar) {
  ASSERT_FALSE(font_files().empty());
  for (const std::string& name : fnt_names()) {
    const std::set<uint32_t> codes = codes_of(parse(font_files().at(name)));
    for (const Language& l : kLanguages) {
      for (uint32_t c : l.letters) {
        EXPECT_TRUE(codes.count(c)) << name << " lacks a letter of " << l.name << ": U+" << std::hex << c;
        if (capital(c)) {
          EXPECT_TRUE(codes.count(capital(c))) << name << " " << l.name << " U+" << std::hex << capital(c);
        }
      }
      for (uint32_t c : l.signs) EXPECT_TRUE(codes.count(c)) << name << " " << l.name << ": U+" << std::hex << c;
    }
  }
  // Every character of every language's menu bar, Japanese included, is
  // drawn by the default font (tabs only separate the key labels).
  const std::set<uint32_t> menu = codes_of(parse(font_files().at("data/menu.fnt")));
  for (int r = 0; r < vx_dsp_menu_resource_count(); r++) {
    const VX_MENU_RESOURCE* res = vx_dsp_menu_resource_at(r);
    for (int i = 0; i < res->count; i++) {
      FG_CODES text;
      ASSERT_TRUE(fg_utf8_decode(res->lines[i].text, &text)) << res->lines[i].text;
      for (uint32_t c : text) EXPECT_TRUE(c == '\t' || c == ' ' || menu.count(c)) << res->lines[i].text << ": U+" << std::hex << c;
    }
  }
  for (uint32_t c : std::u32string_view(U"*ゲームに戻る終了(&X)")) EXPECT_TRUE(menu.count(c)) << std::hex << c;
}

// Scores and clocks are messages stretched into their rectangles: were a
// '1' narrower than a '0', the whole text would wobble as they change.
TEST_F(Fontgen, DefaultFontFiguresTrimToOneWidth) {
  const Ini ini = parse(font_files().at("data/menu.fnt"));
  const int height = num(ini.at("Font Properties"), "Height");
  std::set<int> widths;
  for (int i = 1; i <= num(ini.at("Font Properties"), "NumFiles"); i++) {
    const auto& s = ini.at(section_name(i));
    if (num(s, "Type") == 5) continue;
    const int cw = num(s, "Type") == 1 ? num(ini.at("Font Properties"), "Width") : num(s, "Width");
    const Decoded d = decode_png(font_files().at("data/" + s.at("Name")));
    for (int k = 1; k <= num(s, "NumLines"); k++) {
      FG_CODES row;
      fg_utf8_decode(s.at(line_key(k)), &row);
      for (size_t c = 0; c < row.size(); c++)
        if (row[c] >= '0' && row[c] <= '9') {
          const auto [first, last] = span_of(d, int(c) * cw, (k - 1) * height, cw, height);
          widths.insert(last - first + 1);
        }
    }
  }
  EXPECT_EQ(widths.size(), 1u);
}

// ---------------------------------------------------------------- FLC through ffmpeg

namespace {

bool have_ffmpeg() { return std::system("ffmpeg -version > /dev/null 2>&1") == 0; }

// The frames ffmpeg decodes from `file`, as RGB bytes one after the other.
Bytes ffmpeg_frames(const std::string& file) {
  const std::string cmd = "ffmpeg -v error -i '" + file + "' -fps_mode passthrough -f rawvideo -pix_fmt rgb24 - 2>/dev/null";
  Bytes out;
  FILE* p = popen(cmd.c_str(), "r");
  if (!p) return out;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, p)) > 0) out.insert(out.end(), buf, buf + n);
  pclose(p);
  return out;
}

Bytes expand(const FG_FLC& a) {
  Bytes rgb;
  for (const auto& f : a.frames)
    for (uint8_t i : f) rgb.insert(rgb.end(), a.palette.begin() + i * 3, a.palette.begin() + i * 3 + 3);
  return rgb;
}

// 600 x 4: changes far apart on one line (skips longer than a byte
// counts), an unchanged frame, a line of one colour, scattered pixels.
FG_FLC wide_animation() {
  FG_FLC a = {600, 4, 50, {}, {}};
  for (int i = 0; i < 256; i++) a.palette[size_t(i) * 3] = uint8_t(i), a.palette[size_t(i) * 3 + 1] = uint8_t(255 - i), a.palette[size_t(i) * 3 + 2] = uint8_t(i * 7);
  std::vector<uint8_t> f(600 * 4);
  uint32_t seed = 7;
  for (size_t i = 0; i < f.size(); i++) f[i] = i % 5 ? f[i - 1] : uint8_t((seed = seed * 1103515245u + 12345u) >> 24);
  a.frames.push_back(f);
  f[600 + 10] ^= 1, f[600 + 590] ^= 1;
  a.frames.push_back(f);
  a.frames.push_back(f);
  std::fill(f.begin() + 1200, f.begin() + 1800, uint8_t(9));
  a.frames.push_back(f);
  for (size_t i = 3; i < f.size(); i += 37) f[i] = uint8_t(i);
  a.frames.push_back(f);
  return a;
}

}  // namespace

TEST_F(Fontgen, FlcFilesDecodeInFfmpegToTheFramesDrawn) {
  if (!have_ffmpeg()) GTEST_SKIP() << "ffmpeg is not installed";
  FG_FLC pointer = {32, 32, 80, fg_pointer_palette(), {}};
  for (int f = 0; f < 8; f++) pointer.frames.push_back(fg_pointer_frame(32, f, 8));
  FG_FLC game_pointer = pointer;
  game_pointer.frames.resize(1);
  const struct {
    const char* name;
    FG_FLC anim;
    const Bytes* file;  // the generated file to compare against, when there is one
  } cases[] = {
      {"game pointer", game_pointer, &font_files().at("data/menu_pointer.flc")},
      {"pointer glint", pointer, nullptr},
      {"wide", wide_animation(), nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes flc;
    ASSERT_EQ(fg_flc_encode(&c.anim, &flc), 1);
    if (c.file) {
      EXPECT_EQ(flc, *c.file) << "the data tree's file is not the drawn star";
    }
    const std::string path = testing::TempDir() + "fontgen_" + std::to_string(&c - cases) + ".flc";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(flc.data()), std::streamsize(flc.size()));
    const Bytes got = ffmpeg_frames(path), want = expand(c.anim);
    std::remove(path.c_str());
    const size_t frame = size_t(c.anim.width) * size_t(c.anim.height) * 3;
    ASSERT_EQ(got.size(), want.size()) << got.size() / frame << " frames decoded";
    for (size_t f = 0; f < c.anim.frames.size(); f++)
      EXPECT_TRUE(std::equal(want.begin() + long(f * frame), want.begin() + long((f + 1) * frame), got.begin() + long(f * frame)))
          << "frame " << f;
  }
}

TEST_F(Fontgen, SameBytesEveryRun) {
  AG_OUTPUT again;
  ASSERT_EQ(fg_generate_all(&again), 1);
  for (const AG_FILE& f : again.files) EXPECT_TRUE(font_files().at(f.name) == f.bytes) << f.name;
}
