#include <gtest/gtest.h>

#include <vector>

#include "platform/linux/wayland/toplevel_watch.h"

namespace {

struct ForeignCase {
  const char* name;
  std::vector<uint32_t> values;
  bool activated;
  bool fullScreen;
};

class ForeignToplevelStates : public testing::TestWithParam<ForeignCase> {};

TEST_P(ForeignToplevelStates, ReadActivatedAndFullScreen) {
  const ForeignCase& c = GetParam();
  const ToplevelState state = ForeignToplevelState(c.values.data(), c.values.size());
  EXPECT_EQ(state.activated, c.activated);
  EXPECT_EQ(state.fullScreen, c.fullScreen);
}

// 0 maximized, 1 minimized, 2 activated, 3 full-screen; unknown values are
// states of later versions.
INSTANTIATE_TEST_SUITE_P(
    States, ForeignToplevelStates,
    testing::Values(ForeignCase{"None", {}, false, false},
                    ForeignCase{"ActivatedOnly", {2}, true, false},
                    ForeignCase{"FullScreenInBackground", {3}, false, true},
                    ForeignCase{"ActivatedFullScreen", {3, 2}, true, true},
                    ForeignCase{"MaximizedMinimized", {0, 1}, false, false},
                    ForeignCase{"UnknownValuesIgnored", {7, 2, 99}, true, false}),
    [](const testing::TestParamInfo<ForeignCase>& info) { return std::string(info.param.name); });

struct PlasmaCase {
  const char* name;
  uint32_t flags;
  bool activated;
  bool fullScreen;
};

class PlasmaWindowStates : public testing::TestWithParam<PlasmaCase> {};

TEST_P(PlasmaWindowStates, ReadActiveAndFullScreenBits) {
  const PlasmaCase& c = GetParam();
  const ToplevelState state = PlasmaWindowState(c.flags);
  EXPECT_EQ(state.activated, c.activated);
  EXPECT_EQ(state.fullScreen, c.fullScreen);
}

// Bit 0 active, bit 3 full-screen; keep-above (bit 4) and the "-able"
// capabilities (fullscreenable is bit 11) are not states of interest.
INSTANTIATE_TEST_SUITE_P(
    States, PlasmaWindowStates,
    testing::Values(PlasmaCase{"None", 0, false, false}, PlasmaCase{"Active", 1u << 0, true, false},
                    PlasmaCase{"ActiveFullScreen", (1u << 0) | (1u << 3), true, true},
                    PlasmaCase{"FullScreenInBackground", 1u << 3, false, true},
                    PlasmaCase{"FullScreenableIsNotFullScreen", (1u << 0) | (1u << 11), true,
                               false},
                    PlasmaCase{"KeepAboveIsNotFullScreen", (1u << 0) | (1u << 4), true, false}),
    [](const testing::TestParamInfo<PlasmaCase>& info) { return std::string(info.param.name); });

}  // namespace
