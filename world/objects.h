// Objects of the world: set-up from a sprite, creation, placement in the per-cell lists, private animations.
//
// An object's footprint: row trunc(z / cell_size), first column
// trunc((x - (w + 1) / 2) / cell_size) with w its width and (w + 1) / 2 an
// integer division, then w / cell_size + 2 columns. Each cell lists at most
// 15 objects (tiles_obj); an object that finds a full list is simply not
// listed there.
#pragma once
#include <cstdint>

// Copies sprite bitmap, height, width, translucency and P4..P11 from the
// object's sprite. An undefined sprite stops the program ("Sprite %d is NOT
// defined! ..."). 1, or 0 (only with an error sink, or a bad object number).
int Object_From_Sprite(int object);

// A new object of `sprite` at (x, y, z): number object_count + 1, set up
// from the sprite, not mirrored, tint 0, brightness 15, then placed. A
// number above 997 stops the program ("I cant create more objects").
// Returns the number, or -1 (only with an error sink).
int Create_Object(int sprite, double x, double y, double z);

// Moves an object and keeps the cell lists right: out of the cells of its
// last placement (at its width then), into the cells of the new footprint
// at the end of each list. Object numbers 0..999; others are ignored.
void Object_Set_Position(int object, double x, double y, double z);

// Empties every cell list, then enters objects first..object_count again
// at their own positions. Load_Level calls it with 1.
void Objects_Place_All(int first);

// Gives `object` its own running copy of animation `animation` (kind:
// sprite bitmaps) with `loops` (-1 forever; kept as a signed 16-bit value)
// starting on `start_frame`; the object's first call takes a private
// sprite bitmap and animation entry, later calls reuse them. The table
// limits stop the program. 1, or 0 for bad numbers or a stop.
int asign_animation_to_object(int object, int animation, int loops, int start_frame);
