// The file layer's handle record and module state, shared by its source files (vx_io*.cpp) and nothing else.
#pragma once
#include <cstdint>
#include <cstdio>

#include "core/vx_io.h"
#include "core/vx_io_archive.h"

// One open file. Allocated zeroed by the layer as one block that also holds
// the three texts, linked into the open-file list until vx_io_fclose.
struct VX_IO_FILE {
  FILE* stream;     // the loose file, or the archive positioned inside the entry
  char* name;       // the name exactly as the caller gave it
  char* path;       // the full path opened when a prefix folder was put in front, or null
  char* os_path;    // the OS path opened (loose files only), or null
  int open;         // 1 while open
  unsigned entry;   // 1-based archive entry, 0 for a loose file
  unsigned access;  // VX_IO_READABLE | VX_IO_WRITABLE
  // Archived files: the entry's data start and size in the archive, its
  // data key and the position inside the entry (kept here, not asked of the
  // stream, since the stream is the whole archive).
  uint32_t base;
  uint32_t size;
  uint8_t key;
  long long pos;
  int tracked;  // 1: block from the memory tracker, 0: from the standard allocator
  VX_IO_FILE* prev;
  VX_IO_FILE* next;
};

// Module state of the file layer. Written only by core/vx_io*.cpp.
struct IO_STATE {
  const VX_IO_SETTINGS* settings;  // the caller's, while running
  int running;
  int module = -1;    // number of "File I/O" in the error registry, -1 before
  VX_IO_FILE* files;  // open-file list, newest first
  int open_count;
  char start_folder[VX_IO_PATH_MAX];   // `\` separators, ends with `\`
  char app_folder[VX_IO_PATH_MAX];     // removable-application data folder, or ""
  char user_folder[VX_IO_PATH_MAX];    // per-user folder, or ""
  char settings_file[VX_IO_PATH_MAX];  // INIFile name, or ""
  char settings_path[VX_IO_PATH_MAX];  // built once, kept after shutdown; "" until built
  char archive_os[VX_IO_PATH_MAX];     // absolute OS path of the loaded archive
  uint8_t* toc;                        // decoded table of contents
  VX_IO_ARCHIVE_REF* refs;             // count entries and an all-null one
  uint32_t count;
  long long bytes_read;
};
extern IO_STATE vx_io_state;

// Opens through the archive and then loose files; `report` 0 keeps a failed
// open quiet (used by the existence test).
VX_IO_FILE* vx_io_open_impl(const char* name, const char* mode, int report);
// Opens a loose file only: the prefix folder first for a bare name when
// `use_prefix`, then the name as given. Reports nothing.
VX_IO_FILE* vx_io_open_loose(const char* name, const char* mode, int use_prefix);
int vx_io_is_bare(const char* name);  // no `\` and no '/'
const char* vx_io_prefix_folder();    // removable folder, else per-user folder, else ""
// out = a + b; 0 (code 26 raised, out empty) when it does not fit.
int vx_io_compose(char* out, size_t size, const char* a, const char* b);
// The path a user file named `name` is written to (VX_IO_PATH_MAX bytes):
// in vx_io_write_folder's folder for a bare name, else `name`. 1 or 0.
int vx_io_write_path(const char* name, char* out);
// The OS path of a file in the layer's notation, case resolved; the last
// part may be missing (VX_IO_PATH_MAX bytes). 1 or 0.
int vx_io_os_path_of(const char* name, char* out);
// A write that failed and left `real` as it was: raised, and a line saying
// `why` appended to Warning.txt in the per-user folder.
void vx_io_warn_kept(const char* real, const char* why);
