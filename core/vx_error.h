// Error reporting: the registry of modules and their message tables, the "Alert" box and fault handling.
#pragma once

constexpr int VX_ERROR_MAX_MODULES = 100;
constexpr int VX_ERROR_NAME_LEN = 40;     // characters kept of a module name
constexpr int VX_ERROR_DETAIL_LEN = 512;  // detail line buffer, terminator included

// Every engine module's settings record starts with this field: a module
// shows its reports only when `debug` is non-zero.
struct VX_ERROR_SETTINGS {
  int debug;
};

// The box through which reports are shown. The display layer installs its
// own (which can also log to Warning.txt); the default is the platform's
// message box. Returns the box's answer.
typedef int (*VX_ERROR_BOX)(const char* text, const char* caption, unsigned style);
void vx_error_set_box(VX_ERROR_BOX box);  // null restores the default

// Installs the fault handlers, empties the registry and registers "Error". 1.
int vx_error_init(const VX_ERROR_SETTINGS* settings);
void vx_error_deinit();

// Registers a module and its message table (indexed by error code; the
// table must outlive the module). Returns the module number, or -1 when the
// registry is full. Names over 40 characters are cut to 40.
int vx_error_register(const char* name, const char* const* table);

// Raising an error: sets the current module and code, and the detail line
// when `detail` is not null (printf-style). Shows the report when `show`.
void vx_error_raise(int module, int code, int show, const char* detail_format = nullptr, ...)
    __attribute__((format(printf, 4, 5)));
void vx_error_set(int module, int code);
void vx_error_detail(const char* format, ...) __attribute__((format(printf, 1, 2)));
void vx_error_location(const char* file, int line);  // "(File: %s, Line: %d)"
void vx_error_clear_location();

// Shows the current error in an "Alert" box, then the call-stack box, and
// empties the detail line.
void vx_error_report();
// Shows `text` in an "Alert" box, then the call-stack box.
void vx_error_alert(const char* text);

// Read access for tests and for the modules that format their own boxes.
int vx_error_module_count();
const char* vx_error_module_name(int module);  // "" for an unknown number
const char* vx_error_message(int module, int code);  // "" when there is none
int vx_error_current_module();
int vx_error_current_code();
const char* vx_error_detail_text();
const char* vx_error_location_text();
// The call-stack service; in this system it is switched off and answers with a fixed text.
const char* vx_error_call_stack(const char* function, const char* source);
// The caption of the fault box for signal 4, 8 or 11 ("" for others).
const char* vx_error_fault_caption(int signal);
