// Finding the devices to watch and starting their monitors: the discovery
// pass, the model table Model.txt, the arrival test, and switching devices
// back out of notification mode at close. Runs on the user-interface thread;
// all device traffic goes through IO_HID.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "monitors/monitor_slots.h"
#include "platform/message.h"

class MonitorStop;

class DeviceDiscovery {
 public:
  // `modelTablePath` is Data/Product/Model.txt; it is read afresh for every
  // device. `slots` and `mainWindow` outlive this object.
  DeviceDiscovery(MonitorSlots& slots, MessagePoster& mainWindow, std::string modelTablePath);
  // Stops the monitors this object started, so that none outlives the slots
  // and the window it posts to.
  ~DeviceDiscovery();

  // One discovery pass. An interface that a running monitor still watches
  // gets no second monitor, no second command and no second entry; a
  // device plugged in again has new paths and counts as a new device.
  void DiscoverDevices();

  // Asked between the device requests of a pass (and of an arrival's test):
  // once it answers true, the pass stops sending and ends early.
  void SetStopRequest(std::function<bool()> stopRequested) {
    m_StopRequested = std::move(stopRequested);
  }
  const std::function<bool()>& StopRequest() const { return m_StopRequested; }

  // The model identifier of the device at `path`; 0 when it gives none.
  uint16_t GetModelId(const std::string& path) const;

  // "Keyboard", "Mouse" or "" for a model identifier, from Model.txt.
  std::u16string GetDeviceKind(uint16_t modelId) const;

  // Whether an interface that just arrived calls for a new pass; false also
  // when its identity cannot be read (`identityRead` then false).
  bool ArrivalCallsForDiscovery(const std::string& path, bool* identityRead) const;

  // A device interface arrived: runs a pass when it calls for one and
  // `passAllowed` (not after Close). The arrival's own test and the pass
  // share one exchange session, so a silent device costs them one timeout
  // together. False when the interface's identity could not be read: such
  // an arrival changes nothing.
  bool HandleInterfaceArrival(const std::string& path, bool passAllowed);

  // Sends leave-notification-mode to every recorded path, repeats included;
  // a device that does not answer is not asked again.
  void LeaveNotifyModeForRecordedDevices();
  void ReleaseLists();

  // Receives one line per monitor started and per command sent.
  void SetLog(std::function<void(const std::string&)> log) { m_Log = std::move(log); }

  const std::vector<std::string>& ModeDevices() const { return m_ModeDevices; }
  const std::vector<std::string>& Es2862Devices() const { return m_Es2862Devices; }

 private:
  // A monitor this object started and the interface it reads.
  struct Watch {
    std::string path;  // lower-cased
    MonitorKind kind;
    std::shared_ptr<MonitorStop> stop;
  };

  std::vector<Watch> RetireMonitorsWithoutPermission();
  bool IsWatched(const std::string& path) const;
  void StartId7mMonitor(const std::string& path, const std::string& deviceKind, MonitorKind kind);
  void StartEs2862Monitor(const std::string& path);
  void Log(const std::string& line) const;

  MonitorSlots& m_Slots;
  MessagePoster& m_MainWindow;
  std::string m_ModelTablePath;
  std::vector<std::string> m_ModeDevices;
  std::vector<std::string> m_Es2862Devices;
  std::vector<Watch> m_Watches;
  std::function<void(const std::string&)> m_Log;
  std::function<bool()> m_StopRequested;
};
