// Start-up services around the window: the error box and the periodic timer.
#pragma once
#include <cstdint>

// Shows a message box (style: MB_* bits) and returns its answer. A null
// caption reads "Error".
int vx_dsp_error_box(const char* text, const char* caption, uint32_t style);
// An error box captioned with the window title, then WM_CLOSE to the main window. 0.
int vx_dsp_fatal_error(const char* text);

typedef void (*VX_TIMER_CALLBACK)(void* user);
// Starts the periodic timer at the finest resolution the system offers.
// Returns the timer id, or 0 after "Timer Init failed. You should restart
// Windows and try again" through vx_dsp_fatal_error.
uint32_t vx_timer_start(VX_TIMER_CALLBACK callback, uint32_t period_ms);
// Stops the timer; the id is set to 0.
void vx_timer_stop(uint32_t* id);
