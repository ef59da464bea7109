// Devices that leave a feature request unanswered, remembered beyond one
// exchange session until their removal.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/hid/hid_sim_fixture.h"

namespace {

// A keyboard whose every collection takes feature reports.
SimDeviceSpec KeyboardWithFeatures(const std::string& name) {
  SimDeviceSpec spec = SimKeyboard(name);
  for (SimCollection& c : spec.collections) {
    c.featureReportLength = 64;
    c.answersFeatures = true;
  }
  return spec;
}

bool Read(const std::string& path) {
  std::vector<uint8_t> buffer(64, 0);
  buffer[0] = kSimId7mReportId;
  size_t received = 0;
  return HidReadFeature(path, buffer.data(), buffer.size(), &received);
}

TEST_F(HidOnSim, ASilentDeviceIsGivenUpInEverySessionSharingTheMemoryUntilForgotten) {
  const std::vector<std::string> silent = sim().Plug(KeyboardWithFeatures("silent"));
  const std::vector<std::string> other = sim().Plug(KeyboardWithFeatures("other"));
  ASSERT_EQ(silent.size(), 4u);
  sim().InjectFault("silent", SimFault::NoFeatureAnswer);
  HidSilentDevices memory;

  for (int session = 0; session < 3; ++session) {
    const HidExchangeSession exchanges({}, &memory);
    for (const std::string& path : silent) EXPECT_FALSE(Read(path));
    EXPECT_TRUE(Read(other[0]));
  }
  EXPECT_EQ(sim().FeatureLog("silent").size(), 1u);
  EXPECT_EQ(memory.Count(), 1u);
  for (const std::string& path : silent) EXPECT_TRUE(memory.Holds(path)) << path;
  EXPECT_FALSE(memory.Holds(other[0]));

  {
    // A session of its own does not know it.
    const HidExchangeSession exchanges;
    EXPECT_FALSE(Read(silent[1]));
    EXPECT_FALSE(Read(silent[2]));
  }
  EXPECT_EQ(sim().FeatureLog("silent").size(), 2u);

  // Any of its interfaces' removal forgets the whole device.
  memory.Forget(silent[3]);
  EXPECT_EQ(memory.Count(), 0u);
  sim().ClearFaults("silent");
  const HidExchangeSession exchanges({}, &memory);
  EXPECT_TRUE(Read(silent[0]));
}

}  // namespace
