// The level's time steps: animations, moving cells and animated objects, in this order once per game-logic step.
//
// dt is the elapsed time in the game's time unit (the game passes 3 per
// logic step); delays and pauses are in the same unit, moving-cell speeds
// in world units per 10 time units, animated-object speeds in world units
// per time unit.
#pragma once

// Every active animation counts down its frame; at the end of a frame it
// goes to the next (ping-pong turns at the ends, loops count down, the
// last frame stays once the loops are used up) and the overrun is added
// to the new frame's delay; the target entry then shows the frame.
void Animations_Step(double dt);

// Every moving cell: the first step sets its faces to the start
// altitudes; then it moves toward the altitude of its current frame at the
// frame's speed, waits the frame's delay, and goes on with the next frame.
// A cell whose upper altitude is below its lower one gives "The height of
// a moving cell is wrong!" (the program closes later).
void Moving_Cells_Step(double dt);

// Every animated object travels from way point to way point at the
// velocities the loader worked out, pausing at each for its delay.
void Animated_Objects_Step(double dt);
