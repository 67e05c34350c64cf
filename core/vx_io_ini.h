// String files: literal reads and writes of `key=value` lines in `[Section]`s, with a keep-open cache.
//
// The reader is a literal scanner: no comments, no trimming, no quoting,
// case-sensitive names. A section header is a line starting "[Name]"; a key
// line starts "Key="; the value is the rest of the line as it stands. Lines
// come from vx_io_fgets (line ends removed; an archived file also ends a line
// at a lone CR) in pieces of at most VX_IO_INI_LINE characters, each piece
// matched as a line of its own. Lines before the first header never match.
//
// Failures are raised as module "File I/O" (codes in core/vx_io.h), shown
// in the file layer's debug mode only; results carry them in every mode.
// The file layer must be running.
#pragma once

// Modes of vx_io_ini_set_mode.
constexpr int KEEP_OPEN = 1;     // open the file and keep it in the cache
constexpr int KEEP_CLOSE = 2;    // close it and drop its cache entry
constexpr int QUIET_KEY_ON = 4;  // a missing key is not reported
constexpr int QUIET_KEY_OFF = 8;
constexpr int QUIET_SECTION_ON = 16;  // a missing section is not reported
constexpr int QUIET_SECTION_OFF = 32;

constexpr int VX_IO_INI_LINE = 1023;   // longest line piece the reader matches
constexpr int VX_IO_INI_NUMBER = 256;  // characters the number reads take

// Copies the value of `key` in `section` of `file` into `buffer`, which
// holds `size` + 1 bytes; at most `size` characters are delivered (a longer
// value is cut and raises VX_IO_INI_TOO_LONG). Returns the characters
// delivered; on failure the buffer is empty and the result 0. A present
// key with an empty value also gives 0: vx_io_get_status(1) tells them apart.
// With the file in KEEP_OPEN mode the scan goes on from where the previous
// read of the same section stopped, wrapping to the section's start once.
int vx_io_ini_get_string(const char* section, const char* key, char* buffer, int size, const char* file);
// The value with spaces removed at both ends, as a decimal number ("12abc"
// gives 12, "abc" 0). A missing key stores 0. Returns what the string read
// returned.
int vx_io_ini_get_int(const char* section, const char* key, int* out, const char* file);
// As the integer read, scanned with "%f"; a missing key leaves *out alone.
int vx_io_ini_get_float(const char* section, const char* key, float* out, const char* file);

// Sets `key` in `section` to `value`, adding the key, or the section and the
// key, when missing. The file is rewritten from a copy named file + ".bak"
// (made, for a bare name, in the folder where the layer writes user files)
// into file + ".new", which replaces the file only once it is whole on the
// disk; the backup is deleted afterwards. A failed write leaves the file as
// it was and appends a line saying so to Warning.txt in the per-user
// folder. A file held in the archive is never changed (result 0). 1 on
// success, 0 when the file cannot be written.
int vx_io_ini_set_string(const char* section, const char* key, const char* value, const char* file);
// Sets `count` (1 to VX_IO_INI_SET_MAX) distinct keys of one section in a
// single rewrite: the file ends as the same keys set one by one would leave
// it, but it is replaced once, so a reader (or a kill) finds all of them
// old or all of them new. A null value is "". 1 or 0, as for one key.
constexpr int VX_IO_INI_SET_MAX = 256;
int vx_io_ini_set_strings(const char* section, const char* const* keys, const char* const* values, int count,
                          const char* file);
int vx_io_ini_set_int(const char* section, const char* key, int value, const char* file);      // "%d"
int vx_io_ini_set_float(const char* section, const char* key, float value, const char* file);  // "%f"
// 0: every later write is refused with result 0 and touches nothing (an
// instance that leaves the files to another running copy); 1 again allows them.
void vx_io_ini_set_writes(int on);
// Run at start on the settings file (a full path): when `file` + ".bak" is
// there and the file is missing, empty or unreadable, the backup takes its
// place (result 1). 0 otherwise.
int vx_io_ini_recover(const char* file);

// KEEP_OPEN, KEEP_CLOSE or one quiet flag (the quiet modes ignore `file`).
// 1 on success, 0 on failure or for any other mode.
int vx_io_ini_set_mode(const char* file, int mode);
// what = 1: 1 when the latest string read failed, 0 when it delivered a
// value. Any other `what`: 0.
int vx_io_get_status(int what);

// Files in KEEP_OPEN mode now (for tests and the leak report).
int vx_io_ini_cached_count();
// Frees the cache entries; their files were already closed by the file
// layer's shutdown, which calls this.
void vx_io_ini_cache_destroy();
