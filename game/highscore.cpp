// The high-score table: load, offer, name entry, the shown lines and the save at shutdown.
#include "game/highscore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "core/vx_mem.h"

namespace {

constexpr char kFirst = ' ';  // the name characters run from code 32 ...
constexpr char kLast = 'Z';   // ... to 90: space, punctuation, digits, capitals
constexpr const char* kSeed = "data\\highscor.ori";
constexpr const char* kSection = "High-Scores";
constexpr int kMaxEntries = 99;  // NbScores a table may have
static_assert(2 * kMaxEntries <= VX_IO_INI_SET_MAX, "one rewrite sets every line");

struct HighScoreState {
  HIGH_SCORE_ENTRY* current_entry;  // the entry being named, or null
  int cursor;                       // -1 while no name is edited
  int max_name;                     // the field width of the named entry's table
  int blink;                        // flips at every shown name
  HIGH_SCORES* table;               // the run's table
  char file[HIGH_SCORE_TEXT];       // and its file
};
HighScoreState hs = {nullptr, -1, 0, 0, nullptr, {}};

// A tracked copy of `text` in a buffer of at least `min_size` bytes.
char* string_copy(const char* text, size_t min_size, const char* what) {
  const size_t size = std::max(std::strlen(text) + 1, min_size);
  char* s = static_cast<char*>(vx_mem_calloc(size, 1));
  if (!s) return nullptr;
  vx_mem_name(s, what);
  std::memcpy(s, text, std::strlen(text));
  return s;
}

void entry_free(HIGH_SCORE_ENTRY* e) {
  if (!e) return;
  vx_mem_free(e->name);
  vx_mem_free(e);
}

// Reads entry i (0-based) of the table. A missing name leaves it null after the warning.
void entry_read(HIGH_SCORES* t, int i, const char* file, const char* section) {
  char key[32];
  char name[HIGH_SCORE_TEXT + 1];
  std::snprintf(key, sizeof key, "Name_%02d", i + 1);
  if (!vx_io_ini_get_string(section, key, name, HIGH_SCORE_TEXT, file) && vx_io_get_status(1)) {
    char text[400];
    std::snprintf(text, sizeof text, "Sorry, I can't find key %s in %s", key, file);
    vx_error_alert(text);
    return;
  }
  HIGH_SCORE_ENTRY* e = static_cast<HIGH_SCORE_ENTRY*>(vx_mem_calloc(1, sizeof(HIGH_SCORE_ENTRY)));
  if (!e) return;
  vx_mem_name(e, "High-score entry.");
  // Room for the widest name the entry can be given, and for the default name.
  size_t room = static_cast<size_t>(std::max(t->max_name, 0)) + 1;
  if (t->default_name) room = std::max(room, std::strlen(t->default_name) + 1);
  e->name = string_copy(name, room, "High-score name.");
  if (!e->name) {
    vx_mem_free(e);
    return;
  }
  std::snprintf(key, sizeof key, "Score_%02d", i + 1);
  vx_io_ini_get_int(section, key, &e->score, file);
  t->entries[i] = e;
}

// The character at the cursor one step along the cycle 32 .. 90.
char cycle(char c, int up) {
  if (up) return c >= kLast || c < kFirst ? kFirst : static_cast<char>(c + 1);
  return c <= kFirst ? kLast : static_cast<char>(c - 1);
}

// Name characters up to the cursor exist: a name shorter than the cursor
// position is filled with spaces, so that the character there can change.
void name_reach_cursor(HIGH_SCORE_ENTRY* e, int cursor) {
  const int len = static_cast<int>(std::strlen(e->name));
  for (int i = len; i <= cursor; i++) e->name[i] = kFirst;
  if (len <= cursor) e->name[cursor + 1] = 0;
}

}  // namespace

HIGH_SCORES* high_scores_load(const char* file, const char* section) {
  if (!file || !file[0] || !vx_io_exists(file, VX_IO_THROUGH_OPEN)) return nullptr;
  vx_io_ini_set_mode(file, KEEP_OPEN);
  HIGH_SCORES head = {};
  char name[HIGH_SCORE_TEXT + 1];
  HIGH_SCORES* t = nullptr;
  const int ok = vx_io_ini_get_int(section, "NbScores", &head.count, file) &&
                 vx_io_ini_get_int(section, "MaxSizeName", &head.max_name, file) &&
                 vx_io_ini_get_int(section, "MaxSizeScore", &head.max_score, file);
  if (ok && head.count > 0 && head.count <= kMaxEntries && head.max_name >= 0 && head.max_name < HIGH_SCORE_TEXT &&
      head.max_score >= 0 && head.max_score < 64) {
    t = static_cast<HIGH_SCORES*>(vx_mem_calloc(1, sizeof(HIGH_SCORES)));
    if (t) {
      vx_mem_name(t, "High-score table.");
      *t = head;
      if (vx_io_ini_get_string(section, "DefaultName", name, HIGH_SCORE_TEXT, file))
        t->default_name = string_copy(name, 1, "High-score default name.");
      t->entries = static_cast<HIGH_SCORE_ENTRY**>(vx_mem_calloc(static_cast<size_t>(t->count), sizeof *t->entries));
      if (!t->entries) {
        high_scores_free(t);
        t = nullptr;
      } else {
        vx_mem_name(t->entries, "High-score entries.");
        for (int i = 0; i < t->count; i++) entry_read(t, i, file, section);
      }
    }
  }
  vx_io_ini_set_mode(file, KEEP_CLOSE);
  return t;
}

int high_scores_save(const HIGH_SCORES* t, const char* file, const char* section) {
  if (!t || !file || !file[0] || t->count <= 0 || t->count > kMaxEntries) return 0;
  // Every line goes into one rewrite of the file, so it never holds the
  // names of one table beside the scores of another.
  struct Lines {
    char key[2 * kMaxEntries][32];
    char text[2 * kMaxEntries][HIGH_SCORE_TEXT + 64];
    const char* keys[2 * kMaxEntries];
    const char* values[2 * kMaxEntries];
  };
  Lines* l = static_cast<Lines*>(vx_mem_calloc(1, sizeof(Lines)));
  if (!l) return 0;
  vx_mem_name(l, "High-score lines to save.");
  int n = 0;
  for (int pass = 0; pass < 2; pass++)
    for (int i = 0; i < t->count; i++) {
      const HIGH_SCORE_ENTRY* e = t->entries[i];
      if (!e) continue;
      if (pass == 0) {
        std::snprintf(l->key[n], sizeof l->key[n], "Name_%02d", i + 1);
        std::snprintf(l->text[n], sizeof l->text[n], "%*s", t->max_name, e->name);
      } else {
        std::snprintf(l->key[n], sizeof l->key[n], "Score_%02d", i + 1);
        std::snprintf(l->text[n], sizeof l->text[n], "%*d", t->max_score, e->score);
      }
      l->keys[n] = l->key[n];
      l->values[n] = l->text[n];
      n++;
    }
  const int ok = n == 0 || vx_io_ini_set_strings(section, l->keys, l->values, n, file);
  vx_mem_free(l);
  return ok;
}

void high_scores_free(HIGH_SCORES* t) {
  if (!t) return;
  if (t->entries) {
    for (int i = 0; i < t->count; i++) {
      if (t->entries[i] == hs.current_entry) {
        hs.current_entry = nullptr;
        hs.cursor = -1;
      }
      entry_free(t->entries[i]);
    }
    vx_mem_free(t->entries);
  }
  vx_mem_free(t->default_name);
  vx_mem_free(t);
}

int high_scores_offer(HIGH_SCORES* t, int score) {
  if (!t || t->count <= 0) return 0;
  int p = -1;
  for (int i = 0; i < t->count && p < 0; i++)
    if (t->entries[i] && t->entries[i]->score <= score) p = i;
  if (p < 0) return 0;
  const int last = t->count - 1;
  HIGH_SCORE_ENTRY* reused = t->entries[last];
  if (!reused) {
    // The worst slot was empty (its name missing from the file): a record is made for it.
    reused = static_cast<HIGH_SCORE_ENTRY*>(vx_mem_calloc(1, sizeof(HIGH_SCORE_ENTRY)));
    if (!reused) return 0;
    vx_mem_name(reused, "High-score entry.");
    // Room for the widest name and for the default name copied in below.
    size_t room = static_cast<size_t>(t->max_name) + 1;
    if (t->default_name) room = std::max(room, std::strlen(t->default_name) + 1);
    reused->name = string_copy("", room, "High-score name.");
    if (!reused->name) {
      vx_mem_free(reused);
      return 0;
    }
  }
  reused->score = score;
  if (t->default_name) std::strcpy(reused->name, t->default_name);  // the buffer was sized for it
  for (int i = last; i > p; i--) t->entries[i] = t->entries[i - 1];
  t->entries[p] = reused;
  hs.current_entry = reused;
  hs.cursor = 0;
  hs.max_name = t->max_name;
  return 1;
}

int high_scores_name_input(int code) {
  HIGH_SCORE_ENTRY* e = hs.current_entry;
  if (!e) return 0;
  switch (code) {
    case 4:
    case 8:
      if (hs.cursor >= hs.max_name) return 0;  // a field of no width has no character to change
      name_reach_cursor(e, hs.cursor);
      e->name[hs.cursor] = cycle(e->name[hs.cursor], code == 4);
      return 0;
    case 16:
      if (hs.cursor > 0) hs.cursor--;
      return 0;
    case 32:
      if (hs.cursor < hs.max_name - 1) hs.cursor++;
      return 0;
    case 0:
    case 1:
    case 2:
      hs.cursor = -1;
      hs.current_entry = nullptr;
      return 1;
    default:
      return 0;
  }
}

const HIGH_SCORE_ENTRY* high_scores_named_entry() { return hs.current_entry; }

int high_scores_cursor() { return hs.cursor; }

int high_scores_name_text(char* out, int size) {
  if (size <= 0) return 0;
  out[0] = 0;
  if (!hs.current_entry) return 0;
  std::snprintf(out, static_cast<size_t>(size), "%s", hs.current_entry->name);
  hs.blink ^= 1;
  if (hs.blink && hs.cursor >= 0 && hs.cursor < size - 1) {
    // The cursor may stand past the name's end: the shown text reaches it.
    const int len = static_cast<int>(std::strlen(out));
    if (len <= hs.cursor) {
      std::memset(out + len, kFirst, static_cast<size_t>(hs.cursor - len + 1));
      out[hs.cursor + 1] = 0;
    }
    out[hs.cursor] = kFirst;
  }
  return 1;
}

int high_scores_line_text(const HIGH_SCORES* t, int rank, char* out, int size) {
  if (!t || rank < 1 || rank > t->count || size <= 0) return 0;
  const HIGH_SCORE_ENTRY* e = t->entries[rank - 1];
  if (!e) return 0;
  std::snprintf(out, static_cast<size_t>(size), "%1d %*s %*d", rank, t->max_name, e->name, t->max_score, e->score);
  return 1;
}

void high_scores_start(const char* file) {
  high_scores_stop();
  if (!file || !file[0]) return;
  std::snprintf(hs.file, sizeof hs.file, "%s", file);
  if (!vx_io_exists(file, VX_IO_ON_DISK)) vx_io_copy(file, kSeed, VX_IO_THROUGH_OPEN | VX_IO_WHOLE);
  hs.table = high_scores_load(file, kSection);
}

void high_scores_stop() {
  if (hs.table) high_scores_save(hs.table, hs.file, kSection);
  high_scores_free(hs.table);
  hs.table = nullptr;
  hs.file[0] = 0;
}

HIGH_SCORES* high_scores_table() { return hs.table; }
