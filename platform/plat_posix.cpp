// Operating-system services shared by both builds: environment, processes,
// folders, memory figures and fault signals, over POSIX and Linux calls.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include "platform/plat_internal.h"

constexpr int PATH_SIZE = 4096;

// Copies `src` into `buf` when it fits with its terminator.
static int copy_out(char* buf, int size, const char* src) {
  if (!buf || size <= 0 || !src) return 0;
  size_t len = std::strlen(src);
  if (len + 1 > static_cast<size_t>(size)) return 0;
  std::memcpy(buf, src, len + 1);
  return 1;
}

int plat_getenv(const char* name, char* buf, int size) {
  if (!name) return 0;
  return copy_out(buf, size, std::getenv(name));
}

// ---------------------------------------------------------------- processes

// Runs in the child: exec, or report errno through the pipe and end.
[[noreturn]] static void exec_child(const char* path, const char* argument, int report_fd) {
  char* argv[3] = {const_cast<char*>(path), const_cast<char*>(argument), nullptr};
  execv(path, argv);
  int err = errno;
  ssize_t n = write(report_fd, &err, sizeof err);
  (void)n;
  _exit(127);
}

static int wait_exit_code(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) == -1)
    if (errno != EINTR) return -1;
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

// Forks the program. Without `wait` the program is started from a short-lived
// middle process, so that it is adopted by init and never left a zombie. The
// close-on-exec pipe stays silent when exec succeeds and carries errno when
// it fails, so the caller learns whether the program really started.
static pid_t spawn(const char* path, const char* argument, int wait, int* started) {
  int fds[2];
  *started = 0;
  if (pipe2(fds, O_CLOEXEC) == -1) return -1;
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    if (wait) exec_child(path, argument, fds[1]);
    pid_t program = fork();
    if (program == 0) exec_child(path, argument, fds[1]);
    if (program < 0) {
      int err = errno;
      ssize_t n = write(fds[1], &err, sizeof err);
      (void)n;
    }
    _exit(0);
  }
  close(fds[1]);
  if (pid > 0) {
    int err = 0;
    ssize_t n;
    while ((n = read(fds[0], &err, sizeof err)) == -1 && errno == EINTR) {
    }
    *started = n == 0;
  }
  close(fds[0]);
  return pid;
}

int plat_run(const char* path, const char* argument, int wait, int* exit_code) {
  if (!path || !*path) return 0;
  char unquoted[PATH_SIZE];
  if (argument) {
    size_t len = std::strlen(argument);
    if (len >= 2 && argument[0] == '"' && argument[len - 1] == '"' && len - 2 < sizeof unquoted) {
      std::memcpy(unquoted, argument + 1, len - 2);
      unquoted[len - 2] = 0;
      argument = unquoted;
    }
  }
  std::fflush(nullptr);
  int started = 0;
  pid_t pid = spawn(path, argument, wait, &started);
  if (pid <= 0) return 0;
  int code = wait_exit_code(pid);  // the program itself, or the middle process
  if (started && wait && exit_code) *exit_code = code;
  return started;
}

// ---------------------------------------------------------------- folders

// The executable's path into `path`; its last slash, or null when unknown.
static char* exe_path(char (&path)[PATH_SIZE]) {
  const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  if (n <= 0) return nullptr;
  path[n] = 0;
  return std::strrchr(path, '/');
}

int plat_program_folder(char* buf, int size) {
  char path[PATH_SIZE];
  char* slash = exe_path(path);
  if (!slash) return 0;
  slash[1] = 0;
  return copy_out(buf, size, path);
}

// An installed program keeps its files apart from the executable, in the
// data folder named after it: <bin>/<PLAT_SHARE_FROM_BIN>/<name>/ (the
// build passes the relative path of its install layout, bin/ to share/).
#ifndef PLAT_SHARE_FROM_BIN
#define PLAT_SHARE_FROM_BIN "../share"
#endif

int plat_program_data_folder(char* buf, int size) {
  char exe[PATH_SIZE];
  char* slash = exe_path(exe);
  if (!slash) return 0;
  const char* name = slash + 1;
  slash[0] = 0;
  char installed[PATH_SIZE];
  const int len = std::snprintf(installed, sizeof installed, "%s/%s/%s/", exe, PLAT_SHARE_FROM_BIN, name);
  if (len > 0 && len < static_cast<int>(sizeof installed) && plat_path_kind(installed) == 2)
    return copy_out(buf, size, installed);
  slash[0] = '/';
  slash[1] = 0;
  return copy_out(buf, size, exe);
}

int plat_folder_writable(const char* path) {
  struct stat st;
  if (!path || !*path || stat(path, &st) != 0 || !S_ISDIR(st.st_mode)) return 0;
  if (access(path, W_OK | X_OK) != 0) return 0;
  // The superuser passes every permission check; a folder whose mode grants
  // no one a write is still taken as read-only, as its owner meant it.
  return geteuid() != 0 || (st.st_mode & 0222) != 0;
}

static void strip_trailing_slashes(char* path) {
  size_t len = std::strlen(path);
  while (len > 1 && path[len - 1] == '/') path[--len] = 0;
}

int plat_user_data_root(char* buf, int size) {
  char path[PATH_SIZE];
  const char* xdg = std::getenv("XDG_DATA_HOME");
  const char* home = std::getenv("HOME");
  // A relative XDG_DATA_HOME is invalid and is ignored, as the base-directory rules say.
  if (xdg && xdg[0] == '/')
    std::snprintf(path, sizeof path, "%s", xdg);
  else if (home && home[0])
    std::snprintf(path, sizeof path, "%s/.local/share", home);
  else
    return 0;
  strip_trailing_slashes(path);
  return copy_out(buf, size, path);
}

int plat_make_folder(const char* path) {
  if (!path || !*path) return 0;
  char work[PATH_SIZE];
  if (std::snprintf(work, sizeof work, "%s", path) >= static_cast<int>(sizeof work)) return 0;
  strip_trailing_slashes(work);
  // Create each parent in turn; existing ones fail with EEXIST, which is fine.
  for (char* p = work + 1; *p; p++) {
    if (*p != '/') continue;
    *p = 0;
    mkdir(work, 0777);
    *p = '/';
  }
  mkdir(work, 0777);
  return plat_path_kind(work) == 2;
}

int plat_set_current_folder(const char* path) { return path && chdir(path) == 0; }

int plat_current_folder(char* buf, int size) {
  char path[PATH_SIZE];
  if (!getcwd(path, sizeof path)) return 0;
  return copy_out(buf, size, path);
}

int plat_absolute_path(const char* path, char* buf, int size) {
  if (!path || !*path) return 0;
  if (path[0] == '/') return copy_out(buf, size, path);
  char cwd[PATH_SIZE], joined[2 * PATH_SIZE];
  if (!getcwd(cwd, sizeof cwd)) return 0;
  const size_t n = std::strlen(cwd);
  std::snprintf(joined, sizeof joined, "%s%s%s", cwd, n && cwd[n - 1] == '/' ? "" : "/", path);
  return copy_out(buf, size, joined);
}

int plat_same_file(const char* a, const char* b) {
  struct stat sa, sb;
  if (!a || !b || stat(a, &sa) != 0 || stat(b, &sb) != 0) return 0;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

int plat_append_file(const char* path, const void* data, size_t size) {
  if (!path || (!data && size)) return 0;
  FILE* f = std::fopen(path, "ab");
  if (!f) return 0;
  const bool ok = std::fwrite(data, 1, size, f) == size;
  return std::fclose(f) == 0 && ok;
}

// Writes what the system holds of a file or folder to the disk.
static int sync_path(const char* path, int flags) {
  int fd = open(path, flags | O_CLOEXEC);
  if (fd < 0) return 0;
  int ok = fsync(fd) == 0;
  close(fd);
  return ok;
}

int plat_replace_file(const char* from, const char* to) {
  if (!from || !to || !sync_path(from, O_RDONLY | O_NOFOLLOW)) return 0;
  if (std::rename(from, to) != 0) return 0;
  // The rename itself lasts only once the folder holding it is on the disk.
  char folder[PATH_SIZE];
  if (copy_out(folder, sizeof folder, to)) {
    char* slash = std::strrchr(folder, '/');
    if (slash == folder) slash[1] = 0;
    else if (slash) *slash = 0;
    else std::strcpy(folder, ".");
    sync_path(folder, O_RDONLY | O_DIRECTORY);
  }
  return 1;
}

// A run that stops on a fatal error ends here at once: written files are
// flushed, but no exit handler runs. Closing the display from an exit
// handler while the software GL driver's threads are busy can deadlock, and
// a failed start must never hang.
void plat_exit(int code) {
  std::fflush(nullptr);
  _exit(code);
}

int plat_path_kind(const char* path) {
  struct stat st;
  if (!path || !*path || stat(path, &st) != 0) return 0;
  return S_ISDIR(st.st_mode) ? 2 : S_ISREG(st.st_mode) ? 1 : 3;
}

int plat_folder_list(const char* path, PLAT_FOLDER_ENTRY entry, void* user) {
  if (!path || !entry) return 0;
  DIR* dir = opendir(path);
  if (!dir) return 0;
  while (dirent* d = readdir(dir)) {
    if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
    int is_folder = d->d_type == DT_DIR;
    // Links and file systems that do not fill d_type need a look at the target.
    if (d->d_type == DT_UNKNOWN || d->d_type == DT_LNK) {
      char full[PATH_SIZE];
      std::snprintf(full, sizeof full, "%s/%s", path, d->d_name);
      is_folder = plat_path_kind(full) == 2;
    }
    entry(d->d_name, is_folder, user);
  }
  closedir(dir);
  return 1;
}

// ---------------------------------------------------------------- memory

// "MemAvailable" of /proc/meminfo in bytes, 0 when the kernel does not give it.
static uint64_t meminfo_available() {
  FILE* f = std::fopen("/proc/meminfo", "r");
  if (!f) return 0;
  char line[256];
  unsigned long long kb = 0;
  while (std::fgets(line, sizeof line, f))
    if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) break;
  std::fclose(f);
  return static_cast<uint64_t>(kb) * 1024;
}

void plat_memory_status(uint64_t* total, uint64_t* available) {
  struct sysinfo si {};
  uint64_t t = 0, a = 0;
  if (sysinfo(&si) == 0) {
    t = static_cast<uint64_t>(si.totalram) * si.mem_unit;
    a = static_cast<uint64_t>(si.freeram + si.bufferram) * si.mem_unit;
  }
  uint64_t avail = meminfo_available();
  if (avail) a = avail;
  if (total) *total = t;
  if (available) *available = a;
}

// ---------------------------------------------------------------- faults

// The handler is read inside a signal handler, hence a plain pointer set once.
constinit static struct {
  PLAT_FAULT_HANDLER handler = nullptr;
  char alt_stack[64 * 1024] = {};  // so that a stack overflow can still be reported
  int alt_stack_set = 0;
} fault_state;

static void on_fault(int sig) {
  PLAT_FAULT_HANDLER h = fault_state.handler;
  if (h) h(sig);
  // Returning re-runs the faulting instruction, which now gets the default action.
}

void plat_set_fault_handler(PLAT_FAULT_HANDLER handler) {
  fault_state.handler = handler;
  if (handler && !fault_state.alt_stack_set) {
    stack_t ss{};
    ss.ss_sp = fault_state.alt_stack;
    ss.ss_size = sizeof fault_state.alt_stack;
    fault_state.alt_stack_set = sigaltstack(&ss, nullptr) == 0;
  }
  struct sigaction sa {};
  sigemptyset(&sa.sa_mask);
  if (handler) {
    sa.sa_handler = on_fault;
    sa.sa_flags = SA_RESETHAND | SA_NODEFER | SA_ONSTACK;
  } else {
    sa.sa_handler = SIG_DFL;
  }
  for (int sig : {SIGILL, SIGFPE, SIGSEGV}) sigaction(sig, &sa, nullptr);
}
