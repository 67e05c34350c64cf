// Preview pictures of the built fonts: menus, messages, menu bar, language screen and help page over a picture of the board.
#include "tools/fontgen/fg_preview.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "tools/artgen/ag_png.h"
#include "tools/fontgen/fg_pointer.h"

namespace {

struct Rect {
  int x, y, w, h;
};

// A character as the font loader keeps it: its cell and its inked columns.
struct Char {
  AG_CANVAS cell;
  int span_x, span_w;
};

constexpr int kGap = 1;  // pixels after every character, unscaled

Char char_of(const FG_FONT& f, uint32_t code) {
  Char c = {fg_font_cell(f, code), 0, 0};
  if (code == ' ' || c.cell.width == 0) {  // the space, and the space for a code the font lacks
    c.cell = ag_canvas(f.width, f.height);
    c.span_w = f.width / 2;
    return c;
  }
  int first = c.cell.width, last = -1;
  for (int y = 0; y < c.cell.height; y++)
    for (int x = 0; x < c.cell.width; x++)
      if (ag_get(&c.cell, x, y).a) first = std::min(first, x), last = std::max(last, x);
  c.span_x = last < 0 ? 0 : first;
  c.span_w = last < 0 ? 0 : last - first + 1;
  return c;
}

std::vector<Char> chars_of(const FG_FONT& f, const std::string& text) {
  FG_CODES codes;
  fg_utf8_decode(text, &codes);
  std::vector<Char> out;
  for (uint32_t c : codes) out.push_back(char_of(f, c));
  return out;
}

// Copies src's (sx, sy, sw, sh) into dst's (dx, dy, dw, dh), nearest pixel, laid over by alpha.
void blit(AG_CANVAS* dst, const AG_CANVAS& src, Rect s, Rect d) {
  if (s.w < 1 || s.h < 1 || d.w < 1 || d.h < 1) return;
  for (int j = 0; j < d.h; j++)
    for (int i = 0; i < d.w; i++) {
      const AG_RGBA p = ag_get(&src, s.x + i * s.w / d.w, s.y + j * s.h / d.h);
      if (p.a) ag_put(dst, d.x + i, d.y + j, p);
    }
}

int prop_width(const std::vector<Char>& cs) {
  int w = 0;
  for (const Char& c : cs) w += c.span_w + kGap;
  return w;
}

// Proportional text at natural size from (x, y).
void prop_natural(AG_CANVAS* scr, const FG_FONT& f, const std::string& text, int x, int y) {
  for (const Char& c : chars_of(f, text)) {
    blit(scr, c.cell, {c.span_x, 0, c.span_w, f.height}, {x, y, c.span_w, f.height});
    x += c.span_w + kGap;
  }
}

// Proportional text scaled into `r`, centred with the aspect kept when it
// is narrower (the menus' drawing), else stretched to the rectangle.
void prop_scaled(AG_CANVAS* scr, const FG_FONT& f, const std::string& text, Rect r) {
  const std::vector<Char> cs = chars_of(f, text);
  const int w = prop_width(cs);
  if (!w) return;
  const bool keep = w * r.h / f.height < r.w;
  if (keep) {
    const int tw = w * r.h / f.height;
    r.x += (r.w - tw) / 2;
    r.w = tw;
  }
  int x = r.x;
  for (const Char& c : cs) {
    const int cw = keep ? c.span_w * r.h / f.height : c.span_w * r.w / w;
    blit(scr, c.cell, {c.span_x, 0, c.span_w, f.height}, {x, r.y, cw, r.h});
    x += cw + kGap;
  }
}

// Fixed spacing at natural size: whole cells, one after the other.
void fixed_natural(AG_CANVAS* scr, const FG_FONT& f, const std::string& text, int x, int y) {
  for (const Char& c : chars_of(f, text)) {
    blit(scr, c.cell, {0, 0, c.cell.width, f.height}, {x, y, c.cell.width, f.height});
    x += f.width + kGap;
  }
}

// Fixed spacing scaled: every cell into an equal slot of the rectangle.
void fixed_scaled(AG_CANVAS* scr, const FG_FONT& f, const std::string& text, Rect r) {
  const std::vector<Char> cs = chars_of(f, text);
  if (cs.empty()) return;
  const int slot = r.w / int(cs.size());
  for (size_t i = 0; i < cs.size(); i++)
    blit(scr, cs[i].cell, {0, 0, cs[i].cell.width, f.height}, {r.x + int(i) * slot, r.y, slot, r.h});
}

// ---------------------------------------------------------------- scenes

// The board: lanes of grass, road and water tiles, 64 pixels a tile at 640 x 480.
AG_CANVAS board(int width, int height, int darken) {
  static const char* kLanes[] = {"grass", "bank_n", "water00", "water03", "water06", "bank_s",
                                 "verge_s", "road", "road_line", "road", "pavement", "grass"};
  AG_CANVAS scr = ag_canvas(width, height);
  const int tile = width / 10;
  for (int row = 0; row * tile < height; row++) {
    const AG_CANVAS art = ag_floor_art(kLanes[row % 12]);
    for (int col = 0; col * tile < width; col++)
      blit(&scr, art, {0, 0, art.width, art.height}, {col * tile, row * tile, tile, tile});
  }
  for (AG_RGBA& p : scr.px) p = ag_mix(p, {0, 0, 0, 255}, darken / 100.0);
  return scr;
}

Rect scaled(Rect base, int width) {
  const double k = width / 640.0;
  return {int(base.x * k), int(base.y * k), int(base.w * k), int(base.h * k)};
}

// A menu of seven lines with the pointer stars beside the third, then the
// score, the clock and a bonus message, over the board.
void menu_scene(AG_CANVAS* scr, const FG_FONT& f) {
  static const char* kLines[] = {"New Game",           "Nouvelle partie « Jeu »", "Spiel-Einstellungen",
                                 "¿Música? ¡Sí! Año",  "Qualità: più veloce",     "Ecrã inteiro / Janela",
                                 "Één Ĳsselmeer, Œuvre"};
  const Rect menu = {160, 96, 320, 288};
  const int space = 8, lines = 7, line_h = (menu.h - (lines - 1) * space) / lines;
  for (int i = 0; i < lines; i++) {
    const int w = std::min(prop_width(chars_of(f, kLines[i])) * line_h / f.height, menu.w);
    const Rect base = {menu.x + (menu.w - w) / 2, menu.y + i * (space + line_h), w, line_h};
    const Rect r = scaled(base, scr->width);
    prop_scaled(scr, f, kLines[i], r);
    if (i == 2) {
      const AG_CANVAS star = fg_font_cell(f, '*');
      const int size = r.h * star.width / star.height;
      blit(scr, star, {0, 0, star.width, star.height}, {r.x - 2 - size, r.y, size, r.h});
      blit(scr, star, {0, 0, star.width, star.height}, {r.x + r.w + 2, r.y, size, r.h});
    }
  }
  // Messages: stretched to their rectangles, which are sized to the text.
  auto message = [&](const char* text, int x, int y, int h) {
    const int w = prop_width(chars_of(f, text)) * h / f.height;
    prop_scaled(scr, f, text, scaled({x, y, w, h}, scr->width));
  };
  message("Score: 004250", 8, 436, 20);
  message("x3 lives", 540, 436, 20);
  message("Time bonus! +500 — Très bien…", 170, 400, 24);
  fixed_scaled(scr, f, "01:59", scaled({280, 8, 80, 28}, scr->width));
}

// The menu bar at natural size, in Japanese, with its Game popup open.
void bar_scene(AG_CANVAS* scr, const FG_FONT& f) {
  const int bar_h = f.height + 4;
  ag_rect(scr, 0, 0, scr->width, bar_h, {40, 44, 60, 255});
  static const char* kTitles[] = {"ゲーム(G)", "表示(D)", "サウンド(S)", "ヘルプ(H)"};
  int x = 8;
  for (const char* t : kTitles) {
    prop_natural(scr, f, t, x, 2);
    x += prop_width(chars_of(f, t)) + 20;
  }
  static const char* kItems[] = {"言語(L)  ▸", "ゲームに戻る(B)", "終了(X)   Alt+F4", "✓ デジタル音楽(M)   F2",
                                 "● 高(H)  中(M)  低(L)"};
  const int popup_w = 360, popup_h = int(std::size(kItems)) * (f.height + 4) + 8;
  ag_rect(scr, 4, bar_h, popup_w, popup_h, {40, 44, 60, 255});
  for (size_t i = 0; i < std::size(kItems); i++) prop_natural(scr, f, kItems[i], 14, bar_h + 4 + int(i) * (f.height + 4));
}

// The language screen as the game lays it out: a title in the 32-pixel
// font scaled into its box, then one name a row, the second highlighted.
void language_scene(AG_CANVAS* scr, const FG_FONT& title, const FG_FONT& names, const FG_FONT& chosen) {
  const int W = scr->width, H = scr->height;
  const std::string t = "Select a Language:";
  const int len = int(t.size());
  fixed_scaled(scr, title, t, {(W - 32 * len - 32) / 2, H / 2 - 128, (len + 1) * 32, 32});
  static const char* kNames[] = {"English", "Français", "Deutsch", "Español", "Nederlands", "Português"};
  for (int k = 0; k < 6; k++) {
    FG_CODES codes;
    fg_utf8_decode(kNames[k], &codes);
    const int n = int(codes.size()), x = (W - 64 * n) / 2, y = H / 2 + 64 * k;
    if (k == 1) {
      ag_rect(scr, x - 71, y + 16, 56, 33, {0, 60, 160, 255});
      ag_rect(scr, x + 64 * n + 16, y + 16, 56, 33, {0, 60, 160, 255});
    }
    fixed_natural(scr, k == 1 ? chosen : names, kNames[k], x, y);
  }
}

void help_scene(AG_CANVAS* scr, const FG_FONT& f) {
  static const char* kText[] = {
      "HOW TO PLAY",
      "Guide the frog across the road and the river to the five homes.",
      "Hop on logs and turtles; the water is deadly, and so are cars.",
      "Grenouille : traversez la route, évitez les voitures « rapides ».",
      "Frösche hüpfen über Straßen und Flüsse – schnell, aber vorsichtig!",
      "¿Cómo se juega? Salta sobre los troncos y llega a casa a tiempo.",
      "Il gioco è semplice: più salti, più punti. Però attenzione!",
      "Één kikker, véél auto’s: spring over de weg naar het overkantje.",
      "Bónus: ganhe uma vida extra a cada 10 000 pontos (€ 0,00).",
      "Keys: arrows move · F1 help · F2 music · F3 effects · F4 window",
  };
  int y = 40;
  for (const char* line : kText) {
    prop_natural(scr, f, line, 32, y);
    y += f.height + 1;
  }
}

// A sheet on a checkerboard, enlarged when small.
AG_CANVAS sheet_view(const FG_SHEET& s, const AG_CANVAS& pic) {
  const int k = pic.width <= 600 ? 2 : 1;
  AG_CANVAS v = ag_canvas(pic.width * k, pic.height * k);
  for (int y = 0; y < v.height; y++)
    for (int x = 0; x < v.width; x++) {
      const bool dark = ((x / (8 * k)) + (y / (8 * k))) & 1;
      const bool edge = (x / k) % s.width == 0 || (y / k) % s.height == 0;
      ag_set(&v, x, y, edge ? AG_RGBA{120, 60, 60, 255} : dark ? AG_RGBA{96, 104, 96, 255} : AG_RGBA{150, 160, 150, 255});
    }
  blit(&v, pic, {0, 0, pic.width, pic.height}, {0, 0, v.width, v.height});
  return v;
}

// The pointer star's glint, eight frames side by side, four times enlarged.
AG_CANVAS pointer_strip(int size) {
  constexpr int kFrames = 8, kZoom = 4;
  AG_CANVAS v = ag_canvas(kFrames * size * kZoom, size * kZoom, {70, 90, 120, 255});
  const std::array<uint8_t, 768> pal = fg_pointer_palette();
  for (int f = 0; f < kFrames; f++) {
    const std::vector<uint8_t> px = fg_pointer_frame(size, f, kFrames);
    for (int y = 0; y < size * kZoom; y++)
      for (int x = 0; x < size * kZoom; x++) {
        const uint8_t i = px[size_t(y / kZoom) * size_t(size) + size_t(x / kZoom)];
        if (i) ag_set(&v, f * size * kZoom + x, y, {pal[i * 3u], pal[i * 3u + 1], pal[i * 3u + 2], 255});
      }
  }
  return v;
}

bool write_png(const std::filesystem::path& path, const AG_CANVAS& c) {
  std::vector<uint8_t> rgb(c.px.size() * 3), png;
  for (size_t i = 0; i < c.px.size(); i++) {
    rgb[i * 3] = c.px[i].r;
    rgb[i * 3 + 1] = c.px[i].g;
    rgb[i * 3 + 2] = c.px[i].b;
  }
  const AG_PNG_IMAGE im = {c.width, c.height, AG_PNG_RGB, rgb.data(), nullptr, 0};
  if (!ag_png_encode(&im, &png)) return false;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
  return bool(out);
}

const FG_FONT* find(const std::vector<FG_FONT>& fonts, const char* file) {
  for (const FG_FONT& f : fonts)
    if (std::string(f.def->file) == file) return &f;
  return nullptr;
}

}  // namespace

int fg_preview_write(const std::vector<FG_FONT>& fonts, const char* dir) {
  std::error_code ec;
  const std::filesystem::path root(dir);
  std::filesystem::create_directories(root, ec);
  const FG_FONT* menu = find(fonts, "data/menu.fnt");
  const FG_FONT* title = find(fonts, "font/langfont32.fnt");
  const FG_FONT* names = find(fonts, "font/langfont64.fnt");
  const FG_FONT* chosen = find(fonts, "font/langfont_highlighted.fnt");
  const FG_FONT* help = find(fonts, "font/help.fnt");
  const FG_FONT* help_large = find(fonts, "font/help_large.fnt");
  bool ok = menu && title && names && chosen && help && help_large;
  for (const int width : {640, 1600}) {
    if (!ok) break;
    const int height = width * 3 / 4;
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    AG_CANVAS scr = board(width, height, 0);
    menu_scene(&scr, *menu);
    bar_scene(&scr, *menu);
    ok &= write_png(root / ("menu_" + size + ".png"), scr);
    scr = board(width, height, 55);
    language_scene(&scr, *title, *names, *chosen);
    ok &= write_png(root / ("language_" + size + ".png"), scr);
    scr = board(width, height, 30);
    help_scene(&scr, *help);
    ok &= write_png(root / ("help_" + size + ".png"), scr);
    scr = board(width, height, 30);
    help_scene(&scr, *help_large);
    ok &= write_png(root / ("help_large_" + size + ".png"), scr);
  }
  if (menu) ok &= write_png(root / "pointer_frames.png", pointer_strip(menu->height));
  for (const FG_FONT& f : fonts)
    for (const FG_SHEET& s : f.sheets) {
      if (s.type == 5) continue;
      const std::string name = s.file.substr(s.file.rfind('/') + 1);
      ok &= write_png(root / ("sheet_" + name), sheet_view(s, s.pic));
    }
  return ok ? 1 : 0;
}
