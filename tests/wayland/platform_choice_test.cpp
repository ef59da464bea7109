#include "platform/wayland/platform_choice.h"
#include "platform/wayland/wayland_session.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct ChoiceCase {
  const char* name;
  SessionDisplays displays;
  std::string expected;
};

class PlatformChoice : public testing::TestWithParam<ChoiceCase> {};

TEST_P(PlatformChoice, FollowsTheSession) {
  EXPECT_EQ(ChooseQtPlatform(GetParam().displays), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, PlatformChoice,
    testing::Values(
        // An X11 session is left exactly as it was.
        ChoiceCase{"X11Session", {false, false, true}, ""},
        // Wayland with XWayland: X11, where games run and their full-screen
        // state is read.
        ChoiceCase{"WaylandWithXWayland", {false, true, true}, "xcb"},
        ChoiceCase{"WaylandWithoutXWayland", {false, true, false}, "wayland"},
        // An explicit request (the tests' offscreen platform) wins.
        ChoiceCase{"RequestedInWayland", {true, true, true}, ""},
        ChoiceCase{"RequestedWithoutDisplays", {true, false, false}, ""},
        // Nothing reachable: Qt's own choice, and the start-up check reports it.
        ChoiceCase{"NoDisplay", {false, false, false}, ""}),
    [](const testing::TestParamInfo<ChoiceCase>& info) { return std::string(info.param.name); });

struct DpiCase {
  const char* name;
  SessionDisplays displays;
  int32_t expected;
};

class SessionDpi : public testing::TestWithParam<DpiCase> {};

TEST_P(SessionDpi, IsTheOutputScaleTimes96OnWaylandOnly) {
  EXPECT_EQ(WaylandSessionDpi(GetParam().displays), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Sessions, SessionDpi,
    testing::Values(DpiCase{"X11SessionKeepsQtsValue", {false, false, true, 2}, 0},
                    DpiCase{"WaylandScale1", {false, true, true, 1}, 96},
                    DpiCase{"WaylandScale2", {false, true, true, 2}, 192},
                    DpiCase{"WaylandScale3WithoutXWayland", {false, true, false, 3}, 288},
                    DpiCase{"FractionalScale1_5", {false, true, true, 1.5}, 144},
                    DpiCase{"FractionalScale1_25", {false, true, true, 1.25}, 120},
                    DpiCase{"NonsenseScaleKeepsQtsValue", {false, true, true, 0}, 0}),
    [](const testing::TestParamInfo<DpiCase>& info) { return std::string(info.param.name); });

struct ScaleCase {
  const char* name;
  int32_t modeWidth, modeHeight, logicalWidth, logicalHeight, integerScale;
  double expected;
};

class OutputScales : public testing::TestWithParam<ScaleCase> {};

TEST_P(OutputScales, ComeFromTheModeOverTheLogicalSize) {
  const ScaleCase& c = GetParam();
  EXPECT_DOUBLE_EQ(OutputScale(c.modeWidth, c.modeHeight, c.logicalWidth, c.logicalHeight, c.integerScale),
                   c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, OutputScales,
    testing::Values(ScaleCase{"Unscaled", 1920, 1080, 1920, 1080, 1, 1.0},
                    ScaleCase{"Whole2", 3840, 2160, 1920, 1080, 2, 2.0},
                    // wl_output reports a fraction rounded up to the next whole scale.
                    ScaleCase{"Fraction1_5", 1920, 1080, 1280, 720, 2, 1.5},
                    ScaleCase{"Fraction1_25", 2560, 1440, 2048, 1152, 2, 1.25},
                    ScaleCase{"RotatedOutput", 1920, 1080, 720, 1280, 2, 1.5},
                    ScaleCase{"RoundedLogicalSizeNearWhole", 3840, 2160, 1921, 1081, 2, 2.0},
                    ScaleCase{"NoLogicalSizeTakesTheWholeScale", 3840, 2160, 0, 0, 2, 2.0},
                    ScaleCase{"NothingKnown", 0, 0, 0, 0, 0, 1.0}),
    [](const testing::TestParamInfo<ScaleCase>& info) { return std::string(info.param.name); });

}  // namespace
