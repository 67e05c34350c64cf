// File-layer paths: `\` names turned into OS paths, and case-blind lookup with a cache of folder listings.
//
// Names inside the system use `\` as the separator, as the data and the
// archive do. The data were made for a case-blind file system, so when an
// OS path does not exist as written, it is looked up again one folder level
// at a time, comparing names without regard to the case of a-z.
#pragma once
#include <cstddef>

// Copies `name` into `out` (`size` bytes) with every `\` turned into '/'.
// 1, or 0 (out emptied) when it does not fit.
int vx_io_path_to_os(const char* name, char* out, size_t size);
// The reverse, for folders handed in by the platform: '/' becomes `\`.
int vx_io_path_from_os(const char* os_path, char* out, size_t size);

// Finds the real path of `os_path`. Result 1: it exists (as written or
// under other case); `out` holds the real path. With `create` set, a path
// whose last part does not exist but whose folder does (under any case)
// gives 2 and `out` = the real folder + the last part as written. Otherwise
// 0 and `out` holds `os_path` as written. `out` must hold `size` bytes.
int vx_io_path_resolve(const char* os_path, int create, char* out, size_t size);

// Drops the cached listing of the folder that holds `os_path` (called when
// the layer creates or removes a file there).
void vx_io_path_forget_folder_of(const char* os_path);
// Drops every cached listing.
void vx_io_path_forget_all();
// Folder listings read since the last vx_io_path_forget_all (for tests).
int vx_io_path_listings_read();
