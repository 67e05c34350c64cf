// The 3D interface table: defaults before and after installation, and the card classification.
#include "display_fixture.h"

namespace {

using Dsp3dTest = DisplayTest;

int my_flush() { return 7; }
int my_free(VX_BITMAP*) { return 8; }

TEST_F(Dsp3dTest, InstalledTableIsACopyWithDefaultsForEmptyEntries) {
  VX_DSP_3D_INTERFACE mine = {};
  mine.vx_dsp_3d_flush = my_flush;
  mine.vx_bit_3d_free = my_free;
  vx_dsp_3d_interface_set(&mine);
  mine.vx_dsp_3d_flush = nullptr;  // the caller's table may change or go
  const VX_DSP_3D_INTERFACE* t = vx_dsp_3d_interface();
  EXPECT_EQ(vx_dsp_3d_installed(), 1);
  EXPECT_EQ(t->vx_dsp_3d_flush(), 7);
  EXPECT_EQ(t->vx_bit_3d_free(nullptr), 8);
  EXPECT_EQ(boxes(), "");
  EXPECT_EQ(t->vx_dsp_3d_screen_clear(), 0);
  EXPECT_NE(boxes().find("vx_dsp_3d_screen_clear_default called"), std::string::npos);
  // Every entry is callable: none is null.
  const void* const* entries = reinterpret_cast<const void* const*>(t);
  for (int i = 0; i < 15; i++) EXPECT_NE(entries[i], nullptr) << i;
  vx_dsp_3d_interface_set(nullptr);
  EXPECT_EQ(vx_dsp_3d_installed(), 0);
  EXPECT_EQ(vx_dsp_3d_interface()->vx_dsp_3d_flush(), 0);
}

}  // namespace
