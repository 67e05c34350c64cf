// Fuzz target of the clip player: any bytes as a clip, played stepwise, looping and by a stepped clock;
// each input runs again with the checksum of every whole page made right, so that mutations reach libtheora.
#include <ogg/ogg.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_mem.h"
#include "world/clip/clip.h"

static uint32_t fake_tick;
static uint32_t fake_ticks() { return fake_tick; }
static const std::string file = std::string(P_tmpdir) + "/fuzz_clip_" + std::to_string(getpid()) + ".ogv";

// Gives every whole page the checksum of its present bytes.
static void repair_checksums(std::vector<uint8_t>& d) {
  for (size_t at = 0; at + 27 <= d.size(); at++) {
    size_t head = 27 + d[at + 26], size = head;
    if (std::memcmp(&d[at], "OggS", 4) || at + head > d.size()) continue;
    for (size_t i = 27; i < head; i++) size += d[at + i];
    if (at + size > d.size()) continue;
    ogg_page page = {&d[at], long(head), &d[at + head], long(size - head)};
    ogg_page_checksum_set(&page);
  }
}

// A failed open and a close leave the record zero, and every block comes back.
static void play(const std::vector<uint8_t>& d) {
  FILE* f = std::fopen(file.c_str(), "wb");
  if (!f || (!d.empty() && std::fwrite(d.data(), 1, d.size(), f) != d.size()) || std::fclose(f)) std::abort();
  const long long used = vx_mem_used();
  static const CLIP zero = {};
  CLIP clip;
  if (Clip_Open(&clip, file.c_str())) {
    if (clip.kind && (!clip.picture.pixels || clip.picture.width < 1 || clip.picture.height < 1)) std::abort();
    clip.loop = 1;
    const int steps = long(clip.picture.width) * clip.picture.height > 65536 ? 2 : 12;  // large frames decode slowly
    for (int i = 0; i < steps && Clip_Step(&clip); i++) fake_tick += 37;
    for (int i = 0; i < steps && Clip_Update(&clip); i++) fake_tick += 37;
  } else if (std::memcmp(&clip, &zero, sizeof clip)) {
    std::abort();
  }
  Clip_Close(&clip);
  if (std::memcmp(&clip, &zero, sizeof clip) || vx_mem_used() != used) std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    vx_error_init(nullptr);
    vx_mem_init(nullptr);
    Clip_Set_Ticks(fake_ticks);
    return !std::atexit([] { std::remove(file.c_str()); });
  }();
  (void)ready;
  const std::vector<uint8_t> d(data, data + size);
  std::vector<uint8_t> repaired = d;
  repair_checksums(repaired);
  play(d);
  if (repaired != d) play(repaired);
  return 0;
}
