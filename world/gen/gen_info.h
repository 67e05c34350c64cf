// gen_info: the gen layer's logs: the fatal error file error.txt and the history file history.txt.
//
// Both files live in the folder where the file layer writes user files
// (the per-user folder once it is prepared, else the start folder). The
// first write of a run replaces a file, later writes of the run append.
#pragma once
#include <cstddef>

constexpr const char* GEN_INFO_ERROR_FILE = "error.txt";
constexpr const char* GEN_INFO_HISTORY_FILE = "history.txt";
// What the error entry says where a call stack would go.
constexpr const char* GEN_INFO_NO_CALL_STACK = "CallStack Disabled in this version";

// Writes the error entry (below) to error.txt, the message to standard
// error ("Error: " and the message) and ends the program with exit code 1,
// also when error.txt cannot be opened.
[[noreturn]] void gen_error(const char* format, ...) __attribute__((format(printf, 1, 2)));
// The writing half of gen_error, without the end: appends one entry to
// error.txt (replacing the file on the first write of the run):
//   "* * * E R R O R ! * * *\n", 63 dashes and "\n", the message and "\n",
//   GEN_INFO_NO_CALL_STACK and "\n", the dash line again.
// 1, or 0 when the file cannot be opened or written.
int gen_info_error_write(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Appends the formatted text to history.txt while the history is on. A file
// that cannot be opened ends the program through gen_error ("gen_history:
// cant create or modify history file: %s", the path).
void gen_history(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The history switch; on at start.
void gen_info_history_set(int on);
int gen_info_history_on();

// The full name (as the file layer takes it) of error.txt (which 0) or
// history.txt (which 1), fixing the log paths when not done yet: the first
// time, a loose copy of each file that the file layer finds is removed.
// 1, or 0 for another `which` or a path that does not fit.
int gen_info_log_path(int which, char* out, int size);

// Frees the format buffer ("gen_info_buffer (use gen_info_deinit)") and
// forgets the paths and the first-write marks: the next write starts a new run.
void gen_info_deinit();
