// Helpers of the renderer tests: an output that records what a frame hands out, and a level fixture with the view state set to known values.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/world/test_level_util.h"
#include "world/render.h"

namespace render_test {

struct Line {
  int x1, y1, x2, y2;
  uint32_t colour;
};
struct Point {
  int x, y;
};

// What the recording output saw.
struct Seen {
  std::vector<RENDER_POLYGON> polygons;
  std::vector<int32_t> centre_y;  // render_view.centre_y at each polygon
  std::vector<Line> lines;
  std::vector<Point> points;
  int begins = 0, ends = 0;
  int depth = 0, deepest = 0;  // frame nesting
};
inline Seen seen;

inline void rec_begin(int, int) {
  seen.begins++;
  seen.depth++;
  if (seen.depth > seen.deepest) seen.deepest = seen.depth;
}
inline void rec_end() {
  seen.ends++;
  seen.depth--;
}
inline void rec_polygon(const RENDER_POLYGON* p) {
  seen.polygons.push_back(*p);
  seen.centre_y.push_back(render_view.centre_y);
}
inline void rec_line(int x1, int y1, int x2, int y2, uint32_t c) { seen.lines.push_back({x1, y1, x2, y2, c}); }
inline void rec_point(int x, int y, uint32_t) { seen.points.push_back({x, y}); }

constexpr RENDER_OUTPUT kRecorder = {rec_begin, rec_end, rec_polygon, rec_line, rec_point, nullptr, nullptr};

// The view state as the renderer starts: a 320 x 200 viewport.
inline void view_defaults() {
  RENDER_VIEW& v = render_view;
  v.view_right = 319, v.view_bottom = 199, v.centre_x = 160, v.centre_y = 100, v.proj_x = 200, v.proj_y = 166;
  v.view_depth = 15, v.horizon_shift = 0, v.cell_lighting = 0, v.object_lighting = 0;
  v.fade_start = 8, v.fade_rate = 1.0, v.floors_on = 1, v.walls_on = 1;
}

// A level test with the recording output installed and the view state at
// its defaults; the renderer is stopped at the end.
class RenderTest : public level_test::LevelTest {
 protected:
  void SetUp() override {
    LevelTest::SetUp();
    seen = Seen();
    Render_Output_Set(&kRecorder);
    view_defaults();
  }
  void TearDown() override {
    Free_3D_Engine();
    Free_Transparency_Tables();
    Render_Output_Set(nullptr);
    view_defaults();
    LevelTest::TearDown();
  }

  // The faces drawn for cell (column, row), in order.
  static std::vector<int> faces_of(int column, int row) {
    std::vector<int> out;
    for (const RENDER_POLYGON& p : seen.polygons)
      if (p.column == column && p.row == row) out.push_back(p.face);
    return out;
  }
  static int count_face(int column, int row, int face) {
    int n = 0;
    for (const RENDER_POLYGON& p : seen.polygons) n += p.column == column && p.row == row && p.face == face;
    return n;
  }
};

}  // namespace render_test
