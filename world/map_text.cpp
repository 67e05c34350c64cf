// The level map's text form: writing a .map as text and reading the text back into the same bytes.
#include "world/map_text.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "world/map.h"
#include "world/world_tables.h"

namespace {

// A .map taken apart.
struct MapImage {
  bool old_format;
  int32_t cell_size;
  int16_t last_object;
  std::vector<OBJECT> objects;  // records 0..last_object (none when it is below 0)
  int16_t rows, columns;
  std::vector<CELL> cells;      // max(rows, 0) x max(columns, 0), row by row
};

size_t record_count(int last_object) { return last_object + 1 > 0 ? size_t(last_object + 1) : 0; }
size_t cell_count(int rows, int columns) { return size_t(rows > 0 ? rows : 0) * size_t(columns > 0 ? columns : 0); }

// ---------------------------------------------------------------- binary
struct Reader {
  const uint8_t* p;
  size_t size, pos;
  bool get(void* out, size_t n) {
    if (size - pos < n) return false;
    if (n) std::memcpy(out, p + pos, n);
    pos += n;
    return true;
  }
};

bool parse_binary(const uint8_t* data, size_t size, MapImage* m, std::string* error) {
  Reader r = {data, size, 0};
  int16_t first;
  if (!r.get(&first, 2)) return *error = "the file ends before the object count", false;
  m->old_format = first != MAP_MARK;
  m->cell_size = 0;
  m->last_object = first;
  if (!m->old_format && !(r.get(&m->cell_size, 4) && r.get(&m->last_object, 2)))
    return *error = "the file ends inside its header", false;
  const size_t records = record_count(m->last_object);
  if ((size - r.pos) / sizeof(OBJECT) < records) return *error = "the file ends inside the object records", false;
  m->objects.resize(records);
  r.get(m->objects.data(), records * sizeof(OBJECT));
  if (!(r.get(&m->rows, 2) && r.get(&m->columns, 2))) return *error = "the file ends before the grid size", false;
  const size_t cells = cell_count(m->rows, m->columns);
  if ((size - r.pos) / sizeof(CELL) < cells) return *error = "the file ends inside the cells", false;
  m->cells.resize(cells);
  r.get(m->cells.data(), cells * sizeof(CELL));
  if (r.pos != size) return *error = std::to_string(size - r.pos) + " bytes follow the last cell", false;
  return true;
}

void put(std::vector<uint8_t>* out, const void* p, size_t n) {
  if (!n) return;
  const auto* b = static_cast<const uint8_t*>(p);
  out->insert(out->end(), b, b + n);
}

void write_binary(const MapImage& m, std::vector<uint8_t>* out) {
  out->clear();
  if (!m.old_format) {
    const int16_t mark = MAP_MARK;
    put(out, &mark, 2);
    put(out, &m.cell_size, 4);
  }
  put(out, &m.last_object, 2);
  put(out, m.objects.data(), m.objects.size() * sizeof(OBJECT));
  put(out, &m.rows, 2);
  put(out, &m.columns, 2);
  put(out, m.cells.data(), m.cells.size() * sizeof(CELL));
}

// ---------------------------------------------------------------- writing text
void append_int(std::string* s, long long v) { *s += std::to_string(v); }

void append_double(std::string* s, double v) {
  if (std::isnan(v)) {
    uint64_t bits;
    std::memcpy(&bits, &v, 8);
    char raw[32];
    std::snprintf(raw, sizeof raw, "raw:%016llX", static_cast<unsigned long long>(bits));
    *s += raw;
    return;
  }
  char buf[64];
  const auto r = std::to_chars(buf, buf + sizeof buf, v);
  s->append(buf, r.ptr);
}

void append_list(std::string* s, const int* v, int n) {
  for (int i = 0; i < n; i++) {
    if (i) *s += ',';
    append_int(s, v[i]);
  }
}

void write_object(std::string* s, int index, const OBJECT& o) {
  *s += "object ";
  append_int(s, index);
  *s += " sprite=";
  append_int(s, o.sprite);
  *s += " at=";
  append_double(s, o.x);
  *s += ',';
  append_double(s, o.y);
  *s += ',';
  append_double(s, o.z);
  const int scalars[] = {o.bitmap, o.height, o.width, o.placed_width, o.translucency};
  const char* const names[] = {" bitmap=", " height=", " width=", " placed=", " transl="};
  for (int k = 0; k < 5; k++)
    if (scalars[k]) *s += names[k], append_int(s, scalars[k]);
  if (o.mirror_h || o.mirror_v) {
    const int mirror[2] = {o.mirror_h, o.mirror_v};
    *s += " mirror=";
    append_list(s, mirror, 2);
  }
  int params[8], any = 0;
  for (int k = 0; k < 8; k++) any |= params[k] = o.params[k];
  if (any) *s += " params=", append_list(s, params, 8);
  if (o.column || o.row) {
    const int cell[2] = {o.column, o.row};
    *s += " cell=";
    append_list(s, cell, 2);
  }
  if (o.tint) *s += " tint=", append_int(s, o.tint);
  if (o.brightness != 15) *s += " bright=", append_int(s, o.brightness);
  *s += '\n';
}

enum Layer { TILES, UP, DOWN, TINT, BRIGHT, RESERVED, LAYERS };
constexpr const char* LAYER_NAMES[LAYERS] = {"tiles", "up", "down", "tint", "bright", "reserved"};
// Tokens are right-aligned to a fixed width, so that a change keeps to its line.
constexpr int LAYER_WIDTH[LAYERS] = {3, 3, 3, 2, 2, 3};

std::string cell_token(const CELL& c, int layer) {
  int v[4];
  switch (layer) {
    case TILES: return std::to_string(c.tile);
    case UP:
    case DOWN: {
      for (int k = 0; k < 4; k++) v[k] = layer == UP ? c.up[k] : c.down[k];
      if (v[0] == v[1] && v[0] == v[2] && v[0] == v[3]) return std::to_string(v[0]);
      std::string s;
      append_list(&s, v, 4);
      for (char& ch : s)
        if (ch == ',') ch = '/';
      return s;
    }
    case TINT: return std::to_string(c.tint);
    case BRIGHT: return std::to_string(c.brightness);
    default: return std::to_string(c.reserved[0]) + "/" + std::to_string(c.reserved[1]);
  }
}

void write_text(const MapImage& m, std::string* s) {
  s->clear();
  *s += "pondsprint-map 1\n";
  if (m.old_format) {
    *s += "format old\n";
  } else {
    *s += "cell_size ";
    append_int(s, m.cell_size);
    *s += '\n';
  }
  *s += "objects ";
  append_int(s, m.last_object);
  *s += '\n';
  for (size_t i = 0; i < m.objects.size(); i++) write_object(s, int(i), m.objects[i]);
  *s += "grid ";
  append_int(s, m.rows);
  *s += ' ';
  append_int(s, m.columns);
  *s += '\n';
  bool reserved = false;
  for (const CELL& c : m.cells) reserved |= c.reserved[0] || c.reserved[1];
  const int rows = m.rows > 0 ? m.rows : 0, columns = m.columns > 0 ? m.columns : 0;
  for (int layer = 0; layer < LAYERS; layer++) {
    if (layer == RESERVED && !reserved) continue;
    *s += LAYER_NAMES[layer];
    *s += '\n';
    for (int r = 0; r < rows; r++) {
      char head[16];
      std::snprintf(head, sizeof head, "%4d:", r);
      *s += head;
      for (int c = 0; c < columns; c++) {
        const std::string t = cell_token(m.cells[size_t(r) * size_t(columns) + size_t(c)], layer);
        s->append(size_t(1 + (int(t.size()) < LAYER_WIDTH[layer] ? LAYER_WIDTH[layer] - int(t.size()) : 0)), ' ');
        *s += t;
      }
      *s += '\n';
    }
  }
  *s += "end\n";
}

// ---------------------------------------------------------------- reading text
struct TextReader {
  std::string_view text;
  size_t pos;
  int line;                            // number of the line in `words`
  std::vector<std::string_view> words;  // of the current line
  std::string* error;

  // The next line with words; false at the end of the text.
  bool next() {
    while (pos < text.size()) {
      size_t end = text.find('\n', pos);
      if (end == std::string_view::npos) end = text.size();
      std::string_view l = text.substr(pos, end - pos);
      pos = end + 1;
      line++;
      const size_t hash = l.find('#');
      if (hash != std::string_view::npos) l = l.substr(0, hash);
      words.clear();
      size_t i = 0;
      while (i < l.size()) {
        while (i < l.size() && static_cast<uint8_t>(l[i]) <= 32) i++;
        const size_t b = i;
        while (i < l.size() && static_cast<uint8_t>(l[i]) > 32) i++;
        if (i > b) words.push_back(l.substr(b, i - b));
      }
      if (!words.empty()) return true;
    }
    words.clear();
    return false;
  }
  bool fail(const std::string& why) {
    *error = "line " + std::to_string(line) + ": " + why;
    return false;
  }
};

bool to_int(std::string_view s, long long lo, long long hi, long long* out) {
  long long v = 0;
  const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
  if (r.ec != std::errc() || r.ptr != s.data() + s.size() || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool to_double(std::string_view s, double* out) {
  if (s.substr(0, 4) == "raw:") {
    uint64_t bits = 0;
    s.remove_prefix(4);
    const auto r = std::from_chars(s.data(), s.data() + s.size(), bits, 16);
    if (s.size() != 16 || r.ec != std::errc() || r.ptr != s.data() + s.size()) return false;
    std::memcpy(out, &bits, 8);
    return true;
  }
  const auto r = std::from_chars(s.data(), s.data() + s.size(), *out);
  return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

// `count` integers separated by `sep`, each within lo..hi.
bool to_ints(std::string_view s, char sep, int count, long long lo, long long hi, long long* out) {
  for (int k = 0; k < count; k++) {
    const size_t e = k + 1 < count ? s.find(sep) : s.size();
    if (e == std::string_view::npos || !to_int(s.substr(0, e), lo, hi, &out[k])) return false;
    s = k + 1 < count ? s.substr(e + 1) : std::string_view();
  }
  return true;
}

bool expect(TextReader& t, std::string_view word, size_t count) {
  if (!t.next()) return t.fail(std::string("the text ends; \"") + std::string(word) + "\" expected");
  if (t.words[0] != word || t.words.size() != count) {
    // Built with append: GCC's -O3 -Wrestrict misreads the chain of + here.
    std::string message = "\"";
    message.append(word).append("\" with ").append(std::to_string(count - 1)).append(" value(s) expected");
    return t.fail(message);
  }
  return true;
}

bool read_object(TextReader& t, size_t index, OBJECT* o) {
  long long v[8];
  if (t.words.size() < 2 || t.words[0] != "object" || !to_int(t.words[1], 0, 40000, v) || size_t(v[0]) != index)
    return t.fail("\"object " + std::to_string(index) + "\" expected");
  std::memset(o, 0, sizeof *o);
  o->brightness = 15;
  unsigned seen = 0;
  static const char* const keys[] = {"sprite", "at", "bitmap", "height", "width", "placed",
                                     "transl", "mirror", "params", "cell", "tint", "bright"};
  for (size_t w = 2; w < t.words.size(); w++) {
    const std::string_view word = t.words[w];
    const size_t eq = word.find('=');
    if (eq == std::string_view::npos) return t.fail("key=value expected: " + std::string(word));
    const std::string_view key = word.substr(0, eq), value = word.substr(eq + 1);
    int k = 0;
    while (k < 12 && key != keys[k]) k++;
    if (k == 12) return t.fail("unknown object field " + std::string(key));
    if (seen & (1u << k)) return t.fail("object field " + std::string(key) + " given twice");
    seen |= 1u << k;
    bool ok = true;
    switch (k) {
      case 0: ok = to_int(value, -32768, 32767, v), o->sprite = int16_t(v[0]); break;
      case 1: {
        double x = 0, y = 0, z = 0;
        const size_t a = value.find(','), b = a == std::string_view::npos ? a : value.find(',', a + 1);
        ok = b != std::string_view::npos && to_double(value.substr(0, a), &x) &&
             to_double(value.substr(a + 1, b - a - 1), &y) && to_double(value.substr(b + 1), &z);
        o->x = x, o->y = y, o->z = z;
        break;
      }
      case 2: ok = to_int(value, -32768, 32767, v), o->bitmap = int16_t(v[0]); break;
      case 3: ok = to_int(value, -32768, 32767, v), o->height = int16_t(v[0]); break;
      case 4: ok = to_int(value, -32768, 32767, v), o->width = int16_t(v[0]); break;
      case 5: ok = to_int(value, -32768, 32767, v), o->placed_width = int16_t(v[0]); break;
      case 6: ok = to_int(value, 0, 255, v), o->translucency = uint8_t(v[0]); break;
      case 7: ok = to_ints(value, ',', 2, 0, 255, v), o->mirror_h = uint8_t(v[0]), o->mirror_v = uint8_t(v[1]); break;
      case 8:
        ok = to_ints(value, ',', 8, -32768, 32767, v);
        for (int p = 0; p < 8; p++) o->params[p] = int16_t(v[p]);
        break;
      case 9: ok = to_ints(value, ',', 2, -32768, 32767, v), o->column = int16_t(v[0]), o->row = int16_t(v[1]); break;
      case 10: ok = to_int(value, -128, 127, v), o->tint = int8_t(v[0]); break;
      default: ok = to_int(value, -128, 127, v), o->brightness = int8_t(v[0]); break;
    }
    if (!ok) return t.fail("bad value of object field " + std::string(key) + ": " + std::string(value));
  }
  return true;
}

bool read_cell(std::string_view token, int layer, CELL* c) {
  long long v[4];
  switch (layer) {
    case TILES: return to_int(token, -32768, 32767, v) && (c->tile = int16_t(v[0]), true);
    case UP:
    case DOWN: {
      if (token.find('/') == std::string_view::npos) {
        if (!to_int(token, -32768, 32767, v)) return false;
        v[1] = v[2] = v[3] = v[0];
      } else if (!to_ints(token, '/', 4, -32768, 32767, v)) {
        return false;
      }
      for (int k = 0; k < 4; k++) (layer == UP ? c->up[k] : c->down[k]) = int16_t(v[k]);
      return true;
    }
    case TINT: return to_int(token, -128, 127, v) && (c->tint = int8_t(v[0]), true);
    case BRIGHT: return to_int(token, -128, 127, v) && (c->brightness = int8_t(v[0]), true);
    default:
      if (!to_ints(token, '/', 2, 0, 255, v)) return false;
      c->reserved[0] = uint8_t(v[0]);
      c->reserved[1] = uint8_t(v[1]);
      return true;
  }
}

bool read_layer(TextReader& t, MapImage* m, int layer) {
  const int rows = m->rows > 0 ? m->rows : 0, columns = m->columns > 0 ? m->columns : 0;
  for (int r = 0; r < rows; r++) {
    if (!t.next()) return t.fail("the text ends inside section " + std::string(LAYER_NAMES[layer]));
    size_t w = 0;
    const std::string_view first = t.words[0];
    if (!first.empty() && first.back() == ':') {
      long long row;
      if (!to_int(first.substr(0, first.size() - 1), 0, 32767, &row) || row != r)
        return t.fail("row " + std::to_string(r) + " expected");
      w = 1;
    }
    if (t.words.size() - w != size_t(columns))
      return t.fail("row " + std::to_string(r) + " of " + LAYER_NAMES[layer] + " needs " + std::to_string(columns) +
                    " values");
    for (int c = 0; c < columns; c++, w++) {
      const size_t i = size_t(r) * size_t(columns) + size_t(c);
      if (layer == TILES) m->cells.push_back(CELL{});
      if (!read_cell(t.words[w], layer, &m->cells[i]))
        return t.fail("bad value in row " + std::to_string(r) + ", column " + std::to_string(c) + ": " +
                      std::string(t.words[w]));
    }
  }
  return true;
}

bool parse_text(std::string_view text, MapImage* m, std::string* error) {
  TextReader t = {text, 0, 0, {}, error};
  long long v[2];
  if (!expect(t, "pondsprint-map", 2)) return false;
  if (t.words[1] != "1") return t.fail("\"pondsprint-map 1\" expected first");
  if (!t.next()) return t.fail("the text ends after its first line");
  if (t.words.size() == 2 && t.words[0] == "format" && t.words[1] == "old") {
    m->old_format = true;
    m->cell_size = 0;
  } else if (t.words.size() == 2 && t.words[0] == "cell_size" && to_int(t.words[1], INT32_MIN, INT32_MAX, v)) {
    m->old_format = false;
    m->cell_size = int32_t(v[0]);
  } else {
    return t.fail("\"cell_size N\" or \"format old\" expected");
  }
  if (!expect(t, "objects", 2)) return false;
  if (!to_int(t.words[1], -32768, 32767, v)) return t.fail("bad object count");
  m->last_object = int16_t(v[0]);
  // An old map starts with the count; -1100 there would read as the mark.
  if (m->old_format && m->last_object == MAP_MARK) return t.fail("an old-format map cannot have -1100 objects");
  m->objects.resize(record_count(m->last_object));
  for (size_t i = 0; i < m->objects.size(); i++) {
    if (!t.next()) return t.fail("the text ends inside the objects");
    if (!read_object(t, i, &m->objects[i])) return false;
  }
  if (!t.next() || t.words.size() != 3 || t.words[0] != "grid" || !to_int(t.words[1], -32768, 32767, &v[0]) ||
      !to_int(t.words[2], -32768, 32767, &v[1]))
    return t.fail("\"grid ROWS COLUMNS\" expected");
  m->rows = int16_t(v[0]);
  m->columns = int16_t(v[1]);
  m->cells.clear();
  for (int layer = 0; layer < LAYERS; layer++) {
    if (!t.next()) return t.fail("the text ends before section " + std::string(LAYER_NAMES[layer]));
    if (layer == RESERVED && t.words.size() == 1 && t.words[0] == "end") return !t.next() || t.fail("text after end");
    if (t.words.size() != 1 || t.words[0] != LAYER_NAMES[layer])
      return t.fail("section \"" + std::string(LAYER_NAMES[layer]) + "\" expected");
    if (!read_layer(t, m, layer)) return false;
  }
  if (!expect(t, "end", 1)) return false;
  return !t.next() || t.fail("text after end");
}

}  // namespace

int Map_Text_From_Map(const uint8_t* data, size_t size, std::string* text, std::string* error) {
  MapImage m;
  std::string why;
  if (!parse_binary(data, size, &m, error ? error : &why)) return 0;
  write_text(m, text);
  return 1;
}

int Map_Text_To_Map(const char* text, size_t size, std::vector<uint8_t>* map, std::string* error) {
  MapImage m;
  std::string why;
  if (!parse_text(std::string_view(text, size), &m, error ? error : &why)) return 0;
  write_binary(m, map);
  return 1;
}
