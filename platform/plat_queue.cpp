// The message queue shared by both builds: posting from any thread, peek,
// get, translate, dispatch and send, and the key state the queue implies.
#include <pthread.h>
#include <time.h>
#include <array>
#include "platform/plat_internal.h"

// Like Windows, the queue has a fixed size; a post into a full queue fails.
constexpr int QUEUE_SIZE = 4096;

// Plain storage with static initialisers and no destructor, so that a timer
// thread still posting while the process exits never meets a torn-down queue.
// `keys` belongs to the thread that takes messages out (the main thread).
constinit static struct {
  pthread_mutex_t lock = PTHREAD_MUTEX_INITIALIZER;
  pthread_cond_t arrived = PTHREAD_COND_INITIALIZER;
  std::array<PLAT_MSG, QUEUE_SIZE> ring = {};
  int head = 0;
  int count = 0;
  std::array<uint8_t, 256> keys = {};  // bit 0 down, bit 1 toggled (Caps Lock)
} q;

// While device events can arrive, a blocked get gathers them this often (ms).
constexpr long DEVICE_POLL_MS = 5;

static PLAT_MSG& at(int i) { return q.ring[(q.head + i) % QUEUE_SIZE]; }

static PLAT_MSG make_msg(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  return PLAT_MSG{window, message, wparam, lparam, plat_ticks()};
}

// Both push functions run under the lock.
static int push_back(const PLAT_MSG& m) {
  if (q.count == QUEUE_SIZE) return 0;
  at(q.count) = m;
  q.count++;
  pthread_cond_signal(&q.arrived);
  return 1;
}

static int push_front(const PLAT_MSG& m) {
  if (q.count == QUEUE_SIZE) return 0;
  q.head = (q.head + QUEUE_SIZE - 1) % QUEUE_SIZE;
  q.ring[q.head] = m;
  q.count++;
  pthread_cond_signal(&q.arrived);
  return 1;
}

static void gather() {
  plat_be_pump_events();
  plat_instance_service();
}

// The key state follows the key messages as they are taken out, as
// Windows' GetKeyState does, so a procedure sees the state of its message.
static void note_key(const PLAT_MSG& m) {
  if (m.message < PLAT_WM_KEYDOWN || m.message > PLAT_WM_SYSKEYUP || m.message == PLAT_WM_CHAR) return;
  uint8_t& k = q.keys[m.wparam & 0xFF];
  int down = m.message == PLAT_WM_KEYDOWN || m.message == PLAT_WM_SYSKEYDOWN;
  if (down && !(k & 1)) k ^= 2;
  k = static_cast<uint8_t>(down ? (k | 1) : (k & ~1));
}

// Takes the front message, or returns 0 when the queue is empty.
static int take(PLAT_MSG* msg, int remove) {
  pthread_mutex_lock(&q.lock);
  int got = q.count > 0;
  if (got) {
    *msg = q.ring[q.head];
    if (remove) {
      q.head = (q.head + 1) % QUEUE_SIZE;
      q.count--;
    }
  }
  pthread_mutex_unlock(&q.lock);
  if (got && remove) note_key(*msg);
  return got;
}

int plat_peek_message(PLAT_MSG* msg, int remove) {
  PLAT_MSG local;
  gather();
  return take(msg ? msg : &local, remove);
}

int plat_get_message(PLAT_MSG* msg) {
  PLAT_MSG local;
  if (!msg) msg = &local;
  for (;;) {
    gather();
    if (take(msg, 1)) return msg->message != PLAT_WM_QUIT;
    pthread_mutex_lock(&q.lock);
    if (q.count == 0) {
      if (plat_be_has_devices()) {
        timespec until;
        clock_gettime(CLOCK_MONOTONIC, &until);
        until.tv_nsec += DEVICE_POLL_MS * 1000000L;
        if (until.tv_nsec >= 1000000000L) {
          until.tv_sec++;
          until.tv_nsec -= 1000000000L;
        }
        pthread_cond_clockwait(&q.arrived, &q.lock, CLOCK_MONOTONIC, &until);
      } else {
        pthread_cond_wait(&q.arrived, &q.lock);
      }
    }
    pthread_mutex_unlock(&q.lock);
  }
}

void plat_translate_message(const PLAT_MSG* msg) {
  if (!msg || (msg->message != PLAT_WM_KEYDOWN && msg->message != PLAT_WM_SYSKEYDOWN)) return;
  uint32_t vk = static_cast<uint32_t>(msg->wparam & 0xFF);
  int shift = q.keys[PLAT_VK_SHIFT] & 1, caps = (q.keys[PLAT_VK_CAPITAL] >> 1) & 1;
  int ctrl = (q.keys[PLAT_VK_CONTROL] & 1) && msg->message == PLAT_WM_KEYDOWN;
  uint32_t ch = plat_key_char(vk, shift, caps, ctrl);
  if (ch == 0) return;
  // The character is the next message taken, ahead of anything posted since.
  PLAT_MSG m = make_msg(msg->window, msg->message == PLAT_WM_KEYDOWN ? PLAT_WM_CHAR : PLAT_WM_SYSCHAR, ch, msg->lparam);
  pthread_mutex_lock(&q.lock);
  if (!m.window || plat_window_valid(m.window)) push_front(m);
  pthread_mutex_unlock(&q.lock);
}

intptr_t plat_dispatch_message(const PLAT_MSG* msg) {
  if (!msg || !msg->window) return 0;
  return plat_send_message(msg->window, msg->message, msg->wparam, msg->lparam);
}

intptr_t plat_send_message(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  if (!plat_window_valid(window) || !window->proc) return 0;
  return window->proc(window, message, wparam, lparam);
}

int plat_post_message(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam) {
  PLAT_MSG m = make_msg(window, message, wparam, lparam);
  pthread_mutex_lock(&q.lock);
  int ok = (!window || plat_window_valid(window)) && push_back(m);
  pthread_mutex_unlock(&q.lock);
  return ok;
}

void plat_post_quit_message(int exit_code) {
  plat_post_message(nullptr, PLAT_WM_QUIT, static_cast<uintptr_t>(exit_code), 0);
}

int plat_key_down(uint32_t vk) { return vk < 256 ? q.keys[vk] & 1 : 0; }

void plat_post_paint(PLAT_WINDOW* window) {
  PLAT_MSG m = make_msg(window, PLAT_WM_PAINT, 0, 0);
  pthread_mutex_lock(&q.lock);
  int waiting = 0;
  for (int i = 0; i < q.count && !waiting; i++)
    waiting = at(i).window == window && at(i).message == PLAT_WM_PAINT;
  if (!waiting && plat_window_valid(window)) push_back(m);
  pthread_mutex_unlock(&q.lock);
}

void plat_queue_admit(PLAT_WINDOW* window) {
  pthread_mutex_lock(&q.lock);
  window->live = 1;
  pthread_mutex_unlock(&q.lock);
}

void plat_queue_forget(PLAT_WINDOW* window) {
  pthread_mutex_lock(&q.lock);
  window->live = 0;
  int kept = 0;
  for (int i = 0; i < q.count; i++)
    if (at(i).window != window) at(kept++) = at(i);
  q.count = kept;
  pthread_mutex_unlock(&q.lock);
}
