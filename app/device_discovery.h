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

  // One discovery pass.
  void DiscoverDevices();

  // The model identifier of the device at `path`; 0 when it gives none.
  uint16_t GetModelId(const std::string& path) const;

  // "Keyboard", "Mouse" or "" for a model identifier, from Model.txt.
  std::u16string GetDeviceKind(uint16_t modelId) const;

  // Whether an interface that just arrived calls for a new pass; false also
  // when its identity cannot be read (`identityRead` then false).
  bool ArrivalCallsForDiscovery(const std::string& path, bool* identityRead) const;

  // Sends leave-notification-mode to every recorded path, repeats included.
  void LeaveNotifyModeForRecordedDevices();
  void ReleaseLists();

  // Receives one line per monitor started and per command sent.
  void SetLog(std::function<void(const std::string&)> log) { m_Log = std::move(log); }

  const std::vector<std::string>& ModeDevices() const { return m_ModeDevices; }
  const std::vector<std::string>& Es2862Devices() const { return m_Es2862Devices; }

 private:
  MonitorSlots& m_Slots;
  MessagePoster& m_MainWindow;
  std::string m_ModelTablePath;
  std::vector<std::string> m_ModeDevices;
  std::vector<std::string> m_Es2862Devices;
  std::vector<std::shared_ptr<MonitorStop>> m_Started;
  std::function<void(const std::string&)> m_Log;
};
