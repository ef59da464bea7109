// What the monitor tests share: a simulated backend, the main window's slots,
// a poster that records what the monitors post, and waits with generous
// deadlines that return as soon as the awaited state is reached.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "hid/IO_HID.h"
#include "monitors/IOM_HidThreadId7M.h"
#include "monitors/IOM_HidThreadIdEs2862.h"
#include "monitors/monitor_slots.h"
#include "monitors/monitor_thread.h"
#include "monitors/report_decoders.h"
#include "platform/sim/sim_backend.h"
#include "tests/support/recording_poster.h"

inline constexpr std::chrono::milliseconds kDeadline{30000};

class MonitorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_Sim = std::make_shared<SimBackend>();
    HidSetBackend(m_Sim);
  }

  void TearDown() override {
    // Unplugging everything ends every monitor still reading; none may
    // outlive the slots and the poster it was given.
    for (const std::string& name : m_Plugged) m_Sim->Unplug(name);
    EXPECT_TRUE(WaitForLiveMonitorThreadsAtMost(0, kDeadline)) << "a monitor did not end";
  }

  // Plugs the device and returns the path of its vendor collection.
  std::string Plug(SimDeviceSpec spec) {
    m_Plugged.push_back(spec.name);
    size_t vendor = 0;
    for (size_t i = 0; i < spec.collections.size(); ++i) {
      if (spec.collections[i].usagePage >= 0xFF00) vendor = i;
    }
    const auto paths = m_Sim->Plug(spec);
    return vendor < paths.size() ? paths[vendor] : std::string();
  }

  // Creates a monitor, stores it in its slot, starts it. Returns its stop
  // handle; the monitor itself must not be touched after Start.
  std::shared_ptr<MonitorStop> StartId7m(const std::string& path, const std::string& kind) {
    auto* monitor = new TiomHidThreadId7M(m_Slots, m_Poster);
    monitor->DevicePath = path;
    monitor->DeviceKind = kind;
    if (const auto slot = MonitorKindOf(Id7mKindFromText(kind))) m_Slots.Store(*slot, monitor);
    auto stop = monitor->StopHandle();
    monitor->Start();
    return stop;
  }

  std::shared_ptr<MonitorStop> StartEs2862(const std::string& path) {
    auto* monitor = new TiomHidThreadIdEs2862(m_Slots, m_Poster);
    monitor->DevicePath = path;
    m_Slots.Store(monitor);
    auto stop = monitor->StopHandle();
    monitor->Start();
    return stop;
  }

  bool WaitUntilReading(const std::string& name, size_t readers = 1) {
    return m_Sim->WaitForReaders(name, readers, kDeadline);
  }

  std::shared_ptr<SimBackend> m_Sim;
  MonitorSlots m_Slots;
  RecordingPoster m_Poster;  // its hook runs on the monitor's thread, before the next read
  std::vector<std::string> m_Plugged;
};

// An input report of `length` bytes with report ID `reportId` and the
// given bytes set.
inline std::vector<uint8_t> InputReport(uint8_t reportId,
                                        std::initializer_list<std::pair<size_t, uint8_t>> bytes,
                                        size_t length = 64) {
  std::vector<uint8_t> report(length, 0);
  report[0] = reportId;
  for (const auto& [offset, value] : bytes) report[offset] = value;
  return report;
}

inline std::vector<uint8_t> MouseCpiReport(uint8_t cpiField) {
  return InputReport(kSimId7mReportId, {{1, 0x01}, {12, cpiField}});
}

inline std::vector<uint8_t> KeyboardReport(uint8_t rtField, uint8_t ltField) {
  return InputReport(kSimId7mReportId, {{1, 0x20}, {6, rtField}, {4, ltField}});
}

inline std::vector<uint8_t> Es2862Report(uint8_t code, uint8_t level) {
  return InputReport(kSimEs2862ReportId, {{1, code}, {7, level}});
}
