// The resource archive format ("resource.dat"): records, the table-of-contents walk and the writer used by respack.
//
// Layout of an archive, all numbers little-endian:
//
//   [data of every entry]   each byte stored XOR the entry's data_key;
//                           respack writes them back to back from offset 0
//   [table of contents]     from toc_offset to the trailer, each byte stored
//                           XOR toc_key; after decoding, `count` entries of
//                             name_a  zero-terminated path, `\` separators
//                             name_b  zero-terminated second name ("" = none)
//                             VX_IO_ARCHIVE_RECORD (13 bytes)
//   [VX_IO_ARCHIVE_TRAILER] the last 13 bytes of the file
//
// An open request matches an entry when the upper-cased request equals
// either name (names are upper-cased, a-z only, when the table is loaded);
// the first matching entry in table order wins. Bytes of the table after the
// last entry are ignored.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>

constexpr uint32_t VX_IO_ARCHIVE_MAGIC = 0xBABEFACEu;

#pragma pack(push, 1)
struct VX_IO_ARCHIVE_RECORD {
  uint32_t offset;  // absolute position of the entry's data in the archive
  uint32_t size;    // bytes of data
  uint32_t crc;     // CRC-32 of the decoded data; written by respack, never read by the file layer
  uint8_t data_key;
};
struct VX_IO_ARCHIVE_TRAILER {
  uint32_t magic;       // VX_IO_ARCHIVE_MAGIC
  uint32_t toc_offset;  // where the table of contents starts
  uint32_t count;       // entries in the table
  uint8_t toc_key;
};
#pragma pack(pop)
static_assert(sizeof(VX_IO_ARCHIVE_RECORD) == 13, "archive record is 13 bytes on disk");
static_assert(sizeof(VX_IO_ARCHIVE_TRAILER) == 13, "archive trailer is 13 bytes on disk");
static_assert(offsetof(VX_IO_ARCHIVE_RECORD, data_key) == 12);
static_assert(offsetof(VX_IO_ARCHIVE_TRAILER, toc_key) == 12);

// Smallest table entry: two empty names and a record.
constexpr size_t VX_IO_ARCHIVE_MIN_ENTRY = 2 + sizeof(VX_IO_ARCHIVE_RECORD);

// One entry of the in-memory entry table: references into the decoded table
// of contents. The table ends with an all-null entry.
struct VX_IO_ARCHIVE_REF {
  const char* name_a;
  const char* name_b;
  const uint8_t* record;  // 13 bytes in file order; read with vx_io_archive_record
};

// Decodes a trailer or a record from its bytes in file order.
VX_IO_ARCHIVE_TRAILER vx_io_archive_trailer(const uint8_t* bytes);
VX_IO_ARCHIVE_RECORD vx_io_archive_record(const uint8_t* bytes);

// Walks `count` entries of a decoded table of `toc_size` bytes, upper-cases
// both names in place and fills refs[0..count-1] (the caller zeroes
// refs[count]). Every name must end inside the table and every record must
// fit in it; every entry's data must lie inside [0, data_end). 1 when the
// whole table is sound, else 0 (refs then hold no meaning).
int vx_io_archive_walk(uint8_t* toc, size_t toc_size, uint32_t count, uint64_t data_end, VX_IO_ARCHIVE_REF* refs);

// Upper-cases a-z in place (the archive's name rule; other bytes stay).
void vx_io_archive_upper(char* name);

// CRC-32 (IEEE 802.3, reflected, initial and final XOR 0xFFFFFFFF); pass the
// previous result as `crc` to continue, 0 to start.
uint32_t vx_io_crc32(uint32_t crc, const uint8_t* data, size_t size);

// ---------------------------------------------------------------- writing
// One file to pack: both names as they will be stored (respack uses the path
// relative to the packed folder with `\` separators, and "" for name_b).
struct VX_IO_PACK_ITEM {
  const char* name_a;
  const char* name_b;
  const char* source;  // OS path of the file whose bytes are packed
  uint8_t data_key;
};

// Writes an archive of `count` items to `out` (opened "wb"), data first,
// then the coded table and the trailer. Sizes past 4 GiB fail. 1 or 0.
int vx_io_archive_write(FILE* out, const VX_IO_PACK_ITEM* items, uint32_t count, uint8_t toc_key);

// respack's packer: every regular file under the OS folder `folder`, in
// byte order of their `\`-separated relative names, is packed into the OS
// path `archive` with per-file data keys and a table key drawn from a
// generator seeded with `seed` (equal seeds give equal archives). Keys are
// never 0. Returns the number of files packed, or -1 on failure.
long vx_io_archive_pack_folder(const char* folder, const char* archive, uint64_t seed);
