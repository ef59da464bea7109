#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "skin/Skin_windowshape.h"
#include "tests/skin/rect_printer.h"

namespace {

using Rgb = std::array<uint8_t, 3>;

// '.' key-like colour, '#' another colour, 'n' the '.' colour with one
// channel off by one. The key is whatever the top-left character paints.
Rgb ColourOf(char c) {
  switch (c) {
    case '.':
      return {10, 20, 30};
    case 'n':
      return {10, 20, 31};
    default:
      return {200, 0, 0};
  }
}

// Rows of equal length, top-down, 3 bytes per pixel; each row padded to
// `bytesPerLine` with `padding` bytes.
struct Picture {
  std::vector<uint8_t> bytes;
  PixelView view;
};

Picture MakePicture(const std::vector<std::string>& rows, size_t bytesPerLine = 0,
                    uint8_t padding = 0xEE) {
  Picture picture;
  const int32_t width = rows.empty() ? 0 : static_cast<int32_t>(rows[0].size());
  if (bytesPerLine == 0) bytesPerLine = static_cast<size_t>(width) * 3;
  picture.bytes.assign(bytesPerLine * rows.size(), padding);
  for (size_t y = 0; y < rows.size(); ++y) {
    for (size_t x = 0; x < rows[y].size(); ++x) {
      const Rgb rgb = ColourOf(rows[y][x]);
      std::copy(rgb.begin(), rgb.end(),
                picture.bytes.begin() + static_cast<std::ptrdiff_t>(y * bytesPerLine + x * 3));
    }
  }
  picture.view =
      PixelView{picture.bytes.data(), width, static_cast<int32_t>(rows.size()), bytesPerLine, 3};
  return picture;
}

struct RunCase {
  std::string name;
  std::vector<std::string> rows;
  std::vector<Rect> runs;
};

void PrintTo(const RunCase& c, std::ostream* os) { *os << c.name; }

class ShapeRuns : public testing::TestWithParam<RunCase> {};

TEST_P(ShapeRuns, MaximalRunsPerRowTopDown) {
  const Picture picture = MakePicture(GetParam().rows);
  EXPECT_EQ(BuildWindowShapeRuns(picture.view), GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, ShapeRuns,
    testing::Values(RunCase{"KeyOtherOtherKeyOther", {".##.#"}, {{1, 0, 3, 1}, {4, 0, 5, 1}}},
                    RunCase{"KeyIsTopLeftWhateverItIs",
                            {"#..#.", "....."},
                            {{1, 0, 3, 1}, {4, 0, 5, 1}, {0, 1, 5, 2}}},
                    RunCase{"SinglePixelInLastColumn", {"....#"}, {{4, 0, 5, 1}}},
                    RunCase{"RunFromColumn0ToEdge", {".", "#"}, {{0, 1, 1, 2}}},
                    RunCase{"WholeRowFromColumn0", {"...", "###"}, {{0, 1, 3, 2}}},
                    RunCase{"HolesInside",
                            {".###.", ".#.#.", ".###."},
                            {{1, 0, 4, 1}, {1, 1, 2, 2}, {3, 1, 4, 2}, {1, 2, 4, 3}}},
                    RunCase{"OneChannelOffBelongs", {".n."}, {{1, 0, 2, 1}}},
                    RunCase{"AllOneColourIsEmpty", {"....", "....", "...."}, {}},
                    RunCase{"OnePixel", {"#"}, {}}),
    [](const testing::TestParamInfo<RunCase>& info) { return info.param.name; });

// Rows padded to a multiple of 4 pixels, the padding painted in a colour
// that is not the key: no run may reach into it.
class FillerColumns : public testing::TestWithParam<int32_t> {};

TEST_P(FillerColumns, NeverJoinTheShape) {
  const int32_t width = GetParam();
  const int32_t filler = (4 - width % 4) % 4;
  const size_t bytesPerLine = static_cast<size_t>(width + filler) * 3;
  const std::string allKey(static_cast<size_t>(width), '.');
  std::string lastOther = allKey;
  lastOther.back() = '#';
  const Picture picture = MakePicture({allKey, lastOther, allKey}, bytesPerLine, 0x77);
  EXPECT_EQ(BuildWindowShapeRuns(picture.view), (std::vector<Rect>{{width - 1, 1, width, 2}}));
}

INSTANTIATE_TEST_SUITE_P(Widths, FillerColumns, testing::Values(3, 4, 5, 6));

TEST(ShapeRunsInput, UnscannableViewsGiveNothing) {
  const std::vector<uint8_t> bytes(64, 0x40);
  const struct {
    const char* name;
    PixelView view;
  } cases[] = {
      {"no data", {nullptr, 2, 2, 6, 3}},
      {"rows shorter than width", {bytes.data(), 4, 2, 11, 3}},
      {"pixel size 2", {bytes.data(), 2, 2, 8, 2}},
      {"negative width", {bytes.data(), -1, 2, 8, 3}},
      {"negative height", {bytes.data(), 2, -2, 8, 3}},
      {"zero width", {bytes.data(), 0, 2, 8, 3}},
  };
  for (const auto& c : cases) EXPECT_TRUE(BuildWindowShapeRuns(c.view).empty()) << c.name;
}

TEST(ShapeRunsInput, FourthByteOfFourBytePixelsIsIgnored) {
  // key (1,2,3,255), same colour with another fourth byte, then (1,2,4,255)
  const std::vector<uint8_t> bytes = {1, 2, 3, 255, 1, 2, 3, 0, 1, 2, 4, 255};
  const PixelView view{bytes.data(), 3, 1, bytes.size(), 4};
  EXPECT_EQ(BuildWindowShapeRuns(view), (std::vector<Rect>{{2, 0, 3, 1}}));
}

std::set<std::pair<int32_t, int32_t>> PixelsOf(const std::vector<Rect>& rects) {
  std::set<std::pair<int32_t, int32_t>> pixels;
  for (const Rect& r : rects)
    for (int32_t y = r.top; y < r.bottom; ++y)
      for (int32_t x = r.left; x < r.right; ++x)
        EXPECT_TRUE(pixels.insert({x, y}).second) << "overlap";
  return pixels;
}

TEST(CoalesceRowBands, JoinsOnlyTouchingRowsWithIdenticalRuns) {
  const Picture picture = MakePicture({".#.#.", ".#.#.", ".#.#.", ".##..", ".....", ".##.."});
  EXPECT_EQ(CoalesceRowBands(BuildWindowShapeRuns(picture.view)),
            (std::vector<Rect>{{1, 0, 2, 3}, {3, 0, 4, 3}, {1, 3, 3, 4}, {1, 5, 3, 6}}));
}

TEST(CoalesceRowBands, CoversTheSamePixelsSortedAndDisjoint) {
  std::mt19937 random(20240611);
  for (int round = 0; round < 20; ++round) {
    std::vector<std::string> rows(17, std::string(23, '.'));
    for (size_t y = 1; y < rows.size(); ++y)
      for (char& c : rows[y]) c = (random() % 3 == 0) ? '#' : rows[y - 1][&c - rows[y].data()];
    const std::vector<Rect> runs = BuildWindowShapeRuns(MakePicture(rows).view);
    const std::vector<Rect> bands = CoalesceRowBands(runs);
    EXPECT_EQ(PixelsOf(bands), PixelsOf(runs));
    for (size_t i = 1; i < bands.size(); ++i) {
      const Rect& a = bands[i - 1];
      const Rect& b = bands[i];
      EXPECT_TRUE(a.top < b.top || (a.top == b.top && a.right < b.left))
          << "unsorted or abutting at " << i;
    }
  }
}

struct SizeCase {
  PixelSize picture;
  float factor;
  PixelSize scaled;
};

TEST(ScaledPictureSize, TruncatesEachSide) {
  const SizeCase cases[] = {
      {{247, 136}, 1.0f, {247, 136}},
      {{247, 136}, 1.25f, {308, 170}},
      {{247, 136}, 1.5f, {370, 204}},
      {{247, 136}, 1.75f, {432, 238}},
      {{96, 96}, 110.0f / 96.0f, {110, 110}},
      {{247, 136}, 0.0f, {0, 0}},
      {{247, 136}, -1.0f, {0, 0}},
      {{247, 136}, std::numeric_limits<float>::quiet_NaN(), {0, 0}},
      {{1 << 30, 2}, 4.0f, {std::numeric_limits<int32_t>::max(), 8}},
  };
  for (const SizeCase& c : cases) {
    EXPECT_EQ(ScaledPictureSize(c.picture, c.factor), c.scaled)
        << c.picture.width << "x" << c.picture.height << " at " << c.factor;
  }
}

struct NearestCase {
  int32_t targetSize;
  int32_t sourceSize;
  std::vector<int32_t> expected;  // for targets 0, 1, ...
};

// Each target pixel takes the source pixel under its centre, so every
// source pixel becomes a solid block and no source pixel is skipped.
TEST(NearestSourceIndex, TakesTheSourcePixelUnderTheTargetsCentre) {
  const NearestCase cases[] = {
      {4, 4, {0, 1, 2, 3}},
      {8, 4, {0, 0, 1, 1, 2, 2, 3, 3}},
      {6, 4, {0, 1, 1, 2, 3, 3}},     // 1.5: centres 0.33, 1.0, 1.67, 2.33, 3.0, 3.67
      {5, 4, {0, 1, 2, 2, 3}},        // 1.25
      {7, 2, {0, 0, 0, 1, 1, 1, 1}},  // 3.5: centre 3.5 x 2 / 7 = 1.0 is in the second
      {3, 1, {0, 0, 0}},
  };
  for (const NearestCase& c : cases) {
    std::vector<int32_t> got;
    for (int32_t t = 0; t < c.targetSize; ++t)
      got.push_back(NearestSourceIndex(t, c.targetSize, c.sourceSize));
    EXPECT_EQ(got, c.expected) << c.sourceSize << " -> " << c.targetSize;
  }
  // The popup's width at 150 %: the last pixel is the last source pixel.
  EXPECT_EQ(NearestSourceIndex(369, 370, 247), 246);
  EXPECT_EQ(NearestSourceIndex(INT32_MAX - 1, INT32_MAX, INT32_MAX), INT32_MAX - 1);
}

}  // namespace
