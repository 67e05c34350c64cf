// levelc: compiles a level map's text source into a .map file.
//
// Usage: levelc INPUT.txt OUTPUT.map
//
// The text form (the same as levelt writes; a '#' starts a comment to the
// end of its line, blank lines are ignored, tokens are separated by blanks):
//
//   pondsprint-map 1
//   cell_size 12           the current format (mark -1100, then this cell size,
//                          the unit of the object positions); or "format old"
//   objects N              last object number; records 0..N follow in order
//                          (record 0 is kept in the file but is not an object)
//   object 0 sprite=0 at=0,0,0 bright=0
//   object 1 sprite=1 at=126,0,126
//   grid R C               rows (z, far to near) and columns (x)
//   tiles                  R row lines of C tile numbers (0 empty, 1..299),
//      0:   1   1   0      each starting with its row number and ':'
//   up                     upper face corner heights: "h" when all four agree,
//      0:   0 0/0/12/12    else "h0/h1/h2/h3", corners (low x, high z), (low x,
//                          low z), (high x, high z), (high x, low z)
//   down                   lower face corner heights, the same way
//   tint                   tint (colour ramp 0..15) of each cell
//   bright                 brightness (0..15) of each cell
//   reserved               optional: the two reserved bytes "a/b" of each cell
//   end
//
// Object fields are key=value, in any order, each at most once; a missing
// field takes its default: sprite=S (0), at=x,y,z (0,0,0), bitmap=B (0),
// height=H (0), width=W (0), placed=W (0), transl=T (0), mirror=h,v (0,0),
// params=p4,...,p11 (all 0), cell=column,row (0,0), tint=T (0), bright=B
// (15). Positions are decimals (levelt writes the fewest digits that read
// back to the same double) or raw:HHHHHHHHHHHHHHHH for a NaN's bits. The
// game refills bitmap..params from the sprite and cell from the position
// at load; they are there so that every .map converts back exactly.
//
// Exits 0 when written, 1 with "INPUT: line N: reason" for a bad text,
// 2 for bad usage or a file that cannot be read or written.
#include <cstdio>
#include <string>
#include <vector>

#include "world/map_text.h"

static bool read_all(const char* path, std::string* out) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out->append(buf, n);
  const bool ok = !std::ferror(f);
  std::fclose(f);
  return ok;
}

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: levelc INPUT.txt OUTPUT.map\n");
    return 2;
  }
  std::string text, error;
  if (!read_all(argv[1], &text)) {
    std::fprintf(stderr, "%s: cannot read the file\n", argv[1]);
    return 2;
  }
  std::vector<uint8_t> map;
  if (!Map_Text_To_Map(text.data(), text.size(), &map, &error)) {
    std::fprintf(stderr, "%s: %s\n", argv[1], error.c_str());
    return 1;
  }
  FILE* f = std::fopen(argv[2], "wb");
  bool ok = f && std::fwrite(map.data(), 1, map.size(), f) == map.size();
  if (f && std::fclose(f) != 0) ok = false;
  if (!ok) {
    std::fprintf(stderr, "%s: cannot write the file\n", argv[2]);
    return 2;
  }
  return 0;
}
