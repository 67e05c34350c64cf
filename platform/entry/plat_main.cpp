// The game executable's main(): the arguments become one Windows-style
// command line, handed to game_main with the normal show state.
#include <cstring>
#include <string>
#include "platform/plat_gl.h"
#include "platform/platform.h"

// Arguments after the program name, joined by single spaces; an argument
// with a space in it (or an empty one) is wrapped in double quotes.
static std::string join_arguments(int argc, char** argv) {
  std::string line;
  for (int i = 1; i < argc; i++) {
    if (i > 1) line += ' ';
    const char* arg = argv[i];
    bool quote = arg[0] == 0 || std::strchr(arg, ' ') != nullptr;
    if (quote) line += '"';
    line += arg;
    if (quote) line += '"';
  }
  return line;
}

int main(int argc, char** argv) {
  // The GL libraries load beside the start-up instead of inside it.
  plat_gl_preload();
  std::string command_line = join_arguments(argc, argv);
  const int code = game_main(nullptr, command_line.c_str(), 1);
  // A quick end (a second instance, a refused start) may come while the
  // libraries are still loading.
  plat_gl_preload_wait();
  return code;
}
