// A HID backend whose devices live in memory. The simulator and the tests
// plug and unplug simulated keyboards and mice, send their input reports and
// inject faults; everything above the backend seam sees them exactly as it
// would see hidraw devices.
//
// Thread-safe: the main thread enumerates and exchanges feature reports,
// monitor threads block in input reads, and a command thread plugs,
// unplugs and sends reports, all at the same time. Nothing busy-waits.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/hid_backend.h"
#include "platform/sim/sim_device.h"

enum class SimFault {
  RefuseFeatures,       // feature reports are neither taken nor given (a stall)
  NoFeatureAnswer,      // the device never answers: every feature transfer times out
  WrongCommandEcho,     // answers echo another command code (byte 1)
  WrongArgumentEcho,    // answers echo other argument bytes (byte 2)
  UnplugOnNextRead,     // a pending or the next input read finds the device gone
  UnplugOnNextFeature,  // the next feature exchange finds the device gone
};

// One feature report that reached a device.
struct SimFeatureRecord {
  enum class Kind { Set, Get };
  Kind kind = Kind::Set;
  std::string device;          // the device's name
  std::string path;            // the interface it was addressed to
  std::vector<uint8_t> bytes;  // Set: the report as written; Get: the report ID asked for
};

class SimBackend : public HidBackend {
 public:
  // Reports each open handle keeps before the oldest is dropped, as
  // hidraw's per-reader buffer does.
  static constexpr size_t kReportQueueDepth = 64;

  SimBackend();
  // Unplugs every device, so reads still blocked on its handles end.
  ~SimBackend() override;
  SimBackend(const SimBackend&) = delete;
  SimBackend& operator=(const SimBackend&) = delete;

  // Plugs a device in and queues an arrival per interface. Returns its
  // interface paths: "/dev/hidraw-sim/N#<instance>" for a single
  // collection, "/dev/hidraw-sim/N&colK#<instance>" (K from 01) for several.
  // N is the lowest node number no present device holds, as the kernel
  // hands out hidraw numbers; <instance> ("0003:VVVV:PPPP.NNNN") is new at
  // every plug. Empty when a device of that name is present or it has no
  // collection.
  std::vector<std::string> Plug(const SimDeviceSpec& spec);
  // Removes a device: its handles fail from now on, blocked reads return
  // Gone, and a removal per interface is queued. False when absent.
  bool Unplug(const std::string& name);
  bool IsPresent(const std::string& name) const;
  std::vector<std::string> PathsOf(const std::string& name) const;

  // Sends an input report (byte 0 = report ID) from a device. It reaches
  // every open handle of the collections carrying that report ID (an
  // unnumbered collection carries ID 0), as given, without padding. Returns
  // the number of handles reached; -1 when the device is absent or no
  // collection carries the ID.
  int SendInputReport(const std::string& name, const std::vector<uint8_t>& report);
  // Reports dropped from full handle queues since the name was first
  // plugged (kept across unplugs).
  uint64_t DroppedReports(const std::string& name) const;
  // Blocks until at least `readers` handles of the device are blocked in
  // ReadInputReport with no report queued, or the timeout passes. For tests
  // and benchmarks that must not send before a monitor listens.
  bool WaitForReaders(const std::string& name, size_t readers,
                      std::chrono::milliseconds timeout) const;

  // Faults stay until cleared, except the unplugging ones, which fire once.
  void InjectFault(const std::string& name, SimFault fault);
  void ClearFaults(const std::string& name);

  // Whether the ID7M firmware was last told to enter notification mode.
  bool InNotificationMode(const std::string& name) const;

  // Every feature report that reached any device (or one device), in order,
  // including those the device refused.
  std::vector<SimFeatureRecord> FeatureLog() const;
  std::vector<SimFeatureRecord> FeatureLog(const std::string& name) const;
  void ClearFeatureLog();
  // Called, outside the backend's lock, for every feature report received.
  void SetFeatureObserver(std::function<void(const SimFeatureRecord&)> observer);

  // Handles opened and not yet destroyed, across all devices. Each holds a
  // descriptor, as an open node does.
  size_t OpenHandleCount() const;

  // HidBackend
  // Paths in node number order, as hidraw lists them.
  std::vector<std::string> EnumeratePaths() override;
  std::optional<HidInterfaceInfo> QueryInterface(const std::string& path) override;
  std::string DeviceKeyOf(const std::string& path) const override;
  std::optional<std::u16string> ReadIndexedString(const std::string& path, int index) override;
  std::unique_ptr<HidOpenDevice> Open(const std::string& path) override;
  bool AccessDenied(const std::string& path) override;
  WaitHandle ChangeHandle() override;
  std::vector<HidDeviceChange> TakeChanges() override;

  struct Core;  // shared with the open handles, which may outlive the backend

 private:
  std::shared_ptr<Core> m_Core;
};
