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

}  // namespace
