// Case-blind lookup of OS paths for data made on a case-blind file system, with a cache of the folder listings read.
#include "core/vx_io_path.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "platform/platform.h"

// A cached listing: the entries of one folder, in byte order so that when two
// names differ only by case the same one is always chosen.
struct IO_FOLDER {
  std::string path;  // the folder as it was listed ("." for the current one)
  std::vector<std::string> names;
};

// Folders kept at most; the oldest listing is dropped first.
constexpr size_t IO_FOLDERS_MAX = 64;

static struct {
  std::vector<IO_FOLDER> folders;
  int listings_read;
} P;

int vx_io_path_to_os(const char* name, char* out, size_t size) {
  if (!out || !size) return 0;
  size_t n = name ? std::strlen(name) : 0;
  if (n >= size) {
    out[0] = 0;
    return 0;
  }
  for (size_t i = 0; i < n; i++) out[i] = name[i] == '\\' ? '/' : name[i];
  out[n] = 0;
  return 1;
}

int vx_io_path_from_os(const char* os_path, char* out, size_t size) {
  if (!vx_io_path_to_os(os_path, out, size)) return 0;
  for (char* p = out; *p; p++)
    if (*p == '/') *p = '\\';
  return 1;
}

static int same_blind(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return 0;
  for (size_t i = 0; i < a.size(); i++) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return 0;
  }
  return 1;
}

static void on_entry(const char* name, int, void* user) {
  static_cast<std::vector<std::string>*>(user)->push_back(name);
}

// The cached listing of `folder`, read now when missing or when `fresh`.
static const IO_FOLDER* listing(const std::string& folder, int fresh) {
  auto it = std::find_if(P.folders.begin(), P.folders.end(), [&](const IO_FOLDER& f) { return f.path == folder; });
  if (it != P.folders.end() && !fresh) return &*it;
  if (it != P.folders.end()) P.folders.erase(it);
  IO_FOLDER f{folder, {}};
  if (!plat_folder_list(folder.c_str(), on_entry, &f.names)) return nullptr;
  P.listings_read++;
  std::sort(f.names.begin(), f.names.end());
  if (P.folders.size() >= IO_FOLDERS_MAX) P.folders.erase(P.folders.begin());
  P.folders.push_back(std::move(f));
  return &P.folders.back();
}

static std::string join(const std::string& folder, const std::string& part) {
  if (folder.empty()) return part;
  if (folder.back() == '/') return folder + part;
  return folder + "/" + part;
}

// The real name of `part` inside `folder` under any case, or "" when none.
// A cached listing may be stale, so a miss (or a hit that no longer exists)
// reads the folder again once.
static std::string find_blind(const std::string& folder, const std::string& part) {
  const std::string listed = folder.empty() ? "." : folder;
  for (int fresh = 0; fresh < 2; fresh++) {
    const IO_FOLDER* f = listing(listed, fresh);
    if (!f) return "";
    for (const std::string& n : f->names)
      if (same_blind(n, part) && plat_path_kind(join(folder, n).c_str()) != 0) return n;
  }
  return "";
}

static int give(const std::string& path, char* out, size_t size, int result) {
  if (path.size() >= size) return 0;
  std::memcpy(out, path.c_str(), path.size() + 1);
  return result;
}

int vx_io_path_resolve(const char* os_path, int create, char* out, size_t size) {
  if (!out || !size) return 0;
  out[0] = 0;
  if (!os_path || !*os_path) return 0;
  if (plat_path_kind(os_path) != 0) return give(os_path, out, size, 1);
  give(os_path, out, size, 0);

  std::string path = os_path;
  std::string cur = path[0] == '/' ? "/" : "";
  size_t at = 0;
  while (at < path.size()) {
    size_t end = path.find('/', at);
    if (end == std::string::npos) end = path.size();
    std::string part = path.substr(at, end - at);
    const bool last = end >= path.size() || path.find_first_not_of('/', end) == std::string::npos;
    at = end + 1;
    if (part.empty()) continue;
    std::string exact = join(cur, part);
    if (part == "." || part == ".." || plat_path_kind(exact.c_str()) != 0) {
      cur = exact;
      continue;
    }
    std::string real = find_blind(cur, part);
    if (real.empty()) {
      // The last part may be a file about to be created in a folder that exists.
      if (last && create && (cur.empty() || plat_path_kind(cur.c_str()) == 2)) return give(exact, out, size, 2);
      give(os_path, out, size, 0);
      return 0;
    }
    cur = join(cur, real);
  }
  if (!give(cur, out, size, 1)) {
    give(os_path, out, size, 0);
    return 0;
  }
  return 1;
}

void vx_io_path_forget_folder_of(const char* os_path) {
  if (!os_path) return;
  std::string p = os_path;
  size_t slash = p.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : p.substr(0, slash);
  std::erase_if(P.folders, [&](const IO_FOLDER& f) { return f.path == folder; });
}

void vx_io_path_forget_all() {
  P.folders.clear();
  P.folders.shrink_to_fit();
  P.listings_read = 0;
}

int vx_io_path_listings_read() { return P.listings_read; }
