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
  EXPECT_EQ(Render_Stats().rows, 15);
  EXPECT_EQ(Render_Stats().polygons, int(want.size()));
  EXPECT_EQ(seen.begins, 1);
  EXPECT_EQ(seen.ends, 1);
}

TEST_F(Frame, FloorsCarryTheirDepthsAndTexture) {
  start(one_cell(cell_of(1)));
  frame(186, 25, 200);
  ASSERT_EQ(seen.polygons.size(), 1u);
  const RENDER_POLYGON& p = seen.polygons[0];
  EXPECT_EQ(p.texture, texture("A"));
  // Far edge of row 5 at depth 200 - 60, near edge at 128; the bitmap once.
  EXPECT_EQ(p.v[0].depth, 140.0f);
  EXPECT_EQ(p.v[2].depth, 128.0f);
  EXPECT_EQ(p.v[0].u, 0.0f);
  EXPECT_EQ(p.v[2].u, 1.0f);
  EXPECT_EQ(p.v[2].v, 1.0f);
  // Far-left corner: x 180 - 186 = -6, height -25, at depth 140.
  EXPECT_EQ(p.v[0].x, 160 + int(-6 * 200 / 140.0));
  EXPECT_EQ(p.v[0].y, 100 - int(-25 * 166 / 140.0));
  for (int k = 0; k < 3; k++) EXPECT_EQ(p.colour[k], 1.0f);  // unlit: the bitmap's own colours
}

TEST_F(Frame, CameraRowOnlyWhileItsFarEdgeIsFiveAway) {
  start([](int, int) { return cell_of(1); });
  frame(186, 25, 120);  // exactly on the boundary of row 10: depth 0
  EXPECT_EQ(Render_Stats().rows, 10);
  EXPECT_EQ(count_face(15, 10, 0), 0);
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
  EXPECT_EQ(nr.depth, 5.0f);
  EXPECT_EQ(nr.x, 160 + 6 * 200 / 5);
  EXPECT_EQ(nr.y, 100 + 20 * 166 / 5);
  EXPECT_FLOAT_EQ(nr.v, 5.0f / 12);
  EXPECT_EQ(seen.polygons[0].v[0].depth, 10.0f);
  EXPECT_EQ(seen.polygons[1].count, 3);
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
  EXPECT_EQ(s[0].column, 14);
  EXPECT_EQ(s[1].column, 16);
  EXPECT_EQ(s[2].column, 15);
  EXPECT_EQ(s[0].v[1].x, s[2].v[0].x);
  EXPECT_EQ(s[2].v[1].x, s[1].v[0].x);
  EXPECT_FLOAT_EQ(s[0].v[1].u, s[2].v[0].u);
  EXPECT_EQ(s[2].object, o);
  EXPECT_EQ(Render_Stats().objects, 3);
}

TEST_F(Frame, WallTexturesAndTheFloorSwitches) {
  start(one_cell(block(2, 12)));
  frame(186, 25, 200);
  const RENDER_POLYGON& far = seen.polygons[0];
  ASSERT_EQ(far.face, 5);
  EXPECT_EQ(far.texture, texture("W"));
  // The whole bitmap once, short of the last 1.15 texels of 32 across.
  EXPECT_EQ(far.v[0].u, 0.0f);
  EXPECT_FLOAT_EQ(far.v[1].u, (32 - 1.15f) / 32);
  EXPECT_EQ(far.v[0].v, 0.0f);  // upper edge
  EXPECT_EQ(far.v[2].v, 1.0f);  // lower edge
  render_view.floors_on = 0;
  frame(186, 25, 200);
  EXPECT_EQ(faces_of(15, 5), (std::vector<int>{5, 2, 4, 3}));
  render_view.floors_on = 1;
  render_view.walls_on = 0;
  frame(186, 25, 200);
  EXPECT_EQ(faces_of(15, 5), std::vector<int>{0});
}

TEST_F(Frame, LowerFaceSeenFromBelow) {
  start(one_cell(block(2, 40, 30)));  // above the eye at 25
  frame(186, 25, 200);
  EXPECT_EQ(faces_of(15, 5), (std::vector<int>{5, 2, 4, 1, 3}));
  EXPECT_EQ(first_face(1).texture, texture("B"));
}

TEST_F(Frame, FlatWallsAreNotDrawn) {
  start(one_cell(block(2, 0)));  // upper and lower face at 0: walls of no height
  frame(186, 25, 200);
  EXPECT_EQ(faces_of(15, 5), std::vector<int>{0});
}

// ---------------------------------------------------------------- wall culling
TEST_F(Frame, EqualNeighboursDrawNoWallBetweenThem) {
  start([](int r, int c) { return r == 5 && (c == 14 || c == 15) ? block(2, 12) : cell_of(0); });
  frame(186, 25, 200);
  // (14, 5) lies left of the camera: its face 4, toward the camera, is the one culled.
  EXPECT_EQ(faces_of(14, 5), (std::vector<int>{5, 2, 0, 3}));
  EXPECT_EQ(faces_of(15, 5), (std::vector<int>{5, 4, 0, 3}));
}

TEST_F(Frame, WhatCoversAWall) {
  start([](int r, int c) {
    if (r == 5 && c == 15) return block(2, 12);
    if (r == 5 && c == 14) return block(2, 20);     // higher: covers face 2
    if (r == 5 && c == 16) return block(2, 12, 6);  // its lower face higher: face 4 stays
    if (r == 6 && c == 15) return block(3, 12);     // no upper face: face 3 stays
    if (r == 4 && c == 15) return block(2, 12);     // the far wall is never culled
    return cell_of(0);
  });
  frame(186, 25, 200);
  EXPECT_EQ(faces_of(15, 5), (std::vector<int>{5, 4, 0, 3}));
}

TEST_F(Frame, NearNeighbourAndSlopedEdges) {
  CELL sloped = block(2, 12);
  sloped.up[1] = 8;  // its far-left corner lower than the block's near-left corner
  start([sloped](int r, int c) {
    if (r == 5 && (c == 15 || c == 16)) return block(2, 12);
    if (r == 6 && c == 15) return block(2, 12);  // covers the near wall of (15, 5)
    if (r == 6 && c == 16) return sloped;        // does not cover that of (16, 5)
    return cell_of(0);
  });
  frame(186, 25, 200);
  EXPECT_EQ(faces_of(15, 5), (std::vector<int>{5, 2, 0}));
  EXPECT_EQ(faces_of(16, 5), (std::vector<int>{5, 4, 0, 3}));
}

TEST_F(Frame, CellsAtTheWorldsEdgeHaveNoNeighbour) {
  start([](int r, int c) { return r == 5 && c == 0 ? block(2, 12) : cell_of(0); });
  frame(6, 25, 200);
  EXPECT_EQ(faces_of(0, 5), (std::vector<int>{5, 2, 4, 0, 3}));
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
  EXPECT_EQ(p.v[0].x, 140);
  EXPECT_EQ(p.v[0].y, 80);
  EXPECT_EQ(p.v[2].x, 180);
  EXPECT_EQ(p.v[2].y, 119);
  EXPECT_EQ(p.v[0].u, 0.0f);
  EXPECT_FLOAT_EQ(p.v[2].u, 0.99f);
  EXPECT_FLOAT_EQ(p.v[2].v, 0.99f);
  EXPECT_EQ(p.v[0].depth, 100.0f);
  EXPECT_EQ(p.colour[3], 1.0f);
  EXPECT_EQ(p.texture, w.sprite_bitmap_index[Find_Sprite_Bitmap("S")].texture);
  EXPECT_EQ(p.column, -1);
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
  EXPECT_EQ(p.colour[1], 0.0f);
  EXPECT_EQ(p.colour[3], 0.5f);
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
  EXPECT_EQ(p.v[0].x, 100);
  EXPECT_EQ(p.v[0].y, 50);
  EXPECT_EQ(p.v[2].x, 220);  // 60 x 200 / 100 wide
  EXPECT_EQ(p.v[2].y, 116);  // 50 + trunc(40 x 166 / 100)
  EXPECT_FLOAT_EQ(p.v[0].u, 0.99f);  // mirrored left to right
  EXPECT_EQ(p.colour[0], 1.0f);
  EXPECT_EQ(p.colour[3], 0.75f);
  EXPECT_EQ(seen.begins, 1);  // the projection pushed and popped around it
  EXPECT_EQ(seen.ends, 1);
  // Through the scratch object, which is not an object of the level.
  EXPECT_EQ(p.object, WORLD_SCRATCH_OBJECT);
  EXPECT_EQ(w.objects[WORLD_SCRATCH_OBJECT].width, 60);
  EXPECT_EQ(w.objects[WORLD_SCRATCH_OBJECT].z, 0.0);
  EXPECT_EQ(w.object_count, count);
  // A sprite without a bitmap draws nothing.
  EXPECT_EQ(Draw_Sprite_At(2, 50, 30, 0, 15, 0, 40, 60, 0, 0), 0);
}

// ---------------------------------------------------------------- frame state
TEST_F(Frame, HorizonShiftHoldsForTheFrameOnly) {
  start(one_cell(cell_of(1)));
  render_view.horizon_shift = 10;  // a 200-line viewport: (199 x 10) / 100 = 19 lines down
  frame(186, 25, 200);
  ASSERT_EQ(seen.centre_y.size(), 1u);
  EXPECT_EQ(seen.centre_y[0], 119);
  EXPECT_EQ(render_view.centre_y, 100);
  // The game's setting at 640 x 480: (479 x -20) / 100 = -95.
  Set_Viewport(479, 639);
  render_view.horizon_shift = -20;
  frame(186, 25, 200);
  EXPECT_EQ(seen.centre_y.back(), 145);
  EXPECT_EQ(render_view.centre_y, 240);
}

TEST_F(Frame, NothingBeforeTheEngineStarts) {
  const Bytes map = map_bytes(12, {}, 30, 30, [](int, int) { return cell_of(1); });
  ASSERT_EQ(load(kDef, &map), LEVEL_LOADED);
  render_view.horizon_shift = 50;
  frame(186, 25, 200);
  EXPECT_TRUE(seen.polygons.empty());
  EXPECT_EQ(seen.begins, 1);
  EXPECT_EQ(seen.ends, 1);
  EXPECT_EQ(render_view.centre_y, 100);
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
  EXPECT_EQ(floor().colour[0], 1.0f);  // lighting off: white
  EXPECT_EQ(sprites()[0].colour[0], 1.0f);
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
  EXPECT_EQ(seen.lines[0].x1, 160 + int(-6 * 200 / 56.0));
  EXPECT_EQ(seen.lines[0].y1, 100 - int(-25 * 166 / 56.0));
  EXPECT_EQ(seen.lines[0].colour, 0xFFFFFFu);
  // Four corner heights ("0") and the object's numbers ("1 186,0,100"), five points a row.
  EXPECT_EQ(seen.points.size(), size_t((4 + 10) * 7 * 5));
}

}  // namespace
