// respack: packs a folder tree into a resource archive, lists one, extracts or verifies files through the file layer.
//
//   respack pack FOLDER ARCHIVE [--seed N]   every file under FOLDER, named by its
//                                            path inside it with `\` separators
//   respack list ARCHIVE                     size, CRC-32, offset and names of each entry
//   respack extract ARCHIVE NAME OUTPUT      reads NAME through the file layer
//   respack verify ARCHIVE                   reads every entry through the file layer
//                                            and checks its CRC-32
//
// Without --seed the data and table keys come from the system's random
// source; with it, equal inputs give byte-identical archives.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_io_archive.h"

static int usage() {
  std::fprintf(stderr,
               "usage: respack pack FOLDER ARCHIVE [--seed N]\n"
               "       respack list ARCHIVE\n"
               "       respack extract ARCHIVE NAME OUTPUT\n"
               "       respack verify ARCHIVE\n");
  return 2;
}

// The whole archive file in memory, its trailer checked and its table decoded.
struct ARCHIVE {
  std::vector<uint8_t> bytes;
  std::vector<VX_IO_ARCHIVE_REF> refs;
};

static int read_archive(const char* path, ARCHIVE* a) {
  FILE* f = std::fopen(path, "rb");
  if (!f) {
    std::fprintf(stderr, "respack: cannot open %s\n", path);
    return 0;
  }
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) a->bytes.insert(a->bytes.end(), buf, buf + n);
  std::fclose(f);
  const size_t tsize = sizeof(VX_IO_ARCHIVE_TRAILER);
  if (a->bytes.size() < tsize) return std::fprintf(stderr, "respack: %s is too short\n", path), 0;
  const size_t trailer_at = a->bytes.size() - tsize;
  VX_IO_ARCHIVE_TRAILER t = vx_io_archive_trailer(a->bytes.data() + trailer_at);
  if (t.magic != VX_IO_ARCHIVE_MAGIC || t.toc_offset > trailer_at)
    return std::fprintf(stderr, "respack: %s is not a resource archive\n", path), 0;
  uint8_t* toc = a->bytes.data() + t.toc_offset;
  const size_t toc_size = trailer_at - t.toc_offset;
  for (size_t i = 0; i < toc_size; i++) toc[i] ^= t.toc_key;
  if (t.count > toc_size / VX_IO_ARCHIVE_MIN_ENTRY)
    return std::fprintf(stderr, "respack: %s has a damaged table of contents\n", path), 0;
  a->refs.assign(t.count + 1, VX_IO_ARCHIVE_REF{});
  if (!vx_io_archive_walk(toc, toc_size, t.count, trailer_at, a->refs.data()))
    return std::fprintf(stderr, "respack: %s has a damaged table of contents\n", path), 0;
  a->refs.pop_back();
  return 1;
}

static int cmd_pack(const char* folder, const char* archive, int argc, char** argv) {
  uint64_t seed = std::random_device{}();
  seed = seed << 32 | std::random_device{}();
  for (int i = 0; i < argc; i++) {
    if (!std::strcmp(argv[i], "--seed") && i + 1 < argc)
      seed = std::strtoull(argv[++i], nullptr, 10);
    else
      return usage();
  }
  long n = vx_io_archive_pack_folder(folder, archive, seed);
  if (n < 0) {
    std::fprintf(stderr, "respack: could not pack %s into %s\n", folder, archive);
    return 1;
  }
  std::printf("%ld files packed into %s\n", n, archive);
  return 0;
}

static int cmd_list(const char* archive) {
  ARCHIVE a;
  if (!read_archive(archive, &a)) return 1;
  for (const VX_IO_ARCHIVE_REF& r : a.refs) {
    VX_IO_ARCHIVE_RECORD rec = vx_io_archive_record(r.record);
    std::printf("%10u %08X %10u %s%s%s\n", rec.size, rec.crc, rec.offset, r.name_a, r.name_b[0] ? " " : "", r.name_b);
  }
  return 0;
}

// Starts the file layer over the archive; 1 when its table loaded.
static int start_layer(const char* archive, VX_IO_SETTINGS* settings) {
  static const VX_ERROR_SETTINGS error_settings = {0};
  vx_error_init(&error_settings);
  *settings = {0, archive, nullptr};
  if (!vx_io_init(settings)) {
    std::fprintf(stderr, "respack: the file layer could not load %s\n", archive);
    vx_io_deinit();
    return 0;
  }
  return 1;
}

// Reads one archived file through the file layer; 0 when it is not archived.
static int read_through_layer(const char* name, std::vector<uint8_t>* data) {
  VX_IO_FILE* h = vx_io_fopen(name, "rb");
  if (!h) return 0;
  int archived = vx_io_file_entry(h) != 0;
  uint8_t buf[65536];
  size_t n;
  while ((n = vx_io_fread(buf, 1, sizeof buf, h)) > 0) data->insert(data->end(), buf, buf + n);
  vx_io_fclose(h);
  return archived;
}

static int cmd_extract(const char* archive, const char* name, const char* output) {
  VX_IO_SETTINGS settings;
  if (!start_layer(archive, &settings)) return 1;
  std::vector<uint8_t> data;
  int ok = read_through_layer(name, &data);
  vx_io_deinit();
  if (!ok) {
    std::fprintf(stderr, "respack: %s is not in %s\n", name, archive);
    return 1;
  }
  FILE* out = std::fopen(output, "wb");
  if (!out || std::fwrite(data.data(), 1, data.size(), out) != data.size()) {
    std::fprintf(stderr, "respack: cannot write %s\n", output);
    if (out) std::fclose(out);
    return 1;
  }
  return std::fclose(out) == 0 ? 0 : 1;
}

static int cmd_verify(const char* archive) {
  ARCHIVE a;
  if (!read_archive(archive, &a)) return 1;
  VX_IO_SETTINGS settings;
  if (!start_layer(archive, &settings)) return 1;
  int bad = 0;
  for (const VX_IO_ARCHIVE_REF& r : a.refs) {
    VX_IO_ARCHIVE_RECORD rec = vx_io_archive_record(r.record);
    std::vector<uint8_t> data;
    // The first entry of a name wins, so a later duplicate is not reachable.
    if (!read_through_layer(r.name_a, &data)) {
      std::fprintf(stderr, "respack: %s cannot be opened\n", r.name_a);
      bad++;
    } else if (data.size() == rec.size && vx_io_crc32(0, data.data(), data.size()) != rec.crc) {
      std::fprintf(stderr, "respack: %s does not match its CRC\n", r.name_a);
      bad++;
    }
  }
  vx_io_deinit();
  std::printf("%zu entries, %d bad\n", a.refs.size(), bad);
  return bad ? 1 : 0;
}

int main(int argc, char** argv) {
  if (argc < 3) return usage();
  const std::string cmd = argv[1];
  if (cmd == "pack" && argc >= 4) return cmd_pack(argv[2], argv[3], argc - 4, argv + 4);
  if (cmd == "list" && argc == 3) return cmd_list(argv[2]);
  if (cmd == "extract" && argc == 5) return cmd_extract(argv[2], argv[3], argv[4]);
  if (cmd == "verify" && argc == 3) return cmd_verify(argv[2]);
  return usage();
}
