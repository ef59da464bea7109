#include "platform/linux/wayland/platform_choice.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/linux/wayland/wayland_session.h"

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

// {QT_QPA_PLATFORM, Wayland reachable, X11 reachable, scale, layer shell}
INSTANTIATE_TEST_SUITE_P(
    Sessions, PlatformChoice,
    testing::Values(
        // An X11 session is left exactly as it was.
        ChoiceCase{"X11Session", {"", false, true, 1, false}, ""},
        // Wayland with XWayland: X11, where games run and their full-screen
        // state is read, whether or not popups are layer surfaces.
        ChoiceCase{"WaylandWithXWayland", {"", true, true, 1, true}, "xcb"},
        ChoiceCase{"GnomeWithXWayland", {"", true, true, 1, false}, "xcb"},
        ChoiceCase{"WaylandWithoutXWayland", {"", true, false, 1, true}, "wayland"},
        // An explicit request stands (the tests' offscreen platform) ...
        ChoiceCase{"OffscreenRequestedInWayland", {"offscreen", true, true, 1, false}, ""},
        ChoiceCase{"XcbRequested", {"xcb", true, true, 1, true}, ""},
        ChoiceCase{"RequestedWithoutDisplays", {"wayland", false, false, 1, false}, ""},
        ChoiceCase{"WaylandRequestedWithLayerShell", {"wayland", true, true, 1, true}, ""},
        // ... but Qt's Wayland platform cannot place popups without layer
        // surfaces: X11 where there is one.
        ChoiceCase{"WaylandRequestedOnGnome", {"wayland", true, true, 1, false}, "xcb"},
        ChoiceCase{"WaylandEglRequestedOnGnome", {"wayland-egl", true, true, 1, false}, "xcb"},
        ChoiceCase{
            "WaylandRequestedOnGnomeWithoutXWayland", {"wayland", true, false, 1, false}, ""},
        // Nothing reachable: Qt's own choice, and the start-up check reports it.
        ChoiceCase{"NoDisplay", {"", false, false, 1, false}, ""}),
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
    testing::Values(DpiCase{"X11SessionKeepsQtsValue", {"", false, true, 2}, 0},
                    DpiCase{"WaylandScale1", {"", true, true, 1}, 96},
                    DpiCase{"WaylandScale2", {"", true, true, 2}, 192},
                    DpiCase{"WaylandScale3WithoutXWayland", {"", true, false, 3}, 288},
                    DpiCase{"FractionalScale1_5", {"", true, true, 1.5}, 144},
                    DpiCase{"FractionalScale1_25", {"", true, true, 1.25}, 120},
                    DpiCase{"NonsenseScaleKeepsQtsValue", {"", true, true, 0}, 0},
                    // The popups are XWayland windows (no layer surfaces):
                    // mutter's fractional scaling enlarges them itself, its
                    // integer scaling leaves XWayland at full resolution.
                    DpiCase{"MutterFractionalEnlargesX11Itself",
                            {"", true, true, 1.5, false, 1920, 1080, 1, 1280, 720},
                            96},
                    DpiCase{"MutterFractionalRotated",
                            {"", true, true, 1.5, false, 1080, 1920, 1, 720, 1280},
                            96},
                    DpiCase{"MutterIntegerScaleX11AtFullResolution",
                            {"", true, true, 2, false, 3840, 2160, 1, 3840, 2160},
                            192},
                    // Layer surfaces are drawn for the output, whatever XWayland's size.
                    DpiCase{"SwayFractionalLayerSurfaces",
                            {"", true, true, 1.5, true, 1920, 1080, 1, 1280, 720},
                            144},
                    // Several outputs: the X screen spans them, no comparison.
                    DpiCase{"TwoOutputsKeepTheOutputScale",
                            {"", true, true, 1.5, false, 1920, 1080, 2, 2560, 720},
                            144},
                    DpiCase{"QtWaylandPlatformWithoutXWayland",
                            {"wayland", true, false, 1.5, false, 1920, 1080, 1, 0, 0},
                            144}),
    [](const testing::TestParamInfo<DpiCase>& info) { return std::string(info.param.name); });

struct ScaleCase {
  const char* name;
  int32_t modeWidth, modeHeight, logicalWidth, logicalHeight, integerScale;
  double expected;
};

class OutputScales : public testing::TestWithParam<ScaleCase> {};

TEST_P(OutputScales, ComeFromTheModeOverTheLogicalSize) {
  const ScaleCase& c = GetParam();
  EXPECT_DOUBLE_EQ(
      OutputScale(c.modeWidth, c.modeHeight, c.logicalWidth, c.logicalHeight, c.integerScale),
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
