// mg_score: the score reader. Lines become instruments, channels, tracks, patterns and the order list.
//
// Tracks are only a notation: a pattern's channel line names tracks (with a
// transposition and a repeat count) and single events, and they are laid
// out into cells when the pattern ends. See content_src/music/README.md.
#include "tools/musicgen/mg_score.h"

#include <cctype>
#include <cstdlib>
#include <map>
#include <sstream>

namespace {

struct FX {
  uint8_t command = 0, info = 0;
  bool every_row = false;  // on each row of the event, not only the first
};

enum EVENT_KIND { EV_NOTE, EV_HOLD, EV_CUT, EV_SWITCH };

struct EVENT {
  EVENT_KIND kind = EV_HOLD;
  int note = 0;          // EV_NOTE: semitones from C-0
  int instrument = -1;   // EV_NOTE named by an instrument, EV_SWITCH: its index
  int length = 1;        // rows
  int volume = -1;       // 0..64, -1 none
  std::vector<FX> fx;
};

struct TRACK {
  std::vector<EVENT> events;
};

// A pattern as written: its channel lines are laid out when it ends.
struct PATTERN_SRC {
  int rows = MG_ROWS;
  int bar = 16;
  std::map<int, std::vector<std::string>> lines;  // by channel
  std::vector<std::pair<int, FX>> song_fx;       // row, command
};

enum BLOCK { TOP, IN_TRACK, IN_PATTERN };

struct PARSER {
  MG_SONG* song;
  std::map<std::string, TRACK> tracks;
  std::map<std::string, PATTERN_SRC> sources;
  std::map<std::string, int> pattern_index;
  BLOCK block = TOP;
  std::string name;  // of the open track or pattern
  int track_len = 1, track_bar = 16, track_pos = 0;
  int line = 0;
  std::string error;
};

bool fail(PARSER* p, const std::string& what) {
  if (p->error.empty()) p->error = "line " + std::to_string(p->line) + ": " + what;
  return false;
}

std::vector<std::string> split(const std::string& line) {
  std::vector<std::string> out;
  std::istringstream in(line);
  std::string t;
  while (in >> t) {
    if (t[0] == '#') break;  // a comment runs to the end of the line
    out.push_back(t);
  }
  return out;
}

bool to_int(const std::string& s, int lo, int hi, int* v) {
  if (s.empty()) return false;
  char* end = nullptr;
  long n = std::strtol(s.c_str(), &end, 10);
  if (*end || n < lo || n > hi) return false;
  *v = int(n);
  return true;
}

bool to_double(const std::string& s, double lo, double hi, double* v) {
  if (s.empty()) return false;
  char* end = nullptr;
  double d = std::strtod(s.c_str(), &end);
  if (*end || !(d >= lo && d <= hi)) return false;
  *v = d;
  return true;
}

int find_instrument(const MG_SONG* s, const std::string& name) {
  for (size_t i = 0; i < s->instruments.size(); i++)
    if (s->instruments[i].name == name) return int(i);
  return -1;
}

int find_channel(const MG_SONG* s, const std::string& name) {
  for (size_t i = 0; i < s->channels.size(); i++)
    if (s->channels[i].name == name) return int(i);
  return -1;
}

// "H24": effect letter and two hex digits.
bool parse_fx(const std::string& s, FX* fx) {
  if (s.size() != 3 || s[0] < 'A' || s[0] > 'Z' || !std::isxdigit(uint8_t(s[1])) || !std::isxdigit(uint8_t(s[2])))
    return false;
  fx->command = uint8_t(s[0] - 'A' + 1);
  fx->info = uint8_t(std::strtol(s.substr(1).c_str(), nullptr, 16));
  return true;
}

// One event token: a head (note, instrument name, -, ^ or =NAME) followed by
// :LENGTH, @VOLUME, +FX (first row) and ~FX (every row) in any order.
bool parse_event(PARSER* p, const std::string& tok, int default_len, EVENT* ev) {
  const size_t mod = tok.find_first_of(":@+~", 1);
  const std::string head = tok.substr(0, mod);
  ev->length = default_len;
  if (head == "-") {
    ev->kind = EV_HOLD;
  } else if (head == "^") {
    ev->kind = EV_CUT;
  } else if (head[0] == '=') {
    ev->kind = EV_SWITCH;
    ev->instrument = find_instrument(p->song, head.substr(1));
    ev->length = 0;
    if (ev->instrument < 0) return fail(p, "no instrument " + head.substr(1));
    if (mod != std::string::npos) return fail(p, "an instrument switch takes nothing after it: " + tok);
    return true;
  } else if ((ev->note = mg_score_note(head)) >= 0) {
    ev->kind = EV_NOTE;
  } else if ((ev->instrument = find_instrument(p->song, head)) >= 0) {
    ev->kind = EV_NOTE;
    ev->note = p->song->instruments[size_t(ev->instrument)].note;
  } else {
    return fail(p, "not a note, instrument, track or event: " + tok);
  }
  size_t at = mod;
  while (at != std::string::npos) {
    const size_t next = tok.find_first_of(":@+~", at + 1);
    const std::string arg = tok.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
    FX fx;
    switch (tok[at]) {
      case ':':
        if (!to_int(arg, 1, MG_ROWS, &ev->length)) return fail(p, "bad length in " + tok);
        break;
      case '@':
        if (!to_int(arg, 0, 64, &ev->volume)) return fail(p, "bad volume in " + tok);
        break;
      default:
        if (!parse_fx(arg, &fx)) return fail(p, "bad effect in " + tok);
        fx.every_row = tok[at] == '~';
        for (const FX& f : ev->fx)
          if (f.every_row || fx.every_row) return fail(p, "two effects on one row in " + tok);
        ev->fx.push_back(fx);
        break;
    }
    at = next;
  }
  if (ev->fx.size() > 1) return fail(p, "two effects on one row in " + tok);
  return true;
}

// ---------------------------------------------------------------- laying out

struct LAYOUT {
  MG_PATTERN* pattern;
  int channel;
  int row = 0;
  int instrument;
};

bool put_fx(PARSER* p, MG_CELL* c, const FX& fx) {
  if (c->command) return fail(p, "two effects on one row");
  c->command = fx.command;
  c->info = fx.info;
  return true;
}

bool lay_event(PARSER* p, LAYOUT* l, const EVENT& ev, int transpose) {
  if (ev.kind == EV_SWITCH) {
    l->instrument = ev.instrument;
    return true;
  }
  if (l->row + ev.length > MG_ROWS) return fail(p, "more than 64 rows in pattern " + l->pattern->name);
  MG_CELL& c = mg_cell(p->song, l->pattern, l->row, l->channel);
  if (ev.kind == EV_NOTE) {
    const bool named = ev.instrument >= 0;  // an instrument's own note: not transposed
    const int inst = named ? ev.instrument : l->instrument;
    const int note = named ? ev.note : ev.note + transpose;
    if (inst < 0) return fail(p, "a note without an instrument on channel " + p->song->channels[size_t(l->channel)].name);
    if (note < 0 || note > MG_MAX_NOTE) return fail(p, "a note transposed out of range");
    c.note = uint8_t((note / 12) << 4 | (note % 12));
    c.instrument = uint8_t(inst + 1);
  } else if (ev.kind == EV_CUT) {
    c.note = MG_NOTE_CUT;
  }
  if (ev.volume >= 0) c.volume = uint8_t(ev.volume);
  for (const FX& fx : ev.fx) {
    for (int r = 0; r < (fx.every_row ? ev.length : 1); r++)
      if (!put_fx(p, &mg_cell(p->song, l->pattern, l->row + r, l->channel), fx)) return false;
  }
  l->row += ev.length;
  return true;
}

// "name", "name>5", "name<12*2": a track with its transposition and repeats.
bool lay_item(PARSER* p, LAYOUT* l, const std::string& item, int bar) {
  const size_t cut = item.find_first_of("<>*");
  const std::string name = item.substr(0, cut);
  auto t = p->tracks.find(name);
  if (t == p->tracks.end()) {
    if (item == "|") {
      if (l->row % bar) return fail(p, "bar line at row " + std::to_string(l->row) + " in pattern " + l->pattern->name);
      return true;
    }
    EVENT ev;
    return parse_event(p, item, 1, &ev) && lay_event(p, l, ev, 0);
  }
  int transpose = 0, repeat = 1;
  size_t at = cut;
  while (at != std::string::npos) {
    const size_t next = item.find_first_of("<>*", at + 1);
    const std::string arg = item.substr(at + 1, next == std::string::npos ? std::string::npos : next - at - 1);
    int v = 0;
    if (!to_int(arg, 0, 64, &v)) return fail(p, "bad transposition or repeat in " + item);
    if (item[at] == '*') repeat = v;
    else transpose = item[at] == '>' ? v : -v;
    at = next;
  }
  for (int i = 0; i < repeat; i++)
    for (const EVENT& ev : t->second.events)
      if (!lay_event(p, l, ev, transpose)) return false;
  return true;
}

// The first channel whose effect column is free on `row` takes `fx`.
bool put_song_fx(PARSER* p, MG_PATTERN* pat, int row, const FX& fx) {
  for (size_t c = 0; c < p->song->channels.size(); c++) {
    MG_CELL& cell = mg_cell(p->song, pat, row, int(c));
    if (!cell.command) return put_fx(p, &cell, fx);
  }
  return fail(p, "no free effect column on row " + std::to_string(row) + " of pattern " + pat->name);
}

bool end_pattern(PARSER* p) {
  MG_SONG* s = p->song;
  const PATTERN_SRC& src = p->sources[p->name];
  if (int(s->patterns.size()) >= MG_MAX_PATTERNS) return fail(p, "too many patterns");
  MG_PATTERN pat;
  pat.name = p->name;
  pat.rows = src.rows;
  pat.cells.assign(size_t(MG_ROWS) * s->channels.size(), MG_CELL{});
  for (const auto& [channel, items] : src.lines) {
    LAYOUT l{&pat, channel, 0, s->channels[size_t(channel)].instrument};
    for (const std::string& item : items)
      if (!lay_item(p, &l, item, src.bar)) return false;
    if (l.row > pat.rows) return fail(p, "channel " + s->channels[size_t(channel)].name + " runs past the pattern's rows");
  }
  for (const auto& [row, fx] : src.song_fx)
    if (!put_song_fx(p, &pat, row, fx)) return false;
  if (pat.rows < MG_ROWS && !put_song_fx(p, &pat, pat.rows - 1, FX{3, 0, false})) return false;  // C00
  p->pattern_index[pat.name] = int(s->patterns.size());
  s->patterns.push_back(std::move(pat));
  return true;
}

// ---------------------------------------------------------------- lines

bool name_ok(const std::string& n) {
  if (n.empty() || mg_score_note(n) >= 0) return false;
  for (char c : n)
    if (!std::isalnum(uint8_t(c)) && c != '_') return false;
  return true;
}

bool instrument_line(PARSER* p, const std::vector<std::string>& t) {
  static const char* const KINDS[MG_KIND_COUNT] = {"pluck", "square", "flute", "pad", "bass", "mallet",
                                                   "bell", "kick", "snare", "hat", "ribbit"};
  MG_SONG* s = p->song;
  if (t.size() < 3) return fail(p, "instrument NAME KIND [key=value ...]");
  if (!name_ok(t[1]) || find_instrument(s, t[1]) >= 0) return fail(p, "bad or repeated instrument name " + t[1]);
  if (int(s->instruments.size()) >= MG_MAX_INSTRUMENTS) return fail(p, "too many instruments");
  MG_INSTRUMENT in;
  in.name = t[1];
  int kind = 0;
  while (kind < MG_KIND_COUNT && t[2] != KINDS[kind]) kind++;
  if (kind == MG_KIND_COUNT) return fail(p, "no instrument kind " + t[2]);
  in.kind = MG_KIND(kind);
  for (size_t i = 3; i < t.size(); i++) {
    const size_t eq = t[i].find('=');
    const std::string key = t[i].substr(0, eq), v = eq == std::string::npos ? "" : t[i].substr(eq + 1);
    bool ok = false;
    if (key == "vol") ok = to_int(v, 0, 64, &in.volume);
    else if (key == "decay") ok = to_double(v, 0.01, 4.0, &in.decay);
    else if (key == "bright") ok = to_double(v, 0.0, 1.0, &in.bright);
    else if (key == "duty") ok = to_double(v, 0.05, 0.5, &in.duty);
    else if (key == "note") ok = (in.note = mg_score_note(v)) >= 0;
    if (!ok) return fail(p, "bad instrument setting " + t[i]);
  }
  s->instruments.push_back(in);
  return true;
}

bool channel_line(PARSER* p, const std::vector<std::string>& t) {
  MG_SONG* s = p->song;
  if (t.size() < 2 || !name_ok(t[1]) || find_channel(s, t[1]) >= 0) return fail(p, "channel NAME [pan=0..15] [inst=NAME]");
  if (!s->patterns.empty()) return fail(p, "channels come before the first pattern");
  if (int(s->channels.size()) >= MG_MAX_CHANNELS) return fail(p, "too many channels");
  MG_CHANNEL c;
  c.name = t[1];
  for (size_t i = 2; i < t.size(); i++) {
    bool ok = false;
    if (t[i].rfind("pan=", 0) == 0) ok = to_int(t[i].substr(4), 0, 15, &c.pan);
    else if (t[i].rfind("inst=", 0) == 0) ok = (c.instrument = find_instrument(s, t[i].substr(5))) >= 0;
    if (!ok) return fail(p, "bad channel setting " + t[i]);
  }
  s->channels.push_back(c);
  return true;
}

bool order_line(PARSER* p, const std::vector<std::string>& t) {
  MG_SONG* s = p->song;
  for (size_t i = 1; i < t.size(); i++) {
    if (t[i] == "|") {
      s->loop_order = int(s->orders.size());
      continue;
    }
    auto it = p->pattern_index.find(t[i]);
    if (it == p->pattern_index.end()) return fail(p, "no pattern " + t[i]);
    if (int(s->orders.size()) >= MG_MAX_ORDERS - 1) return fail(p, "too many orders");
    s->orders.push_back(it->second);
  }
  return true;
}

bool setting_line(PARSER* p, const std::vector<std::string>& t, const std::string& rest) {
  MG_SONG* s = p->song;
  const std::string& k = t[0];
  if (k == "title") {
    s->title = rest;
    return rest.size() <= 27 || fail(p, "a title of at most 27 characters");
  }
  bool ok = t.size() == 2;
  if (k == "speed") ok = ok && to_int(t[1], 1, 31, &s->speed);
  else if (k == "tempo") ok = ok && to_int(t[1], 33, 255, &s->tempo);
  else if (k == "global") ok = ok && to_int(t[1], 0, 64, &s->global);
  else if (k == "master") ok = ok && to_int(t[1], 16, 127, &s->master);
  else return fail(p, "unknown line " + k);
  return ok || fail(p, "bad value for " + k);
}

bool open_block(PARSER* p, const std::vector<std::string>& t) {
  if (t.size() < 2 || !name_ok(t[1])) return fail(p, t[0] + " needs a name");
  p->name = t[1];
  if (t[0] == "track") {
    if (p->tracks.count(t[1]) || find_instrument(p->song, t[1]) >= 0) return fail(p, "repeated track name " + t[1]);
    p->block = IN_TRACK;
    p->tracks[t[1]] = TRACK{};
    p->track_len = 1;
    p->track_bar = 16;
    p->track_pos = 0;
    for (size_t i = 2; i < t.size(); i++) {
      bool ok = false;
      if (t[i].rfind("len=", 0) == 0) ok = to_int(t[i].substr(4), 1, MG_ROWS, &p->track_len);
      else if (t[i].rfind("bar=", 0) == 0) ok = to_int(t[i].substr(4), 1, MG_ROWS, &p->track_bar);
      if (!ok) return fail(p, "bad track setting " + t[i]);
    }
    return true;
  }
  if (p->sources.count(t[1])) return fail(p, "repeated pattern name " + t[1]);
  if (p->song->channels.empty()) return fail(p, "channels come before the first pattern");
  p->block = IN_PATTERN;
  PATTERN_SRC src;
  for (size_t i = 2; i < t.size(); i++) {
    bool ok = false;
    if (t[i].rfind("rows=", 0) == 0) ok = to_int(t[i].substr(5), 1, MG_ROWS, &src.rows);
    else if (t[i].rfind("bar=", 0) == 0) ok = to_int(t[i].substr(4), 1, MG_ROWS, &src.bar);
    else if (t[i] == "like" && i + 1 < t.size() && p->sources.count(t[i + 1])) {
      const PATTERN_SRC& from = p->sources[t[++i]];
      src.rows = from.rows;
      src.bar = from.bar;
      src.lines = from.lines;
      src.song_fx = from.song_fx;
      ok = true;
    }
    if (!ok) return fail(p, "bad pattern setting " + t[i]);
  }
  p->sources[t[1]] = src;
  return true;
}

bool track_body(PARSER* p, const std::vector<std::string>& t) {
  TRACK& tr = p->tracks[p->name];
  for (const std::string& tok : t) {
    if (tok == "|") {
      if (p->track_pos % p->track_bar) return fail(p, "bar line at row " + std::to_string(p->track_pos) + " of track " + p->name);
      continue;
    }
    EVENT ev;
    if (!parse_event(p, tok, p->track_len, &ev)) return false;
    p->track_pos += ev.length;
    tr.events.push_back(ev);
  }
  return true;
}

bool pattern_body(PARSER* p, const std::vector<std::string>& t) {
  PATTERN_SRC& src = p->sources[p->name];
  if (t[0] == "fx") {
    int row = 0;
    FX fx;
    if (t.size() != 3 || !to_int(t[1], 0, src.rows - 1, &row) || !parse_fx(t[2], &fx)) return fail(p, "fx ROW XYY");
    src.song_fx.push_back({row, fx});
    return true;
  }
  const int c = find_channel(p->song, t[0]);
  if (c < 0) return fail(p, "no channel " + t[0]);
  src.lines[c] = std::vector<std::string>(t.begin() + 1, t.end());
  return true;
}

// The last order's pattern ends by jumping back to the loop order. A pattern
// that plays elsewhere too gets a copy of its own for that.
bool close_song(PARSER* p) {
  MG_SONG* s = p->song;
  if (s->channels.empty() || s->orders.empty()) return fail(p, "a song needs channels and an order list");
  if (s->loop_order >= int(s->orders.size())) return fail(p, "the loop mark | ends the order list");
  int last = s->orders.back();
  int uses = 0;
  for (int o : s->orders) uses += o == last;
  if (uses > 1) {
    if (int(s->patterns.size()) >= MG_MAX_PATTERNS) return fail(p, "too many patterns");
    MG_PATTERN copy = s->patterns[size_t(last)];
    copy.name += "'";
    s->patterns.push_back(copy);
    last = int(s->patterns.size()) - 1;
    s->orders.back() = last;
  }
  MG_PATTERN* pat = &s->patterns[size_t(last)];
  return put_song_fx(p, pat, pat->rows - 1, FX{2, uint8_t(s->loop_order), false});  // Bxx
}

}  // namespace

int mg_score_note(const std::string& n) {
  static const int SEMI[7] = {9, 11, 0, 2, 4, 5, 7};  // a..g
  if (n.size() < 2 || n.size() > 3 || n[0] < 'a' || n[0] > 'g') return -1;
  int semi = SEMI[n[0] - 'a'];
  size_t at = 1;
  if (n.size() == 3) {
    if (n[1] == '#') semi++;
    else if (n[1] == 'b') semi--;
    else return -1;
    at = 2;
  }
  if (n[at] < '0' || n[at] > '7') return -1;
  const int note = (n[at] - '0') * 12 + semi;
  return note >= 0 && note <= MG_MAX_NOTE ? note : -1;
}

int mg_score_parse(const std::string& text, MG_SONG* song, std::string* error) {
  *song = MG_SONG{};
  PARSER p;
  p.song = song;
  std::istringstream in(text);
  std::string raw;
  bool ok = true;
  while (ok && std::getline(in, raw)) {
    p.line++;
    const std::vector<std::string> t = split(raw);
    if (t.empty()) continue;
    if (t[0] == "end" && t.size() == 1 && p.block != TOP) {
      ok = p.block == IN_PATTERN ? end_pattern(&p) : true;
      p.block = TOP;
    } else if (p.block == IN_TRACK) {
      ok = track_body(&p, t);
    } else if (p.block == IN_PATTERN) {
      ok = pattern_body(&p, t);
    } else if (t[0] == "track" || t[0] == "pattern") {
      ok = open_block(&p, t);
    } else if (t[0] == "instrument") {
      ok = instrument_line(&p, t);
    } else if (t[0] == "channel") {
      ok = channel_line(&p, t);
    } else if (t[0] == "order") {
      ok = order_line(&p, t);
    } else {
      std::string rest;
      for (size_t i = 1; i < t.size(); i++) rest += (i > 1 ? " " : "") + t[i];
      ok = setting_line(&p, t, rest);
    }
  }
  if (ok && p.block != TOP) ok = fail(&p, "the last " + std::string(p.block == IN_TRACK ? "track" : "pattern") + " has no end");
  if (ok) ok = close_song(&p);
  if (!ok && error) *error = p.error;
  return ok ? 1 : 0;
}
