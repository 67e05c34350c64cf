// The language table: loading it from the language file, choosing the current language by Number, freeing it.
#include "game/languages.h"

#include <cstdio>
#include <cstring>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "core/vx_mem.h"

namespace {

constexpr const char* kSection = "Languages";
constexpr int kMaxLanguages = 99;  // Included_NN and Language_NN carry two digits

struct LanguagesState {
  VX_LANGUAGES* table;
  char file[VX_LANGUAGE_TEXT];
};
LanguagesState ls = {};

// An entry exists when its language was included and its section named.
int entry_exists(const VX_LANGUAGE& e) { return e.name[0] != 0; }

template <size_t N>
void read_text(const char* section, const char* key, char (&out)[N], const char* file) {
  if (!vx_io_ini_get_string(section, key, out, static_cast<int>(N) - 1, file)) out[0] = 0;
}

// Reads the entry's own section. The name is what marks the entry as
// existing, so a section without Name still counts: it gets its section's name.
void read_entry(VX_LANGUAGE* e, const char* section, const char* file) {
  read_text(section, "Name", e->name, file);
  if (!e->name[0]) std::snprintf(e->name, sizeof e->name, "%.256s", section);
  read_text(section, "Abbreviation", e->abbreviation, file);
  read_text(section, "Fullscreen", e->fullscreen, file);
  read_text(section, "Window", e->window, file);
  e->number = 0;
  vx_io_ini_get_int(section, "Number", &e->number, file);
  e->characters = 1;
  int characters = 0;
  if (vx_io_ini_get_int(section, "Characters", &characters, file)) e->characters = characters;
}

// The saved choice of Application/Language, when the settings file has one.
int saved_number(int* number) {
  if (!vx_io_running()) return 0;
  const char* settings = vx_io_settings_path();
  if (!settings || !settings[0] || !vx_io_exists(settings, VX_IO_THROUGH_OPEN)) return 0;
  vx_io_ini_set_mode(nullptr, QUIET_KEY_ON);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_ON);
  const int found = vx_io_ini_get_int("Application", "Language", number, settings);
  vx_io_ini_set_mode(nullptr, QUIET_KEY_OFF);
  vx_io_ini_set_mode(nullptr, QUIET_SECTION_OFF);
  return found;
}

}  // namespace

VX_LANGUAGES* languages_load(const char* file) {
  if (!file || !file[0]) return nullptr;
  vx_io_ini_set_mode(file, KEEP_OPEN);
  int count = 0;
  if (!vx_io_ini_get_int(kSection, "NumLanguages", &count, file)) vx_io_ini_get_int(kSection, "NbLanguages", &count, file);
  if (count <= 0 || count > kMaxLanguages) {
    vx_io_ini_set_mode(file, KEEP_CLOSE);
    return nullptr;
  }
  auto* table = static_cast<VX_LANGUAGES*>(vx_mem_alloc_named(sizeof(VX_LANGUAGES), "Language table"));
  auto* entries = static_cast<VX_LANGUAGE*>(vx_mem_calloc(static_cast<size_t>(count), sizeof(VX_LANGUAGE)));
  if (!table || !entries) {
    if (table) vx_mem_free(table);
    if (entries) vx_mem_free(entries);
    vx_io_ini_set_mode(file, KEEP_CLOSE);
    return nullptr;
  }
  vx_mem_name(entries, "Language table entries");
  *table = VX_LANGUAGES{count, 0, 0, entries};
  int default_position = 0;
  vx_io_ini_get_int(kSection, "Default", &default_position, file);
  vx_io_ini_get_int(kSection, "MultiLanguages", &table->multi, file);

  // First the sections of the included languages, then each section: the
  // Languages section is read in one pass while the file is held open.
  char sections[kMaxLanguages][VX_LANGUAGE_TEXT] = {};
  for (int i = 0; i < count; i++) {
    char key[32];
    int included = 0;
    std::snprintf(key, sizeof key, "Included_%02d", i + 1);
    vx_io_ini_get_int(kSection, key, &included, file);
    if (!included) continue;
    std::snprintf(key, sizeof key, "Language_%02d", i + 1);
    if (!vx_io_ini_get_string(kSection, key, sections[i], VX_LANGUAGE_TEXT - 1, file)) {
      char text[160];
      std::snprintf(text, sizeof text, "Sorry, I can't find language %s in %s", key, file);
      vx_error_alert(text);
      sections[i][0] = 0;
    }
  }
  for (int i = 0; i < count; i++)
    if (sections[i][0]) read_entry(&entries[i], sections[i], file);
  vx_io_ini_set_mode(file, KEEP_CLOSE);

  table->current = 0;
  if (default_position >= 1 && default_position <= count && entry_exists(entries[default_position - 1])) {
    table->current = default_position - 1;
  } else {
    for (int i = 0; i < count; i++)
      if (entry_exists(entries[i])) {
        table->current = i;
        break;
      }
  }
  int number = 0;
  if (table->multi && saved_number(&number)) language_select(table, number);
  return table;
}

int language_select(VX_LANGUAGES* table, int number) {
  if (!table || !table->entries) return 0;
  for (int i = 0; i < table->count; i++)
    if (entry_exists(table->entries[i]) && table->entries[i].number == number) {
      table->current = i;
      return 1;
    }
  return 0;
}

void languages_free(VX_LANGUAGES* table) {
  if (!table) return;
  if (table->entries) vx_mem_free(table->entries);
  vx_mem_free(table);
}

const VX_LANGUAGE* language_current(const VX_LANGUAGES* table) {
  if (!table || !table->entries || table->current < 0 || table->current >= table->count) return nullptr;
  const VX_LANGUAGE* e = &table->entries[table->current];
  return entry_exists(*e) ? e : nullptr;
}

VX_LANGUAGES* languages_start(const char* file) {
  languages_stop();
  std::snprintf(ls.file, sizeof ls.file, "%s", file ? file : "");
  ls.table = languages_load(file);
  return ls.table;
}

VX_LANGUAGES* languages_table() { return ls.table; }

const char* languages_file() { return ls.file; }

void languages_stop() {
  languages_free(ls.table);
  ls = LanguagesState{};
}
