// Level set-up: a loaded level becomes a playable board (gameplay keys,
// renderer, frog start, bonus spots, spawners, traffic objects).
#pragma once

// Loads the .def/.map pair and prepares the board. Every problem is fatal
// through the engine's error box; with an engine error sink installed
// (tests, rulesim) it returns 0 instead of ending the process. 1 on success.
int level_setup(const char* def_path, const char* map_path);

// Frees the renderer's, the gen layer's and the world's level data when a
// level is loaded, and marks none loaded. Safe to call at any time.
void level_unload();
