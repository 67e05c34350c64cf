// The platform layer: every operating-system service the engine uses, as plain functions.
//
// Two builds implement this header: platform_sdl (SDL2, for the game and its
// tools) and platform_null (no window and no devices, for tests). Nothing
// above this folder includes SDL or system headers for these services.
#pragma once
#include <cstddef>
#include <cstdint>
#include "platform/plat_msg.h"

// ---------------------------------------------------------------- entry
// The game supplies this; the platform's main() calls it with the command
// line as one string (the arguments after the program name, joined by single
// spaces, an argument with a space in it wrapped in double quotes) and the
// window show state (1, normal). Its result is the process's exit code.
int game_main(void* instance, const char* command_line, int show_state);

// ---------------------------------------------------------------- windows
struct PLAT_WINDOW;  // opaque; null means "no window"
typedef intptr_t (*PLAT_WNDPROC)(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

struct PLAT_MSG {
  PLAT_WINDOW* window;
  uint32_t message;
  uintptr_t wparam;
  intptr_t lparam;
  uint32_t time;  // plat_ticks() when the message was queued
};

// Window style bits for plat_window_create and plat_window_set_style.
constexpr uint32_t PLAT_WS_CAPTION = 0x1;    // title bar and system menu
constexpr uint32_t PLAT_WS_SIZABLE = 0x2;    // sizing border
constexpr uint32_t PLAT_WS_POPUP = 0x4;      // borderless
constexpr uint32_t PLAT_WS_HIDDEN = 0x8;     // created hidden
constexpr uint32_t PLAT_WS_OPENGL = 0x10;    // will carry a GL context
constexpr uint32_t PLAT_WS_AUXILIARY = 0x20; // a passing window (a splash): never the main window

// Special positions for plat_window_create: let the system place the window,
// or centre it on the desktop.
constexpr int PLAT_POS_DEFAULT = INT32_MIN;
constexpr int PLAT_POS_CENTRED = INT32_MIN + 1;

// Creates a top-level window of the given class name and client size at
// client position (x, y). PLAT_WM_CREATE is sent to `proc` before it returns; an
// answer of -1 destroys the window again and the result is null. Unless
// PLAT_WS_HIDDEN is given the window is then shown as by plat_window_show(w, 1).
// At most 16 windows exist at a time.
PLAT_WINDOW* plat_window_create(const char* class_name, const char* title, int x, int y, int width,
                                int height, uint32_t style, PLAT_WNDPROC proc);
// Sends PLAT_WM_DESTROY to the window's procedure, then frees the window.
void plat_window_destroy(PLAT_WINDOW* window);
int plat_window_exists(PLAT_WINDOW* window);  // 1 while not destroyed
PLAT_WNDPROC plat_window_proc(PLAT_WINDOW* window);
void plat_window_set_proc(PLAT_WINDOW* window, PLAT_WNDPROC proc);
// 0 hide, 1 show (and activate), 2 minimise, 3 restore. The window
// functions post what Windows would send: PLAT_WM_SIZE (PLAT_SIZE_MINIMIZED with 0,
// else PLAT_SIZE_RESTORED / PLAT_SIZE_MAXIMIZED with width, height) when the size or
// the minimised state changes, PLAT_WM_MOVE (client x, y) when the position
// changes, PLAT_WM_ACTIVATE (PLAT_WA_ACTIVE / PLAT_WA_INACTIVE, high word the minimised
// flag) when the active window changes; only one window is active at a time.
// Showing, restoring and raising activate; hiding and minimising deactivate.
// Changes made by the user or the window manager post the same messages, and
// the window's close button posts PLAT_WM_CLOSE.
void plat_window_show(PLAT_WINDOW* window, int show);
void plat_window_set_title(PLAT_WINDOW* window, const char* title);
void plat_window_set_style(PLAT_WINDOW* window, uint32_t style);  // PLAT_WS_HIDDEN is ignored here
void plat_window_move(PLAT_WINDOW* window, int x, int y, int width, int height);  // client rectangle
void plat_window_rect(PLAT_WINDOW* window, int* x, int* y, int* width, int* height);
int plat_window_minimised(PLAT_WINDOW* window);
int plat_window_maximised(PLAT_WINDOW* window);  // 1 while the window manager keeps it maximised
void plat_window_raise(PLAT_WINDOW* window);  // bring to the front and give it the focus
// The first window created and still alive, auxiliary windows left out, or null.
PLAT_WINDOW* plat_window_main();

// The default window procedure, as Windows' own: Alt+F4 becomes
// PLAT_WM_SYSCOMMAND PLAT_SC_CLOSE, PLAT_SC_CLOSE becomes PLAT_WM_CLOSE, PLAT_WM_CLOSE destroys the
// window; PLAT_SC_MINIMIZE and PLAT_SC_RESTORE minimise and restore it. Everything else
// answers 0.
intptr_t plat_def_window_proc(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam);

// ---------------------------------------------------------------- messages
// The queue holds translated device events and posted messages in order.
// plat_peek_message first gathers pending device events; it returns 1 and
// fills `msg` when there is a message (removing it when `remove` is 1).
int plat_peek_message(PLAT_MSG* msg, int remove);
// Blocks until a message is there, then removes it; 0 for PLAT_WM_QUIT.
int plat_get_message(PLAT_MSG* msg);
// PLAT_WM_KEYDOWN / PLAT_WM_SYSKEYDOWN of a character key also queue PLAT_WM_CHAR / PLAT_WM_SYSCHAR.
void plat_translate_message(const PLAT_MSG* msg);
// Calls the procedure of the message's window (nothing for a window-less or destroyed one).
intptr_t plat_dispatch_message(const PLAT_MSG* msg);
// Queues a message; safe from any thread. 0 when the window is gone.
int plat_post_message(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
// Calls the window's procedure at once, on the calling thread.
intptr_t plat_send_message(PLAT_WINDOW* window, uint32_t message, uintptr_t wparam, intptr_t lparam);
void plat_post_quit_message(int exit_code);
// 1 when the virtual key was down as of the last key message taken from the
// queue (as Windows' GetKeyState); PLAT_VK_SHIFT, PLAT_VK_CONTROL and PLAT_VK_MENU stand for
// either key of their pair.
int plat_key_down(uint32_t vk);

// ---------------------------------------------------------------- time
// Milliseconds since an arbitrary start; 32 bits, wrapping after 49.7 days.
uint32_t plat_ticks();
void plat_sleep(uint32_t ms);
// Milliseconds since this process started (-1 when the system does not say).
int plat_launch_ms();

// The periodic timer: `callback(user)` runs on a thread of its own every
// `period_ms`, keeping to the period on average (a late call does not shift
// the later ones). Returns an id above 0, or 0 on failure.
typedef void (*PLAT_TIMER_CALLBACK)(void* user);
uint32_t plat_timer_min_period();  // the smallest period the timer keeps, in ms
int plat_timer_begin_period(uint32_t ms);
int plat_timer_end_period(uint32_t ms);
uint32_t plat_timer_start(uint32_t period_ms, PLAT_TIMER_CALLBACK callback, void* user);
// Stops the timer and waits until its callback is not running. Called from
// the timer's own callback it only stops it (it cannot wait for itself).
void plat_timer_stop(uint32_t id);

// ---------------------------------------------------------------- boxes
// Shows a modal message box; `style` is MB_* bits. Returns PLAT_IDOK, PLAT_IDCANCEL,
// PLAT_IDYES or PLAT_IDNO. With boxes switched off (plat_set_boxes(0), or the
// environment variable PS_NO_BOXES set to 1) it writes "caption: text" to
// standard error and answers as if the first button (OK or Yes) was pressed;
// so it does when no box can be shown (no display; always on the null build).
// A null caption is "Error". A box closed without a button answers PLAT_IDOK for
// PLAT_MB_OK, else PLAT_IDCANCEL / PLAT_IDNO.
int plat_message_box(PLAT_WINDOW* owner, const char* text, const char* caption, uint32_t style);
void plat_set_boxes(int enabled);
int plat_boxes_enabled();

// ---------------------------------------------------------------- process
// Copies an environment variable into `buf`; 1 when done, 0 when it is not
// set or does not fit.
int plat_getenv(const char* name, char* buf, int size);
// Clipboard text (UTF-8); 0 when there is none or it does not fit.
int plat_clipboard_text(char* buf, int size);
// Starts a program with one argument (may be null), without a shell; an
// argument wrapped in double quotes is passed without them. With `wait` it
// waits for the program to end and stores its exit code (128 + the signal
// number when a signal ended it). 1 when it was started.
int plat_run(const char* path, const char* argument, int wait, int* exit_code);
// The folder of the running executable, with a trailing '/'.
int plat_program_folder(char* buf, int size);
// The folder of the program's own files, with a trailing '/': for an
// installed program, whose executable lies in bin/, the data folder named
// after the executable (../share/<name>/ from bin/) when it exists; else the
// executable's folder (a build tree, an unpacked archive).
int plat_program_data_folder(char* buf, int size);
// 1 when this user may create files in the folder. A folder whose mode bits
// allow no write counts as read-only even for the superuser.
int plat_folder_writable(const char* path);
// The per-user application-data root: $XDG_DATA_HOME, else ~/.local/share (no trailing '/').
int plat_user_data_root(char* buf, int size);
int plat_make_folder(const char* path);  // creates missing parents too; 1 when it exists afterwards
int plat_set_current_folder(const char* path);
// Physical memory of the machine and its free part, in bytes.
void plat_memory_status(uint64_t* total, uint64_t* available);

// Fault signals: illegal instruction (4), arithmetic fault (8) and memory
// access violation (11) call `handler(signal)`. The handler runs once per
// signal; the default action applies afterwards.
typedef void (*PLAT_FAULT_HANDLER)(int signal);
void plat_set_fault_handler(PLAT_FAULT_HANDLER handler);

// ---------------------------------------------------------------- single instance
// A named lock held by one process at a time until it ends: a lock file in
// $XDG_RUNTIME_DIR, else in the user data root (/tmp only when there is
// neither). A lock file is opened without following symbolic links, only
// when it is a plain file of this user's, and is never truncated; a place
// where something else stands is passed over for the next one. 1 when this
// process holds it (again), 0 when another process does or no lock file
// can be made.
int plat_instance_lock(const char* name);
// 1 while another process holds the named lock.
int plat_instance_running(const char* name);
// Asks the process holding the named lock to bring its main window to the
// front (PLAT_INSTANCE_RAISE: restored with PLAT_WM_SYSCOMMAND PLAT_SC_RESTORE when
// minimised, else raised) or to close it (PLAT_INSTANCE_CLOSE: PLAT_WM_CLOSE is
// posted to its main window). The holder acts when it next gathers messages.
// 1 when the request was delivered.
constexpr int PLAT_INSTANCE_RAISE = 1;
constexpr int PLAT_INSTANCE_CLOSE = 2;
int plat_instance_notify(const char* name, int request);

// ---------------------------------------------------------------- folders
// 0 nothing there, 1 a file, 2 a folder, 3 something else (a device, a
// pipe, a socket).
int plat_path_kind(const char* path);
// Calls `entry(name, is_folder, user)` for every entry of a folder except
// "." and "..". 1 when the folder could be read.
typedef void (*PLAT_FOLDER_ENTRY)(const char* name, int is_folder, void* user);
int plat_folder_list(const char* path, PLAT_FOLDER_ENTRY entry, void* user);
// The current folder, without a trailing '/'. 1 when it fits.
int plat_current_folder(char* buf, int size);
// `path` made absolute: a relative path is joined to the current folder
// ('.' and '..' stay as they are). 1 when it fits.
int plat_absolute_path(const char* path, char* buf, int size);
// 1 when both paths exist and name the same file.
int plat_same_file(const char* a, const char* b);
// Appends `size` bytes to the file (made when missing). 1 when all were written.
int plat_append_file(const char* path, const void* data, size_t size);
// Puts the finished file `from` in the place of `to` in one step: `from` is
// written to the disk first, then renamed over `to`, then the folder entry
// is written. Both must lie in one folder. 1 when the rename was done.
int plat_replace_file(const char* from, const char* to);

// ---------------------------------------------------------------- ending
// Ends the process at once with `code` (open streams are flushed).
[[noreturn]] void plat_exit(int code);
