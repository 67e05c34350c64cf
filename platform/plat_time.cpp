// Time services shared by both builds: the millisecond tick counter, sleeping
// and the periodic timer threads.
#include <errno.h>
#include <pthread.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <array>
#include "platform/plat_internal.h"

constexpr int MAX_TIMERS = 16;

// A timer that falls further behind than this many periods (and at least
// CATCH_UP_MIN_NS) drops the missed calls and starts again from now: after a
// stopped process or a stalled machine it does not fire a burst.
constexpr int64_t CATCH_UP_PERIODS = 4;
constexpr int64_t CATCH_UP_MIN_NS = 50'000'000;

struct TIMER {
  int in_use;     // the slot holds a timer whose thread may still run
  int stopping;   // the thread leaves at its next wake-up
  int detached;   // stopped from its own callback: the thread frees the slot
  uint32_t id;    // generation << 4 | slot
  uint32_t period_ms;
  PLAT_TIMER_CALLBACK callback;
  void* user;
  pthread_t thread;
};

// Plain storage without a destructor: a timer still running at process exit
// keeps valid memory under it. One lock and one condition serve all timers.
constinit static struct {
  pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
  pthread_cond_t wake = PTHREAD_COND_INITIALIZER;
  std::array<TIMER, MAX_TIMERS> timers = {};
  uint32_t generation = 0;
} tm_state;

static int64_t now_ns() {
  timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1'000'000'000 + ts.tv_nsec;
}

static timespec to_timespec(int64_t ns) {
  return timespec{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
}

uint32_t plat_ticks() { return static_cast<uint32_t>(now_ns() / 1'000'000); }

void plat_sleep(uint32_t ms) {
  timespec left = to_timespec(static_cast<int64_t>(ms) * 1'000'000);
  while (nanosleep(&left, &left) == -1 && errno == EINTR) {
  }
}

// The process's start time is field 22 of /proc/self/stat, in clock ticks
// since boot; the boot-time clock counts from the same moment.
int plat_launch_ms() {
  FILE* f = std::fopen("/proc/self/stat", "r");
  if (!f) return -1;
  char buf[1024] = {};
  const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
  std::fclose(f);
  buf[n] = 0;
  const char* p = std::strrchr(buf, ')');  // the name before it may hold spaces
  if (!p) return -1;
  unsigned long long start = 0;
  int field = 2;
  for (const char* q = p + 1; *q && field < 22; q++)
    if (*q == ' ' && ++field == 22) start = std::strtoull(q + 1, nullptr, 10);
  const long hz = sysconf(_SC_CLK_TCK);
  timespec ts;
  if (!start || hz <= 0 || clock_gettime(CLOCK_BOOTTIME, &ts) != 0) return -1;
  const double now_ms = double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
  return int(now_ms - double(start) * 1e3 / double(hz));
}

uint32_t plat_timer_min_period() { return 1; }
int plat_timer_begin_period(uint32_t ms) { return ms >= 1 ? 1 : 0; }
int plat_timer_end_period(uint32_t ms) { return ms >= 1 ? 1 : 0; }

// The timer thread: waits for each deadline, which advances by whole periods
// from the start, so lateness of one call does not shift the later ones.
static void* timer_thread(void* arg) {
  TIMER* t = static_cast<TIMER*>(arg);
  pthread_mutex_lock(&tm_state.lock);
  const int64_t period = static_cast<int64_t>(t->period_ms) * 1'000'000;
  int64_t next = now_ns() + period;
  while (!t->stopping) {
    timespec until = to_timespec(next);
    pthread_cond_clockwait(&tm_state.wake, &tm_state.lock, CLOCK_MONOTONIC, &until);
    if (t->stopping) break;
    int64_t now = now_ns();
    if (now < next) continue;  // woken for another timer
    PLAT_TIMER_CALLBACK callback = t->callback;
    void* user = t->user;
    pthread_mutex_unlock(&tm_state.lock);
    callback(user);
    pthread_mutex_lock(&tm_state.lock);
    next += period;
    now = now_ns();
    int64_t limit = CATCH_UP_PERIODS * period > CATCH_UP_MIN_NS ? CATCH_UP_PERIODS * period : CATCH_UP_MIN_NS;
    if (now - next > limit) next = now + period;
  }
  if (t->detached) *t = TIMER{};
  pthread_mutex_unlock(&tm_state.lock);
  return nullptr;
}

uint32_t plat_timer_start(uint32_t period_ms, PLAT_TIMER_CALLBACK callback, void* user) {
  if (period_ms == 0 || !callback) return 0;
  pthread_mutex_lock(&tm_state.lock);
  TIMER* t = nullptr;
  int slot = 0;
  for (; slot < MAX_TIMERS; slot++) {
    if (!tm_state.timers[slot].in_use) {
      t = &tm_state.timers[slot];
      break;
    }
  }
  uint32_t id = 0;
  if (t) {
    tm_state.generation = (tm_state.generation + 1) & 0x0FFFFFFF;
    if (tm_state.generation == 0) tm_state.generation = 1;
    *t = TIMER{1, 0, 0, (tm_state.generation << 4) | static_cast<uint32_t>(slot), period_ms, callback, user, {}};
    if (pthread_create(&t->thread, nullptr, timer_thread, t) == 0)
      id = t->id;
    else
      *t = TIMER{};
  }
  pthread_mutex_unlock(&tm_state.lock);
  return id;
}

void plat_timer_stop(uint32_t id) {
  pthread_mutex_lock(&tm_state.lock);
  TIMER* t = &tm_state.timers[id & 0xF];
  if (id == 0 || !t->in_use || t->id != id || t->stopping) {
    pthread_mutex_unlock(&tm_state.lock);
    return;
  }
  t->stopping = 1;
  pthread_cond_broadcast(&tm_state.wake);
  pthread_t thread = t->thread;
  int own = pthread_equal(thread, pthread_self());
  if (own) {
    t->detached = 1;
    pthread_detach(thread);
  }
  pthread_mutex_unlock(&tm_state.lock);
  if (own) return;
  pthread_join(thread, nullptr);
  pthread_mutex_lock(&tm_state.lock);
  *t = TIMER{};
  pthread_mutex_unlock(&tm_state.lock);
}
