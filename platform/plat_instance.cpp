// The single-instance lock shared by both builds: a locked file naming the
// holder's process id, and the raise and close requests sent to that holder.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <signal.h>
#include <sys/file.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include "platform/plat_internal.h"

// Requests arrive as signals: SIGUSR1 bring to front, SIGUSR2 close. The
// flags are set in the signal handler and read when messages are gathered.
constinit static struct {
  int fd = -1;           // the held lock file, open for the life of the process
  char held[128] = {};   // its name
  volatile sig_atomic_t raise_requested = 0;
  volatile sig_atomic_t close_requested = 0;
} inst;

constexpr int kLockPlaces = 3;
constexpr int kPidWidth = 16;  // the holder's id, padded with spaces, then '\n'

// Where the lock may live, in the order tried: "<runtime dir>/<name>.lock",
// "<user data root>/<name>.lock", and "/tmp/<name>-<uid>.lock" only when
// there is neither. A '/' in the name becomes '_' so the name stays one file.
// 1 when place `i` exists and fits.
static int lock_path(const char* name, int i, char* buf, size_t size) {
  if (!name || !*name) return 0;
  char clean[128];
  if (std::snprintf(clean, sizeof clean, "%s", name) >= static_cast<int>(sizeof clean)) return 0;
  for (char* p = clean; *p; p++)
    if (*p == '/') *p = '_';
  const char* run = std::getenv("XDG_RUNTIME_DIR");
  char root[512];
  const int have_root = plat_user_data_root(root, sizeof root);
  int n = 0;
  if (i == 0 && run && run[0] == '/')
    n = std::snprintf(buf, size, "%s/%s.lock", run, clean);
  else if (i == 1 && have_root && plat_make_folder(root))
    n = std::snprintf(buf, size, "%s/%s.lock", root, clean);
  else if (i == 2 && !have_root && !(run && run[0] == '/'))
    n = std::snprintf(buf, size, "/tmp/%s-%u.lock", clean, static_cast<unsigned>(getuid()));
  return n > 0 && static_cast<size_t>(n) < size;
}

// A lock file is used only when it is a plain file of this user's with one
// name: anything else at its place was put there by someone else.
static int trusted(int fd) {
  struct stat st;
  return fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_uid == getuid() && st.st_nlink == 1;
}

// Opens the lock file at `path`, never through a symbolic link. `create`
// makes it when missing. The descriptor, -1 when there is none, or -2 when
// something untrusted stands there.
static int open_lock(const char* path, int create) {
  int flags = O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK;
  int fd = open(path, flags | (create ? O_RDWR : O_RDONLY));
  if (fd < 0 && errno == ENOENT && create) fd = open(path, flags | O_RDWR | O_CREAT | O_EXCL, 0600);
  if (fd < 0) return errno == ENOENT ? -1 : -2;
  if (!trusted(fd)) {
    close(fd);
    return -2;
  }
  return fd;
}

// The first place whose lock file is missing or trusted: every copy of the
// program picks the same one. Its path goes to `buf`; 0 when there is none.
static int pick_place(const char* name, char* buf, size_t size) {
  for (int i = 0; i < kLockPlaces; i++) {
    if (!lock_path(name, i, buf, size)) continue;
    int fd = open_lock(buf, 0);
    if (fd == -2) continue;
    if (fd >= 0) close(fd);
    return 1;
  }
  return 0;
}

static void on_request(int sig) {
  if (sig == SIGUSR1) inst.raise_requested = 1;
  if (sig == SIGUSR2) inst.close_requested = 1;
}

static void install_request_handlers() {
  struct sigaction sa {};
  sa.sa_handler = on_request;
  sa.sa_flags = SA_RESTART;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGUSR1, &sa, nullptr);
  sigaction(SIGUSR2, &sa, nullptr);
}

static int holds(const char* name) { return inst.fd >= 0 && name && std::strcmp(inst.held, name) == 0; }

int plat_instance_lock(const char* name) {
  if (holds(name)) return 1;
  char path[512];
  if (inst.fd >= 0 || !pick_place(name, path, sizeof path)) return 0;
  int fd = open_lock(path, 1);
  if (fd < 0) return 0;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return 0;
  }
  // A fixed width overwrites any earlier id whole, so the file is never
  // truncated.
  char pid[kPidWidth + 2];
  int len = std::snprintf(pid, sizeof pid, "%-*d\n", kPidWidth, static_cast<int>(getpid()));
  if (pwrite(fd, pid, static_cast<size_t>(len), 0) != len) {
    close(fd);
    return 0;
  }
  inst.fd = fd;
  std::snprintf(inst.held, sizeof inst.held, "%s", name);
  install_request_handlers();
  return 1;
}

// The process id of another process holding the lock, or 0.
static pid_t other_holder(const char* name) {
  char path[512];
  if (holds(name) || !pick_place(name, path, sizeof path)) return 0;
  int fd = open_lock(path, 0);
  if (fd < 0) return 0;
  pid_t pid = 0;
  if (flock(fd, LOCK_SH | LOCK_NB) != 0) {
    char text[32] = {};
    if (pread(fd, text, sizeof text - 1, 0) > 0) pid = static_cast<pid_t>(std::atoi(text));
    // A holder that has not written its id yet still counts as running.
    if (pid <= 1 || pid == getpid()) pid = -1;
  }
  close(fd);
  return pid;
}

int plat_instance_running(const char* name) { return other_holder(name) != 0; }

int plat_instance_notify(const char* name, int request) {
  if (request != PLAT_INSTANCE_RAISE && request != PLAT_INSTANCE_CLOSE) return 0;
  pid_t pid = other_holder(name);
  if (pid <= 1) return 0;
  return kill(pid, request == PLAT_INSTANCE_RAISE ? SIGUSR1 : SIGUSR2) == 0;
}

void plat_instance_service() {
  if (!inst.raise_requested && !inst.close_requested) return;
  PLAT_WINDOW* main_window = plat_window_main();
  if (!main_window) return;  // still starting: the requests wait for the window
  if (inst.raise_requested) {
    inst.raise_requested = 0;
    if (plat_window_minimised(main_window))
      plat_post_message(main_window, PLAT_WM_SYSCOMMAND, PLAT_SC_RESTORE, 0);
    else
      plat_window_raise(main_window);
  }
  if (inst.close_requested) {
    inst.close_requested = 0;
    plat_post_message(main_window, PLAT_WM_CLOSE, 0, 0);
  }
}
