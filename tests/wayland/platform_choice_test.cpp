#include "platform/wayland/platform_choice.h"

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
                    DpiCase{"NonsenseScaleKeepsQtsValue", {false, true, true, 0}, 0}),
    [](const testing::TestParamInfo<DpiCase>& info) { return std::string(info.param.name); });

}  // namespace
