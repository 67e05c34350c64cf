// Writing bitmaps to TGA and PCX files, and the numbered snapshot names.
#pragma once
#include <cstddef>
#include <cstdint>

#include "display/vx_bit.h"

constexpr uint32_t VX_BIT_SAVE_DIRECT = 128;  // write the bitmap itself even while the 3D back end is active

// Writes `rect` of `bitmap` (clipped to it; null: all of it) to `file_name`
// through the file layer: 15/16 bits as an uncompressed 16-bit TGA in
// 5-5-5 (16-bit words are unpacked from the screen's packing), 24 and 32
// bits as uncompressed TGA (blue, green, red[, alpha] bytes), all bottom
// row first; 8 and 4 bits as run-length PCX of 8-bit indices followed by
// the 768-byte palette (the bitmap's, else for the virtual screen the
// screen's, else a grey ramp). While the 3D back end is active and flags
// lack VX_BIT_SAVE_DIRECT, the 3D table's save operation is called instead
// (it writes the screen at its next display update). 1, or 0 when there is
// nothing to write, the depth is not one of these, or the file cannot be
// opened or written.
int vx_bit_save(VX_BITMAP* bitmap, const char* file_name, const VX_RECT* rect, uint32_t flags);

// Where snapshots go, in file-layer notation with a trailing '\\': the
// current folder (".\\") when this user may write there, else the per-user
// folder (an installed game runs in its read-only data folder). 1, or 0
// when `out` is too small.
int vx_bit_snapshot_folder(char* out, size_t size);
// The first free snapshot name in `folder` (file-layer notation, ending in
// '\\'), as vx_bit_snapshot_name below does for the current folder.
int vx_bit_snapshot_name_in(const char* folder, char* out, size_t size, int tga);

// The first free snapshot name in the current folder: "Snap%04d.tga" (tga
// non-zero) or "Snap%04d.pcx", numbers 0 to 9999, written to `out`. 1, or 0
// after the box "Sorry, there are already 10000 snapshots in this
// directory. ..." when every name is taken (or `out` is too small).
int vx_bit_snapshot_name(char* out, size_t size, int tga);

// The snapshot (F9): with the 3D back end (vendor and renderer given, the
// back end's names) an "SGI" vendor with a "Generic" renderer gets its box
// and nothing is written; otherwise `screen` is saved under the first free
// name (TGA when `tga`, else PCX) in vx_bit_snapshot_folder; one saved in
// the per-user folder is named in a line of Warning.txt. 1 when written.
int vx_bit_snapshot(VX_BITMAP* screen, int tga, const char* vendor, const char* renderer);
