// Start-up services around the window: the settings file and the configuration tools, the single instance, the error box and the periodic timer.
#pragma once
#include <cstdint>

#include "display/vx_dsp.h"

// Makes the program's own folder the current folder, so that "data\..."
// resolves there wherever the program was started from: the executable's
// folder, or an installed program's data folder (../share/<name>/). Called
// first thing, before the file layer records its start folder. 1 or 0.
int vx_app_enter_program_folder();

// Prepares the per-user settings file `settings_name` (the INIFile key) in
// the folder named after `title`; the file layer must be running. An
// existing file is kept (1); else "Default.ini" from the program folder is
// copied there (1); else, when "VXSetup.ini" is there, the display tool
// "ScreenConfig" (or "ScreenC") runs from the program folder and its exit
// code is the result; likewise "VXConfig.ini" with "PlayConfig" (or
// "PlayCfg"); else 0 and the program goes on with defaults. Tool names get
// the platform's executable suffix (none here, ".exe" on Windows).
int vx_app_config_prepare(const char* settings_name, const char* title);

// The single-instance rule and the display start: keeps `app` for the run.
// A running instance of the class name is brought to the front (restored
// when minimised) and, for every "-stop" (any case) in the command line,
// asked to close, waiting in one-second steps, at most 11, while it runs;
// the result is then 0. Otherwise the Display keys are read (Fullscreen=1
// is written when app->debug is 0), the window is created hidden, the
// modes are read, the menu is loaded and the 3D table installed. 1 when
// this instance goes on, 0 when it must exit (the reason was shown).
int vx_app_start(VX_APP* app);
// 1 when the latest vx_app_start returned 0 because another copy runs (this
// copy then writes no settings at all), 0 otherwise.
int vx_app_deferred();

// The error box. When the 3D back end holds the full screen, or
// quiet_errors or SkipMessageBox is set, the line "caption: text\r\n"
// (caption "Error" when null) is appended to Warning.txt in the per-user
// folder; with the 3D back end in full screen or SkipMessageBox no box
// follows and the result is 1. Otherwise the box is shown (full screen
// steps aside to a window for it, play pauses) with `style` (MB_* bits)
// and its answer returned.
int vx_dsp_error_box(const char* text, const char* caption, uint32_t style);
// Appends "caption: text\r\n" to Warning.txt in the per-user folder (the
// current folder while there is none); a text too long is cut.
void vx_dsp_log_line(const char* text, const char* caption);
// An error box captioned with the window title, then PLAT_WM_CLOSE to the main window. 0.
int vx_dsp_fatal_error(const char* text);
// Records that the error just shown through vx_dsp_error_box ends the
// program: its text also goes to standard error as "caption: text" (unless
// the box printed it there), so it reaches the player when no box was
// shown over full screen, and the program's exit status becomes non-zero.
void vx_dsp_fatal_note(const char* text, const char* caption);
int vx_dsp_fatal_count();  // fatal errors raised in this run

typedef void (*VX_TIMER_CALLBACK)(void* user);
// Starts the periodic timer at the finest resolution the system offers;
// `callback(nullptr)` then runs on the timer's thread every `period_ms`.
// Returns the timer id, or 0 after "Timer Init failed. You should restart
// Windows and try again" through vx_dsp_fatal_error.
uint32_t vx_timer_start(VX_TIMER_CALLBACK callback, uint32_t period_ms);
// Stops the timer and ends its period; the id is set to 0.
void vx_timer_stop(uint32_t* id);
