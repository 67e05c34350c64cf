// Inside the SDL backend only: what the event translation needs from the
// part that owns SDL.
#pragma once
#include <SDL.h>

// 1 when SDL video is running and the calling thread is the one that started
// it (SDL events may only be gathered there).
int plat_sdl_events_ready();

// Starts SDL video (and events) once, with the hints every window relies
// on; the calling thread becomes the one that gathers SDL's events. 1 when
// video runs.
int plat_sdl_video_start();

// The GL context last made current through plat_gl (creation or
// plat_gl_make_current) becomes current again when something else of SDL
// took its place (a window's own renderer, a destroyed window). Nothing
// when no context was made or it is already current.
void plat_sdl_gl_keep_current();

// Before a window goes full screen: it is moved and sized to cover its
// display (width x height at the display's corner) while SDL still takes
// such changes. Full screen is a request to the window manager; without
// one (a bare X server) the window would keep its windowed size while the
// picture is drawn for the mode. Nothing for a window already full screen.
void plat_sdl_cover_display(SDL_Window* w, int width, int height);

// A joystick or game controller was plugged in or pulled out (SDL's device
// events): the input layer's device serial moves on, so the joystick table
// is enumerated again at its next poll.
void plat_sdl_input_devices_changed();
