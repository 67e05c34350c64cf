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

// ---------------------------------------------------------------- frame state

// ---------------------------------------------------------------- editor mode

}  // namespace
