// The file layer's whole-file operations, folders, the per-user folder and settings path, and program start.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "core/vx_io_internal.h"
#include "core/vx_io_path.h"
#include "core/vx_mem.h"
#include "platform/platform.h"

static IO_STATE& S = vx_io_state;

// ---------------------------------------------------------------- whole files

// 1 when `name` is a file on disk; `os_out` (VX_IO_PATH_MAX bytes) gets its OS path.
static int on_disk(const char* name, char* os_out) {
  char os[VX_IO_PATH_MAX];
  return vx_io_path_to_os(name, os, sizeof os) && vx_io_path_resolve(os, 0, os_out, VX_IO_PATH_MAX) == 1 &&
         plat_path_kind(os_out) == 1;
}

// Looks in the prefix folder for a bare name, then as named.
static int on_disk_prefixed(const char* name, char* os_out) {
  char prefixed[VX_IO_PATH_MAX];
  if (vx_io_is_bare(name) && vx_io_prefix_folder()[0] &&
      vx_io_compose(prefixed, sizeof prefixed, vx_io_prefix_folder(), name) && on_disk(prefixed, os_out))
    return 1;
  return on_disk(name, os_out);
}

int vx_io_exists(const char* name, int where) {
  if (!name || !*name) return 0;
  int result = 0;
  if (where & VX_IO_THROUGH_OPEN) {
    if (VX_IO_FILE* h = vx_io_open_impl(name, "rb", 0)) {
      result = vx_io_file_entry(h) ? 1 : 2;
      vx_io_fclose(h);
    }
  }
  char os[VX_IO_PATH_MAX];
  if ((where & VX_IO_ON_DISK) && on_disk_prefixed(name, os)) result += 2;
  return result;
}

// Copies what is left of `in` to `out`; 1 when every write succeeded.
static int copy_rest(VX_IO_FILE* out, void* in) {
  char buf[8192];
  size_t n;
  int ok = 1;
  while (ok && (n = vx_io_fread(buf, 1, sizeof buf, static_cast<VX_IO_FILE*>(in))) > 0)
    ok = vx_io_fwrite(buf, 1, n, out) == static_cast<long>(n);
  return ok;
}

int vx_io_copy(const char* destination, const char* source, int where) {
  if (!destination || !source || !*destination || !*source || !std::strcmp(destination, source)) return 0;
  VX_IO_FILE* in = nullptr;
  if (where & VX_IO_ON_DISK) in = vx_io_open_loose(source, "rb", 1);
  if (!in && (where & (VX_IO_ON_DISK | VX_IO_THROUGH_OPEN))) in = vx_io_fopen(source, "rb");
  if (!in) return 0;
  if (where & VX_IO_WHOLE) {
    int ok = vx_io_write_whole(destination, "wb", copy_rest, in);
    vx_io_fclose(in);
    return ok;
  }
  VX_IO_FILE* out = vx_io_open_loose(destination, "wb", 1);
  if (!out) {
    vx_io_error(VX_IO_OPEN_FAILED, 0, "%s", destination);
    vx_io_fclose(in);
    return 0;
  }
  int ok = copy_rest(out, in);
  vx_io_fclose(in);
  if (vx_io_fclose(out) != 0) ok = 0;
  return ok;
}

int vx_io_write_path(const char* name, char* out) {
  char folder[VX_IO_PATH_MAX];
  if (!name || !*name) return 0;
  if (!vx_io_is_bare(name)) return vx_io_compose(out, VX_IO_PATH_MAX, name, "");
  return vx_io_write_folder(name, folder, sizeof folder) && vx_io_compose(out, VX_IO_PATH_MAX, folder, name);
}

int vx_io_os_path_of(const char* name, char* out) {
  char os[VX_IO_PATH_MAX];
  return vx_io_path_to_os(name, os, sizeof os) && vx_io_path_resolve(os, 1, out, VX_IO_PATH_MAX) != 0;
}

void vx_io_warn_kept(const char* real, const char* why) {
  vx_io_error(VX_IO_WRITE_FAILED, 0, "%s", real);
  char name[VX_IO_PATH_MAX], os[VX_IO_PATH_MAX], line[VX_IO_PATH_MAX + 128];
  if (!vx_io_compose(name, sizeof name, vx_io_user_folder(), "Warning.txt") ||
      !vx_io_path_to_os(name, os, sizeof os))
    return;
  int n = std::snprintf(line, sizeof line, "File I/O: %s %s; the file was left as it was\r\n", why, real);
  if (n > 0 && n < static_cast<int>(sizeof line)) plat_append_file(os, line, static_cast<size_t>(n));
}

int vx_io_write_whole(const char* file, const char* mode, VX_IO_FILL fill, void* user) {
  char real[VX_IO_PATH_MAX], temp[VX_IO_PATH_MAX], real_os[VX_IO_PATH_MAX], temp_os[VX_IO_PATH_MAX];
  if (!fill || !mode || !vx_io_write_path(file, real) || !vx_io_compose(temp, sizeof temp, real, ".new")) return 0;
  VX_IO_FILE* out = vx_io_fopen(temp, mode);
  int ok = out != nullptr;
  if (out) {
    ok &= fill(out, user) != 0;
    ok &= vx_io_flush(out) == 0;
    ok &= vx_io_fclose(out) == 0;
  }
  ok = ok && vx_io_os_path_of(temp, temp_os) && vx_io_os_path_of(real, real_os) &&
       plat_replace_file(temp_os, real_os);
  if (vx_io_os_path_of(real, real_os)) vx_io_path_forget_folder_of(real_os);
  if (!ok) {
    if (vx_io_os_path_of(temp, temp_os)) std::remove(temp_os);
    vx_io_warn_kept(real, "Could not write");
  }
  return ok;
}

void* vx_io_load(const char* name, long* size_out) {
  if (size_out) *size_out = 0;
  VX_IO_FILE* h = vx_io_fopen(name, "rb");
  if (!h) return nullptr;
  long size = -1;
  if (vx_io_fseek(h, 0, SEEK_END) == 0) size = vx_io_ftell(h);
  vx_io_rewind(h);
  char* data = size >= 0 ? static_cast<char*>(vx_mem_alloc_named(static_cast<size_t>(size) + 1, name)) : nullptr;
  if (!data) {
    vx_io_error(VX_IO_NO_MEMORY, 0, "%s", name);
    vx_io_fclose(h);
    return nullptr;
  }
  if (vx_io_fread(data, 1, static_cast<size_t>(size), h) != static_cast<size_t>(size)) {
    vx_io_error(VX_IO_READ_FAILED, 0, "%s", name);
    vx_mem_free(data);
    vx_io_fclose(h);
    return nullptr;
  }
  data[size] = 0;
  vx_io_fclose(h);
  if (size_out) *size_out = size;
  return data;
}

int vx_io_save(const char* name, const void* data, long size) {
  if (size < 0 || (size && !data)) return 0;
  VX_IO_FILE* h = vx_io_fopen(name, "wb");
  if (!h) return 0;
  long written = size ? vx_io_fwrite(data, 1, static_cast<size_t>(size), h) : 0;
  int closed = vx_io_fclose(h);
  return written == size && closed == 0;
}

int vx_io_remove(const char* name) {
  VX_IO_FILE* h = vx_io_open_impl(name, "rb", 0);
  if (!h) return 0;
  if (vx_io_file_entry(h)) {
    vx_io_fclose(h);
    return 0;
  }
  std::string os = h->os_path;
  vx_io_fclose(h);
  int result = std::remove(os.c_str());
  vx_io_path_forget_folder_of(os.c_str());
  if (result != 0) vx_io_error(VX_IO_REMOVE_FAILED, 0, "%s", name);
  return result;
}

// ---------------------------------------------------------------- folders

int vx_io_fgetdir(const char* path, char* out, int size) {
  if (!out || size < 1) return -1;
  out[0] = 0;
  if (!path) return 0;
  // '/' counts as well as `\` and ':', for OS paths handed in from outside.
  int at = -1;
  for (int i = 0; path[i]; i++)
    if (path[i] == '\\' || path[i] == ':' || path[i] == '/') at = i;
  if (at <= 0) return 0;
  const int length = at + 1;
  if (length >= size) {
    vx_io_error(VX_IO_BUFFER_SMALL, 0, "vx_io_fgetdir (%s)", path);
    return -1;
  }
  std::memcpy(out, path, static_cast<size_t>(length));
  out[length] = 0;
  return length;
}

static int copy_out(char* out, int size, const char* text) {
  if (!out || size < 1) return 0;
  if (std::strlen(text) >= static_cast<size_t>(size)) {
    out[0] = 0;
    vx_io_error(VX_IO_BUFFER_SMALL, 0, "%s", text);
    return 0;
  }
  std::strcpy(out, text);
  return 1;
}

int vx_io_get_start_folder(char* out, int size) { return copy_out(out, size, S.start_folder); }

int vx_io_set_current_folder(const char* path) {
  char os[VX_IO_PATH_MAX], real[VX_IO_PATH_MAX];
  if (!path || !vx_io_path_to_os(path, os, sizeof os)) return 0;
  vx_io_path_resolve(os, 0, real, sizeof real);
  return plat_set_current_folder(real[0] ? real : os);
}

int vx_io_os_path(const char* name, char* out, int size) {
  char os[VX_IO_PATH_MAX], real[VX_IO_PATH_MAX];
  if (!name || !vx_io_path_to_os(name, os, sizeof os)) {
    copy_out(out, size, "");
    return 0;
  }
  int found = vx_io_path_resolve(os, 0, real, sizeof real) == 1;
  return copy_out(out, size, real) && found;
}

int vx_io_write_folder(const char* name, char* out, int size) {
  if (!name || !out || size < 1) return 0;
  if (!vx_io_is_bare(name)) {
    copy_out(out, size, name);
    return 0;
  }
  const char* folder = S.start_folder;
  const bool archived_only =
      S.refs && vx_io_exists(name, VX_IO_THROUGH_OPEN) == 1 && !vx_io_exists(name, VX_IO_ON_DISK);
  if (!archived_only && vx_io_prefix_folder()[0]) folder = vx_io_prefix_folder();
  return copy_out(out, size, folder);
}

// Deletes a loose OS file, quietly.
static void delete_file(const char* name) {
  char os[VX_IO_PATH_MAX], real[VX_IO_PATH_MAX];
  if (!vx_io_path_to_os(name, os, sizeof os) || vx_io_path_resolve(os, 0, real, sizeof real) != 1) return;
  std::remove(real);
  vx_io_path_forget_folder_of(real);
}

// Appends `part` to the folder text in `folder` and creates the folder.
static int grow_folder(char* folder, size_t size, const char* part) {
  char os[VX_IO_PATH_MAX];
  size_t n = std::strlen(folder);
  if (n + std::strlen(part) + 2 > size) return 0;
  std::strcat(folder, part);
  if (folder[std::strlen(folder) - 1] != '\\') std::strcat(folder, "\\");
  return vx_io_path_to_os(folder, os, sizeof os) && plat_make_folder(os);
}

int vx_io_user_folder_prepare(const char* settings_file, const char* title) {
  if (settings_file) std::snprintf(S.settings_file, sizeof S.settings_file, "%s", settings_file);
  S.settings_path[0] = 0;
  S.user_folder[0] = 0;
  char root[VX_IO_PATH_MAX], folder[VX_IO_PATH_MAX];
  if (!plat_user_data_root(root, sizeof root) || !vx_io_path_from_os(root, folder, sizeof folder)) {
    std::remove("Warning.txt");
    return 0;
  }
  // Characters a folder name may not hold on the original system.
  char safe[VX_IO_PATH_MAX];
  std::snprintf(safe, sizeof safe, "%s", title ? title : "");
  for (char* c = safe; *c; c++)
    if (std::strchr("\"&'*:?\\/`", *c)) *c = '_';
  size_t n = std::strlen(folder);
  if (n && folder[n - 1] == '\\') folder[n - 1] = 0;
  if (!grow_folder(folder, sizeof folder, "\\Harrowby\\") || !grow_folder(folder, sizeof folder, safe)) return 0;
  std::memcpy(S.user_folder, folder, sizeof folder);
  if (vx_io_debug()) {
    char warning[VX_IO_PATH_MAX];
    if (vx_io_write_folder("Warning.txt", warning, sizeof warning) &&
        vx_io_compose(folder, sizeof folder, warning, "Warning.txt"))
      delete_file(folder);
  }
  return 1;
}

const char* vx_io_user_folder() { return S.user_folder; }

const char* vx_io_settings_path() {
  if (!S.running || S.settings_path[0]) return S.settings_path;
  const char* file = S.settings_file;
  if (!file[0] && S.settings && S.settings->settings_file) file = S.settings->settings_file;
  if (!file[0]) return "";
  const char* prefix = vx_io_prefix_folder();
  if (!prefix[0]) return file;
  if (!vx_io_compose(S.settings_path, sizeof S.settings_path, prefix, file)) return file;
  return S.settings_path;
}

void vx_io_write_stat(const char* section, const char* key, long long value) {
  char path[VX_IO_PATH_MAX], text[32];
  // A copy: writing the key may recompute the settings path.
  const int n = std::snprintf(path, sizeof path, "%s", vx_io_settings_path());
  if (n <= 0 || n >= static_cast<int>(sizeof path) || !section || !key) return;
  std::snprintf(text, sizeof text, "%lld", value);
  vx_io_ini_set_string(section, key, text, path);
}

// ---------------------------------------------------------------- programs

static int start_program(const char* program, int wait, int* exit_code) {
  char os[VX_IO_PATH_MAX], folder[VX_IO_PATH_MAX];
  if (!program || !on_disk_prefixed(program, os)) return 0;
  char full[VX_IO_PATH_MAX];
  if (!plat_absolute_path(os, full, sizeof full)) return 0;
  if (vx_io_fgetdir(program, folder, sizeof folder) > 0) vx_io_set_current_folder(folder);
  // The program gets its own quoted path as its argument, as a spawn does.
  std::string quoted = std::string("\"") + full + "\"";
  return plat_run(full, quoted.c_str(), wait, exit_code);
}

int vx_io_run_wait(const char* program) {
  if (!vx_io_exists(program, VX_IO_ON_DISK)) return 0;
  int code = -1;
  if (!start_program(program, 1, &code)) return -1;
  return code;
}

int vx_io_run(const char* program) {
  int code = 0;
  return vx_io_exists(program, VX_IO_ON_DISK) && start_program(program, 0, &code) ? 1 : 0;
}
