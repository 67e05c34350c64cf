// The rolling lines: a plain text file read line by line into blocks of their own.
#include "game/credits.h"

#include <cstring>

#include "core/vx_io.h"
#include "core/vx_mem.h"
#include "world/engine_error.h"

namespace {

struct CreditsState {
  char* lines[CREDITS_MAX];
  int count;
};
CreditsState cs = {};

}  // namespace

int credits_load(const char* path) {
  credits_free();
  VX_IO_FILE* f = path && path[0] ? vx_io_fopen(path, "rt") : nullptr;
  if (!f) {
    Engine_Error("Cannot open credits file");
    return 0;
  }
  char line[CREDITS_LINE_SIZE];
  while (vx_io_fgets(line, sizeof line, f) && line[0]) {
    if (cs.count == CREDITS_MAX) {
      vx_io_fclose(f);
      Engine_Error("MAX_CREDITS exceeded");
      return 0;
    }
    const size_t n = std::strlen(line) + 1;
    char* copy = static_cast<char*>(vx_mem_alloc_named(n, "credit_string"));
    if (!copy) {
      vx_io_fclose(f);
      Engine_Error("Cannot allocate memory for credit_string");
      return 0;
    }
    std::memcpy(copy, line, n);
    cs.lines[cs.count++] = copy;
  }
  vx_io_fclose(f);
  return 1;
}

void credits_free() {
  for (int i = 0; i < cs.count; i++) vx_mem_free(cs.lines[i]);
  cs = CreditsState{};
}

int credits_count() { return cs.count; }

const char* credits_line(int i) { return i >= 0 && i < cs.count ? cs.lines[i] : nullptr; }
