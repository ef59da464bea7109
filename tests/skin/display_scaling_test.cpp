#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "skin/Utils_logpixels.h"
#include "tests/skin/rect_printer.h"

namespace {

constexpr WindowHandle kWindow = 0x5000;
constexpr MonitorHandle kLeft = 0x100;
constexpr MonitorHandle kRight = 0x200;

DisplayState OneMonitor(uint32_t pixelsPerInch, uint16_t displayMode = 96) {
  DisplayState display;
  display.monitors = {{kLeft, pixelsPerInch}};
  display.nearestMonitor = kLeft;
  display.displayModePixelsPerInch = displayMode;
  return display;
}

DisplayState TwoMonitors(MonitorHandle nearest) {
  DisplayState display;
  display.monitors = {{kLeft, 96}, {kRight, 144}};
  display.nearestMonitor = nearest;
  return display;
}

struct ScalingCase {
  std::string name;
  DisplayState display;
  WindowHandle window;
  float factor;
  Rect in;
  Rect out;
};

void PrintTo(const ScalingCase& c, std::ostream* os) { *os << c.name; }

class WindowScaling : public testing::TestWithParam<ScalingCase> {};

TEST_P(WindowScaling, FactorAndRectangle) {
  const ScalingCase& c = GetParam();
  EXPECT_EQ(GetWindowScaleFactor(c.display, c.window), c.factor);
  EXPECT_EQ(ScaleRectForWindow(c.display, c.window, c.in), c.out);
}

DisplayState WithDuplicateHandles() {
  DisplayState display;
  display.monitors = {{kLeft, 96}, {kRight, 144}, {kLeft, 120}};
  display.nearestMonitor = kLeft;
  return display;
}

DisplayState SingleMonitorNamedElsewhere() {
  DisplayState display = OneMonitor(144);
  display.nearestMonitor = kRight;
  return display;
}

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

// 110/96 is 1.14583337 in single precision; the rectangle arithmetic keeps
// extended precision: 216 -> 248 (double gives 247), 524321 -> 600784
// (the single-precision factor gives 600785).
INSTANTIATE_TEST_SUITE_P(
    Monitors, WindowScaling,
    testing::Values(
        ScalingCase{
            "At144", OneMonitor(144), kWindow, 1.5f, {10, 20, 257, 156}, {15, 30, 386, 234}},
        ScalingCase{
            "At120Background", OneMonitor(120), kWindow, 1.25f, {0, 0, 247, 136}, {0, 0, 309, 170}},
        ScalingCase{
            "At120Label", OneMonitor(120), kWindow, 1.25f, {0, 74, 247, 106}, {0, 93, 309, 133}},
        ScalingCase{
            "At168", OneMonitor(168), kWindow, 1.75f, {0, 74, 247, 106}, {0, 130, 432, 186}},
        ScalingCase{
            "NegativeAt120", OneMonitor(120), kWindow, 1.25f, {-10, 0, -1, 5}, {-12, 0, -1, 6}},
        ScalingCase{"At110KeepsPrecision",
                    OneMonitor(110),
                    kWindow,
                    110.0f / 96.0f,
                    {0, 0, 216, 524321},
                    {0, 0, 248, 600784}},
        ScalingCase{"At96Unchanged", OneMonitor(96), kWindow, 1.0f, {3, 4, 50, 60}, {3, 4, 50, 60}},
        ScalingCase{
            "SecondOfTwo", TwoMonitors(kRight), kWindow, 1.5f, {0, 0, 10, 10}, {0, 0, 15, 15}},
        ScalingCase{
            "FirstOfTwo", TwoMonitors(kLeft), kWindow, 1.0f, {0, 0, 10, 10}, {0, 0, 10, 10}},
        ScalingCase{"UnknownMonitorTakesIndex0",
                    TwoMonitors(0x999),
                    kWindow,
                    1.0f,
                    {0, 0, 10, 10},
                    {0, 0, 10, 10}},
        ScalingCase{"LastMatchingEntryWins",
                    WithDuplicateHandles(),
                    kWindow,
                    1.25f,
                    {0, 0, 8, 8},
                    {0, 0, 10, 10}},
        ScalingCase{"SingleMonitorIsPrimary",
                    SingleMonitorNamedElsewhere(),
                    kWindow,
                    1.5f,
                    {0, 0, 2, 2},
                    {0, 0, 3, 3}},
        // A failed density query keeps the 96 layout, for rectangles too.
        ScalingCase{"FailedQuery", OneMonitor(0), kWindow, 1.0f, {5, 6, 70, 80}, {5, 6, 70, 80}},
        ScalingCase{"NoMonitors",
                    DisplayState{{}, 0, 0, 96},
                    kWindow,
                    1.0f,
                    {5, 6, 70, 80},
                    {5, 6, 70, 80}},
        // The null window takes the display-mode density, not the monitor's.
        ScalingCase{"NullWindowUsesDisplayMode",
                    OneMonitor(144, 120),
                    0,
                    1.25f,
                    {0, 0, 247, 136},
                    {0, 0, 309, 170}},
        ScalingCase{
            "NullWindowFailedDisplayMode", OneMonitor(144, 0), 0, 1.0f, {1, 2, 3, 4}, {1, 2, 3, 4}},
        ScalingCase{"ClampedToInt32",
                    OneMonitor(192),
                    kWindow,
                    2.0f,
                    {kMin, 0, kMax, 1},
                    {kMin, 0, kMax, 2}}),
    [](const testing::TestParamInfo<ScalingCase>& info) { return info.param.name; });

TEST(DesktopScaling, UsesDisplayModeDensityOnly) {
  DisplayState display = OneMonitor(96, 144);
  EXPECT_EQ(GetDesktopScaleFactor(display), 1.5f);
  EXPECT_EQ(ScaleRectForDesktop(display, {10, 20, 257, 156}), (Rect{15, 30, 386, 234}));
  display.displayModePixelsPerInch = 110;
  EXPECT_EQ(ScaleRectForDesktop(display, {0, 0, 216, 0}), (Rect{0, 0, 248, 0}));
}

// The handle-based operations ask the installed source at every call.
class InstalledDisplay : public testing::Test {
 protected:
  void SetUp() override {
    SetDisplayStateSource([this](WindowHandle window) {
      m_Asked.push_back(window);
      return TwoMonitors(m_Nearest);
    });
  }
  void TearDown() override { SetDisplayStateSource({}); }

  MonitorHandle m_Nearest = kRight;
  std::vector<WindowHandle> m_Asked;
};

TEST_F(InstalledDisplay, WindowMovedBackTakesNewFactorAtNextCall) {
  EXPECT_EQ(GetWindowScaleFactor(kWindow), 1.5f);
  EXPECT_EQ(ScaleRectForWindow(kWindow, {0, 0, 10, 10}), (Rect{0, 0, 15, 15}));
  m_Nearest = kLeft;
  EXPECT_EQ(GetWindowScaleFactor(kWindow), 1.0f);
  EXPECT_EQ(ScaleRectForWindow(kWindow, {0, 0, 10, 10}), (Rect{0, 0, 10, 10}));
  EXPECT_EQ(m_Asked, (std::vector<WindowHandle>{kWindow, kWindow, kWindow, kWindow}));
}

TEST(DefaultDisplay, IsOneMonitorAt96) {
  SetDisplayStateSource({});
  EXPECT_EQ(GetWindowScaleFactor(kWindow), 1.0f);
  EXPECT_EQ(GetDesktopScaleFactor(), 1.0f);
  EXPECT_EQ(ScaleRectForDesktop({1, 2, 3, 4}), (Rect{1, 2, 3, 4}));
}

}  // namespace
