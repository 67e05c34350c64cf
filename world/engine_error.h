// The tile engine's messages: Engine_Error's box and close request, the stops that end the program, and a sink for tools and tests.
//
// Two kinds of message: Engine_Error shows "Error: " and the message in a
// box captioned "Error" and asks the main window to close, so the program
// ends when the close request is handled and the caller goes on meanwhile;
// Engine_Stop does the same and then ends the process at once with exit
// code 1, so a shell or a launcher sees the failed run. Engine_Box shows a
// plain box (a picture that would not load).
//
// With a sink installed none of them shows a box, posts a close request or
// ends the process: every message goes to the sink, and Engine_Stop returns
// so that its caller can unwind (Load_Level then returns LEVEL_STOPPED).
// The level check tool and the tests use this; the fuzz targets too.
#pragma once

// `caption` is the box's caption ("Error" for Engine_Error and
// Engine_Stop), `text` the box's text ("Error: ..." for those two), `stops`
// 1 for Engine_Stop.
typedef void (*ENGINE_ERROR_SINK)(const char* caption, const char* text, int stops, void* user);

// Installs the sink (null: boxes and the close request again).
void Engine_Error_Sink(ENGINE_ERROR_SINK sink, void* user);
int Engine_Error_Has_Sink();

// printf-style; the message is cut to 16000 characters.
void Engine_Error(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Engine_Error, then the end of the process (exit code 1). Returns only
// with a sink installed.
void Engine_Stop(const char* format, ...) __attribute__((format(printf, 1, 2)));
// A box with `text` and `caption`, nothing else.
void Engine_Box(const char* text, const char* caption);

// Messages of all three kinds since the last reset, and whether one of
// them was a stop.
int Engine_Error_Count();
int Engine_Error_Stopped();
void Engine_Error_Reset_Count();
