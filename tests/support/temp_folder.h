// A private temporary folder for one test: made empty, entered, and made the user's data and runtime folder; everything is put back and removed at the end.
//
// Usage: a member `support::TempFolder tmp;` (or a local) in a test that
// writes files, reads per-user settings or takes the single-instance lock.
// `tmp.path` is the folder; `tmp.sub("name")` a folder inside it (made).
// The environment it sets: XDG_DATA_HOME=<path>/xdg (the user folder
// root), XDG_RUNTIME_DIR=<path> (the instance lock), U3_APP_DATA_PATH
// unset; the current folder is <path>/run unless `enter` is false.
#pragma once
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace support {

namespace fs = std::filesystem;

class TempFolder {
 public:
  fs::path path;

  explicit TempFolder(bool enter = true) {
    static int serial = 0;
    path = fs::temp_directory_path() / ("ps_test_" + std::to_string(getpid()) + "_" + std::to_string(serial++));
    fs::remove_all(path);
    fs::create_directories(path / "run");
    fs::create_directories(path / "xdg");
    save("XDG_DATA_HOME", (path / "xdg").string().c_str(), data_);
    save("XDG_RUNTIME_DIR", path.string().c_str(), runtime_);
    save("U3_APP_DATA_PATH", nullptr, app_data_);
    old_cwd_ = fs::current_path();
    if (enter) fs::current_path(path / "run");
  }
  ~TempFolder() {
    std::error_code ec;
    fs::current_path(old_cwd_, ec);
    restore("XDG_DATA_HOME", data_);
    restore("XDG_RUNTIME_DIR", runtime_);
    restore("U3_APP_DATA_PATH", app_data_);
    fs::remove_all(path, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  // A folder inside, made when missing.
  fs::path sub(const std::string& name) const {
    fs::create_directories(path / name);
    return path / name;
  }

  static void write(const fs::path& file, const std::string& text) {
    if (file.has_parent_path()) fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }
  static std::string read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }

 private:
  struct Saved {
    bool had = false;
    std::string value;
  };
  static void save(const char* name, const char* value, Saved& saved) {
    if (const char* old = std::getenv(name)) saved = {true, old};
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }
  static void restore(const char* name, const Saved& saved) {
    if (saved.had)
      setenv(name, saved.value.c_str(), 1);
    else
      unsetenv(name);
  }
  fs::path old_cwd_;
  Saved data_, runtime_, app_data_;
};

}  // namespace support
