// String files: the literal section and key scanner, the keep-open cache, number reads and the rewriting writer.
#include "core/vx_io_ini.h"

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

// Copies the backup into the output with the key set (steps after the
// backup exists). 1 when every write succeeded.
static int rewrite(VX_IO_FILE* in, VX_IO_FILE* out, const char* section, const char* key, const char* value) {
  char line[INI_WRITE_LINE + 1];
  int ok = 1, found = 0, whole = 1;
  while (!found && vx_io_fgets_keep(line, sizeof line, in)) {
    ok &= vx_io_fputs(line, out) >= 0;
    whole = ends_line(line);
    found = header_is(line, section);
  }
  if (!found) return ok && put(out, "\n[", section, "]\n") && put(out, key, "=", value, "\n");
  enum { END, BLANK, HEADER, OLD_KEY } stop = END;
  while (stop == END && vx_io_fgets_keep(line, sizeof line, in)) {
    if (line[0] == '\n' || line[0] == '\r')
      stop = BLANK;
    else if (line[0] == '[')
      stop = HEADER;
    else if (key_value(line, key))
      stop = OLD_KEY;
    else {
      ok &= vx_io_fputs(line, out) >= 0;
      whole = ends_line(line);
    }
  }
  // A last line without its line end gets one, so the key starts a line.
  if (!whole) ok &= put(out, "\n");
  ok &= put(out, key, "=", value, "\n");
  if (stop == BLANK || stop == HEADER) ok &= put(out, line);
  // The old key line is dropped whole, also when it was read in pieces.
  if (stop == OLD_KEY)
    while (!ends_line(line) && vx_io_fgets_keep(line, sizeof line, in)) {
    }
  while (vx_io_fgets_keep(line, sizeof line, in)) ok &= vx_io_fputs(line, out) >= 0;
  return ok;
}

// A failed settings write is never silent: a line in Warning.txt in the
// per-user folder (the current folder while there is none).
static void warn_kept(const char* real, const char* why) {
  vx_io_error(VX_IO_WRITE_FAILED, 0, "%s", real);
  char name[VX_IO_PATH_MAX], os[VX_IO_PATH_MAX], line[VX_IO_PATH_MAX + 128];
  if (!vx_io_compose(name, sizeof name, vx_io_user_folder(), "Warning.txt") ||
      !vx_io_path_to_os(name, os, sizeof os))
    return;
  int n = std::snprintf(line, sizeof line, "File I/O: %s %s; the file was left as it was\r\n", why, real);
  if (n > 0 && n < static_cast<int>(sizeof line)) plat_append_file(os, line, static_cast<size_t>(n));
}

// The OS path of a file in the layer's `\` notation, case resolved; the
// last part may be missing.
static int os_path_of(const char* name, char* out) {
  char os[VX_IO_PATH_MAX];
  return vx_io_path_to_os(name, os, sizeof os) && vx_io_path_resolve(os, 1, out, VX_IO_PATH_MAX) != 0;
}

// Writes the whole new file into `temp` (from the backup when there is one).
static int write_new(const char* temp, const char* backup, int have_backup, const char* section, const char* key,
                     const char* value) {
  VX_IO_FILE* out = vx_io_fopen(temp, "wt");
  if (!out) return 0;
  VX_IO_FILE* in = have_backup ? vx_io_fopen(backup, "rt") : nullptr;
  int ok;
  if (!in) {
    ok = !have_backup && put(out, "[", section, "]\n") && put(out, key, "=", value, "\n");
  } else {
    ok = rewrite(in, out, section, key, value);
    vx_io_fclose(in);
  }
  ok &= vx_io_flush(out) == 0;
  ok &= vx_io_fclose(out) == 0;
  return ok;
}

int vx_io_ini_set_string(const char* section, const char* key, const char* value, const char* file) {
  if (!section || !key || !file || !*file) return 0;
  if (!value) value = "";
  if (I.writes_off) return 0;
  if (vx_io_running()) {
    if (VX_IO_FILE* h = vx_io_open_impl(file, "rb", 0)) {
      unsigned entry = vx_io_file_entry(h);
      vx_io_fclose(h);
      if (entry) return update_in_place(section, key, value, file);
    }
  }
  // A cached reader of this file must find its sections again.
  if (INI_CACHE* e = cached(file)) {
    forget_section(e);
    vx_io_rewind(e->file);
  }
  char real[VX_IO_PATH_MAX], backup[VX_IO_PATH_MAX], temp[VX_IO_PATH_MAX], folder[VX_IO_PATH_MAX];
  if (vx_io_is_bare(file)) {
    if (!vx_io_write_folder(file, folder, sizeof folder) || !vx_io_compose(real, sizeof real, folder, file)) return 0;
  } else if (!vx_io_compose(real, sizeof real, file, "")) {
    return 0;
  }
  if (!vx_io_compose(backup, sizeof backup, real, ".bak") || !vx_io_compose(temp, sizeof temp, real, ".new"))
    return 0;
  // The old file is never opened for writing: the new one is built beside
  // it and renamed over it once it is whole on the disk, so a kill, a crash
  // or a full disk leaves either the old file or the new one.
  const int had_file = vx_io_exists(file, VX_IO_ON_DISK) != 0;
  const int have_backup = had_file && vx_io_copy(backup, file, VX_IO_ON_DISK);
  char temp_os[VX_IO_PATH_MAX], real_os[VX_IO_PATH_MAX];
  int ok = (!had_file || have_backup) && write_new(temp, backup, have_backup, section, key, value) &&
           os_path_of(temp, temp_os) && os_path_of(real, real_os) && plat_replace_file(temp_os, real_os);
  if (os_path_of(real, real_os)) vx_io_path_forget_folder_of(real_os);
  if (!ok) {
    if (os_path_of(temp, temp_os)) std::remove(temp_os);
    warn_kept(real, had_file && !have_backup ? "Could not back up" : "Could not write");
  }
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
      !os_path_of(real, real_os) || !os_path_of(backup, backup_os) || plat_path_kind(backup_os) != 1)
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
