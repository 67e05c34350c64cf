// Level set-up: a loaded level becomes a playable board (gameplay keys,
// renderer, frog start, bonus spots, spawners, traffic objects).
#pragma once

// Loads the .def/.map pair and prepares the board: the gameplay keys of the
// .txt beside the .def (a missing key keeps the variable's value), the
// renderer, the frog's start (sprites 1..4), bonus spots (80..87), car
// spawners (tiles 1..24) and log spawners (26..41) in cell order, the
// animations by name, 128 car and 128 log objects and the time-up object;
// outside attract mode the level's music and one or two random draws.
// A loaded level is unloaded first. Every problem is fatal through
// Engine_Stop ("Error opening the level file : PATH", "frog.anim_num[N]=-1",
// "MAX_BONUS exceeded", "Player _must_ have a starting point!",
// "MAX_CAR_START exceeded", "MAX_LOG_START exceeded", "car_anim_num[i]=-1",
// "log_anim_num[0]=-1", "log_anim_num[1]=-1", "bonus_anim_num[i-1]=-1",
// "splash_anim_num==-1"); with an engine error sink installed (tests,
// rulesim) it returns 0 instead and level_unload cleans up. 1 on success.
int level_setup(const char* def_path, const char* map_path);

// Frees the renderer's, the gen layer's and the world's level data when a
// level is loaded, and marks none loaded. Safe to call at any time.
void level_unload();
