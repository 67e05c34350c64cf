// The game's font wiring: clips played through the animation reader by the video clip player.
#include "game/game_fonts.h"
#include "test_lanes_util.h"
#include "toolkit/vx_anim.h"

using lanes_test::FixtureTest;

TEST_F(FixtureTest, ClipsPlayThroughTheAnimationReader) {
  ASSERT_EQ(game_fonts_start(), 1);
  const std::string clips = std::string(PS_TEST_DATA) + "/clip/";
  VX_ANIM anim;
  ASSERT_EQ(vx_anim_open(&anim, (clips + "c25.ogv").c_str(), VX_ANIM_CLIP), 1) << vx_anim_refusal();
  ASSERT_EQ(vx_anim_step(&anim), 1);
  EXPECT_TRUE(anim.frame == 1 && anim.picture.bpp == 32 && anim.picture.width > 0 && anim.picture.pixels);
  vx_anim_close(&anim);
  EXPECT_EQ(vx_anim_open(&anim, (clips + "audio.ogg").c_str(), VX_ANIM_CLIP), 0) << "no pictures to show";
  game_fonts_stop();
}
