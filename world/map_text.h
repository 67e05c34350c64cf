// The level map's text form: a readable, diffable description of a .map (objects and grid) and its conversion both ways.
//
// The level tools keep maps as text sources (levelc: text to .map; levelt:
// .map to text). Every .map that Map_Text_From_Map accepts comes back byte
// for byte from Map_Text_To_Map, and the text Map_Text_From_Map writes is
// the canonical form that Map_Text_To_Map reads back to the same text.
//
// The form, line by line (a '#' starts a comment to the end of its line;
// blank lines are ignored; tokens are separated by blanks):
//
//   pondsprint-map 1
//   cell_size 12           current format: the mark -1100 and the cell size the
//                          positions are in; or "format old" (no mark, no size)
//   objects N              last object number; records 0..N follow, in order
//   object 0 sprite=0 at=0,0,0 bright=0
//   object 1 sprite=1 at=126,0,126
//   grid R C               rows (z) and columns (x)
//   tiles                  then R row lines of C tile numbers, each line
//      0:   1   1   0      starting with its row number and ':'
//   up                     upper face heights: "h" when the four corners agree,
//      0:   0 0/0/12/12    else "h0/h1/h2/h3" (corners (low x, high z), (low x,
//                          low z), (high x, high z), (high x, low z))
//   down                   lower face heights, the same way
//   tint                   tint of each cell
//   bright                 brightness of each cell
//   reserved               optional: the two reserved bytes "a/b" of each cell
//   end
//
// Object fields, key=value, in any order, each at most once; a missing field
// has its default: sprite=S (0), at=x,y,z (0,0,0), bitmap=B (0), height=H (0),
// width=W (0), placed=W (0, the width at the last placement), transl=T (0),
// mirror=h,v (0,0), params=p4,...,p11 (all 0), cell=column,row (0,0),
// tint=T (0), bright=B (15). Positions are decimal numbers written with the
// fewest digits that read back to the same double, or raw:HHHHHHHHHHHHHHHH
// (the 64 bits in hex) for a NaN. The loader refills bitmap..params from the
// sprite and cell from the position; they are kept only for exactness.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The text form of the .map in `data`. 1, or 0 with a reason in `error`
// for a file that is cut short or has bytes after its last cell.
int Map_Text_From_Map(const uint8_t* data, size_t size, std::string* text, std::string* error);

// The .map of a text form. 1, or 0 with "line N: reason" in `error`.
int Map_Text_To_Map(const char* text, size_t size, std::vector<uint8_t>* map, std::string* error);
