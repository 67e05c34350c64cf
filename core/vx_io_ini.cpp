// String files: the literal section and key scanner, the keep-open cache, number reads and the rewriting writer.
#include "core/vx_io_ini.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_io_internal.h"
#include "core/vx_io_path.h"
#include "core/vx_mem.h"
#include "platform/platform.h"

// One file in KEEP_OPEN mode.
struct INI_CACHE {
  VX_IO_FILE* file;    // opened "rb"; its name is the caller's file name
  char* section;       // copy of the section found last in this file, or null
  long section_start;  // file position just after that section's header line
  INI_CACHE* next;
};

// Lines the writer copies are read with this limit, line end included.
constexpr int INI_WRITE_LINE = 254;

static struct {
  INI_CACHE* cache;
  int quiet_key;
  int quiet_section;
  int last_failed;
  int writes_off;  // 1: every write is refused (an instance that defers to another)
} I;

// ---------------------------------------------------------------- matching

// "[section]" at the start of the line; anything after the ']' is ignored.
static int header_is(const char* line, const char* section) {
  size_t n = std::strlen(section);
  return line[0] == '[' && std::strncmp(line + 1, section, n) == 0 && line[n + 1] == ']';
}

// The value of a "key=" line, or null when the line is not one for `key`.
static const char* key_value(const char* line, const char* key) {
  size_t n = std::strlen(key);
  return std::strncmp(line, key, n) == 0 && line[n] == '=' ? line + n + 1 : nullptr;
}

static INI_CACHE* cached(const char* file) {
  if (!file) return nullptr;
  for (INI_CACHE* e = I.cache; e; e = e->next)
    if (std::strcmp(vx_io_file_name(e->file), file) == 0) return e;
  return nullptr;
}

static void forget_section(INI_CACHE* e) {
  if (e->section) vx_mem_free(e->section);
  e->section = nullptr;
  e->section_start = 0;
}

// Reads lines until the header of `section`; each failed pass rewinds to the
// start of the file. 1 when found, the file then positioned after the header.
static int find_section(VX_IO_FILE* h, const char* section, int passes, char* line) {
  for (int pass = 0; pass < passes; pass++) {
    while (vx_io_fgets(line, VX_IO_INI_LINE + 1, h))
      if (header_is(line, section)) return 1;
    vx_io_rewind(h);
  }
  return 0;
}

// Reads lines up to the end of the section; the value of `key`, or null.
static const char* scan_key(VX_IO_FILE* h, const char* key, char* line) {
  while (vx_io_fgets(line, VX_IO_INI_LINE + 1, h)) {
    if (line[0] == '[') return nullptr;
    if (const char* v = key_value(line, key)) return v;
  }
  return nullptr;
}

// ---------------------------------------------------------------- reading

static int read_failed(VX_IO_FILE* h, INI_CACHE* e) {
  if (!e) vx_io_fclose(h);
  I.last_failed = 1;
  return 0;
}

int vx_io_ini_get_string(const char* section, const char* key, char* buffer, int size, const char* file) {
  if (buffer && size >= 0) buffer[0] = 0;
  if (!section || !key || !buffer || size < 0) {
    I.last_failed = 1;
    return 0;
  }
  INI_CACHE* e = cached(file);
  VX_IO_FILE* h = e ? e->file : vx_io_open_impl(file, "rb", 0);
  if (!h) {
    vx_io_error(VX_IO_OPEN_FAILED, 0, "%s", file ? file : "(null)");
    I.last_failed = 1;
    return 0;
  }
  char line[VX_IO_INI_LINE + 1];
  if (!e || !e->section || std::strcmp(e->section, section) != 0) {
    // Cached files search on from where they are, then the whole file once more.
    if (!find_section(h, section, e ? 2 : 1, line)) {
      if (e) forget_section(e);
      if (!I.quiet_section) vx_io_error(VX_IO_INI_NO_SECTION, 0, "%s,[%s]%s", file, section, key);
      return read_failed(h, e);
    }
    if (e) {
      forget_section(e);
      size_t n = std::strlen(section) + 1;
      e->section = static_cast<char*>(vx_mem_alloc_named(n, "VX_IO_INI cached section name"));
      if (e->section) std::memcpy(e->section, section, n);
      e->section_start = vx_io_ftell(h);
    }
  }
  const char* value = scan_key(h, key, line);
  if (!value && e) {
    // The key may lie before the point where the previous read stopped.
    vx_io_fseek(h, e->section_start, SEEK_SET);
    value = scan_key(h, key, line);
    // Stay inside the section, so the next read of it starts there.
    if (!value) vx_io_fseek(h, e->section_start, SEEK_SET);
  }
  if (!value) {
    if (!I.quiet_key) vx_io_error(VX_IO_INI_NO_KEY, 0, "%s,[%s]%s", file, section, key);
    return read_failed(h, e);
  }
  const size_t length = std::strlen(value);
  const size_t n = length < static_cast<size_t>(size) ? length : static_cast<size_t>(size);
  std::memcpy(buffer, value, n);
  buffer[n] = 0;
  if (length > n) vx_io_error(VX_IO_INI_TOO_LONG, 0, "[%s]%s=%s", section, key, value);
  if (!e) vx_io_fclose(h);
  I.last_failed = 0;
  return static_cast<int>(n);
}

// Removes spaces at both ends, in place; returns the first kept character.
static char* trim_spaces(char* text) {
  while (*text == ' ') text++;
  size_t n = std::strlen(text);
  while (n && text[n - 1] == ' ') text[--n] = 0;
  return text;
}

int vx_io_ini_get_int(const char* section, const char* key, int* out, const char* file) {
  char value[VX_IO_INI_NUMBER + 1];
  int result = vx_io_ini_get_string(section, key, value, VX_IO_INI_NUMBER, file);
  if (out) *out = static_cast<int>(std::strtol(trim_spaces(value), nullptr, 10));
  return result;
}

int vx_io_ini_get_float(const char* section, const char* key, float* out, const char* file) {
  char value[VX_IO_INI_NUMBER + 1];
  int result = vx_io_ini_get_string(section, key, value, VX_IO_INI_NUMBER, file);
  float f;
  if (out && std::sscanf(trim_spaces(value), "%f", &f) == 1) *out = f;
  return result;
}

int vx_io_get_status(int what) { return what == 1 ? I.last_failed : 0; }

// ---------------------------------------------------------------- writing

// The update of a file held in the archive: the new line may only replace
// an old one of the same length, and the layer refuses the write anyway.
static int update_in_place(const char* section, const char* key, const char* value, const char* file) {
  VX_IO_FILE* h = vx_io_fopen(file, "r+t");
  if (!h) return 0;
  char line[VX_IO_INI_LINE + 1];
  if (!find_section(h, section, 1, line)) {
    vx_io_error(VX_IO_INI_NO_SECTION, 0, "%s, [%s]", file, section);
    vx_io_fclose(h);
    return 0;
  }
  for (;;) {
    long at = vx_io_ftell(h);
    if (!vx_io_fgets(line, sizeof line, h) || line[0] == 0 || line[0] == '\n' || line[0] == '\r' || line[0] == '[') {
      vx_io_error(VX_IO_INI_NO_KEY, 0, "%s, [%s]%s", file, section, key);
      vx_io_fclose(h);
      return 0;
    }
    if (!key_value(line, key)) continue;
    char replaced[VX_IO_INI_LINE + 2];
    int n = std::snprintf(replaced, sizeof replaced, "%s=%s", key, value);
    int ok = 0;
    if (n >= 0 && static_cast<size_t>(n) == std::strlen(line))
      ok = vx_io_fseek(h, at, SEEK_SET) == 0 && vx_io_fputs(replaced, h) >= 0;
    else
      vx_io_error(VX_IO_INI_TOO_LONG, 0, "%s, [%s]%s=%s", file, section, key, value);
    vx_io_fclose(h);
    return ok;
  }
}

// Writes pieces in order; 0 once one of them failed.
static int put(VX_IO_FILE* out, const char* a, const char* b = "", const char* c = "", const char* d = "") {
  return vx_io_fputs(a, out) >= 0 && vx_io_fputs(b, out) >= 0 && vx_io_fputs(c, out) >= 0 && vx_io_fputs(d, out) >= 0;
}

static int ends_line(const char* line) {
  size_t n = std::strlen(line);
  return n && line[n - 1] == '\n';
}

// The keys one rewrite sets, and which of them it has written.
struct INI_KEYS {
  const char* section;
  const char* const* keys;
  const char* const* values;
  int count;
  unsigned char* done;
  const char* backup;  // the copy of the old file, or null when there was none
};

// The first key not yet written that `line` sets, or -1.
static int key_index(const char* line, const INI_KEYS& k) {
  for (int i = 0; i < k.count; i++)
    if (!k.done[i] && key_value(line, k.keys[i])) return i;
  return -1;
}

static int put_key(VX_IO_FILE* out, const INI_KEYS& k, int i) {
  k.done[i] = 1;
  return put(out, k.keys[i], "=", k.values[i], "\n");
}

// Every key not written yet, in the given order.
static int put_missing(VX_IO_FILE* out, const INI_KEYS& k) {
  int ok = 1;
  for (int i = 0; i < k.count; i++)
    if (!k.done[i]) ok &= put_key(out, k, i);
  return ok;
}

// Copies the backup into the output with the keys set: a key found among
// the section's lines before its first blank line or header is replaced
// where it stands; the others are added there, in order. 1 when every write
// succeeded.
static int rewrite(VX_IO_FILE* in, VX_IO_FILE* out, const INI_KEYS& k) {
  char line[INI_WRITE_LINE + 1];
  int ok = 1, found = 0, whole = 1, left = k.count, ended = 0;
  while (!found && vx_io_fgets_keep(line, sizeof line, in)) {
    ok &= vx_io_fputs(line, out) >= 0;
    whole = ends_line(line);
    found = header_is(line, k.section);
  }
  if (!found) return ok && put(out, "\n[", k.section, "]\n") && put_missing(out, k);
  while (left && vx_io_fgets_keep(line, sizeof line, in)) {
    ended = line[0] == '\n' || line[0] == '\r' || line[0] == '[';
    if (ended) break;
    const int i = key_index(line, k);
    if (i < 0) {
      ok &= vx_io_fputs(line, out) >= 0;
      whole = ends_line(line);
      continue;
    }
    // A key line read in pieces starts a line of its own and is dropped whole.
    if (!whole) ok &= put(out, "\n");
    ok &= put_key(out, k, i);
    left--;
    whole = 1;
    while (!ends_line(line) && vx_io_fgets_keep(line, sizeof line, in)) {
    }
  }
  if (left) {
    // A last line without its line end gets one, so the keys start lines.
    if (!whole) ok &= put(out, "\n");
    ok &= put_missing(out, k);
  }
  if (ended) ok &= vx_io_fputs(line, out) >= 0;
  while (vx_io_fgets_keep(line, sizeof line, in)) ok &= vx_io_fputs(line, out) >= 0;
  return ok;
}

// The new file's content: the backup rewritten, or the section alone.
static int fill_new(VX_IO_FILE* out, void* user) {
  const INI_KEYS& k = *static_cast<const INI_KEYS*>(user);
  if (!k.backup) return put(out, "[", k.section, "]\n") && put_missing(out, k);
  VX_IO_FILE* in = vx_io_fopen(k.backup, "rt");
  if (!in) return 0;
  int ok = rewrite(in, out, k);
  vx_io_fclose(in);
  return ok;
}

int vx_io_ini_set_string(const char* section, const char* key, const char* value, const char* file) {
  return vx_io_ini_set_strings(section, &key, &value, 1, file);
}

int vx_io_ini_set_strings(const char* section, const char* const* keys, const char* const* values, int count,
                          const char* file) {
  if (!section || !keys || !values || count < 1 || count > VX_IO_INI_SET_MAX || !file || !*file) return 0;
  std::array<const char*, VX_IO_INI_SET_MAX> value_of{};
  for (int i = 0; i < count; i++) {
    if (!keys[i]) return 0;
    value_of[static_cast<size_t>(i)] = values[i] ? values[i] : "";
  }
  if (I.writes_off) return 0;
  if (vx_io_running()) {
    if (VX_IO_FILE* h = vx_io_open_impl(file, "rb", 0)) {
      unsigned entry = vx_io_file_entry(h);
      vx_io_fclose(h);
      if (entry) {
        int ok = 1;
        for (int i = 0; i < count; i++) ok &= update_in_place(section, keys[i], value_of[static_cast<size_t>(i)], file);
        return ok;
      }
    }
  }
  // A cached reader of this file must find its sections again.
  if (INI_CACHE* e = cached(file)) {
    forget_section(e);
    vx_io_rewind(e->file);
  }
  char real[VX_IO_PATH_MAX], backup[VX_IO_PATH_MAX];
  if (!vx_io_write_path(file, real) || !vx_io_compose(backup, sizeof backup, real, ".bak")) return 0;
  // The old file is never opened for writing: the new one is built beside
  // it from a backup copy and renamed over it once it is whole on the disk.
  const int had_file = vx_io_exists(file, VX_IO_ON_DISK) != 0;
  const int have_backup = had_file && vx_io_copy(backup, file, VX_IO_ON_DISK);
  std::array<unsigned char, VX_IO_INI_SET_MAX> done{};
  INI_KEYS k = {section, keys, value_of.data(), count, done.data(), have_backup ? backup : nullptr};
  int ok = 0;
  if (had_file && !have_backup)
    vx_io_warn_kept(real, "Could not back up");
  else
    ok = vx_io_write_whole(real, "wt", fill_new, &k);
  // Whole or not, the old file is as it was or replaced: the backup has
  // nothing more to give.
  if (have_backup) vx_io_remove(backup);
  // A cached reader still holds the replaced file: it moves to the new one.
  if (INI_CACHE* e = ok ? cached(file) : nullptr)
    if (VX_IO_FILE* h = vx_io_fopen(file, "rb")) {
      vx_io_fclose(e->file);
      e->file = h;
    }
  return ok;
}

void vx_io_ini_set_writes(int on) { I.writes_off = !on; }

int vx_io_ini_recover(const char* file) {
  char real[VX_IO_PATH_MAX], backup[VX_IO_PATH_MAX], real_os[VX_IO_PATH_MAX], backup_os[VX_IO_PATH_MAX];
  if (!file || !vx_io_compose(real, sizeof real, file, "") || !vx_io_compose(backup, sizeof backup, real, ".bak") ||
      !vx_io_os_path_of(real, real_os) || !vx_io_os_path_of(backup, backup_os) || plat_path_kind(backup_os) != 1)
    return 0;
  // A file that opens and holds a first byte is kept, and so is the backup
  // (the next write makes it anew).
  int whole = 0;
  if (FILE* f = std::fopen(real_os, "rb")) {
    whole = std::fgetc(f) != EOF;
    std::fclose(f);
  }
  int restored = !whole && plat_replace_file(backup_os, real_os);
  vx_io_path_forget_folder_of(real_os);
  return restored;
}

int vx_io_ini_set_int(const char* section, const char* key, int value, const char* file) {
  char text[32];
  std::snprintf(text, sizeof text, "%d", value);
  return vx_io_ini_set_string(section, key, text, file);
}

int vx_io_ini_set_float(const char* section, const char* key, float value, const char* file) {
  char text[64];
  std::snprintf(text, sizeof text, "%f", static_cast<double>(value));
  return vx_io_ini_set_string(section, key, text, file);
}

// ---------------------------------------------------------------- modes and cache

int vx_io_ini_set_mode(const char* file, int mode) {
  switch (mode) {
    case QUIET_KEY_ON:
      I.quiet_key = 1;
      return 1;
    case QUIET_KEY_OFF:
      I.quiet_key = 0;
      return 1;
    case QUIET_SECTION_ON:
      I.quiet_section = 1;
      return 1;
    case QUIET_SECTION_OFF:
      I.quiet_section = 0;
      return 1;
    default:
      break;
  }
  if (!file) {
    vx_io_error(VX_IO_INI_NULL_NAME, 0, nullptr);
    return 0;
  }
  INI_CACHE* e = cached(file);
  if (mode == KEEP_OPEN) {
    if (e) {
      vx_io_error(VX_IO_INI_ALREADY_OPEN, 0, "%s", file);
      return 0;
    }
    e = static_cast<INI_CACHE*>(vx_mem_calloc(1, sizeof(INI_CACHE)));
    if (!e) {
      vx_io_error(VX_IO_MALLOC_FAILED, 0, "%s", file);
      return 0;
    }
    vx_mem_name(e, file);
    e->file = vx_io_fopen(file, "rb");
    if (!e->file) {
      vx_mem_free(e);
      return 0;
    }
    INI_CACHE** tail = &I.cache;
    while (*tail) tail = &(*tail)->next;
    *tail = e;
    return 1;
  }
  if (mode == KEEP_CLOSE) {
    if (!e) {
      vx_io_error(VX_IO_INI_NOT_OPEN, 0, "%s", file);
      return 0;
    }
    for (INI_CACHE** p = &I.cache; *p; p = &(*p)->next)
      if (*p == e) {
        *p = e->next;
        break;
      }
    forget_section(e);
    vx_io_fclose(e->file);
    vx_mem_free(e);
    return 1;
  }
  return 0;
}

int vx_io_ini_cached_count() {
  int n = 0;
  for (INI_CACHE* e = I.cache; e; e = e->next) n++;
  return n;
}

void vx_io_ini_cache_destroy() {
  while (INI_CACHE* e = I.cache) {
    I.cache = e->next;
    forget_section(e);
    vx_mem_free(e);
  }
}
