// The bounding box of a bitmap's inked pixels: what font trimming and animation regions measure.
#pragma once

#include "display/vx_bit.h"

// A pixel is blank when the transparent copy would not write it, or when it
// is fully transparent: 8 bits index 0, 15/16 bits the screen's packed
// magenta key, 24 bits (255, 0, 255), 32 bits alpha 0. Every pixel of
// another depth counts as inked.
//
// The smallest rectangle holding every inked pixel of `area` (null: the
// whole bitmap; clipped to the bitmap) into `out`. 1 when there is one; 0
// when the area holds no inked pixel or nothing of it lies inside the
// bitmap, `out` then (area x, area y, 0, 0). `out` may not be null.
int vx_bit_bounding_box(const VX_BITMAP* bitmap, const VX_RECT* area, VX_RECT* out);
