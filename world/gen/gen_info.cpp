// gen_info: the error and history logs of the gen layer, written through the file layer.
#include "world/gen/gen_info.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "platform/platform.h"
#include "world/gen/gen_str.h"

namespace {

constexpr const char* kBufferName = "gen_info_buffer (use gen_info_deinit)";
constexpr char kDashes[] = "---------------------------------------------------------------";
static_assert(sizeof kDashes - 1 == 63, "the error entry's dash line");

constexpr int kError = 0;
constexpr int kHistory = 1;

struct Log {
  char path[VX_IO_PATH_MAX];
  int written;  // 1 once the file was written in this run: later writes append
};

struct {
  char* buffer;  // the format buffer, a tracked block
  size_t size;
  char fallback[256];  // used when the buffer cannot be made
  int paths_known;
  Log logs[2];
  int history_off;  // the switch, stored inverted so that zeroed state means on
} info;

// Formats into the growing buffer; falls back to a fixed one when memory runs out.
const char* vformat(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  int n = gen_str_vformat(&info.buffer, &info.size, kBufferName, format, copy);
  va_end(copy);
  if (n >= 0) return info.buffer;
  if (info.buffer && info.buffer[0]) return info.buffer;  // cut, but something
  std::vsnprintf(info.fallback, sizeof info.fallback, format, args);
  return info.fallback;
}

// The folder where the file layer writes the bare name, plus the name; a
// loose copy that the file layer finds is removed first.
void fix_path(Log* log, const char* name) {
  char folder[VX_IO_PATH_MAX];
  folder[0] = 0;
  vx_io_write_folder(name, folder, sizeof folder);
  if (vx_io_exists(name, VX_IO_ON_DISK)) vx_io_remove(name);
  std::snprintf(log->path, sizeof log->path, "%s%s", folder, name);
}

void fix_paths() {
  if (info.paths_known) return;
  fix_path(&info.logs[kError], GEN_INFO_ERROR_FILE);
  fix_path(&info.logs[kHistory], GEN_INFO_HISTORY_FILE);
  info.paths_known = 1;
}

VX_IO_FILE* open_log(Log* log) {
  VX_IO_FILE* f = vx_io_fopen(log->path, log->written ? "a" : "w");
  if (f) log->written = 1;
  return f;
}

int write_error_entry(const char* message) {
  fix_paths();
  VX_IO_FILE* f = open_log(&info.logs[kError]);
  if (!f) return 0;
  int ok = vx_io_fputs("* * * E R R O R ! * * *\n", f) >= 0;
  ok &= vx_io_fputs(kDashes, f) >= 0 && vx_io_fputs("\n", f) >= 0;
  ok &= vx_io_fputs(message, f) >= 0 && vx_io_fputs("\n", f) >= 0;
  ok &= vx_io_fputs(GEN_INFO_NO_CALL_STACK, f) >= 0 && vx_io_fputs("\n", f) >= 0;
  ok &= vx_io_fputs(kDashes, f) >= 0 && vx_io_fputs("\n", f) >= 0;
  ok &= vx_io_fclose(f) == 0;
  return ok;
}

}  // namespace

void gen_error(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const char* message = vformat(format ? format : "", args);
  va_end(args);
  // The entry may not reach its file (a read-only per-user folder): the
  // message also goes to standard error, and the run ends as a failure.
  write_error_entry(message);
  std::fprintf(stderr, "Error: %s\n", message);
  std::fflush(stderr);
  plat_exit(1);
}

int gen_info_error_write(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const char* message = vformat(format ? format : "", args);
  va_end(args);
  return write_error_entry(message);
}

void gen_history(const char* format, ...) {
  if (info.history_off || !format) return;
  va_list args;
  va_start(args, format);
  const char* text = vformat(format, args);
  va_end(args);
  fix_paths();
  Log* log = &info.logs[kHistory];
  VX_IO_FILE* f = open_log(log);
  if (!f) gen_error("gen_history: cant create or modify history file: %s", log->path);
  vx_io_fputs(text, f);
  vx_io_fclose(f);
}

void gen_info_history_set(int on) { info.history_off = on ? 0 : 1; }
int gen_info_history_on() { return info.history_off ? 0 : 1; }

int gen_info_log_path(int which, char* out, int size) {
  if ((which != kError && which != kHistory) || !out || size < 1) return 0;
  fix_paths();
  const char* path = info.logs[which].path;
  if (std::strlen(path) + 1 > size_t(size)) return 0;
  std::memcpy(out, path, std::strlen(path) + 1);
  return 1;
}

void gen_info_deinit() {
  if (info.buffer) vx_mem_free(info.buffer);
  const int history_off = info.history_off;
  info = {};
  info.history_off = history_off;
}
