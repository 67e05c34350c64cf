// Shared fixture of the file-layer tests: a private temporary folder as current folder and user data root, boxes recorded, archives built by hand.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "core/vx_error.h"
#include "core/vx_io.h"
#include "core/vx_io_archive.h"
#include "core/vx_io_ini.h"
#include "core/vx_mem.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/temp_folder.h"

namespace io_test {

namespace fs = std::filesystem;


inline std::vector<std::string>& boxes() { return support::box_log(); }

// Reports shown in "Alert" boxes since the last clear.
inline int alerts() {
  int n = 0;
  for (const std::string& b : boxes())
    if (b.rfind("Alert|", 0) == 0) n++;
  return n;
}

// One archive entry for make_archive; the bytes are given plain.
struct Entry {
  std::string name_a, name_b;
  std::string data;
  uint8_t key;
};

inline void put32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; i++) s.push_back(static_cast<char>(v >> (8 * i)));
}

// Builds an archive by the documented layout, written here independently of
// the packer: coded data back to back, coded table, 13-byte trailer.
inline std::string make_archive(const std::vector<Entry>& entries, uint8_t toc_key = 0x5A) {
  std::string data, toc;
  for (const Entry& e : entries) {
    uint32_t offset = static_cast<uint32_t>(data.size());
    for (char c : e.data) data.push_back(static_cast<char>(c ^ e.key));
    toc += e.name_a;
    toc.push_back(0);
    toc += e.name_b;
    toc.push_back(0);
    put32(toc, offset);
    put32(toc, static_cast<uint32_t>(e.data.size()));
    put32(toc, 0);
    toc.push_back(static_cast<char>(e.key));
  }
  for (char& c : toc) c = static_cast<char>(c ^ toc_key);
  std::string out = data + toc;
  put32(out, VX_IO_ARCHIVE_MAGIC);
  put32(out, static_cast<uint32_t>(data.size()));
  put32(out, static_cast<uint32_t>(entries.size()));
  out.push_back(static_cast<char>(toc_key));
  return out;
}

class IoFixture : public ::testing::Test {
 protected:
  support::TempFolder tmp;  // the current folder and the user data root
  VX_IO_SETTINGS settings{0, nullptr, nullptr};

  void SetUp() override {
    static const VX_ERROR_SETTINGS error_settings{0};  // the error module keeps the pointer
    vx_error_init(&error_settings);
    vx_error_set_box(support::record_box);
    boxes().clear();
  }

  void TearDown() override {
    vx_io_ini_set_mode(nullptr, QUIET_KEY_OFF);
    vx_io_ini_set_mode(nullptr, QUIET_SECTION_OFF);
    vx_io_deinit();
    vx_mem_set_stats_writer(nullptr);
    vx_error_set_box(nullptr);
  }

  // Starts the layer; `resource` may be null.
  int start(const char* resource = nullptr, int debug = 0) {
    settings = {debug, resource, nullptr};
    return vx_io_init(&settings);
  }

  // Files relative to the current folder (tmp.path / "run") unless absolute.
  static void write(const fs::path& p, const std::string& bytes) { support::TempFolder::write(p, bytes); }
  static std::string read(const fs::path& p) { return support::TempFolder::read(p); }

  int code() const { return vx_error_current_code(); }
  std::string module() const { return vx_error_module_name(vx_error_current_module()); }
  // Makes the current error something no file-layer call raises.
  static void clear_code() { vx_error_set(0, 99); }
};

}  // namespace io_test
