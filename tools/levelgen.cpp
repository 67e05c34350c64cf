// levelgen: builds a level's .def, .map and gameplay .txt from its compact source (a .lvl file and the shared art include).
//
// Usage: levelgen [-i INCLUDE] [-t] -o FOLDER LEVEL.lvl ...
//   -i INCLUDE  the shared art include (default: common.inc beside each .lvl)
//   -o FOLDER   where levelN.def, levelN.map and levelN.txt are written (N
//               is the number at the end of the .lvl's base name)
//   -t          also write the map's text form as levelN.map.txt
// Exits 0 when every level was written, 1 with "FILE: line N: reason" for
// a bad source, 2 for bad usage or a file that cannot be read or written.
// The same sources always give the same bytes.
//
// A source is a text of lines: settings ("title eng = ...", "time = 2",
// "cars = red taxi", "arrow 1 = RANDOM SPEED PAUSE", "log 1 = ...", "cycle
// NAME = ...", "key C = TERRAIN ATTR...", "path S = ...", "def LINE", ...),
// then the layout as a "grid" of rows between two '|', far row first, one
// character per cell, and optionally a "heights" grid of the same shape.
// The include shared by all levels declares the terrains (tile and
// heights), the layout keys, the vehicles and rafts, and the .def lines
// copied into every level. content_src/levels/README.md describes both
// formats in full.
//
// Facts the game relies on and this tool keeps: spawner tiles are 1 + 4 x
// arrow + direction (cars) and 26 + 4 x arrow + direction (logs), the
// direction taken from the board edge the spawner stands on; car type i
// is sprite 100 + i with the four animations ANIM_CAR_i+1, _DOWN, _RIGHT,
// _LEFT declared one after another; the frog's start is sprite 1..4 with
// its z 4 units nearer than the cell centre; bonus spots are sprites
// 80..87; every .def line ends in CR LF (the loader splits lines at CR).

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "world/map_text.h"

namespace {

constexpr int kLanguages = 7;
constexpr const char* kLanguage[kLanguages] = {"eng", "fra", "deu", "esp", "ita", "nld", "por"};
constexpr int kCarArrows = 6, kLogArrows = 4;
constexpr int kMaxSpawners = 63, kMaxBonus = 63;
constexpr int kMaxCells = 10000;
constexpr int kMaxMapObjects = 400;  // leaves room for the 257 objects the game creates
constexpr int kMaxMovers = 200, kMaxPaths = 200, kMaxPathPoints = 30;
constexpr int kCarTiles = 1, kLogTiles = 26;  // first spawner tile of each kind
constexpr int kBonusSprite = 80, kBonusSprites = 8;
constexpr int kSpawnerTilt = 3;  // a step the frog cannot hop

enum Direction { kUp = 0, kDown = 1, kRight = 2, kLeft = 3 };

struct Terrain {
  std::string name;
  int tile = 0, height = 0, down = 0;
};

struct Key {
  char c = 0;
  int terrain = -1;
  int car_arrow = 0, log_arrow = 0;  // 1-based, 0 none
  int start_sprite = 0;              // 1..4, 0 none
  bool bonus = false;
  std::vector<std::string> objects;  // "S" or "S@DX,DZ"
  std::string cycle;
  int phase = 0;
  bool lit = false;
  int tint = 0, bright = 15;
};

// A kind of car (include "vehicle") or of log along x (include "raft").
struct Vehicle {
  std::string name, file;
  int frames = 2, delay = 6, height = 12, width = 24, x_size = 12, z_size = 12;
};

struct Cycle {
  int mode = 1, a = 0, b = 0, speed = 10, wait_a = 100, wait_b = 100, thick = 12;
};

struct Arrow {
  bool set = false;
  int random = 10;
  double speed = 0;
  int pause = 1000;
};

struct Cell {
  int tile = 0;
  int up[4] = {0, 0, 0, 0}, down[4] = {0, 0, 0, 0};
  int tint = 0, bright = 15;
};

struct Object {
  int sprite;
  double x, y, z;
  int tint, bright;
};

// Everything a level's sources say, the include's part and the level's.
struct Source {
  std::vector<Terrain> terrains;
  std::map<char, Key> keys;
  std::vector<Vehicle> vehicles, rafts;
  std::vector<std::string> car_names;  // the level's car types, type 0 first
  std::string raft = "log";
  std::vector<std::string> def_lines;  // the include's copied lines, then the level's "def" lines
  std::string titles[kLanguages];
  std::string music, background;
  int time = 2, cell = 12;
  int tint = 0, bright = 15;
  std::string water = "water", home = "home";
  Arrow arrows[kCarArrows], logs[kLogArrows];
  std::map<std::string, Cycle> cycles;
  std::vector<std::string> places, paths;
  std::vector<std::string> grid, heights;
};

// What one level becomes.
struct Output {
  std::string def, txt, map_text;
  std::vector<uint8_t> map;
};

// ---------------------------------------------------------------- text helpers
std::string trim(const std::string& s) {
  size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r')) a++;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r')) b--;
  return s.substr(a, b - a);
}

std::vector<std::string> words(const std::string& s) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == ',')) i++;
    size_t j = i;
    while (j < s.size() && s[j] != ' ' && s[j] != '\t' && s[j] != ',') j++;
    if (j > i) out.push_back(s.substr(i, j - i));
    i = j;
  }
  return out;
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t i = 0;
  while (i <= text.size()) {
    size_t j = text.find('\n', i);
    if (j == std::string::npos) j = text.size();
    std::string line = text.substr(i, j - i);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    i = j + 1;
  }
  return lines;
}

// Whole decimal number in [lo, hi]; 1 when `s` is one.
int to_int(const std::string& s, int lo, int hi, int* out) {
  if (s.empty() || s.size() > 9) return 0;
  char* end = nullptr;
  const long v = std::strtol(s.c_str(), &end, 10);
  if (*end || v < lo || v > hi) return 0;
  *out = int(v);
  return 1;
}

int to_real(const std::string& s, double lo, double hi, double* out) {
  if (s.empty() || s.size() > 20) return 0;
  char* end = nullptr;
  const double v = std::strtod(s.c_str(), &end);
  if (*end || !(v >= lo && v <= hi)) return 0;
  *out = v;
  return 1;
}

// "NAME ARG = VALUE": the words before the '=' and the value after it.
int split_assignment(const std::string& line, std::vector<std::string>* head, std::string* value) {
  const size_t eq = line.find('=');
  if (eq == std::string::npos) return 0;
  *head = words(line.substr(0, eq));
  *value = trim(line.substr(eq + 1));
  return !head->empty();
}

// True when the text holds a control byte (a line end among them).
bool has_control(const std::string& text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 32) return true;
  return false;
}

// Sets `error` ("line N: why", or only "why" for line 0) and returns 0.
int fail(std::string* error, int line, const std::string& why) {
  *error = line > 0 ? "line " + std::to_string(line) + ": " + why : why;
  return 0;
}

int find_terrain(const Source& s, const std::string& name) {
  for (size_t i = 0; i < s.terrains.size(); i++)
    if (s.terrains[i].name == name) return int(i);
  return -1;
}

const Vehicle* find_vehicle(const std::vector<Vehicle>& list, const std::string& name) {
  for (const Vehicle& v : list)
    if (v.name == name) return &v;
  return nullptr;
}

// ---------------------------------------------------------------- parsing
// "key C = TERRAIN ATTR..." (C may itself be '=').
int parse_key(Source* s, const std::string& line_text, int line, std::string* error) {
  const std::string rest = line_text.size() > 5 ? trim(line_text.substr(5)) : std::string();
  if (line_text.size() < 5 || line_text[4] <= ' ' || line_text[4] == '|' || (unsigned char)line_text[4] > 126 ||
      rest.empty() || rest[0] != '=')
    return fail(error, line, "a key is \"key C = TERRAIN ...\" with one visible character C");
  const std::string value = trim(rest.substr(1));
  Key k;
  k.c = line_text[4];
  const std::vector<std::string> w = words(value);
  if (w.empty() || (k.terrain = find_terrain(*s, w[0])) < 0) return fail(error, line, "unknown terrain in key");
  for (size_t i = 1; i < w.size(); i++) {
    const std::string& a = w[i];
    const bool more = i + 1 < w.size();
    if (a == "car" && more) {
      if (!to_int(w[++i], 1, kCarArrows, &k.car_arrow)) return fail(error, line, "car arrow must be 1 to 6");
    } else if (a == "log" && more) {
      if (!to_int(w[++i], 1, kLogArrows, &k.log_arrow)) return fail(error, line, "log arrow must be 1 to 4");
    } else if (a == "start" && more) {
      const std::string& f = w[++i];
      k.start_sprite = f == "up" ? 1 : f == "down" ? 2 : f == "left" ? 3 : f == "right" ? 4 : 0;
      if (!k.start_sprite) return fail(error, line, "start faces up, down, left or right");
    } else if (a == "bonus") {
      k.bonus = true;
    } else if (a == "object" && more) {
      int sprite;
      const std::string& o = w[++i];
      if (!to_int(o.substr(0, o.find('@')), 0, 298, &sprite)) return fail(error, line, "object needs a sprite number");
      k.objects.push_back(o);
    } else if (a == "cycle" && i + 2 < w.size()) {
      k.cycle = w[++i];
      if (!to_int(w[++i], 0, 30000, &k.phase)) return fail(error, line, "cycle phase must be 0 to 30000");
    } else if (a == "light" && i + 2 < w.size()) {
      k.lit = true;
      if (!to_int(w[i + 1], 0, 15, &k.tint) || !to_int(w[i + 2], 0, 15, &k.bright))
        return fail(error, line, "light needs a tint and a brightness, 0 to 15");
      i += 2;
    } else {
      return fail(error, line, "unknown key attribute " + a);
    }
  }
  if ((k.car_arrow != 0) + (k.log_arrow != 0) + (!k.cycle.empty()) > 1)
    return fail(error, line, "a cell is one spawner or one moving cell at most");
  s->keys[k.c] = k;
  return 1;
}

// A line shared by the include and the level: terrain, key or car. 1 when
// handled, 0 with an error, -1 when the line is none of them.
int parse_common(Source* s, const std::string& line, int n, std::string* error) {
  if (line.compare(0, 4, "key ") == 0) return parse_key(s, line, n, error);
  std::vector<std::string> head;
  std::string value;
  if (!split_assignment(line, &head, &value)) return -1;
  if (head[0] == "terrain" && head.size() == 2) {
    Terrain t;
    t.name = head[1];
    const std::vector<std::string> w = words(value);
    if (w.size() != 3 || !to_int(w[0], 1, 299, &t.tile) || !to_int(w[1], -500, 500, &t.height) ||
        !to_int(w[2], -500, 500, &t.down) || t.down > t.height)
      return fail(error, n, "terrain needs TILE HEIGHT DOWN, DOWN not above HEIGHT");
    const int old = find_terrain(*s, t.name);
    if (old >= 0)
      s->terrains[old] = t;
    else
      s->terrains.push_back(t);
    return 1;
  }
  if ((head[0] == "vehicle" || head[0] == "raft") && head.size() == 2) {
    const bool car = head[0] == "vehicle";
    Vehicle v;
    v.name = head[1];
    const std::vector<std::string> w = words(value);
    if (w.size() != (car ? 7u : 5u) || !to_int(w[1], 1, 40, &v.frames) || !to_int(w[2], 1, 1000, &v.delay) ||
        !to_int(w[3], 1, 500, &v.height) || !to_int(w[4], 1, 500, &v.width) ||
        (car && (!to_int(w[5], 1, 200, &v.x_size) || !to_int(w[6], 1, 200, &v.z_size))))
      return fail(error, n, car ? "vehicle needs FILEBASE FRAMES DELAY HEIGHT WIDTH XSIZE ZSIZE"
                                : "raft needs FILEBASE FRAMES DELAY HEIGHT WIDTH");
    v.file = w[0];
    (car ? s->vehicles : s->rafts).push_back(v);
    return 1;
  }
  return -1;
}

int parse_include(Source* s, const std::string& text, std::string* error) {
  const std::vector<std::string> lines = split_lines(text);
  for (size_t i = 0; i < lines.size(); i++) {
    const std::string t = trim(lines[i]);
    if (t.empty() || t[0] == ';') continue;
    const int r = parse_common(s, t, int(i + 1), error);
    if (r == 0) return 0;
    if (r < 0) s->def_lines.push_back(lines[i]);
  }
  return 1;
}

int parse_grid(const std::vector<std::string>& lines, size_t* i, std::vector<std::string>* out, std::string* error) {
  for ((*i)++; *i < lines.size(); (*i)++) {
    const std::string t = trim(lines[*i]);
    if (t == "end") return 1;
    const size_t a = t.find('|'), b = t.rfind('|');
    if (a != 0 || b == a || b + 1 != t.size()) return fail(error, int(*i + 1), "a grid row lies between two '|'");
    out->push_back(t.substr(a + 1, b - a - 1));
  }
  return fail(error, int(*i), "a grid without its end");
}

int parse_arrow(Arrow* a, const std::string& value, int n, std::string* error) {
  const std::vector<std::string> w = words(value);
  if (w.size() != 3 || !to_int(w[0], 1, 1000000, &a->random) || !to_real(w[1], 0, 12, &a->speed) ||
      !to_int(w[2], 0, 1000000, &a->pause))
    return fail(error, n, "an arrow needs RANDOM SPEED PAUSE");
  a->set = true;
  return 1;
}

int parse_cycle(Source* s, const std::string& name, const std::string& value, int n, std::string* error) {
  Cycle c;
  const std::vector<std::string> w = words(value);
  if (w.size() < 6 || w.size() > 7 || !to_int(w[0], 0, 1, &c.mode) || !to_int(w[1], -500, 500, &c.a) ||
      !to_int(w[2], -500, 500, &c.b) || !to_int(w[3], 1, 10000, &c.speed) || !to_int(w[4], 0, 30000, &c.wait_a) ||
      !to_int(w[5], 0, 30000, &c.wait_b) || (w.size() == 7 && !to_int(w[6], 0, 500, &c.thick)))
    return fail(error, n, "cycle needs MODE A B SPEED WAIT_A WAIT_B [THICK]");
  s->cycles[name] = c;
  return 1;
}

int parse_level(Source* s, const std::string& text, std::string* error) {
  const std::vector<std::string> lines = split_lines(text);
  for (size_t i = 0; i < lines.size(); i++) {
    const std::string t = trim(lines[i]);
    const int n = int(i + 1);
    if (t.empty() || t[0] == '#') continue;
    if (t == "grid") {
      if (!s->grid.empty()) return fail(error, n, "a second grid");
      if (!parse_grid(lines, &i, &s->grid, error)) return 0;
      continue;
    }
    if (t == "heights") {
      if (!s->heights.empty()) return fail(error, n, "a second heights grid");
      if (!parse_grid(lines, &i, &s->heights, error)) return 0;
      continue;
    }
    if (t.compare(0, 4, "def ") == 0) {
      s->def_lines.push_back(t.substr(4));
      continue;
    }
    const int common = parse_common(s, t, n, error);
    if (common == 0) return 0;
    if (common > 0) continue;
    std::vector<std::string> head;
    std::string value;
    if (!split_assignment(t, &head, &value)) return fail(error, n, "expected NAME = VALUE");
    const std::string& name = head[0];
    const std::vector<std::string> w = words(value);
    int number = 0;
    if (name == "title" && head.size() == 2) {
      int lang = -1;
      for (int l = 0; l < kLanguages; l++)
        if (head[1] == kLanguage[l]) lang = l;
      if (lang < 0 || value.empty() || value.size() > 200) return fail(error, n, "title needs a language and a text");
      // The title is written into the level file, where byte 255 ends the text for the loader.
      if (value.find('\xFF') != std::string::npos) return fail(error, n, "a title may not hold byte 255");
      // A line end (or any control byte) would break the lines it is written into.
      if (has_control(value)) return fail(error, n, "a title may not hold control characters");
      s->titles[lang] = value;
    } else if (name == "music" && !value.empty()) {
      if (has_control(value)) return fail(error, n, "a music file name may not hold control characters");
      s->music = value;
    } else if (name == "time") {
      if (!to_int(value, 1, 99, &s->time)) return fail(error, n, "time is 1 to 99 minutes");
    } else if (name == "cell") {
      if (!to_int(value, 4, 256, &s->cell)) return fail(error, n, "cell is 4 to 256 units");
    } else if (name == "background") {
      int h, v;
      if (w.size() != 3 || !to_int(w[1], 100, 1000, &h) || !to_int(w[2], 100, 1000, &v))
        return fail(error, n, "background needs FILE H V, scales 100 to 1000");
      s->background = w[0] + ", " + w[1] + ", " + w[2];
    } else if (name == "light" && head.size() == 1) {
      if (w.size() != 2 || !to_int(w[0], 0, 15, &s->tint) || !to_int(w[1], 0, 15, &s->bright))
        return fail(error, n, "light needs a tint and a brightness, 0 to 15");
    } else if (name == "water" || name == "home") {
      (name == "water" ? s->water : s->home) = value;
    } else if (name == "cars") {
      if (w.empty() || w.size() > 8) return fail(error, n, "cars names 1 to 8 vehicles");
      s->car_names = w;
    } else if (name == "raft") {
      s->raft = value;
    } else if (name == "arrow" && head.size() == 2 && to_int(head[1], 1, kCarArrows, &number)) {
      if (!parse_arrow(&s->arrows[number - 1], value, n, error)) return 0;
    } else if (name == "log" && head.size() == 2 && to_int(head[1], 1, kLogArrows, &number)) {
      if (!parse_arrow(&s->logs[number - 1], value, n, error)) return 0;
    } else if (name == "cycle" && head.size() == 2) {
      if (!parse_cycle(s, head[1], value, n, error)) return 0;
    } else if ((name == "place" || name == "path") && head.size() == 2 && to_int(head[1], 0, 298, &number)) {
      (name == "place" ? s->places : s->paths).push_back(head[1] + "=" + value);
    } else {
      return fail(error, n, "unknown setting " + name);
    }
  }
  return 1;
}

// ---------------------------------------------------------------- building
struct Board {
  int rows = 0, cols = 0;
  std::vector<Cell> cells;
  std::vector<int> flat;  // flat height of each cell before slopes
  std::vector<Object> objects;
  std::vector<std::string> movers, paths;  // .def lines
  int start_col = -1, start_row = -1;
  int car_spawners = 0, log_spawners = 0, bonus = 0;
};

const Key* key_at(const Source& s, int r, int c) {
  const auto it = s.keys.find(s.grid[r][c]);
  return it == s.keys.end() ? nullptr : &it->second;
}

// Height of the upper face at a point of a cell, as the world's height query.
double face_height(const Cell& cell, double fx, double fz, int size) {
  const int* h = cell.up;
  if (h[0] == h[1] && h[0] == h[2]) return h[0];
  if (h[0] == h[1]) return h[0] + std::trunc(fx) * (h[2] - h[0]) / size;
  return h[1] + std::trunc(fz) * (h[0] - h[1]) / size;
}

int height_code(char c, int* out) {
  if (c >= '0' && c <= '9') return *out = 2 * (c - '0'), 1;
  if (c >= 'A' && c <= 'Z') return *out = 20 + 2 * (c - 'A'), 1;
  return 0;
}

void set_flat(Cell* cell, int h) {
  for (int k = 0; k < 4; k++) cell->up[k] = h;
}

// Spawner direction from the cell's edge; -1 when it stands on no edge.
int edge_direction(const Board& b, int r, int c) {
  if (c == 0) return kRight;
  if (c == b.cols - 1) return kLeft;
  if (r == 0) return kDown;
  if (r == b.rows - 1) return kUp;
  return -1;
}

// Tilts a log spawner across x, 3 units above the water on its inner edge
// and 3 below on its outer one: its centre, where logs are made, stays at
// the water's height (the height query reads three corners only), and no
// shared edge lets the frog hop onto it. 0 for a spawner on a row edge.
int tilt_log_spawner(Cell* cell, int direction) {
  if (direction != kRight && direction != kLeft) return 0;
  const int h = cell->up[0], inner = h + kSpawnerTilt, outer = h - kSpawnerTilt;
  const bool right = direction == kRight;  // on the first column, inner edge at high x
  cell->up[0] = cell->up[1] = right ? outer : inner;
  cell->up[2] = cell->up[3] = right ? inner : outer;
  for (int i = 0; i < 4; i++) cell->down[i] = std::min(cell->down[i], outer);
  return 1;
}

int build_cells(const Source& s, Board* b, std::string* error) {
  b->rows = int(s.grid.size());
  b->cols = b->rows ? int(s.grid[0].size()) : 0;
  if (b->rows < 2 || b->cols < 2) return fail(error, 0, "the grid needs two rows and two columns at least");
  if (b->rows * b->cols > kMaxCells) return fail(error, 0, "the grid has more than 10000 cells");
  for (const std::string& row : s.grid)
    if (int(row.size()) != b->cols) return fail(error, 0, "grid rows differ in length");
  if (!s.heights.empty()) {
    if (int(s.heights.size()) != b->rows) return fail(error, 0, "the heights grid has another row count");
    for (const std::string& row : s.heights)
      if (int(row.size()) != b->cols) return fail(error, 0, "heights rows differ in length from the grid");
  }
  b->cells.assign(size_t(b->rows) * b->cols, Cell());
  b->flat.assign(b->cells.size(), 0);
  for (int r = 0; r < b->rows; r++)
    for (int c = 0; c < b->cols; c++) {
      const Key* k = key_at(s, r, c);
      if (!k) return fail(error, 0, std::string("no key for the grid character '") + s.grid[r][c] + "'");
      const Terrain& t = s.terrains[k->terrain];
      Cell& cell = b->cells[size_t(r) * b->cols + c];
      int h = t.height;
      if (!s.heights.empty()) {
        const char code = s.heights[r][c];
        if (!height_code(code, &h) && code != '.' && code != ' ' && code != '/' && code != '\\')
          return fail(error, 0, std::string("unknown height code '") + code + "'");
      }
      b->flat[size_t(r) * b->cols + c] = h;
      cell.tile = t.tile;
      set_flat(&cell, h);
      for (int i = 0; i < 4; i++) cell.down[i] = std::min(t.down, h);
      cell.tint = k->lit ? k->tint : s.tint;
      cell.bright = k->lit ? k->bright : s.bright;
    }
  // Slopes take their edges from the flat heights of their neighbours.
  for (int r = 0; r < b->rows && !s.heights.empty(); r++)
    for (int c = 0; c < b->cols; c++) {
      const char h = s.heights[r][c];
      if (h != '/' && h != '\\') continue;
      Cell& cell = b->cells[size_t(r) * b->cols + c];
      auto flat = [&](int rr, int cc) { return b->flat[size_t(rr) * b->cols + cc]; };
      if (h == '/') {
        if (c == 0 || c == b->cols - 1) return fail(error, 0, "a '/' slope needs cells on its left and right");
        cell.up[0] = cell.up[1] = flat(r, c - 1);
        cell.up[2] = cell.up[3] = flat(r, c + 1);
      } else {
        if (r == 0 || r == b->rows - 1) return fail(error, 0, "a '\\' slope needs cells before and after it");
        cell.up[1] = cell.up[3] = flat(r - 1, c);
        cell.up[0] = cell.up[2] = flat(r + 1, c);
      }
      for (int i = 0; i < 4; i++) cell.down[i] = std::min(cell.down[i], cell.up[i]);
    }
  return 1;
}

// Spawners, start, bonus spots, scenery and moving cells of every cell.
int build_contents(const Source& s, Board* b, std::string* error) {
  for (int r = 0; r < b->rows; r++)
    for (int c = 0; c < b->cols; c++) {
      const Key& k = *key_at(s, r, c);
      Cell& cell = b->cells[size_t(r) * b->cols + c];
      const double cs = s.cell, cx = c * cs + cs / 2, cz = r * cs + cs / 2;
      const std::string where = " at column " + std::to_string(c) + ", row " + std::to_string(r);
      if (k.car_arrow || k.log_arrow) {
        const int dir = edge_direction(*b, r, c);
        if (dir < 0) return fail(error, 0, "a spawner stands on no edge of the board" + where);
        if (k.car_arrow) {
          if (!s.arrows[k.car_arrow - 1].set) return fail(error, 0, "car arrow " + std::to_string(k.car_arrow) + " is not set");
          cell.tile = kCarTiles + 4 * (k.car_arrow - 1) + dir;
          if (++b->car_spawners > kMaxSpawners) return fail(error, 0, "more than 63 car spawners");
        } else {
          if (!s.logs[k.log_arrow - 1].set) return fail(error, 0, "log arrow " + std::to_string(k.log_arrow) + " is not set");
          cell.tile = kLogTiles + 4 * (k.log_arrow - 1) + dir;
          if (!tilt_log_spawner(&cell, dir)) return fail(error, 0, "a log spawner stands on a row edge" + where);
          if (++b->log_spawners > kMaxSpawners) return fail(error, 0, "more than 63 log spawners");
        }
      }
      const double ground = face_height(cell, cs / 2, cs / 2, s.cell);
      if (k.start_sprite) {
        if (b->start_col >= 0) return fail(error, 0, "a second start" + where);
        b->start_col = c, b->start_row = r;
        // The frog and the bonuses keep their own colours under any light.
        b->objects.push_back({k.start_sprite, cx, ground, cz + 4, 0, 15});
      }
      if (k.bonus) {
        if (b->bonus >= kMaxBonus) return fail(error, 0, "more than 63 bonus spots");
        b->objects.push_back({kBonusSprite + b->bonus++ % kBonusSprites, cx, ground, cz, 0, 15});
      }
      for (const std::string& o : k.objects) {
        double dx = 0, dz = 0;
        const size_t at = o.find('@');
        if (at != std::string::npos && std::sscanf(o.c_str() + at + 1, "%lf,%lf", &dx, &dz) != 2)
          return fail(error, 0, "bad object offset " + o);
        const double x = cx + dx, z = cz + dz;
        b->objects.push_back({std::atoi(o.c_str()), x, face_height(cell, x - c * cs, z - r * cs, s.cell), z,
                              cell.tint, cell.bright});
      }
      if (!k.cycle.empty()) {
        const auto it = s.cycles.find(k.cycle);
        if (it == s.cycles.end()) return fail(error, 0, "unknown cycle " + k.cycle);
        const Cycle& cy = it->second;
        const int phase = std::min(k.phase, cy.wait_a);
        const int down = cy.mode == 0 ? cy.a - cy.thick : std::min({cell.down[0], cy.a, cy.b});
        char line[256];
        std::snprintf(line, sizeof line, "*%d, %d = %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d, %d", r, c,
                      cell.tile, cy.a, down, cy.mode, cy.a, cy.speed, phase, cy.b, cy.speed, cy.wait_b, cy.a,
                      cy.speed, cy.wait_a - phase);
        b->movers.push_back(line);
        if (int(b->movers.size()) > kMaxMovers) return fail(error, 0, "more than 200 moving cells");
        set_flat(&cell, cy.a);
        for (int i = 0; i < 4; i++) cell.down[i] = down;
      }
    }
  if (b->start_col < 0) return fail(error, 0, "the grid has no start");
  return 1;
}

int build_places(const Source& s, Board* b, std::string* error) {
  for (const std::string& p : s.places) {
    const size_t eq = p.find('=');
    const std::vector<std::string> w = words(p.substr(eq + 1));
    double col, row, dy = 0;
    if (w.size() < 2 || w.size() > 3 || !to_real(w[0], 0, b->cols, &col) || !to_real(w[1], 0, b->rows, &row) ||
        (w.size() == 3 && !to_real(w[2], -500, 500, &dy)))
      return fail(error, 0, "place needs COL ROW [DY] inside the grid");
    const int c = std::min(int(col), b->cols - 1), r = std::min(int(row), b->rows - 1);
    const Cell& cell = b->cells[size_t(r) * b->cols + c];
    const double x = col * s.cell, z = row * s.cell;
    b->objects.push_back({std::atoi(p.c_str()), x, face_height(cell, x - c * s.cell, z - r * s.cell, s.cell) + dy, z,
                          cell.tint, cell.bright});
  }
  if (int(b->objects.size()) > kMaxMapObjects) return fail(error, 0, "more than 400 map objects");
  for (const std::string& p : s.paths) {
    const size_t eq = p.find('=');
    std::string line = "+" + p.substr(0, eq) + " =";
    size_t from = eq + 1;
    int points = 0;
    while (from < p.size()) {
      size_t to = p.find(';', from);
      if (to == std::string::npos) to = p.size();
      const std::vector<std::string> w = words(p.substr(from, to - from));
      double col, row, y, speed, delay;
      if (w.size() != 5 || !to_real(w[0], -100, 200, &col) || !to_real(w[1], -100, 200, &row) ||
          !to_real(w[2], -500, 1000, &y) || !to_real(w[3], 0.01, 1000, &speed) || !to_real(w[4], 0, 30000, &delay))
        return fail(error, 0, "a path point is COL ROW Y SPEED DELAY, points separated by ';'");
      const long x = std::lround(col * s.cell), z = std::lround(row * s.cell);
      if (std::abs(x) > 32767 || std::abs(z) > 32767) return fail(error, 0, "a path point lies too far out");
      char buf[96];
      std::snprintf(buf, sizeof buf, "%s %ld, %ld, %ld, %ld, %ld", points ? "," : "", x, std::lround(y), z,
                    std::max(1L, std::lround(speed)), std::lround(delay));
      line += buf;
      points++;
      from = to + 1;
    }
    if (points < 1 || points > kMaxPathPoints) return fail(error, 0, "a path has 1 to 30 points");
    b->paths.push_back(line);
  }
  if (int(b->paths.size()) > kMaxPaths) return fail(error, 0, "more than 200 paths");
  return 1;
}

// The shared edge of two neighbouring cells lets the frog hop across.
bool hop_allowed(const Cell& from, const Cell& to, int direction) {
  static constexpr int kTo[4][2] = {{0, 2}, {1, 3}, {0, 1}, {2, 3}};  // neighbour corners by direction
  static constexpr int kFrom[4][2] = {{1, 3}, {0, 2}, {2, 3}, {0, 1}};
  for (int i = 0; i < 2; i++)
    if (std::abs(to.up[kTo[direction][i]] - from.up[kFrom[direction][i]]) >= 3) return false;
  return to.tile != 0;
}

// A home must be reachable from the start over the still board, counting
// water and moving cells as crossable (logs and cycles carry the frog).
int check_reachable(const Source& s, const Board& b, int home_tile, std::string* error) {
  std::vector<char> seen(b.cells.size(), 0);
  std::vector<int> todo = {b.start_row * b.cols + b.start_col};
  seen[todo[0]] = 1;
  static constexpr int kDr[4] = {-1, 1, 0, 0}, kDc[4] = {0, 0, 1, -1};
  while (!todo.empty()) {
    const int at = todo.back();
    todo.pop_back();
    if (b.cells[at].tile == home_tile) return 1;
    const int r = at / b.cols, c = at % b.cols;
    const Key& from = *key_at(s, r, c);
    for (int d = 0; d < 4; d++) {
      const int rr = r + kDr[d], cc = c + kDc[d];
      if (rr < 0 || cc < 0 || rr >= b.rows || cc >= b.cols) continue;
      const int next = rr * b.cols + cc;
      const Key& to = *key_at(s, rr, cc);
      const bool moving = !from.cycle.empty() || !to.cycle.empty();
      if (seen[next] || (!moving && !hop_allowed(b.cells[at], b.cells[next], d))) continue;
      seen[next] = 1;
      todo.push_back(next);
    }
  }
  return fail(error, 0, "no home can be reached from the start");
}

// Every tile of the grid and every sprite of an object or a path must be
// declared by a '%' or '&' line of the .def (the include's or the level's)
// or by the traffic art, else the game stops on loading the level.
int check_declared(const Source& s, const Board& b, size_t cars, std::string* error) {
  std::vector<char> tile(300, 0), sprite(300, 0);
  for (const std::string& l : s.def_lines) {
    const int n = l.size() > 1 ? std::atoi(l.c_str() + 1) : -1;
    if (n >= 0 && n < 300 && l[0] == '%') tile[n] = 1;
    if (n >= 0 && n < 300 && l[0] == '&') sprite[n] = 1;
  }
  for (size_t i = 0; i < cars; i++) sprite[100 + i] = 1;
  sprite[151] = 1;
  for (const Cell& c : b.cells)
    if (!tile[c.tile]) return fail(error, 0, "tile " + std::to_string(c.tile) + " is used but not declared");
  for (const Object& o : b.objects)
    if (o.sprite < 0 || o.sprite >= 300 || !sprite[o.sprite])
      return fail(error, 0, "sprite " + std::to_string(o.sprite) + " is placed but not declared");
  for (const std::string& p : b.paths)
    if (!sprite[std::atoi(p.c_str() + 1)]) return fail(error, 0, "a path's sprite is not declared");
  return 1;
}

// ---------------------------------------------------------------- writing
std::string format_real(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6f", v);
  return buf;
}

// The traffic's art: for car type i the four animations ANIM_CAR_i (up),
// _DOWN, _RIGHT and _LEFT, one after another so that their numbers follow
// each other, and sprite 100 + i - 1; the log along x as ANIM_LOG_2 and
// sprite 151.
void write_traffic_art(const std::vector<const Vehicle*>& cars, const Vehicle& raft, std::string* d) {
  static constexpr const char* kDirection[4][2] = {{"", "up"}, {"_DOWN", "down"}, {"_RIGHT", "right"}, {"_LEFT", "left"}};
  char buf[256];
  for (size_t i = 0; i < cars.size(); i++) {
    const Vehicle& v = *cars[i];
    for (const auto& dir : kDirection) {
      std::snprintf(buf, sizeof buf, "]ANIM_CAR_%zu%s = %s_%s, %d, %d\r\n", i + 1, dir[0], v.file.c_str(), dir[1],
                    v.frames, v.delay);
      *d += buf;
    }
    std::snprintf(buf, sizeof buf, "&%zu = ANIM_CAR_%zu, %d, %d, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n", 100 + i, i + 1,
                  v.height, v.width);
    *d += buf;
  }
  std::snprintf(buf, sizeof buf, "]ANIM_LOG_2 = %s, %d, %d\r\n&151 = ANIM_LOG_2, %d, %d, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n",
                raft.file.c_str(), raft.frames, raft.delay, raft.height, raft.width);
  *d += buf;
}

void write_def(const Source& s, const Board& b, const std::vector<const Vehicle*>& cars, const Vehicle& raft,
               int number, Output* out) {
  std::string& d = out->def;
  auto line = [&d](const std::string& l) { d += l + "\r\n"; };
  line("; level " + std::to_string(number) + ": " + s.titles[0] + " (made by levelgen from level" +
       std::to_string(number) + ".lvl)");
  line("@a " + std::to_string(b.cols));
  line("@b " + std::to_string(b.rows));
  line("@c " + std::to_string(s.cell));
  line("@g " + std::to_string(b.start_col));
  line("@h " + std::to_string(b.start_row));
  if (!s.background.empty()) line("@j " + s.background);
  for (const std::string& l : s.def_lines) line(l);
  write_traffic_art(cars, raft, &d);
  for (const std::string& l : b.movers) line(l);
  for (const std::string& l : b.paths) line(l);
}

void write_txt(const Source& s, const std::vector<const Vehicle*>& cars, int number, int water_tile, int home_tile,
               Output* out) {
  std::string& t = out->txt;
  auto line = [&t](const std::string& l) { t += l + "\r\n"; };
  line("[Music]");
  line("s3m_file=" + (s.music.empty() ? "snd\\level" + std::to_string(number) + ".s3m" : s.music));
  line("[Time]");
  line("time_limit=" + std::to_string(s.time));
  line("[Level]");
  line("water_tile=" + std::to_string(water_tile));
  line("home_tile=" + std::to_string(home_tile));
  for (int l = 0; l < kLanguages; l++) line(std::string("level_title.") + kLanguage[l] + "=" + s.titles[l]);
  line("[Cars]");
  line("different_cars=" + std::to_string(cars.size()));
  auto arrows = [&line](const Arrow* a, int count) {
    for (int i = 0; i < count; i++) {
      const std::string k = "arrow_" + std::to_string(i + 1) + "_";
      line(k + "random=" + std::to_string(a[i].random));
      line(k + "speed=" + format_real(a[i].speed));
      line(k + "pause=" + std::to_string(a[i].pause));
    }
  };
  arrows(s.arrows, kCarArrows);
  for (size_t i = 0; i < cars.size(); i++) {
    line("car_" + std::to_string(i + 1) + "_x_size=" + std::to_string(cars[i]->x_size));
    line("car_" + std::to_string(i + 1) + "_z_size=" + std::to_string(cars[i]->z_size));
  }
  line("[Logs]");
  arrows(s.logs, kLogArrows);
}

// The fewest decimals that read back to the same double.
std::string format_position(double v) {
  char buf[64];
  for (int digits = 0; digits <= 17; digits++) {
    std::snprintf(buf, sizeof buf, "%.*f", digits, v);
    if (std::strtod(buf, nullptr) == v) break;
  }
  return buf;
}

void write_map_text(const Source& s, const Board& b, Output* out) {
  std::string& m = out->map_text;
  m = "pondsprint-map 1\ncell_size " + std::to_string(s.cell) + "\nobjects " + std::to_string(b.objects.size()) +
      "\nobject 0\n";
  for (size_t i = 0; i < b.objects.size(); i++) {
    const Object& o = b.objects[i];
    m += "object " + std::to_string(i + 1) + " sprite=" + std::to_string(o.sprite) + " at=" + format_position(o.x) +
         "," + format_position(o.y) + "," + format_position(o.z) + " tint=" + std::to_string(o.tint) +
         " bright=" + std::to_string(o.bright) + "\n";
  }
  m += "grid " + std::to_string(b.rows) + " " + std::to_string(b.cols) + "\n";
  auto corners = [](const int* h) {
    if (h[0] == h[1] && h[0] == h[2] && h[0] == h[3]) return std::to_string(h[0]);
    return std::to_string(h[0]) + "/" + std::to_string(h[1]) + "/" + std::to_string(h[2]) + "/" + std::to_string(h[3]);
  };
  const char* sections[] = {"tiles", "up", "down", "tint", "bright"};
  for (int sec = 0; sec < 5; sec++) {
    m += std::string(sections[sec]) + "\n";
    for (int r = 0; r < b.rows; r++) {
      m += std::to_string(r) + ":";
      for (int c = 0; c < b.cols; c++) {
        const Cell& cell = b.cells[size_t(r) * b.cols + c];
        const std::string v = sec == 0 ? std::to_string(cell.tile) : sec == 1 ? corners(cell.up)
                              : sec == 2 ? corners(cell.down) : std::to_string(sec == 3 ? cell.tint : cell.bright);
        m += " " + v;
      }
      m += "\n";
    }
  }
  m += "end\n";
}

}  // namespace

// Builds level `number` from the include's and the level's texts. 1, or 0
// with "line N: reason" (or a reason about the whole level) in `error`.
int levelgen_build(const std::string& include, const std::string& level, int number, Output* out,
                   std::string* error) {
  Source s;
  if (!parse_include(&s, include, error)) return *error = "include: " + *error, 0;
  if (!parse_level(&s, level, error)) return 0;
  for (int l = 0; l < kLanguages; l++)
    if (s.titles[l].empty()) return fail(error, 0, std::string("no title in ") + kLanguage[l]);
  std::vector<const Vehicle*> cars;
  for (const std::string& name : s.car_names) {
    const Vehicle* v = find_vehicle(s.vehicles, name);
    if (!v) return fail(error, 0, "unknown vehicle " + name);
    cars.push_back(v);
  }
  if (cars.empty()) return fail(error, 0, "the level names no cars");
  const Vehicle* raft = find_vehicle(s.rafts, s.raft);
  if (!raft) return fail(error, 0, "unknown raft " + s.raft);
  const int water = find_terrain(s, s.water), home = find_terrain(s, s.home);
  if (water < 0 || home < 0) return fail(error, 0, "the water or home terrain is not defined");
  Board b;
  if (!build_cells(s, &b, error) || !build_contents(s, &b, error) || !build_places(s, &b, error)) return 0;
  const int home_tile = s.terrains[home].tile;
  if (!check_declared(s, b, cars.size(), error) || !check_reachable(s, b, home_tile, error)) return 0;
  *out = Output();
  write_def(s, b, cars, *raft, number, out);
  write_txt(s, cars, number, s.terrains[water].tile, home_tile, out);
  write_map_text(s, b, out);
  std::string map_error;
  if (!Map_Text_To_Map(out->map_text.data(), out->map_text.size(), &out->map, &map_error))
    return fail(error, 0, "map text: " + map_error);
  return 1;
}

// The level number at the end of a source's base name ("level12.lvl": 12),
// -1 without one or with more than three digits.
int level_file_number(const std::filesystem::path& p) {
  const std::string stem = p.stem().string();
  size_t i = stem.size();
  while (i > 0 && stem[i - 1] >= '0' && stem[i - 1] <= '9') i--;
  if (i == stem.size() || stem.size() - i > 3) return -1;
  return std::atoi(stem.c_str() + i);
}

#ifndef LEVELGEN_NO_MAIN
static bool read_file(const std::string& path, std::string* out) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out->append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

static bool write_file(const std::string& path, const void* data, size_t size) {
  FILE* f = std::fopen(path.c_str(), "wb");
  bool ok = f && std::fwrite(data, 1, size, f) == size;
  if (f && std::fclose(f) != 0) ok = false;
  return ok;
}

int main(int argc, char** argv) {
  std::string include_path, folder;
  bool map_text = false;
  int arg = 1;
  for (; arg < argc && argv[arg][0] == '-'; arg++) {
    if (!std::strcmp(argv[arg], "-i") && arg + 1 < argc)
      include_path = argv[++arg];
    else if (!std::strcmp(argv[arg], "-o") && arg + 1 < argc)
      folder = argv[++arg];
    else if (!std::strcmp(argv[arg], "-t"))
      map_text = true;
    else
      break;
  }
  if (folder.empty() || arg >= argc) {
    std::fprintf(stderr, "usage: levelgen [-i INCLUDE] [-t] -o FOLDER LEVEL.lvl ...\n");
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  int status = 0;
  for (; arg < argc; arg++) {
    const std::filesystem::path source = argv[arg];
    const int number = level_file_number(source);
    const std::string inc = include_path.empty() ? (source.parent_path() / "common.inc").string() : include_path;
    std::string include, level, error;
    if (number < 0) {
      std::fprintf(stderr, "%s: the name does not end in a level number\n", argv[arg]);
      return 2;
    }
    if (!read_file(inc, &include) || !read_file(source.string(), &level)) {
      std::fprintf(stderr, "%s: cannot read the level or its include %s\n", argv[arg], inc.c_str());
      return 2;
    }
    Output out;
    if (!levelgen_build(include, level, number, &out, &error)) {
      std::fprintf(stderr, "%s: %s\n", argv[arg], error.c_str());
      status = 1;
      continue;
    }
    const std::string base = (std::filesystem::path(folder) / ("level" + std::to_string(number))).string();
    bool ok = write_file(base + ".def", out.def.data(), out.def.size()) &&
              write_file(base + ".txt", out.txt.data(), out.txt.size()) &&
              write_file(base + ".map", out.map.data(), out.map.size());
    if (map_text) ok = ok && write_file(base + ".map.txt", out.map_text.data(), out.map_text.size());
    if (!ok) {
      std::fprintf(stderr, "%s: cannot write %s.*\n", argv[arg], base.c_str());
      return 2;
    }
  }
  return status;
}
#endif
