// The renderer's frame, recorded: painter's order, the camera row, the near clip, faces and their order, wall culling, objects and their windows, overlay sprites, horizon shift, lighting, editor mode.
#include <functional>

#include "tests/world/test_render_util.h"
#include "world/objects.h"

using namespace level_test;
using namespace render_test;

namespace {

WORLD_TABLES& w = world_tables;

// Tile 1 a floor; tile 2 a block with every wall; tile 3 the same without
// an upper face. Sprite 1 is 20 wide and 24 high.
const std::string kDef = "@a 30\r\n@b 30\r\n@c 12\r\n" + SLOTS +
                         "#A = a.png\r\n#B = b.png\r\n$W = w.png\r\n^S = s.png\r\n"
                         "%1 = A, A, NULL, NULL, NULL, NULL\r\n%2 = A, B, W, W, W, W\r\n%3 = NULL, B, W, W, W, W\r\n"
                         "&1 = S, 24, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n&2 = NULL, 24, 20, 0, 0, 0, 0, 0, 0, 0, 0, 0\r\n";

CELL block(int tile, int up, int down = 0) {
  CELL c = cell_of(tile, up);
  for (int k = 0; k < 4; k++) c.down[k] = int16_t(down);
  return c;
}

class Frame : public RenderTest {
 protected:
  // Loads the level with the grid of `cells` and starts the renderer.
  void start(std::function<CELL(int, int)> cells) {
    const Bytes map = map_bytes(12, {}, 30, 30, cells);
    ASSERT_EQ(load(kDef, &map), LEVEL_LOADED);
    ASSERT_TRUE(record.messages.empty());
    Init_3D_Engine();
  }
  static uint32_t texture(const char* bitmap) { return w.bitmap_index[Find_Bitmap(bitmap)].texture; }
  // One frame, with only its own output recorded.
  static void frame(double x, double y, double z, uint8_t editor = 0) {
    seen = Seen();
    Render_World(x, y, z, editor);
  }
  static RENDER_POLYGON first_face(int face) {
    for (const RENDER_POLYGON& p : seen.polygons)
      if (p.face == face) return p;
    ADD_FAILURE() << "no face " << face;
    return RENDER_POLYGON{};
  }
  // The object pieces (face 6) in drawing order.
  static std::vector<RENDER_POLYGON> sprites() {
    std::vector<RENDER_POLYGON> out;
    for (const RENDER_POLYGON& p : seen.polygons)
      if (p.face == RENDER_FACE_OBJECT) out.push_back(p);
    return out;
  }
};

// Only cell (15, 5) set, to `c`; the rest empty.
std::function<CELL(int, int)> one_cell(CELL c) {
  return [c](int r, int col) { return r == 5 && col == 15 ? c : cell_of(0); };
}

// ---------------------------------------------------------------- order
TEST_F(Frame, RowsFarToNearColumnsOutsideIn) {
  start([](int, int) { return cell_of(1); });
  frame(186, 25, 300);  // column 15, row 25
  std::vector<std::pair<int, int>> want;
  for (int r = 10; r <= 24; r++) {  // row 25's far edge is at depth 0
    const int h = render_view.row_half_width[25 - r];
    for (int c = std::max(15 - h, 0); c < 15; c++) want.push_back({c, r});
    for (int c = std::min(15 + h, 29); c >= 15; c--) want.push_back({c, r});
  }
  std::vector<std::pair<int, int>> got;
  for (const RENDER_POLYGON& p : seen.polygons) {
    EXPECT_EQ(p.face, 0);
    EXPECT_EQ(p.count, 4);  // flat: one quad
    got.push_back({p.column, p.row});
  }
  EXPECT_EQ(got, want);
  EXPECT_EQ(nums(Render_Stats().rows, Render_Stats().polygons, seen.begins, seen.ends), nums(15, want.size(), 1, 1));
}

TEST_F(Frame, FloorsCarryTheirDepthsAndTexture) {
  start(one_cell(cell_of(1)));
  frame(186, 25, 200);
  ASSERT_EQ(seen.polygons.size(), 1u);
  const RENDER_POLYGON& p = seen.polygons[0];
  EXPECT_EQ(p.texture, texture("A"));
  // Far edge of row 5 at depth 200 - 60, near edge at 128; the bitmap once.
  EXPECT_EQ(nums(p.v[0].depth, p.v[2].depth, p.v[0].u, p.v[2].u, p.v[2].v), nums(140, 128, 0, 1, 1));
  // Far-left corner: x 180 - 186 = -6, height -25, at depth 140.
  EXPECT_EQ(p.v[0].x, 160 + int(-6 * 200 / 140.0));
  EXPECT_EQ(p.v[0].y, 100 - int(-25 * 166 / 140.0));
  for (int k = 0; k < 3; k++) EXPECT_EQ(p.colour[k], 1.0f);  // unlit: the bitmap's own colours
}

TEST_F(Frame, CameraRowOnlyWhileItsFarEdgeIsFiveAway) {
  start([](int, int) { return cell_of(1); });
  frame(186, 25, 120);  // exactly on the boundary of row 10: depth 0
  EXPECT_EQ(nums(Render_Stats().rows, count_face(15, 10, 0)), nums(10, 0));
  frame(186, 25, 125);  // depth 5: visited, its floor seen edge on
  EXPECT_EQ(Render_Stats().rows, 11);
  frame(186, 25, 126);
  EXPECT_EQ(count_face(15, 10, 0), 1);
}

TEST_F(Frame, NearCornersAreMovedBackToDepthFive) {
  CELL c = cell_of(1);
  c.up[0] = c.up[2] = 12;  // rising toward the near edge
  start([c](int r, int col) { return r == 10 && col == 15 ? c : cell_of(0); });
  frame(186, 25, 130);  // far edge at depth 10, near edge at -2
  ASSERT_EQ(seen.polygons.size(), 2u);  // a sloped face: two triangles
  // Far-left, far-right, near-right; the near corner at 5 / 12 of the way: height 5.
  const RENDER_VERTEX& nr = seen.polygons[0].v[2];
  EXPECT_EQ(nums(nr.depth, nr.x, nr.y, seen.polygons[0].v[0].depth, seen.polygons[1].count),
            nums(5, 160 + 6 * 200 / 5, 100 + 20 * 166 / 5, 10, 3));
  EXPECT_FLOAT_EQ(nr.v, 5.0f / 12);
}

// ---------------------------------------------------------------- faces
TEST_F(Frame, FaceOrderOfABlockWithAnObject) {
  start(one_cell(block(2, 12)));
  const int o = Create_Object(1, 186, 12, 66);  // on top of the block, over columns 14 to 16
  frame(186, 25, 200);
  // Far wall and the side walls seen from inside (the camera is over the
  // cell), upper face, the object, the near wall.
  EXPECT_EQ(faces_of(15, 5), (std::vector<int>{5, 2, 4, 0, RENDER_FACE_OBJECT, 3}));
  // Cells without a tile draw only the pieces of the object over them.
  EXPECT_EQ(faces_of(14, 5), std::vector<int>{RENDER_FACE_OBJECT});
  EXPECT_EQ(faces_of(16, 5), std::vector<int>{RENDER_FACE_OBJECT});
  EXPECT_EQ(faces_of(13, 5), std::vector<int>{});
  // Pieces go out outside in (column 14, 16, then 15) and join where the cells meet.
  const std::vector<RENDER_POLYGON> s = sprites();
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(nums(s[0].column, s[1].column, s[2].column, s[2].object, Render_Stats().objects), nums(14, 16, 15, o, 3));
  EXPECT_EQ(nums(s[0].v[1].x, s[2].v[1].x), nums(s[2].v[0].x, s[1].v[0].x));
  EXPECT_FLOAT_EQ(s[0].v[1].u, s[2].v[0].u);
}

TEST_F(Frame, WallTexturesAndTheFloorSwitches) {
  start(one_cell(block(2, 12)));
  frame(186, 25, 200);
  const RENDER_POLYGON& far = seen.polygons[0];
  ASSERT_EQ(far.face, 5);
  EXPECT_EQ(far.texture, texture("W"));
  // The whole bitmap once, short of the last 1.15 texels of 32 across; v 0 at the upper edge, 1 at the lower.
  EXPECT_EQ(nums(far.v[0].u, far.v[0].v, far.v[2].v), nums(0, 0, 1));
  EXPECT_FLOAT_EQ(far.v[1].u, (32 - 1.15f) / 32);
  render_view.floors_on = 0;
  frame(186, 25, 200);
  EXPECT_EQ(faces_of(15, 5), (std::vector<int>{5, 2, 4, 3}));
  render_view.floors_on = 1;
  render_view.walls_on = 0;
  frame(186, 25, 200);
  EXPECT_EQ(faces_of(15, 5), std::vector<int>{0});
}

TEST_F(Frame, LowerFaceSeenFromBelowAndFlatWallsNotDrawn) {
  start(one_cell(block(2, 40, 30)));  // above the eye at 25
  frame(186, 25, 200);
  EXPECT_EQ(faces_of(15, 5), (std::vector<int>{5, 2, 4, 1, 3}));
  EXPECT_EQ(first_face(1).texture, texture("B"));
  start(one_cell(block(2, 0)));  // upper and lower face at 0: walls of no height
  frame(186, 25, 200);
  EXPECT_EQ(faces_of(15, 5), std::vector<int>{0});
}

// ---------------------------------------------------------------- wall culling
TEST_F(Frame, WallCulling) {
  CELL sloped = block(2, 12);
  sloped.up[1] = 8;  // its far-left corner lower than a block's near-left corner
  struct Case {
    const char* what;
    std::function<CELL(int, int)> cells;
    double camera_x;
    std::vector<std::pair<int, std::vector<int>>> faces;  // column of row 5, faces drawn
  };
  const Case cases[] = {
      // (14, 5) lies left of the camera: its face 4, toward the camera, is the one culled.
      {"equal neighbours draw no wall between them",
       [](int r, int c) { return r == 5 && (c == 14 || c == 15) ? block(2, 12) : cell_of(0); }, 186,
       {{14, {5, 2, 0, 3}}, {15, {5, 4, 0, 3}}}},
      {"what covers a wall",
       [](int r, int c) {
         if (r == 5 && c == 15) return block(2, 12);
         if (r == 5 && c == 14) return block(2, 20);     // higher: covers face 2
         if (r == 5 && c == 16) return block(2, 12, 6);  // its lower face higher: face 4 stays
         if (r == 6 && c == 15) return block(3, 12);     // no upper face: face 3 stays
         if (r == 4 && c == 15) return block(2, 12);     // the far wall is never culled
         return cell_of(0);
       },
       186, {{15, {5, 4, 0, 3}}}},
      {"near neighbour and sloped edges",
       [sloped](int r, int c) {
         if (r == 5 && (c == 15 || c == 16)) return block(2, 12);
         if (r == 6 && c == 15) return block(2, 12);  // covers the near wall of (15, 5)
         if (r == 6 && c == 16) return sloped;        // does not cover that of (16, 5)
         return cell_of(0);
       },
       186, {{15, {5, 2, 0}}, {16, {5, 4, 0, 3}}}},
      {"cells at the world's edge have no neighbour",
       [](int r, int c) { return r == 5 && c == 0 ? block(2, 12) : cell_of(0); }, 6, {{0, {5, 2, 4, 0, 3}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    start(c.cells);
    frame(c.camera_x, 25, 200);
    for (const auto& [column, faces] : c.faces) EXPECT_EQ(faces_of(column, 5), faces) << "column " << column;
  }
}

TEST_F(Frame, SideWallsSeenFromOutsideComeAfterTheObjects) {
  start(one_cell(block(2, 12)));
  Create_Object(1, 186, 12, 66);
  frame(150, 25, 200);  // the camera left of the block: face 2 toward it
  EXPECT_EQ(faces_of(15, 5), (std::vector<int>{5, 4, 0, RENDER_FACE_OBJECT, 2, 3}));
  frame(220, 25, 200);  // right of it: face 4 toward it
  EXPECT_EQ(faces_of(15, 5), (std::vector<int>{5, 2, 0, RENDER_FACE_OBJECT, 4, 3}));
}

TEST_F(Frame, NearWallOfTheCameraRowIsClippedAway) {
  start([](int r, int c) { return r == 10 && c == 15 ? block(2, 12) : cell_of(0); });
  frame(186, 25, 126);  // row 10 from depth 6 to -6: its near wall lies behind the near edge
  EXPECT_EQ(faces_of(15, 10), (std::vector<int>{5, 2, 4, 0}));
  frame(186, 25, 137);  // from depth 17 to 5
  EXPECT_EQ(faces_of(15, 10), (std::vector<int>{5, 2, 4, 0, 3}));
}

// ---------------------------------------------------------------- objects
TEST_F(Frame, ObjectsFarthestFirstTiesInListOrder) {
  start(one_cell(cell_of(1)));
  Create_Object(1, 186, 0, 70);
  Create_Object(1, 186, 0, 62);
  Create_Object(1, 186, 0, 70);
  frame(186, 25, 200);
  std::vector<int> order;
  for (const RENDER_POLYGON& p : sprites())
    if (p.column == 15) order.push_back(p.object);
  EXPECT_EQ(order, (std::vector<int>{2, 1, 3}));
  // The cell's list is left in that order.
  const TILES_OBJ& list = w.tiles_obj[5 * 30 + 15];
  ASSERT_EQ(list.count, 3);
  EXPECT_EQ(std::vector<int>(list.objects, list.objects + 3), (std::vector<int>{2, 1, 3}));
}

TEST_F(Frame, ObjectsDoNotCrossTheUpperFace) {
  CELL c = block(2, 0);
  c.up[2] = c.up[3] = 24;  // rising from 0 at the low x edge to 24 at the high x edge
  start(one_cell(c));
  const int below = Create_Object(1, 183, 2, 66);  // a quarter across: the face is at 6
  frame(186, 25, 200);
  std::vector<RENDER_POLYGON> s = sprites();
  ASSERT_FALSE(s.empty());
  const RENDER_POLYGON& p = s.back();
  ASSERT_EQ(p.column, 15);
  // The top of the piece is the face's height (6 - 25) at the object's depth 134.
  EXPECT_EQ(p.v[0].y, 100 - int(-19 * 166 / 134.0));
  EXPECT_GT(p.v[0].v, 0.0f);
  // Standing above the face it is not cut: its own top and bottom.
  w.objects[below].y = 10;
  frame(186, 25, 200);
  s = sprites();
  EXPECT_EQ(s.back().v[0].v, 0.0f);
  EXPECT_FLOAT_EQ(s.back().v[2].v, 0.99f);
}

// One object of sprite 1 at (0, 0, -100), outside the world, seen from
// (0, 12, 0): depth 100, 40 pixels wide, 39.84 high.
class DrawObject : public Frame {
 protected:
  void SetUp() override {
    Frame::SetUp();
    start(one_cell(cell_of(0)));
    o_ = Create_Object(1, 0, 0, -100);
  }
  int draw(double left = -RENDER_WINDOW_OPEN, double right = RENDER_WINDOW_OPEN, const RENDER_LIGHT* light = nullptr,
           double cam_z = 0) {
    seen.polygons.clear();
    return Draw_Object(o_, 0, 12, cam_z, left, right, RENDER_WINDOW_OPEN, -RENDER_WINDOW_OPEN, light);
  }
  int o_ = 0;
};

TEST_F(DrawObject, WholeSpriteStandsOnItsFoot) {
  ASSERT_EQ(draw(), 1);
  const RENDER_POLYGON& p = seen.polygons[0];
  // Left 0 - 20 + 160; top 100 - trunc(-19.92) - 39.
  EXPECT_EQ(nums(p.v[0].x, p.v[0].y, p.v[2].x, p.v[2].y, p.v[0].u, p.v[0].depth, p.colour[3], p.column),
            nums(140, 80, 180, 119, 0, 100, 1, -1));
  EXPECT_FLOAT_EQ(p.v[2].u, 0.99f);
  EXPECT_FLOAT_EQ(p.v[2].v, 0.99f);
  EXPECT_EQ(p.texture, w.sprite_bitmap_index[Find_Sprite_Bitmap("S")].texture);
}

TEST_F(DrawObject, WindowCutsTheTextureInProportion) {
  ASSERT_EQ(draw(0, RENDER_WINDOW_OPEN), 1);  // from the camera's x on: the right half
  const RENDER_POLYGON& p = seen.polygons[0];
  EXPECT_EQ(p.v[0].x, 160);
  EXPECT_FLOAT_EQ(p.v[0].u, 0.495f);
  EXPECT_FLOAT_EQ(p.v[1].u, 0.99f);
  // Mirrored left to right the same half shows the other side of the picture.
  w.objects[o_].mirror_h = 1;
  ASSERT_EQ(draw(0, RENDER_WINDOW_OPEN), 1);
  EXPECT_FLOAT_EQ(seen.polygons[0].v[0].u, 0.495f);
  EXPECT_NEAR(seen.polygons[0].v[1].u, 0.0f, 1e-6);
  w.objects[o_].mirror_v = 1;
  ASSERT_EQ(draw(), 1);
  EXPECT_FLOAT_EQ(seen.polygons[0].v[0].v, 0.99f);
  EXPECT_NEAR(seen.polygons[0].v[2].v, 0.0f, 1e-6);
}

TEST_F(DrawObject, NothingOutsideTheWindowOrTooNear) {
  EXPECT_EQ(draw(-RENDER_WINDOW_OPEN, -15), 0);  // the window ends at column 130
  EXPECT_EQ(draw(10, 20), 0);                    // columns 180 to 200: only touches the edge
  EXPECT_EQ(draw(-RENDER_WINDOW_OPEN, RENDER_WINDOW_OPEN, nullptr, -96), 0);  // depth 4
  EXPECT_EQ(draw(-RENDER_WINDOW_OPEN, RENDER_WINDOW_OPEN, nullptr, -95), 1);  // depth 5
  w.objects[o_].bitmap = -1;
  EXPECT_EQ(draw(), 0);
  EXPECT_EQ(Draw_Object(1000, 0, 0, 0, -999, 999, 999, -999, nullptr), 0);
  EXPECT_EQ(Draw_Object(-1, 0, 0, 0, -999, 999, 999, -999, nullptr), 0);
}

TEST_F(DrawObject, TranslucencyAndLight) {
  w.objects[o_].translucency = 2;
  const RENDER_LIGHT red = {1, 8};
  ASSERT_EQ(draw(-RENDER_WINDOW_OPEN, RENDER_WINDOW_OPEN, &red), 1);
  const RENDER_POLYGON& p = seen.polygons[0];
  EXPECT_FLOAT_EQ(p.colour[0], float(8 * 256 * 0.0002441));
  EXPECT_EQ(nums(p.colour[1], p.colour[3]), nums(0, 0.5));
  w.objects[o_].translucency = 5;  // nothing left: alpha 0, not below
  ASSERT_EQ(draw(), 1);
  EXPECT_EQ(seen.polygons[0].colour[3], 0.0f);
}

TEST_F(Frame, SpriteAtAScreenPosition) {
  start(one_cell(cell_of(0)));
  const int count = w.object_count;
  // (50, 30) in units of 100 / 200 and 100 / 166 pixels: column 100, row 49.8.
  ASSERT_EQ(Draw_Sprite_At(1, 50, 30, 0, 15, 1, 40, 60, 1, 0), 1);
  ASSERT_EQ(seen.polygons.size(), 1u);
  const RENDER_POLYGON& p = seen.polygons[0];
  // 60 x 200 / 100 wide, 50 + trunc(40 x 166 / 100) down; the projection pushed and popped around it.
  EXPECT_EQ(nums(p.v[0].x, p.v[0].y, p.v[2].x, p.v[2].y, p.colour[0], p.colour[3], seen.begins, seen.ends),
            nums(100, 50, 220, 116, 1, 0.75, 1, 1));
  EXPECT_FLOAT_EQ(p.v[0].u, 0.99f);  // mirrored left to right
  // Through the scratch object, which is not an object of the level.
  const OBJECT& scratch = w.objects[WORLD_SCRATCH_OBJECT];
  EXPECT_EQ(nums(p.object, scratch.width, scratch.z, w.object_count), nums(WORLD_SCRATCH_OBJECT, 60, 0, count));
  // A sprite without a bitmap draws nothing.
  EXPECT_EQ(Draw_Sprite_At(2, 50, 30, 0, 15, 0, 40, 60, 0, 0), 0);
}

// ---------------------------------------------------------------- frame state
TEST_F(Frame, HorizonShiftHoldsForTheFrameOnly) {
  start(one_cell(cell_of(1)));
  render_view.horizon_shift = 10;  // a 200-line viewport: (199 x 10) / 100 = 19 lines down
  frame(186, 25, 200);
  ASSERT_EQ(seen.centre_y.size(), 1u);
  EXPECT_EQ(nums(seen.centre_y[0], render_view.centre_y), nums(119, 100));
  // The game's setting at 640 x 480: (479 x -20) / 100 = -95.
  Set_Viewport(479, 639);
  render_view.horizon_shift = -20;
  frame(186, 25, 200);
  EXPECT_EQ(nums(seen.centre_y.back(), render_view.centre_y), nums(145, 240));
}

TEST_F(Frame, NothingBeforeTheEngineStarts) {
  const Bytes map = map_bytes(12, {}, 30, 30, [](int, int) { return cell_of(1); });
  ASSERT_EQ(load(kDef, &map), LEVEL_LOADED);
  render_view.horizon_shift = 50;
  frame(186, 25, 200);
  EXPECT_TRUE(seen.polygons.empty());
  EXPECT_EQ(nums(seen.begins, seen.ends, render_view.centre_y), nums(1, 1, 100));
  EXPECT_EQ(Draw_Sprite_At(1, 0, 0, 0, 15, 0, 10, 10, 0, 0), 0);
}

TEST_F(Frame, CameraFarOutsideTheWorldDrawsNothing) {
  start([](int, int) { return cell_of(1); });
  for (double z : {-500.0, 1e12, -1e12}) {
    frame(186, 25, z);
    EXPECT_EQ(Render_Stats().rows, 0) << z;
  }
  frame(1e9, 25, 200);
  EXPECT_EQ(Render_Stats().cells, 0);
  frame(186, 25, 200);  // rows 1 to 16
  EXPECT_EQ(Render_Stats().rows, 16);
  render_view.view_depth = 2000000000;  // bounded by the world: rows 0 to 16
  frame(186, 25, 200);
  EXPECT_EQ(Render_Stats().rows, 17);
}

TEST_F(Frame, LightingOfCellsAndObjectsFadesWithDistance) {
  CELL c = cell_of(1);
  c.tint = 1;
  c.brightness = 10;
  start(one_cell(c));
  const int o = Create_Object(1, 186, 0, 66);
  w.objects[o].tint = 2;
  // The floor of (15, 5); the object's pieces come out with their own cells.
  auto floor = [] {
    for (const RENDER_POLYGON& p : seen.polygons)
      if (p.face == 0) return p;
    return RENDER_POLYGON{};
  };
  frame(186, 25, 200);  // row 5 is 11 rows from row 16
  EXPECT_EQ(nums(floor().colour[0], sprites()[0].colour[0]), nums(1, 1));  // lighting off: white
  render_view.cell_lighting = 1;
  render_view.object_lighting = 1;
  seen.polygons.clear();
  frame(186, 25, 200);
  // fade_start 8: 11 - 8 = 3 steps lost, 10 -> 7 for the cell, 15 -> 12 for the object.
  EXPECT_FLOAT_EQ(floor().colour[0], float(7 * 256 * 0.0002441));
  EXPECT_EQ(floor().colour[1], 0.0f);
  const std::vector<RENDER_POLYGON> s = sprites();
  ASSERT_FALSE(s.empty());
  EXPECT_EQ(s[0].colour[0], 0.0f);
  EXPECT_FLOAT_EQ(s[0].colour[1], float(12 * 256 * 0.0002441));
}

// ---------------------------------------------------------------- editor mode
TEST_F(Frame, EditorOutlinesTheCellFourRowsAhead) {
  start([](int, int) { return cell_of(1); });
  std::vector<uint8_t> font(RENDER_FONT_GLYPHS * RENDER_FONT_ROWS, 0x1F);
  ASSERT_EQ(Load_Editor_Font_Memory(font.data(), font.size()), 1);
  const int o = Create_Object(1, 186, 0, 100);
  w.objects[o].row = -100;
  frame(186, 25, 200);
  EXPECT_TRUE(seen.lines.empty());
  EXPECT_TRUE(seen.points.empty());
  frame(186, 25, 200, 1);
  // Row 16 - 4 = 12, column 15: its far-left corner at depth 56, height -25.
  ASSERT_EQ(seen.lines.size(), 4u);
  EXPECT_EQ(nums(seen.lines[0].x1, seen.lines[0].y1, seen.lines[0].colour),
            nums(160 + int(-6 * 200 / 56.0), 100 - int(-25 * 166 / 56.0), 0xFFFFFF));
  // Four corner heights ("0") and the object's numbers ("1 186,0,100"), five points a row.
  EXPECT_EQ(seen.points.size(), size_t((4 + 10) * 7 * 5));
}

}  // namespace
