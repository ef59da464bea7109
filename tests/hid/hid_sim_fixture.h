// IO_HID running on the simulated backend, reset for every test.
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "hid/IO_HID.h"
#include "platform/sim/sim_backend.h"

class HidOnSim : public ::testing::Test {
 protected:
  void SetUp() override { HidSetBackend(m_Sim); }
  void TearDown() override {
    HidSetBackend(nullptr);
    // IO_HID closes every handle it opens before returning.
    EXPECT_EQ(m_Sim->OpenHandleCount(), 0u);
  }

  SimBackend& sim() { return *m_Sim; }

  std::shared_ptr<SimBackend> m_Sim = std::make_shared<SimBackend>();
};
