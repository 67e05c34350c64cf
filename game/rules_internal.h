// Helpers shared by the rules' files (rules.cpp, rules_frog.cpp, rules_frame.cpp); not for other modules.
#pragma once
#include "game/game_state.h"

struct CELL;

// The ground height at (x, z); -9999 outside the world or over an empty cell.
float rules_ground(float x, float z);
// The frog's cell from its x and z (motion_cell_of).
void rules_frog_cell(FROG* frog);
// Shows frame `frame` of the frog's animation `slot` (0..3 hop up, down,
// right, left; 4..7 idle) for one loop. Nothing for a missing animation.
void rules_frog_show(int slot, int frame);
// Places the frog's object at its position (hidden in the cases the step
// hides it).
void rules_frog_place(int hidden);
// The camera follows the frog: behind it at (x, y + 25, z + 48).
void rules_camera_follow();
// A random value reduced to 0..n-1 (n > 0); table values below zero still land inside.
int rules_random_below(int n);
// Hides an object at (9999, 9999, 9999).
void rules_object_hide(int object);
