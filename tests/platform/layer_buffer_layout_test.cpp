// The popup's picture on a layer surface: a legal buffer at every scale,
// shown at the size the picture was laid out for.
#include "platform/linux/wayland/layer_buffer_layout.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

struct LayoutCase {
  const char* name;
  int32_t width, height;
  double drawnScale;
  bool viewporter;
  LayerBufferLayout expected;
};

class LayerBufferLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(LayerBufferLayoutTest, ShowsThePictureAtItsLaidOutSize) {
  const LayoutCase& c = GetParam();
  const LayerBufferLayout got = LayoutLayerBuffer(c.width, c.height, c.drawnScale, c.viewporter);
  const LayerBufferLayout& want = c.expected;
  EXPECT_EQ(got.bufferWidth, want.bufferWidth);
  EXPECT_EQ(got.bufferHeight, want.bufferHeight);
  EXPECT_EQ(got.padLeft, want.padLeft);
  EXPECT_EQ(got.padTop, want.padTop);
  EXPECT_EQ(got.bufferScale, want.bufferScale);
  EXPECT_EQ(got.viewport, want.viewport);
  EXPECT_EQ(got.surfaceWidth, want.surfaceWidth);
  EXPECT_EQ(got.surfaceHeight, want.surfaceHeight);
}

// {bufferWidth, bufferHeight, padLeft, padTop, bufferScale, viewport, surfaceWidth, surfaceHeight}
INSTANTIATE_TEST_SUITE_P(
    Scales, LayerBufferLayoutTest,
    ::testing::Values(
        LayoutCase{"Scale1", 247, 136, 1.0, true, {247, 136, 0, 0, 1, false, 247, 136}},
        LayoutCase{"Scale2Even", 494, 272, 2.0, true, {494, 272, 0, 0, 2, false, 247, 136}},
        LayoutCase{"Scale3", 741, 408, 3.0, false, {741, 408, 0, 0, 3, false, 247, 136}},
        // The picture drawn at 1.25 (309x170) after the output went to 2:
        // shown at its own size, never attached with buffer scale 2.
        LayoutCase{
            "Drawn1.25Viewporter", 309, 170, 1.25, true, {309, 170, 0, 0, 1, true, 247, 136}},
        LayoutCase{"Drawn1.5Viewporter", 371, 204, 1.5, true, {371, 204, 0, 0, 1, true, 247, 136}},
        LayoutCase{
            "Drawn1.25NoViewporter", 309, 170, 1.25, false, {310, 170, 1, 0, 2, false, 155, 85}},
        LayoutCase{"Scale2OddViewporter", 247, 137, 2.0, true, {247, 137, 0, 0, 1, true, 124, 69}},
        LayoutCase{
            "Scale2OddNoViewporter", 247, 137, 2.0, false, {248, 138, 1, 1, 2, false, 124, 69}},
        LayoutCase{"BelowOneIsOne", 100, 50, 0.5, true, {100, 50, 0, 0, 1, false, 100, 50}},
        LayoutCase{
            "NotANumberIsOne", 100, 50, std::nan(""), false, {100, 50, 0, 0, 1, false, 100, 50}}),
    [](const auto& info) {
      std::string name = info.param.name;
      std::erase(name, '.');
      return name;
    });

// Whatever the picture and the scale, the buffer scale divides the buffer,
// and the picture fits in the buffer at its bottom-right corner.
TEST(LayerBufferLayout, EveryBufferIsLegal) {
  for (const double scale : {1.0, 1.25, 1.5, 1.75, 2.0, 2.5, 3.0, 4.0}) {
    for (const bool viewporter : {false, true}) {
      for (int32_t width = 1; width < 40; ++width) {
        for (int32_t height : {1, 2, 3, 7, 136}) {
          const LayerBufferLayout got = LayoutLayerBuffer(width, height, scale, viewporter);
          SCOPED_TRACE(testing::Message() << width << "x" << height << " at " << scale
                                          << (viewporter ? " with" : " without") << " viewporter");
          ASSERT_GE(got.bufferScale, 1);
          ASSERT_EQ(got.bufferWidth % got.bufferScale, 0);
          ASSERT_EQ(got.bufferHeight % got.bufferScale, 0);
          ASSERT_EQ(got.bufferWidth - got.padLeft, width);
          ASSERT_EQ(got.bufferHeight - got.padTop, height);
          ASSERT_GE(got.surfaceWidth, 1);
          ASSERT_GE(got.surfaceHeight, 1);
          if (!got.viewport) {
            ASSERT_EQ(got.surfaceWidth * got.bufferScale, got.bufferWidth);
            ASSERT_EQ(got.surfaceHeight * got.bufferScale, got.bufferHeight);
          }
        }
      }
    }
  }
}

}  // namespace
