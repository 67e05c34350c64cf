// The program's own resources: the string table carried inside the executable.
#include "game/game_resources.h"

#include <cstdio>

namespace {

struct StringResource {
  int id;
  const char* text;
};

constexpr StringResource kStrings[] = {
    {GAME_RES_ARCHIVE_NAME, "resource.dat"},
};

}  // namespace

int game_load_string(int id, char* buf, int size) {
  if (!buf || size <= 0) return 0;
  for (const StringResource& s : kStrings) {
    if (s.id != id) continue;
    int n = std::snprintf(buf, static_cast<size_t>(size), "%s", s.text);
    return n < size ? n : size - 1;
  }
  buf[0] = 0;
  return 0;
}
