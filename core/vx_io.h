// The file layer: tracked file handles over the resource archive and loose files, whole-file and folder operations.
//
// Names use `\` as the folder separator (a name with '/' still works but
// raises VX_IO_SLASH_IN_PATH); loose files are opened with `\` turned into
// '/', and a name missing as written is looked up without regard to the
// case of a-z. Open order: the archive, then (bare names only) the prefix
// folder, then the name as given, relative to the current folder.
//
// The prefix folder is the removable-application data folder (environment
// variable U3_APP_DATA_PATH plus `\`) when set, else the per-user folder
// "<user data root>\Harrowby\<Title>\" once vx_io_user_folder_prepare ran.
// Folders handed out by this layer use `\` and end with `\`.
//
// Every failure is raised through the error module as module "File I/O"
// (codes below) and shown only in debug mode, except the missing archive at
// start and writes into the archive, which are always shown.
#pragma once
#include <cstddef>

struct VX_IO_FILE;  // opaque; live from vx_io_fopen to vx_io_fclose

// Kept by pointer while the layer runs; the caller keeps it alive.
struct VX_IO_SETTINGS {
  int debug;                  // non-zero shows this module's errors
  const char* resource;       // archive name ("resource.dat"), or null/"" for none
  const char* settings_file;  // the INIFile name, or null until known
};

// Error codes of module "File I/O" (positions in its message table).
enum VX_IO_ERROR {
  VX_IO_MALLOC_FAILED = 0,
  VX_IO_OPEN_FAILED = 1,
  VX_IO_WRITE_FAILED = 2,
  VX_IO_READ_FAILED = 3,
  VX_IO_CLOSE_FAILED = 4,
  VX_IO_RENAME_FAILED = 5,
  VX_IO_REMOVE_FAILED = 6,
  VX_IO_NULL_HANDLE = 7,
  VX_IO_FILES_LEFT_OPEN = 8,
  VX_IO_RESOURCE_INIT = 9,
  VX_IO_RESOURCE_MEMORY = 10,
  VX_IO_RESOURCE_OPEN = 11,
  VX_IO_INI_NO_SECTION = 13,
  VX_IO_INI_NO_KEY = 14,
  VX_IO_INI_TOO_LONG = 15,
  VX_IO_NO_MEMORY = 16,
  VX_IO_BUFFER_SMALL = 17,
  VX_IO_BAD_MODE = 18,
  VX_IO_READ_ONLY = 19,
  VX_IO_WRITE_ONLY = 20,
  VX_IO_INI_NULL_NAME = 21,
  VX_IO_INI_ALREADY_OPEN = 22,
  VX_IO_INI_NOT_OPEN = 23,
  VX_IO_RESOURCE_PAST_END = 24,
  VX_IO_RESOURCE_WRITE = 25,
  VX_IO_PATH_TOO_LONG = 26,
  VX_IO_SLASH_IN_PATH = 27,
};

// Longest path the layer composes, terminator included.
constexpr int VX_IO_PATH_MAX = 1024;

// Access bits of a handle.
constexpr unsigned VX_IO_READABLE = 1;
constexpr unsigned VX_IO_WRITABLE = 2;

// `where` bits of vx_io_exists and vx_io_copy.
constexpr int VX_IO_THROUGH_OPEN = 1;  // through vx_io_fopen: the archive first
constexpr int VX_IO_ON_DISK = 2;       // loose files only: prefix folder, then as named
constexpr int VX_IO_WHOLE = 4;         // vx_io_copy only: the copy replaces the destination once whole

// ---------------------------------------------------------------- start and stop
// Registers "File I/O", records the start folder (the current folder) and
// the removable-application folder, then opens the archive when one is
// named. 1, or 0 when the archive could not be opened or is not sound; the
// layer runs from loose files in that case. Also installs
// vx_io_write_stat as the memory tracker's statistics writer.
int vx_io_init(const VX_IO_SETTINGS* settings);
// Reports and closes files left open, drops the string-file cache and the
// archive tables. Files can still be opened afterwards (loose only, no
// prefix folder except "..\Data\" when a removable folder was in use) and
// vx_io_settings_path keeps its answer.
void vx_io_deinit();
int vx_io_running();

// ---------------------------------------------------------------- streams
// `mode` as the standard fopen's ("r", "rb", "w", "wt", "r+t", "a"...). For
// an archived file every mode with 'w' opens the archive "r+b": it is never
// truncated and every write through the handle is refused.
VX_IO_FILE* vx_io_fopen(const char* name, const char* mode);
// 0, or the stream's error result; -1 for a null or unknown handle.
int vx_io_fclose(VX_IO_FILE* handle);
// Items read; archived reads stop at the entry's end (whole items only).
size_t vx_io_fread(void* buffer, size_t size, size_t count, VX_IO_FILE* handle);
int vx_io_fgetc(VX_IO_FILE* handle);  // byte 0-255, or -1 at the end
// Reads one line of at most size - 1 bytes into `buffer` (size bytes) with
// its line end removed. Loose files: the standard line read (lines end at
// LF), then every trailing CR and LF goes. Archived files: CR LF, LF CR, LF
// and CR all end a line. Returns `buffer`, or null at the end of the file.
char* vx_io_fgets(char* buffer, int size, VX_IO_FILE* handle);
// As the standard line read: the line end (LF) is kept. For the string-file
// writer's copy of lines.
char* vx_io_fgets_keep(char* buffer, int size, VX_IO_FILE* handle);
// Writes: as the standard functions for loose files; refused with -1 for
// archived files (always shown).
long vx_io_fwrite(const void* buffer, size_t size, size_t count, VX_IO_FILE* handle);
int vx_io_fputc(int c, VX_IO_FILE* handle);
int vx_io_fputs(const char* text, VX_IO_FILE* handle);
// origin: SEEK_SET, SEEK_CUR, SEEK_END; archived files seek inside their
// entry (set and end relative to it). 0, or -1 (position unchanged).
int vx_io_fseek(VX_IO_FILE* handle, long offset, int origin);
long vx_io_ftell(VX_IO_FILE* handle);  // relative to the entry's start when archived
int vx_io_feof(VX_IO_FILE* handle);    // archived: 1 once the position reaches the entry's size
void vx_io_rewind(VX_IO_FILE* handle);
int vx_io_flush(VX_IO_FILE* handle);  // -1 without the writable bit

// What a handle is: the name as the caller gave it, the full path used when
// a prefix folder was put in front of it (or null), the 1-based archive
// entry (0 for a loose file) and the access bits.
const char* vx_io_file_name(const VX_IO_FILE* handle);
const char* vx_io_file_path(const VX_IO_FILE* handle);
unsigned vx_io_file_entry(const VX_IO_FILE* handle);
unsigned vx_io_file_access(const VX_IO_FILE* handle);

// ---------------------------------------------------------------- whole files
// Bits: with VX_IO_THROUGH_OPEN, 1 when found in the archive, 2 when found
// loose; with VX_IO_ON_DISK, 2 more when on disk (prefix folder, then as
// named). 0: not found. Never reports a failed open.
int vx_io_exists(const char* name, int where);
// Copies `source` (read as `where` says; VX_IO_ON_DISK also falls back to
// the archive) to `destination`, created in the prefix folder for a bare
// name when there is one, else as named. With VX_IO_WHOLE the copy goes
// through vx_io_write_whole instead (a bare destination in its folder), so
// a cut copy never stands in the destination's place. 1 or 0.
int vx_io_copy(const char* destination, const char* source, int where);
// Writes `file` anew without ever opening it for writing: `fill` writes the
// whole content into file + ".new" (opened with `mode`), which is flushed,
// put on the disk and only then renamed over `file`. A kill, a crash or a
// full disk thus leaves the old file or the new one, never a part. A bare
// name lives in the folder vx_io_write_folder gives. When `fill` returns 0
// or a step fails, ".new" is removed, `file` is as it was and a line in
// Warning.txt of the per-user folder (the current folder while there is
// none) says so. 1 or 0.
using VX_IO_FILL = int (*)(VX_IO_FILE* out, void* user);
int vx_io_write_whole(const char* file, const char* mode, VX_IO_FILL fill, void* user);
// The whole file in a new block from the memory tracker (named after the
// file, one zero byte added after the data); *size_out = bytes. Null on failure.
void* vx_io_load(const char* name, long* size_out);
int vx_io_save(const char* name, const void* data, long size);  // 1 or 0
// Deletes a loose file (the one an open for reading finds). 0 when done, or
// when the file is archived or missing; the delete's error result otherwise.
int vx_io_remove(const char* name);

// ---------------------------------------------------------------- folders and programs
// Folder part of `path`: up to and including its last `\`, ':' or '/'.
// Its length, 0 (out empty) when there is none or it is the first
// character, -1 (out empty) when it does not fit in `size` bytes.
int vx_io_fgetdir(const char* path, char* out, int size);
// Starts `program` from its own folder (made the current folder, not
// restored) and waits: its exit status; 0 when it is not on disk, -1 when
// it could not start.
int vx_io_run_wait(const char* program);
int vx_io_run(const char* program);               // without waiting: 1 when started, else 0
int vx_io_get_start_folder(char* out, int size);  // 1, or 0 when it does not fit
int vx_io_set_current_folder(const char* path);   // 1 or 0
// The folder where a user file named `name` is written, into `out` (`size`
// bytes). Result 1 with a folder (ending in `\`) for a bare name: the start
// folder when the file is only in the archive, else the prefix folder, else
// the start folder. Result 0 with `name` itself copied when it has a folder part.
int vx_io_write_folder(const char* name, char* out, int size);
// Creates "<user data root>\Harrowby\<title>\" (", &, ', *, :, ?, \, / and
// the backtick in `title` become '_') and makes "<that folder><settings_file>"
// the settings path. 1, or 0 when there is no user data root (the settings
// path is then `settings_file` itself).
int vx_io_user_folder_prepare(const char* settings_file, const char* title);
const char* vx_io_user_folder();  // "" when none was prepared
// Full path of the per-user settings file; keeps answering after vx_io_deinit.
// "" when no settings file is known.
const char* vx_io_settings_path();
// The OS path (with '/', case resolved) that an open of a loose file named
// `name` would use, without the prefix folder. 1 when the file exists.
int vx_io_os_path(const char* name, char* out, int size);

// ---------------------------------------------------------------- counters and reports
// Bytes delivered by reads through the layer (line ends included).
long long vx_io_bytes_read();
void vx_io_set_bytes_read(long long n);
int vx_io_open_count();
int vx_io_resource_count();  // entries of the loaded archive, 0 without one
// First name (upper-cased) of entry `i` (0-based) of the loaded archive, or null.
const char* vx_io_resource_entry_name(int i);
// Raises `code` of "File I/O" with a detail line, shown in debug mode or
// when `always` is set. For the string-file module.
void vx_io_error(int code, int always, const char* detail_format, ...) __attribute__((format(printf, 3, 4)));
int vx_io_debug();  // the debug switch while the layer runs, else 0
// The memory tracker's statistics writer: sets `key` in `section` of the
// settings file to the number. Does nothing while no settings file is known.
void vx_io_write_stat(const char* section, const char* key, long long value);
