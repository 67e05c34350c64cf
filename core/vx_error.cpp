// Error reporting: module registry, report and alert boxes, fault handlers.
#include "core/vx_error.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace {

constexpr const char* kCallStackText = "CallStack Disabled in this version";

const char* const kErrorTable[] = {
    "Warning!  Too many modules in vx_error",
    "Warning!  Module name over 40 characters.  Tisk Tisk.",
};
enum { ERROR_TOO_MANY = 0, ERROR_NAME_LONG = 1 };

struct ErrorState {
  char names[VX_ERROR_MAX_MODULES][VX_ERROR_NAME_LEN + 1];
  const char* const* tables[VX_ERROR_MAX_MODULES];
  int count;
  int module;  // -1 while nothing was raised
  int code;
  char detail[VX_ERROR_DETAIL_LEN];
  char location[VX_ERROR_DETAIL_LEN];
  VX_ERROR_SETTINGS settings;
  int self;  // this module's own number
  VX_ERROR_BOX box;
};
ErrorState st = {};

int default_box(const char* text, const char* caption, unsigned style) {
  return plat_message_box(plat_window_main(), text, caption, style);
}

int show_box(const char* text, const char* caption, unsigned style) {
  return (st.box ? st.box : default_box)(text, caption, style);
}

void show_call_stack() {
  show_box(vx_error_call_stack("vx_error_detail", "vx_error"), "", 0);
}

// Faults: one box naming the fault, then the handler returns and the
// default action ends the program when the fault repeats.
void fault_handler(int signal) {
  show_box(vx_error_call_stack("vx_error_detail", "vx_error"), vx_error_fault_caption(signal),
           PLAT_MB_ICONHAND);
}

}  // namespace

void vx_error_set_box(VX_ERROR_BOX box) { st.box = box; }

int vx_error_init(const VX_ERROR_SETTINGS* settings) {
  VX_ERROR_BOX box = st.box;  // the installed box outlives a restart of the registry
  st = {};
  st.box = box;
  st.module = -1;
  if (settings) st.settings = *settings;
  plat_set_fault_handler(fault_handler);
  st.self = vx_error_register("Error", kErrorTable);
  return 1;
}

void vx_error_deinit() {
  st.count = 0;
  st.module = -1;
  st.detail[0] = 0;
  st.location[0] = 0;
}

int vx_error_register(const char* name, const char* const* table) {
  if (st.count >= VX_ERROR_MAX_MODULES) {
    vx_error_raise(st.self, ERROR_TOO_MANY, st.settings.debug);
    return -1;
  }
  if (!name) name = "";
  if (std::strlen(name) > static_cast<size_t>(VX_ERROR_NAME_LEN))
    vx_error_raise(st.self, ERROR_NAME_LONG, st.settings.debug, "%s", name);
  int n = st.count++;
  std::snprintf(st.names[n], sizeof st.names[n], "%.*s", VX_ERROR_NAME_LEN, name);
  st.tables[n] = table;
  return n;
}

void vx_error_set(int module, int code) {
  st.module = module;
  st.code = code;
}

void vx_error_detail(const char* format, ...) {
  va_list ap;
  va_start(ap, format);
  std::vsnprintf(st.detail, sizeof st.detail, format, ap);
  va_end(ap);
}

void vx_error_raise(int module, int code, int show, const char* detail_format, ...) {
  vx_error_set(module, code);
  if (detail_format) {
    va_list ap;
    va_start(ap, detail_format);
    std::vsnprintf(st.detail, sizeof st.detail, detail_format, ap);
    va_end(ap);
  }
  if (show) vx_error_report();
}

void vx_error_location(const char* file, int line) {
  std::snprintf(st.location, sizeof st.location, "(File: %s, Line: %d)", file ? file : "", line);
}

void vx_error_clear_location() { st.location[0] = 0; }

void vx_error_report() {
  char text[VX_ERROR_DETAIL_LEN * 3];
  const char* name = vx_error_module_name(st.module);
  const char* message = vx_error_message(st.module, st.code);
  if (st.location[0])
    std::snprintf(text, sizeof text, "In module %s \n\n %s\n\n%s\n\n%s", name, message, st.detail,
                  st.location);
  else
    std::snprintf(text, sizeof text, "In module %s \n\n %s\n\n%s", name, message, st.detail);
  show_box(text, "Alert", PLAT_MB_ICONEXCLAMATION);
  st.detail[0] = 0;
  show_call_stack();
}

void vx_error_alert(const char* text) {
  show_box(text ? text : "", "Alert", PLAT_MB_ICONEXCLAMATION);
  show_call_stack();
}

int vx_error_module_count() { return st.count; }

const char* vx_error_module_name(int module) {
  return (module >= 0 && module < st.count) ? st.names[module] : "";
}

// Message tables carry no count, so a code is trusted to lie inside its
// module's table: every module raises only its own enumerated codes.
const char* vx_error_message(int module, int code) {
  if (module < 0 || module >= st.count || code < 0 || !st.tables[module]) return "";
  const char* m = st.tables[module][code];
  return m ? m : "";
}

int vx_error_current_module() { return st.module; }
int vx_error_current_code() { return st.code; }
const char* vx_error_detail_text() { return st.detail; }
const char* vx_error_location_text() { return st.location; }

const char* vx_error_call_stack(const char*, const char*) { return kCallStackText; }

const char* vx_error_fault_caption(int signal) {
  switch (signal) {
    case 4: return "Illegal operation";
    case 8: return "Division by zero";
    case 11: return "Memory Access Violation";
    default: return "";
  }
}
