// The file layer: tracked handles over the resource archive and loose files, start and shutdown, streams.
#include "core/vx_io.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/vx_error.h"
#include "core/vx_io_archive.h"
#include "core/vx_io_ini.h"
#include "core/vx_io_internal.h"
#include "core/vx_io_path.h"
#include "core/vx_mem.h"
#include "platform/platform.h"

// Message table of module "File I/O"; the codes are the positions.
static const char* const IO_MESSAGES[] = {
    "malloc failed",
    "Could not open file",
    "Could not write to file",
    "Could not read from file",
    "Could not close file",
    "Could not rename file",
    "Could not remove file",
    "Passed NULL file pointer to vx_io_file_deinit",
    "One or more files were not closed",
    "Could not initialize the resource file",
    "Not enough memory for the resource table of content",
    "Could not open file in the resource",
    "",
    "Can't find the section in the string file",
    "Can't find the key in the string file",
    "Size of the key in the string file is greater than the size of the buffer",
    "Not enough free memory",
    "Buffer passed to this function is too small",
    "Invalid mode in call to vx_io_fopen",
    "This file is open in READ_ONLY",
    "This file is open in WRITE_ONLY",
    "Passed a NULL filename to vx_io_ini_set_mode()",
    "Called vx_io_ini_set_mode (KEEP_OPEN) with a file that is already open",
    "Called vx_io_ini_set_mode (KEEP_CLOSE) with a file that is not open",
    "Tried to write past the end of a file in the resource.",
    "Attempting to write into the resource. This is not allowed.",
    "File or path is too long (8.3 format)",
    "File path uses / which will break the resource build. Use \\ instead.",
    nullptr,
};
static_assert(sizeof IO_MESSAGES / sizeof IO_MESSAGES[0] == VX_IO_SLASH_IN_PATH + 2);

IO_STATE vx_io_state;
static IO_STATE& S = vx_io_state;

// ---------------------------------------------------------------- reports

static int io_module() {
  if (S.module < 0 || std::strcmp(vx_error_module_name(S.module), "File I/O") != 0)
    S.module = vx_error_register("File I/O", IO_MESSAGES);
  return S.module;
}

int vx_io_debug() { return S.running && S.settings ? S.settings->debug : 0; }

void vx_io_error(int code, int always, const char* detail_format, ...) {
  int show = always || vx_io_debug();
  if (!detail_format) {
    vx_error_raise(io_module(), code, show);
    return;
  }
  char detail[VX_ERROR_DETAIL_LEN];
  va_list ap;
  va_start(ap, detail_format);
  std::vsnprintf(detail, sizeof detail, detail_format, ap);
  va_end(ap);
  vx_error_raise(io_module(), code, show, "%s", detail);
}

// ---------------------------------------------------------------- handles

// Handles made while the layer runs come from the memory tracker, named
// after the file. After shutdown the tracker may be writing its statistics
// through this layer, so handles then come from the standard allocator.
static VX_IO_FILE* make_handle(FILE* stream, const char* name, const char* path, const char* os_path) {
  size_t n = std::strlen(name) + 1, p = path ? std::strlen(path) + 1 : 0, o = os_path ? std::strlen(os_path) + 1 : 0;
  size_t total = sizeof(VX_IO_FILE) + n + p + o;
  VX_IO_FILE* h;
  int tracked = S.running;
  if (tracked) {
    h = static_cast<VX_IO_FILE*>(vx_mem_calloc(1, total));
    if (h) vx_mem_name(h, name);
  } else {
    h = static_cast<VX_IO_FILE*>(std::calloc(1, total));
  }
  if (!h) {
    std::fclose(stream);
    vx_io_error(VX_IO_MALLOC_FAILED, 0, "%s", name);
    return nullptr;
  }
  char* text = reinterpret_cast<char*>(h + 1);
  h->stream = stream;
  h->tracked = tracked;
  h->name = static_cast<char*>(std::memcpy(text, name, n));
  if (path) h->path = static_cast<char*>(std::memcpy(text + n, path, p));
  if (os_path) h->os_path = static_cast<char*>(std::memcpy(text + n + p, os_path, o));
  h->open = 1;
  h->next = S.files;
  if (S.files) S.files->prev = h;
  S.files = h;
  S.open_count++;
  return h;
}

static void drop_handle(VX_IO_FILE* h) {
  if (h->prev)
    h->prev->next = h->next;
  else
    S.files = h->next;
  if (h->next) h->next->prev = h->prev;
  S.open_count--;
  h->open = 0;
  if (h->tracked)
    vx_mem_free(h);
  else
    std::free(h);
}

static int known_handle(const VX_IO_FILE* h) {
  for (const VX_IO_FILE* f = S.files; f; f = f->next)
    if (f == h) return 1;
  return 0;
}

// ---------------------------------------------------------------- opening

static unsigned mode_access(const char* mode) {
  const bool r = std::strchr(mode, 'r'), w = std::strchr(mode, 'w'), a = std::strchr(mode, 'a'),
             plus = std::strchr(mode, '+');
  unsigned access = 0;
  if (plus || w || a) access |= VX_IO_WRITABLE;
  if (r || (w && plus)) access |= VX_IO_READABLE;
  return access;
}

// The standard mode for the OS: "r", "w" or "a", then '+' and 'b' when asked;
// text mode is the same as binary here. 0 for a mode the standard refuses.
static int os_mode(const char* mode, char* out) {
  if (mode[0] != 'r' && mode[0] != 'w' && mode[0] != 'a') return 0;
  int n = 0;
  out[n++] = mode[0];
  if (std::strchr(mode, '+')) out[n++] = '+';
  out[n++] = 'b';
  out[n] = 0;
  return 1;
}

int vx_io_is_bare(const char* name) { return !std::strchr(name, '\\') && !std::strchr(name, '/'); }

const char* vx_io_prefix_folder() { return S.app_folder[0] ? S.app_folder : S.user_folder; }

int vx_io_compose(char* out, size_t size, const char* a, const char* b) {
  int n = std::snprintf(out, size, "%s%s", a, b);
  if (n < 0 || static_cast<size_t>(n) >= size) {
    vx_io_error(VX_IO_PATH_TOO_LONG, 0, "%s%s", a, b);
    out[0] = 0;
    return 0;
  }
  return 1;
}

// Opens the loose file `name` (`\` separators) on disk; `os_out` receives
// the OS path used. Only plain files open: a folder is no file, and a
// device or a pipe a data file names could block the game for ever.
static FILE* open_os(const char* name, const char* mode, char* os_out) {
  char os[VX_IO_PATH_MAX], m[4];
  if (!os_mode(mode, m) || !vx_io_path_to_os(name, os, sizeof os)) return nullptr;
  const int creates = m[0] != 'r';
  const int found = vx_io_path_resolve(os, creates, os_out, VX_IO_PATH_MAX);
  if (!found && !creates) return nullptr;
  if (found == 1 && plat_path_kind(os_out) != 1) return nullptr;
  FILE* f = std::fopen(os_out, m);
  if (f && found != 1) vx_io_path_forget_folder_of(os_out);
  return f;
}

VX_IO_FILE* vx_io_open_loose(const char* name, const char* mode, int use_prefix) {
  char prefixed[VX_IO_PATH_MAX], os[VX_IO_PATH_MAX];
  FILE* f = nullptr;
  const char* path = nullptr;
  if (use_prefix && vx_io_is_bare(name) && vx_io_prefix_folder()[0] &&
      vx_io_compose(prefixed, sizeof prefixed, vx_io_prefix_folder(), name)) {
    f = open_os(prefixed, mode, os);
    if (f) path = prefixed;
  }
  if (!f) f = open_os(name, mode, os);
  if (!f) return nullptr;
  VX_IO_FILE* h = make_handle(f, name, path, os);
  if (h) h->access = mode_access(mode);
  return h;
}

static int same_upper(const char* request, const char* entry) {
  for (; *request && *entry; request++, entry++) {
    char c = *request;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != *entry) return 0;
  }
  return *request == *entry;
}

// 1-based number of the first archive entry either of whose names matches, or 0.
static unsigned find_entry(const char* name) {
  if (!S.refs) return 0;
  for (unsigned i = 0; S.refs[i].name_a; i++)
    if (same_upper(name, S.refs[i].name_a) || same_upper(name, S.refs[i].name_b)) return i + 1;
  return 0;
}

static VX_IO_FILE* open_archived(const char* name, const char* mode, unsigned entry) {
  VX_IO_ARCHIVE_RECORD rec = vx_io_archive_record(S.refs[entry - 1].record);
  char m[4];
  // Modes that would truncate the archive open it for update instead.
  if (std::strchr(mode, 'w'))
    std::strcpy(m, "r+b");
  else if (!os_mode(mode, m))
    return nullptr;
  FILE* f = std::fopen(S.archive_os, m);
  if (!f) return nullptr;
  if (std::fseek(f, static_cast<long>(rec.offset), SEEK_SET) != 0) {
    std::fclose(f);
    return nullptr;
  }
  VX_IO_FILE* h = make_handle(f, name, nullptr, nullptr);
  if (!h) return nullptr;
  h->entry = entry;
  h->access = mode_access(mode);
  h->base = rec.offset;
  h->size = rec.size;
  h->key = rec.data_key;
  return h;
}

VX_IO_FILE* vx_io_open_impl(const char* name, const char* mode, int report) {
  if (!name || !*name) {
    vx_io_error(VX_IO_OPEN_FAILED, 0, "(null)");
    return nullptr;
  }
  if (std::strchr(name, '/')) vx_io_error(VX_IO_SLASH_IN_PATH, 0, "%s", name);
  if (!mode || !mode_access(mode)) {
    vx_io_error(VX_IO_BAD_MODE, 0, "%s", mode ? mode : "(null)");
    return nullptr;
  }
  if (unsigned entry = find_entry(name)) {
    if (VX_IO_FILE* h = open_archived(name, mode, entry)) return h;
    vx_io_error(VX_IO_RESOURCE_OPEN, 0, "%s", name);
  }
  if (VX_IO_FILE* h = vx_io_open_loose(name, mode, 1)) return h;
  if (report) vx_io_error(VX_IO_OPEN_FAILED, 0, "%s", name);
  return nullptr;
}

VX_IO_FILE* vx_io_fopen(const char* name, const char* mode) { return vx_io_open_impl(name, mode, 1); }

int vx_io_fclose(VX_IO_FILE* handle) {
  if (!handle || !known_handle(handle)) {
    vx_io_error(VX_IO_NULL_HANDLE, 0, nullptr);
    return -1;
  }
  int result = std::fclose(handle->stream);
  if (result != 0) vx_io_error(VX_IO_CLOSE_FAILED, 0, "%s", handle->name);
  drop_handle(handle);
  return result;
}

const char* vx_io_file_name(const VX_IO_FILE* handle) { return handle ? handle->name : nullptr; }
const char* vx_io_file_path(const VX_IO_FILE* handle) { return handle ? handle->path : nullptr; }
unsigned vx_io_file_entry(const VX_IO_FILE* handle) { return handle ? handle->entry : 0; }
unsigned vx_io_file_access(const VX_IO_FILE* handle) { return handle ? handle->access : 0; }
int vx_io_open_count() { return S.open_count; }
int vx_io_resource_count() { return S.refs ? static_cast<int>(S.count) : 0; }
const char* vx_io_resource_entry_name(int i) {
  return S.refs && i >= 0 && static_cast<uint32_t>(i) < S.count ? S.refs[i].name_a : nullptr;
}
long long vx_io_bytes_read() { return S.bytes_read; }
void vx_io_set_bytes_read(long long n) { S.bytes_read = n; }
int vx_io_running() { return S.running; }

// ---------------------------------------------------------------- start and stop

// Frees the archive tables.
static void drop_archive() {
  if (S.toc) vx_mem_free(S.toc);
  if (S.refs) vx_mem_free(S.refs);
  S.toc = nullptr;
  S.refs = nullptr;
  S.count = 0;
  S.archive_os[0] = 0;
}

// Reads and checks the archive's trailer and table of contents. Every
// number in them is checked against the file before it is used, so a
// damaged archive can only fail the load.
static int read_archive(VX_IO_FILE* h) {
  if (vx_io_fseek(h, 0, SEEK_END) != 0) return 0;
  long total = vx_io_ftell(h);
  if (total <= 8 || total < static_cast<long>(sizeof(VX_IO_ARCHIVE_TRAILER))) return 0;
  uint8_t raw[sizeof(VX_IO_ARCHIVE_TRAILER)];
  const long trailer_at = total - static_cast<long>(sizeof raw);
  if (vx_io_fseek(h, trailer_at, SEEK_SET) != 0 || vx_io_fread(raw, sizeof raw, 1, h) != 1) return 0;
  VX_IO_ARCHIVE_TRAILER t = vx_io_archive_trailer(raw);
  if (t.magic != VX_IO_ARCHIVE_MAGIC || t.toc_offset > static_cast<unsigned long>(trailer_at)) return 0;
  const size_t toc_size = static_cast<size_t>(trailer_at - static_cast<long>(t.toc_offset));
  if (t.count > toc_size / VX_IO_ARCHIVE_MIN_ENTRY) return 0;
  S.toc = static_cast<uint8_t*>(vx_mem_alloc_named(toc_size ? toc_size : 1, "VX_IO resource table of content."));
  S.refs = static_cast<VX_IO_ARCHIVE_REF*>(vx_mem_calloc(t.count + 1, sizeof(VX_IO_ARCHIVE_REF)));
  if (S.refs) vx_mem_name(S.refs, "VX_IO resource entry table.");
  if (!S.toc || !S.refs) {
    vx_io_error(VX_IO_RESOURCE_MEMORY, 0, "%u", t.count);
    return 0;
  }
  if (vx_io_fseek(h, static_cast<long>(t.toc_offset), SEEK_SET) != 0 || vx_io_fread(S.toc, 1, toc_size, h) != toc_size)
    return 0;
  for (size_t i = 0; i < toc_size; i++) S.toc[i] ^= t.toc_key;
  if (!vx_io_archive_walk(S.toc, toc_size, t.count, static_cast<uint64_t>(trailer_at), S.refs)) return 0;
  S.count = t.count;
  return 1;
}

static int load_archive(const char* name) {
  VX_IO_FILE* h = vx_io_open_impl(name, "rb", 0);
  if (!h) {
    vx_io_error(VX_IO_OPEN_FAILED, 1, "%s", name);
    return 0;
  }
  // Kept absolute: entries are opened later, perhaps from another folder.
  char os[sizeof S.archive_os];
  int ok = plat_absolute_path(h->os_path, os, sizeof os) && read_archive(h);
  vx_io_fclose(h);
  if (!ok) {
    drop_archive();
    vx_io_error(VX_IO_RESOURCE_INIT, 0, "%s", name);
    return 0;
  }
  std::memcpy(S.archive_os, os, sizeof os);
  return 1;
}

// Copies an OS folder into `out` with `\` separators and a trailing `\`.
static int keep_folder(const char* os_folder, char* out, size_t size) {
  out[0] = 0;
  if (!vx_io_path_from_os(os_folder, out, size - 1)) return 0;
  size_t n = std::strlen(out);
  if (n == 0 || out[n - 1] != '\\') {
    out[n] = '\\';
    out[n + 1] = 0;
  }
  return 1;
}

int vx_io_init(const VX_IO_SETTINGS* settings) {
  if (S.running) return 1;
  S.settings = settings;
  io_module();
  S.files = nullptr;
  S.open_count = 0;
  char cwd[VX_IO_PATH_MAX];
  if (!plat_current_folder(cwd, sizeof cwd) || !keep_folder(cwd, S.start_folder, sizeof S.start_folder))
    std::strcpy(S.start_folder, ".\\");
  char value[VX_IO_PATH_MAX];
  S.app_folder[0] = 0;
  if (plat_getenv("U3_APP_DATA_PATH", value, sizeof value) && value[0])
    keep_folder(value, S.app_folder, sizeof S.app_folder);
  S.user_folder[0] = 0;
  S.settings_file[0] = 0;
  S.settings_path[0] = 0;
  if (settings && settings->settings_file)
    std::snprintf(S.settings_file, sizeof S.settings_file, "%s", settings->settings_file);
  S.running = 1;
  vx_mem_set_stats_writer(vx_io_write_stat);
  if (settings && settings->resource && settings->resource[0]) return load_archive(settings->resource);
  return 1;
}

void vx_io_deinit() {
  if (!S.running) return;
  if (S.files) {
    vx_io_error(VX_IO_FILES_LEFT_OPEN, 0, nullptr);
    while (S.files) {
      if (vx_io_debug()) {
        char text[VX_IO_PATH_MAX + 32];
        std::snprintf(text, sizeof text, "Name: '%s' File not closed.", S.files->name);
        plat_message_box(nullptr, text, "File I/O Info", PLAT_MB_OK);
      }
      vx_io_fclose(S.files);
    }
  }
  vx_io_ini_cache_destroy();
  drop_archive();
  // The tracker writes its statistics after this: keep the settings path.
  char saved[VX_IO_PATH_MAX];
  std::snprintf(saved, sizeof saved, "%s", vx_io_settings_path());
  std::memcpy(S.settings_path, saved, sizeof saved);
  if (S.app_folder[0]) std::strcpy(S.app_folder, "..\\Data\\");
  S.user_folder[0] = 0;
  S.running = 0;
  S.settings = nullptr;
  vx_io_path_forget_all();
}

// ---------------------------------------------------------------- reading

static int readable(VX_IO_FILE* h, const char* function) {
  if (!h) return 0;
  if (h->access & VX_IO_READABLE) return 1;
  vx_io_error(VX_IO_WRITE_ONLY, 0, "File: %s in %s", h->name, function);
  return 0;
}

// Next decoded byte of an archived file, or -1 at the entry's end.
static int archived_byte(VX_IO_FILE* h) {
  if (h->pos >= h->size) return -1;
  int c = std::fgetc(h->stream);
  if (c == EOF) return -1;
  h->pos++;
  S.bytes_read++;
  return (c ^ h->key) & 0xFF;
}

size_t vx_io_fread(void* buffer, size_t size, size_t count, VX_IO_FILE* handle) {
  if (!readable(handle, "vx_io_fread") || !buffer || !size || !count) return 0;
  if (!handle->entry) {
    size_t n = std::fread(buffer, size, count, handle->stream);
    S.bytes_read += static_cast<long long>(n * size);
    return n;
  }
  if (handle->pos >= handle->size) return 0;
  const uint64_t left = handle->size - static_cast<uint64_t>(handle->pos);
  const size_t items = static_cast<size_t>(count < left / size ? count : left / size);
  if (!items) return 0;
  size_t got = std::fread(buffer, 1, items * size, handle->stream);
  uint8_t* p = static_cast<uint8_t*>(buffer);
  for (size_t i = 0; i < got; i++) p[i] ^= handle->key;
  handle->pos += static_cast<long long>(got);
  S.bytes_read += static_cast<long long>(got);
  return got / size;
}

int vx_io_fgetc(VX_IO_FILE* handle) {
  if (!readable(handle, "vx_io_fgetc")) return -1;
  if (handle->entry) return archived_byte(handle);
  int c = std::fgetc(handle->stream);
  if (c == EOF) return -1;
  S.bytes_read++;
  return c;
}

// The standard line read on a loose file; the line end stays.
static char* loose_line(char* buffer, int size, VX_IO_FILE* h) {
  if (!std::fgets(buffer, size, h->stream)) {
    buffer[0] = 0;
    return nullptr;
  }
  S.bytes_read += static_cast<long long>(std::strlen(buffer));
  return buffer;
}

char* vx_io_fgets(char* buffer, int size, VX_IO_FILE* handle) {
  if (!buffer || size < 1) return nullptr;
  buffer[0] = 0;
  if (!readable(handle, "vx_io_fgets")) return nullptr;
  if (!handle->entry) {
    if (!loose_line(buffer, size, handle)) return nullptr;
    size_t n = std::strlen(buffer);
    while (n && (buffer[n - 1] == '\n' || buffer[n - 1] == '\r')) buffer[--n] = 0;
    return buffer;
  }
  if (handle->pos >= handle->size) return nullptr;
  int n = 0;
  while (n < size - 1) {
    int c = archived_byte(handle);
    if (c < 0) break;
    if (c == '\n' || c == '\r') {
      // A CR LF or LF CR pair is one line end; any other byte is put back.
      const int partner = c == '\n' ? '\r' : '\n';
      if (handle->pos < handle->size) {
        int raw = std::fgetc(handle->stream);
        if (raw != EOF && ((raw ^ handle->key) & 0xFF) == partner) {
          handle->pos++;
          S.bytes_read++;
        } else if (raw != EOF) {
          std::ungetc(raw, handle->stream);
        }
      }
      buffer[n] = 0;
      return buffer;
    }
    buffer[n++] = static_cast<char>(c);
  }
  buffer[n] = 0;
  return n > 0 || size == 1 ? buffer : nullptr;
}

char* vx_io_fgets_keep(char* buffer, int size, VX_IO_FILE* handle) {
  if (!buffer || size < 1) return nullptr;
  buffer[0] = 0;
  if (!readable(handle, "vx_io_fgets")) return nullptr;
  if (!handle->entry) return loose_line(buffer, size, handle);
  int n = 0;
  while (n < size - 1) {
    int c = archived_byte(handle);
    if (c < 0) break;
    buffer[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buffer[n] = 0;
  return n > 0 ? buffer : nullptr;
}

// ---------------------------------------------------------------- writing

// Writes into the archive are refused and always reported.
static int refused(VX_IO_FILE* h) {
  if (!h->entry) return 0;
  vx_io_error(VX_IO_RESOURCE_WRITE, 1, "%s", h->name);
  return 1;
}

long vx_io_fwrite(const void* buffer, size_t size, size_t count, VX_IO_FILE* handle) {
  if (!handle || refused(handle)) return -1;
  if (!buffer || !size || !count) return 0;
  size_t n = std::fwrite(buffer, size, count, handle->stream);
  if (n != count) vx_io_error(VX_IO_WRITE_FAILED, 0, "%s", handle->name);
  return static_cast<long>(n);
}

int vx_io_fputc(int c, VX_IO_FILE* handle) {
  if (!handle || refused(handle)) return -1;
  int r = std::fputc(c, handle->stream);
  if (r == EOF) vx_io_error(VX_IO_WRITE_FAILED, 0, "%s", handle->name);
  return r == EOF ? -1 : r;
}

int vx_io_fputs(const char* text, VX_IO_FILE* handle) {
  if (!handle || refused(handle)) return -1;
  if (!text) return -1;
  int r = std::fputs(text, handle->stream);
  if (r == EOF) vx_io_error(VX_IO_WRITE_FAILED, 0, "%s", handle->name);
  return r == EOF ? -1 : r;
}

int vx_io_flush(VX_IO_FILE* handle) {
  if (!handle) return -1;
  if (!(handle->access & VX_IO_WRITABLE)) {
    vx_io_error(VX_IO_READ_ONLY, 0, "File: %s in vx_io_flush", handle->name);
    return -1;
  }
  return std::fflush(handle->stream) == 0 ? 0 : -1;
}

// ---------------------------------------------------------------- position

int vx_io_fseek(VX_IO_FILE* handle, long offset, int origin) {
  if (!handle) return -1;
  if (!handle->entry) return std::fseek(handle->stream, offset, origin) == 0 ? 0 : -1;
  long long target;
  switch (origin) {
    case SEEK_SET:
      target = offset;
      break;
    case SEEK_CUR:
      target = handle->pos + offset;
      break;
    case SEEK_END:
      target = static_cast<long long>(handle->size) + offset;
      break;
    default:
      return -1;
  }
  if (target < 0 || target > INT32_MAX) return -1;
  if (std::fseek(handle->stream, static_cast<long>(handle->base + target), SEEK_SET) != 0) return -1;
  handle->pos = target;
  return 0;
}

long vx_io_ftell(VX_IO_FILE* handle) {
  if (!handle) return -1;
  return handle->entry ? static_cast<long>(handle->pos) : std::ftell(handle->stream);
}

int vx_io_feof(VX_IO_FILE* handle) {
  if (!handle) return 1;
  return handle->entry ? handle->pos >= handle->size : std::feof(handle->stream) != 0;
}

void vx_io_rewind(VX_IO_FILE* handle) {
  if (!handle) return;
  if (!handle->entry) {
    std::rewind(handle->stream);
    return;
  }
  std::clearerr(handle->stream);
  vx_io_fseek(handle, 0, SEEK_SET);
}
