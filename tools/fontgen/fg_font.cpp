// One bitmap font: the em size that fits the cell, the glyphs in sheets of cells, the pointer animation, the .fnt text.
#include "tools/fontgen/fg_font.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "tools/artgen/ag_png.h"
#include "tools/fontgen/fg_flc.h"
#include "tools/fontgen/fg_pointer.h"

namespace {

constexpr int kColumns = 16;      // cells a sheet row
constexpr int kMargin = 1;        // clear pixels kept between the ink and the cell's edges
constexpr uint32_t kPointer = '*';
constexpr int kPointerSpeed = 80;  // milliseconds a frame of the pointer's glint

struct Drawn {
  uint32_t code;
  FG_INK ink;
};

// The face that draws `code`: the Latin face, else the Japanese one when
// the font takes it; -1 when neither has the code.
int face_for(const FG_FONT_DEF* def, uint32_t code) {
  if (fg_raster_has(def->latin.face, code)) return def->latin.face;
  if (def->japanese && fg_raster_has(FG_JAPANESE, code)) return FG_JAPANESE;
  return -1;
}

// The Japanese face is a regular weight: thickened to stand beside the
// bold Latin letters. Without `paint` only the picture's size and place
// are worked out.
FG_INK render(const FG_FONT_DEF* def, uint32_t code, int em, double stretch, int ascent, bool paint) {
  FG_RENDER how = def->latin;
  how.em = em;
  how.stretch = stretch;
  how.face = face_for(def, code);
  if (how.face == FG_JAPANESE) {
    how.stretch = 1.0;
    how.mono = 0;
    how.embolden = em * 64 / 22;
  }
  FG_GLYPH g;
  fg_raster_glyph(&how, code, &g);
  return paint ? fg_style_glyph(g, def->style, ascent) : fg_style_box(g, def->style);
}

int cap_height(const FG_FONT_DEF* def, int em) {
  FG_RENDER how = def->latin;
  how.em = em;
  FG_GLYPH g;
  return fg_raster_glyph(&how, 'H', &g) ? g.top : em * 3 / 4;
}

// The stretch that makes a square font's monospaced advance, with the
// ring and the shadow, as wide as the cell's inside.
double fill_stretch(const FG_FONT_DEF* def, int em) {
  FG_RENDER how = def->latin;
  how.em = em;
  how.stretch = 1.0;
  FG_GLYPH g;
  if (!fg_raster_glyph(&how, '0', &g) || g.advance < 1) return 1.0;
  const FG_STYLE& s = def->style;
  const int room = def->height - 2 * kMargin - 2 * int(std::ceil(s.ring)) - std::abs(s.shadow_dx);
  return double(room) / g.advance;
}

// Every glyph at `em`. A square font squeezes a glyph too wide for its
// cell a little at a time until it fits.
std::vector<Drawn> render_all(const FG_FONT_DEF* def, const FG_CODES& codes, int em, bool paint) {
  std::vector<Drawn> out;
  const int ascent = cap_height(def, em);
  const double base = def->latin.stretch > 0 ? def->latin.stretch : fill_stretch(def, em);
  for (uint32_t c : codes) {
    double stretch = base;
    FG_INK ink = render(def, c, em, stretch, ascent, false);
    while (def->square && ink.pic.width > def->height - 2 * kMargin && stretch > 0.3) {
      stretch *= 0.94;
      ink = render(def, c, em, stretch, ascent, false);
    }
    if (paint) ink = render(def, c, em, stretch, ascent, true);
    out.push_back({c, std::move(ink)});
  }
  return out;
}

// Rows above and below the baseline that the glyphs need.
void extent(const std::vector<Drawn>& d, int* above, int* below) {
  *above = *below = 0;
  for (const Drawn& g : d) {
    if (g.ink.pic.height < 1) continue;
    *above = std::max(*above, g.ink.top);
    *below = std::max(*below, g.ink.pic.height - g.ink.top);
  }
}

bool fits(const std::vector<Drawn>& d, int height) {
  int above, below;
  extent(d, &above, &below);
  return above + below <= height - 2 * kMargin;
}

int widest(const std::vector<Drawn>& d) {
  int w = 0;
  for (const Drawn& g : d) w = std::max(w, g.ink.pic.width);
  return w;
}

// Widens every figure's picture to the widest figure's, ink centred, and
// marks its first and last column with a pixel of alpha 1 on the top row,
// so that the trimmed widths of all ten agree.
void tabular_figures(std::vector<Drawn>* all) {
  int w = 0;
  for (const Drawn& d : *all)
    if (d.code >= '0' && d.code <= '9') w = std::max(w, d.ink.pic.width);
  for (Drawn& d : *all) {
    if (d.code < '0' || d.code > '9' || d.ink.pic.width < 1) continue;
    AG_CANVAS pic = ag_canvas(w, d.ink.pic.height);
    const int shift = (w - d.ink.pic.width) / 2;
    ag_blit(&pic, &d.ink.pic, shift, 0);
    for (int x : {0, w - 1})
      if (!ag_get(&pic, x, 0).a) ag_set(&pic, x, 0, {0, 0, 0, 1});
    d.ink.pic = std::move(pic);
    d.ink.left -= shift;
  }
}

// Lays `glyphs` out in rows of kColumns cells of w x h, ink centred across
// the cell and standing on the font's baseline.
FG_SHEET lay_out(FG_FONT* font, const std::vector<Drawn>& glyphs, int type, int w, const std::string& file) {
  FG_SHEET s;
  s.file = file;
  s.type = type;
  s.width = w;
  s.height = font->height;
  const int n = int(glyphs.size());
  const int cols = std::min(n, kColumns), rows = (n + kColumns - 1) / kColumns;
  s.pic = ag_canvas(cols * w, rows * s.height);
  s.lines.assign(size_t(rows), "");
  const int sheet = int(font->sheets.size());
  for (int i = 0; i < n; i++) {
    const Drawn& g = glyphs[size_t(i)];
    const int cx = (i % kColumns) * w, cy = (i / kColumns) * s.height;
    ag_blit(&s.pic, &g.ink.pic, cx + (w - g.ink.pic.width) / 2, cy + font->baseline - g.ink.top);
    s.lines[size_t(i / kColumns)] += fg_utf8(g.code);
    font->cells[g.code] = {sheet, cx, cy};
  }
  return s;
}

std::string file_name(const FG_FONT_DEF* def, const char* suffix) {
  std::string dir = def->file;
  dir.erase(dir.rfind('/') + 1);
  return dir + def->stem + suffix;
}

FG_SHEET pointer_sheet(FG_FONT* font) {
  const FG_FONT_DEF* def = font->def;
  FG_SHEET s;
  s.file = file_name(def, "_pointer.flc");
  s.type = 5;
  s.width = s.height = font->height;
  s.lines = {"*"};
  s.pic = ag_canvas(0, 0);
  FG_FLC a = {s.width, s.height, kPointerSpeed, fg_pointer_palette(), {}};
  for (int f = 0; f < std::max(def->pointer_frames, 1); f++)
    a.frames.push_back(fg_pointer_frame(s.width, f, def->pointer_frames));
  fg_flc_encode(&a, &s.flc);
  font->cells[kPointer] = {int(font->sheets.size()), 0, 0};
  return s;
}

}  // namespace

FG_CODES fg_font_codes(const FG_FONT_DEF* def) {
  FG_CODES c = fg_latin_set();
  if (def->japanese) {
    c = fg_codes_union(c, fg_menu_symbols());
    c = fg_codes_union(c, fg_kana_set());
    c = fg_codes_union(c, fg_menu_bar_codes());
  }
  return c;
}

int fg_font_build(const FG_FONT_DEF* def, FG_FONT* out) {
  *out = FG_FONT{};
  out->def = def;
  out->height = def->height;
  FG_CODES codes = fg_font_codes(def);
  if (def->pointer) codes = fg_codes_minus(codes, {kPointer});
  FG_CODES missing;
  for (uint32_t c : codes)
    if (face_for(def, c) < 0) missing.push_back(c);
  if (!missing.empty()) {
    std::fprintf(stderr, "fontgen: %s: no face draws", def->file);
    for (uint32_t c : missing) std::fprintf(stderr, " U+%04X", unsigned(c));
    std::fprintf(stderr, "\n");
    return 0;
  }

  // The largest em whose glyphs all fit the cell's height.
  int lo = def->height / 3, hi = def->height;
  while (lo < hi) {
    const int mid = (lo + hi + 1) / 2;
    if (fits(render_all(def, codes, mid, false), def->height)) lo = mid;
    else hi = mid - 1;
  }
  out->em = lo;
  std::vector<Drawn> all = render_all(def, codes, lo, true);
  int above, below;
  extent(all, &above, &below);
  out->baseline = kMargin + above;

  if (def->square) {
    out->width = def->height;
    out->sheets.push_back(lay_out(out, all, 1, out->width, file_name(def, ".png")));
  } else {
    std::vector<Drawn> narrow, wide, japanese;
    if (def->tabular) tabular_figures(&all);
    out->width = std::max(4, 2 * int(std::lround(def->space * lo)));
    for (Drawn& d : all) {
      if (face_for(def, d.code) == FG_JAPANESE) japanese.push_back(std::move(d));
      else if (d.ink.pic.width + 2 * kMargin <= out->width) narrow.push_back(std::move(d));
      else wide.push_back(std::move(d));
    }
    if (!narrow.empty()) out->sheets.push_back(lay_out(out, narrow, 1, out->width, file_name(def, "_a.png")));
    if (!wide.empty())
      out->sheets.push_back(lay_out(out, wide, 2, widest(wide) + 2 * kMargin, file_name(def, "_b.png")));
    if (!japanese.empty())
      out->sheets.push_back(lay_out(out, japanese, 2, widest(japanese) + 2 * kMargin, file_name(def, "_jp.png")));
  }
  if (def->pointer) out->sheets.push_back(pointer_sheet(out));
  fg_char_map(&out->map_src, &out->map_dst);
  return 1;
}

std::string fg_font_fnt(const FG_FONT& f) {
  std::string t;
  auto line = [&](const std::string& s) { t += s + "\r\n"; };
  auto key = [&](const char* k, const std::string& v) { line(std::string(k) + "=" + v); };
  auto num = [&](const char* k, int v) { key(k, std::to_string(v)); };
  line("[Font Properties]");
  key("Name", f.def->name);
  num("Version", 2);  // the game's texts are UTF-8
  num("Width", f.width);
  num("Height", f.height);
  num("NumFiles", int(f.sheets.size()));
  for (size_t i = 0; i < f.sheets.size(); i++) {
    const FG_SHEET& s = f.sheets[i];
    char section[32];
    std::snprintf(section, sizeof section, "[File%06zu]", i + 1);
    line("");
    line(section);
    key("Name", s.file.substr(s.file.rfind('/') + 1));
    num("Type", s.type);
    if (s.type == 5) {
      num("X", 0);
      num("Y", 0);
    }
    if (s.type != 1) {
      num("Width", s.width);
      num("Height", s.height * (s.type == 5 ? int(s.lines.size()) : 1));
    }
    num("NumLines", int(s.lines.size()));
    for (size_t k = 0; k < s.lines.size(); k++) {
      char name[32];
      std::snprintf(name, sizeof name, "Line%03zu", k + 1);
      key(name, s.lines[k]);
    }
  }
  if (!f.map_src.empty()) {
    line("");
    line("[Character Properties]");
    key("MapSrc", f.map_src);
    key("MapDst", f.map_dst);
  }
  return t;
}

void fg_font_emit(const FG_FONT& f, AG_OUTPUT* out) {
  const std::string text = fg_font_fnt(f);
  ag_emit(out, f.def->file, std::vector<uint8_t>(text.begin(), text.end()));
  for (const FG_SHEET& s : f.sheets) {
    if (s.type == 5) {
      if (s.flc.empty()) out->failed++;
      else ag_emit(out, s.file, s.flc);
      continue;
    }
    std::vector<uint8_t> png;
    if (!ag_png_encode_auto(s.pic.width, s.pic.height, reinterpret_cast<const uint8_t*>(s.pic.px.data()), 1, &png)) {
      out->failed++;
      continue;
    }
    ag_emit(out, s.file, std::move(png));
  }
}

AG_CANVAS fg_font_cell(const FG_FONT& f, uint32_t code) {
  const auto it = f.cells.find(code);
  if (it == f.cells.end()) return ag_canvas(0, 0);
  const FG_SHEET& s = f.sheets[size_t(it->second.sheet)];
  AG_CANVAS c = ag_canvas(s.width, s.height);
  if (s.type == 5) {
    const std::vector<uint8_t> px = fg_pointer_frame(s.width, 0, f.def->pointer_frames);
    const std::array<uint8_t, 768> pal = fg_pointer_palette();
    for (size_t i = 0; i < px.size(); i++)
      if (px[i]) c.px[i] = {pal[px[i] * 3u], pal[px[i] * 3u + 1], pal[px[i] * 3u + 2], 255};
    return c;
  }
  for (int y = 0; y < s.height; y++)
    for (int x = 0; x < s.width; x++) ag_set(&c, x, y, ag_get(&s.pic, it->second.x + x, it->second.y + y));
  return c;
}
