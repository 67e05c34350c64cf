// Fuzz target: the string-file reader (plain and keep-open) and writer over an arbitrary file.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_io_ini.h"
#include "platform/platform.h"
#include "tests/fuzz/fuzz_engine.h"

static void start_once() { fuzz_engine_start("fuzz_ini"); }

// The first "[name]" of the input and the first "key=" after it, so that
// mutations reach the matching paths and not only the misses.
static void names_from(const uint8_t* data, size_t size, std::string* section, std::string* key) {
  std::string s(reinterpret_cast<const char*>(data), size < 4096 ? size : 4096);
  size_t open = s.find('[');
  size_t close = open == std::string::npos ? open : s.find(']', open);
  if (close != std::string::npos && close - open < 64) *section = s.substr(open + 1, close - open - 1);
  size_t line = close == std::string::npos ? close : s.find('\n', close);
  size_t eq = line == std::string::npos ? line : s.find('=', line);
  if (eq != std::string::npos && eq - line < 64) *key = s.substr(line + 1, eq - line - 1);
}

static void reads(const char* section, const char* key) {
  char buf[300];
  for (int size : {0, 1, 3, 299}) vx_io_ini_get_string(section, key, buf, size, "fuzz.ini");
  int i;
  float f;
  vx_io_ini_get_int(section, key, &i, "fuzz.ini");
  vx_io_ini_get_float(section, key, &f, "fuzz.ini");
  vx_io_ini_get_string("Sound", "Volume", buf, 299, "fuzz.ini");
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  start_once();
  FILE* out = std::fopen("fuzz.ini", "wb");
  if (!out) return 0;
  if (size) std::fwrite(data, 1, size, out);
  std::fclose(out);
  std::string section = "Application", key = "Title";
  names_from(data, size, &section, &key);
  reads(section.c_str(), key.c_str());
  if (vx_io_ini_set_mode("fuzz.ini", KEEP_OPEN)) {
    reads(section.c_str(), key.c_str());
    reads("Other", key.c_str());
    reads(section.c_str(), "Missing");
    vx_io_ini_set_mode("fuzz.ini", KEEP_CLOSE);
  }
  vx_io_ini_set_string(section.c_str(), key.c_str(), "value", "fuzz.ini");
  vx_io_ini_set_string("Sound", "Volume", "80", "fuzz.ini");
  reads(section.c_str(), key.c_str());
  return 0;
}
