// A fresh simulated backend per test, installed as IO_HID's backend.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "hid/IO_HID.h"
#include "platform/sim/sim_backend.h"

class SimDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_Sim = std::make_shared<SimBackend>();
    HidSetBackend(m_Sim);
  }

  // The path of the device's vendor collection, where commands go.
  std::string PlugAndGetVendorPath(SimDeviceSpec spec) {
    size_t vendorIndex = 0;
    for (size_t i = 0; i < spec.collections.size(); ++i) {
      if (spec.collections[i].usagePage >= 0xFF00) vendorIndex = i;
    }
    const auto paths = m_Sim->Plug(spec);
    return vendorIndex < paths.size() ? paths[vendorIndex] : std::string();
  }

  std::shared_ptr<SimBackend> m_Sim;
};
