// ag_frog: the frog, drawn in four views and any pose; used for its animation frames and for the pictures that show it.
#pragma once
#include "tools/artgen/ag_canvas.h"

enum AG_FROG_VIEW {
  AG_FROG_BACK = 0,   // facing up, away from the camera
  AG_FROG_FRONT = 1,  // facing down, towards the camera
  AG_FROG_RIGHT = 2,  // profile facing right (left is its mirror)
};

struct AG_FROG_POSE {
  double lift;    // art pixels above the ground (0 sitting)
  double squash;  // -1 stretched tall .. 0 normal .. 1 squashed flat
  double legs;    // 0 folded .. 1 stretched out (in the air)
  double throat;  // 0 .. 1 throat sac puffed (front and side views)
  int eyes;       // 0 open, 1 closed (a happy arc)
};

// Draws the frog (outlined in ink) with its feet at row `base` (minus the
// lift) and centred on column `cx`, about 24 art pixels wide and 20 high,
// over whatever is on `c`. No shadow.
void ag_frog_draw(AG_CANVAS* c, int view, const AG_FROG_POSE& pose, double cx, double base);
