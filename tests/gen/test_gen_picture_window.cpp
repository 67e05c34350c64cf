// A picture window beside the GL window (the splash screen): showing its picture and closing it leave the gen layer's context current, so frames are still drawn.
#include "platform/plat_picture.h"
#include "tests/gen/gen_fixture.h"

using namespace gen_test;

namespace {

constexpr int kPictureW = 40;
constexpr int kPictureH = 24;

class GenPictureWindow : public GenGlTest {
 protected:
  // A borderless window without GL, as the splash makes it, showing a grey block.
  PLAT_WINDOW* picture_window() {
    PLAT_WINDOW* w = plat_window_create("Splash Screen", "", 10, 10, kPictureW, kPictureH,
                                        PLAT_WS_POPUP | PLAT_WS_AUXILIARY, nullptr);
    if (w) {
      std::vector<uint8_t> rgba(size_t(kPictureW) * kPictureH * 4, 0x80);
      plat_window_picture(w, rgba.data(), kPictureW, kPictureH);
    }
    return w;
  }
  // Clears the frame to one colour and reads it back: 0xRRGGBB, or 0 when
  // no context is current (GL calls then do nothing).
  static uint32_t cleared_to(float r, float g, float b) {
    glDisable(GL_SCISSOR_TEST);
    glClearColor(r, g, b, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    return read(kScreenW / 2, kScreenH / 2);
  }
};

}  // namespace

TEST_F(GenPictureWindow, DrawingGoesOnWhileThePictureShows) {
  PLAT_WINDOW* w = picture_window();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(cleared_to(1.0f, 0.0f, 0.0f), 0xFF0000u);
  plat_window_destroy(w);
}
