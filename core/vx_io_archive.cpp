// The resource archive format: decoding its records, walking its table of contents, and writing archives for respack.
#include "core/vx_io_archive.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/platform.h"

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);

static uint32_t get_u32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

static void put_u32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

VX_IO_ARCHIVE_TRAILER vx_io_archive_trailer(const uint8_t* bytes) {
  VX_IO_ARCHIVE_TRAILER t;
  t.magic = get_u32(bytes + offsetof(VX_IO_ARCHIVE_TRAILER, magic));
  t.toc_offset = get_u32(bytes + offsetof(VX_IO_ARCHIVE_TRAILER, toc_offset));
  t.count = get_u32(bytes + offsetof(VX_IO_ARCHIVE_TRAILER, count));
  t.toc_key = bytes[offsetof(VX_IO_ARCHIVE_TRAILER, toc_key)];
  return t;
}

VX_IO_ARCHIVE_RECORD vx_io_archive_record(const uint8_t* bytes) {
  VX_IO_ARCHIVE_RECORD r;
  r.offset = get_u32(bytes + offsetof(VX_IO_ARCHIVE_RECORD, offset));
  r.size = get_u32(bytes + offsetof(VX_IO_ARCHIVE_RECORD, size));
  r.crc = get_u32(bytes + offsetof(VX_IO_ARCHIVE_RECORD, crc));
  r.data_key = bytes[offsetof(VX_IO_ARCHIVE_RECORD, data_key)];
  return r;
}

void vx_io_archive_upper(char* name) {
  for (; *name; name++)
    if (*name >= 'a' && *name <= 'z') *name = static_cast<char>(*name - 'a' + 'A');
}

// Takes one zero-terminated name at toc[*pos]; 0 when it runs past the table.
static const char* take_name(uint8_t* toc, size_t toc_size, size_t* pos) {
  if (*pos >= toc_size) return nullptr;
  const void* end = std::memchr(toc + *pos, 0, toc_size - *pos);
  if (!end) return nullptr;
  char* name = reinterpret_cast<char*>(toc + *pos);
  *pos = static_cast<size_t>(static_cast<const uint8_t*>(end) - toc) + 1;
  vx_io_archive_upper(name);
  return name;
}

int vx_io_archive_walk(uint8_t* toc, size_t toc_size, uint32_t count, uint64_t data_end, VX_IO_ARCHIVE_REF* refs) {
  if (!toc && toc_size) return 0;
  // Every entry takes at least 15 bytes, so a larger count cannot be real.
  if (count > toc_size / VX_IO_ARCHIVE_MIN_ENTRY) return 0;
  size_t pos = 0;
  for (uint32_t i = 0; i < count; i++) {
    const char* a = take_name(toc, toc_size, &pos);
    const char* b = a ? take_name(toc, toc_size, &pos) : nullptr;
    if (!b || toc_size - pos < sizeof(VX_IO_ARCHIVE_RECORD)) return 0;
    VX_IO_ARCHIVE_RECORD r = vx_io_archive_record(toc + pos);
    if (static_cast<uint64_t>(r.offset) + r.size > data_end) return 0;
    refs[i] = {a, b, toc + pos};
    pos += sizeof(VX_IO_ARCHIVE_RECORD);
  }
  return 1;
}

static constexpr std::array<uint32_t, 256> crc_table() {
  std::array<uint32_t, 256> t{};
  for (uint32_t i = 0; i < 256; i++) {
    uint32_t c = i;
    for (int k = 0; k < 8; k++) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    t[i] = c;
  }
  return t;
}
static constexpr std::array<uint32_t, 256> CRC_TABLE = crc_table();

uint32_t vx_io_crc32(uint32_t crc, const uint8_t* data, size_t size) {
  crc = ~crc;
  for (size_t i = 0; i < size; i++) crc = CRC_TABLE[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

// ---------------------------------------------------------------- writing

// Copies one source file into the archive, coded; fills its record. 1 or 0.
static int write_data(FILE* out, const VX_IO_PACK_ITEM& item, uint64_t* at, VX_IO_ARCHIVE_RECORD* rec) {
  FILE* in = std::fopen(item.source, "rb");
  if (!in) return 0;
  std::array<uint8_t, 65536> buf;
  uint64_t size = 0;
  uint32_t crc = 0;
  size_t n;
  int ok = 1;
  while (ok && (n = std::fread(buf.data(), 1, buf.size(), in)) > 0) {
    crc = vx_io_crc32(crc, buf.data(), n);
    for (size_t i = 0; i < n; i++) buf[i] ^= item.data_key;
    size += n;
    ok = std::fwrite(buf.data(), 1, n, out) == n && *at + size <= UINT32_MAX;
  }
  if (std::ferror(in)) ok = 0;
  std::fclose(in);
  rec->offset = static_cast<uint32_t>(*at);
  rec->size = static_cast<uint32_t>(size);
  rec->crc = crc;
  rec->data_key = item.data_key;
  *at += size;
  return ok;
}

int vx_io_archive_write(FILE* out, const VX_IO_PACK_ITEM* items, uint32_t count, uint8_t toc_key) {
  if (!out || (count && !items)) return 0;
  std::vector<uint8_t> toc;
  uint64_t at = 0;
  for (uint32_t i = 0; i < count; i++) {
    VX_IO_ARCHIVE_RECORD rec;
    if (!write_data(out, items[i], &at, &rec)) return 0;
    const char* b = items[i].name_b ? items[i].name_b : "";
    toc.insert(toc.end(), items[i].name_a, items[i].name_a + std::strlen(items[i].name_a) + 1);
    toc.insert(toc.end(), b, b + std::strlen(b) + 1);
    uint8_t raw[sizeof(VX_IO_ARCHIVE_RECORD)];
    put_u32(raw + offsetof(VX_IO_ARCHIVE_RECORD, offset), rec.offset);
    put_u32(raw + offsetof(VX_IO_ARCHIVE_RECORD, size), rec.size);
    put_u32(raw + offsetof(VX_IO_ARCHIVE_RECORD, crc), rec.crc);
    raw[offsetof(VX_IO_ARCHIVE_RECORD, data_key)] = rec.data_key;
    toc.insert(toc.end(), raw, raw + sizeof raw);
  }
  if (at + toc.size() + sizeof(VX_IO_ARCHIVE_TRAILER) > UINT32_MAX) return 0;
  for (uint8_t& c : toc) c ^= toc_key;
  uint8_t trailer[sizeof(VX_IO_ARCHIVE_TRAILER)];
  put_u32(trailer + offsetof(VX_IO_ARCHIVE_TRAILER, magic), VX_IO_ARCHIVE_MAGIC);
  put_u32(trailer + offsetof(VX_IO_ARCHIVE_TRAILER, toc_offset), static_cast<uint32_t>(at));
  put_u32(trailer + offsetof(VX_IO_ARCHIVE_TRAILER, count), count);
  trailer[offsetof(VX_IO_ARCHIVE_TRAILER, toc_key)] = toc_key;
  if (!toc.empty() && std::fwrite(toc.data(), 1, toc.size(), out) != toc.size()) return 0;
  return std::fwrite(trailer, 1, sizeof trailer, out) == sizeof trailer;
}

// ---------------------------------------------------------------- packing a folder

struct PACK_WALK {
  std::string os_base;  // OS path of the folder being listed, with '/'
  std::string rel;      // its name inside the archive, "" or ending in `\`
  std::vector<std::string>* names;
  std::vector<std::string> folders;
};

static void on_entry(const char* name, int is_folder, void* user) {
  PACK_WALK* w = static_cast<PACK_WALK*>(user);
  if (is_folder)
    w->folders.push_back(name);
  else if (plat_path_kind((w->os_base + name).c_str()) == 1)
    w->names->push_back(w->rel + name);
}

static int walk_folder(const std::string& os_base, const std::string& rel, std::vector<std::string>* names) {
  PACK_WALK w{os_base, rel, names, {}};
  if (!plat_folder_list(os_base.c_str(), on_entry, &w)) return 0;
  std::sort(w.folders.begin(), w.folders.end());
  for (const std::string& f : w.folders)
    if (!walk_folder(os_base + f + "/", rel + f + "\\", names)) return 0;
  return 1;
}

long vx_io_archive_pack_folder(const char* folder, const char* archive, uint64_t seed) {
  if (!folder || !archive || plat_path_kind(folder) != 2) return -1;
  std::string base = folder;
  if (base.back() != '/') base += '/';
  std::vector<std::string> names;
  if (!walk_folder(base, "", &names)) return -1;
  // An archive written inside the packed folder must not pack an older self.
  std::erase_if(names, [&](const std::string& n) {
    std::string os = base + n;
    std::replace(os.begin(), os.end(), '\\', '/');
    return plat_same_file(os.c_str(), archive);
  });
  std::sort(names.begin(), names.end());
  if (names.size() > UINT32_MAX / VX_IO_ARCHIVE_MIN_ENTRY) return -1;

  std::mt19937_64 rng(seed);
  auto key = [&rng] { return static_cast<uint8_t>(1 + rng() % 255); };
  std::vector<std::string> sources(names.size());
  std::vector<VX_IO_PACK_ITEM> items(names.size());
  for (size_t i = 0; i < names.size(); i++) {
    sources[i] = base + names[i];
    std::replace(sources[i].begin(), sources[i].end(), '\\', '/');
    items[i] = {names[i].c_str(), "", sources[i].c_str(), key()};
  }
  uint8_t toc_key = key();
  FILE* out = std::fopen(archive, "wb");
  if (!out) return -1;
  int ok = vx_io_archive_write(out, items.data(), static_cast<uint32_t>(items.size()), toc_key);
  if (std::fclose(out) != 0) ok = 0;
  if (!ok) {
    std::remove(archive);
    return -1;
  }
  return static_cast<long>(items.size());
}
