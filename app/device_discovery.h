// Finding the devices to watch and starting their monitors: the discovery
// pass, the model table Model.txt, the arrival test, and switching devices
// back out of notification mode at close. Runs on the user-interface thread;
// all device traffic goes through IO_HID.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "hid/IO_HID.h"
#include "monitors/monitor_slots.h"
#include "platform/message.h"

class MonitorStop;
class MonitorThread;

class DeviceDiscovery {
 public:
  // `modelTablePath` is Data/Product/Model.txt; it is read afresh for every
  // device. `slots` and `mainWindow` outlive this object. Every monitor
  // started here posts UM_MONITOR_ENDED to `mainWindow` when it ends.
  DeviceDiscovery(MonitorSlots& slots, MessagePoster& mainWindow, std::string modelTablePath);
  // Stops the monitors this object started and waits until every one has
  // ended, however long that takes (their pending reads are cancelled), so
  // that none touches the slots or the window after this returns.
  ~DeviceDiscovery();

  // One discovery pass. An interface that a running monitor of the same
  // family still watches gets no second monitor of that family, no second
  // command and no second entry; an interface of both families gets one
  // monitor of each. A device plugged in again has new paths and counts as
  // a new device.
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
  // `passAllowed` (not after Close). A device that left a feature request
  // unanswered is given up until its removal arrives, so a silent device
  // costs one timeout per connection, however many interfaces it
  // announces. False when the interface's identity could not be read: such
  // an arrival changes nothing.
  bool HandleInterfaceArrival(const std::string& path, bool passAllowed);

  // A device interface was removed: a silent device is asked again when it
  // is plugged in again (on systems that give it the same paths too).
  void HandleInterfaceRemoval(const std::string& path);

  // UM_MONITOR_ENDED: a monitor ended and may have emptied the slots of
  // others that still read a present device. Each of those is replaced by
  // a fresh monitor at once (without a command or an entry), so the
  // devices left keep showing their changes; not when `passAllowed` is
  // false (after Close). Needs no device traffic.
  void HandleMonitorEnded(bool passAllowed);

  // Sends leave-notification-mode to every recorded path, repeats included;
  // a device that does not answer is not asked again.
  void LeaveNotifyModeForRecordedDevices();
  void ReleaseLists();

  // Receives one line per monitor started and per command sent.
  void SetLog(std::function<void(const std::string&)> log) { m_Log = std::move(log); }

  const std::vector<std::string>& ModeDevices() const { return m_ModeDevices; }
  const std::vector<std::string>& Es2862Devices() const { return m_Es2862Devices; }
  // The devices given up as silent until their removal arrives.
  const HidSilentDevices& SilentDevices() const { return m_SilentDevices; }

 private:
  // A monitor this object started and the interface it reads.
  struct Watch {
    std::string path;  // as found
    std::string key;   // lower-cased path
    MonitorKind kind;
    std::string deviceKind;  // "Keyboard" or "Mouse" for an ID7M monitor
    std::shared_ptr<MonitorStop> stop;
  };

  class PassGuard;

  void RunPass();
  std::vector<Watch> RetireMonitorsWithoutPermission();
  // Whether a running monitor of one of `kinds` reads `path`.
  bool IsWatched(const std::string& path, std::initializer_list<MonitorKind> kinds) const;
  void StartId7mMonitor(const std::string& path, const std::string& deviceKind, MonitorKind kind);
  void StartEs2862Monitor(const std::string& path);
  void StartMonitor(MonitorThread* monitor, Watch watch);
  void Log(const std::string& line) const;

  MonitorSlots& m_Slots;
  MessagePoster& m_MainWindow;
  std::string m_ModelTablePath;
  std::vector<std::string> m_ModeDevices;
  std::vector<std::string> m_Es2862Devices;
  std::vector<Watch> m_Watches;
  // Retired monitors that had not ended when their wait ran out; the
  // destructor waits for them too.
  std::vector<std::shared_ptr<MonitorStop>> m_Stopping;
  HidSilentDevices m_SilentDevices;
  bool m_InPass = false;
  bool m_RestorePending = false;
  std::function<void(const std::string&)> m_Log;
  std::function<bool()> m_StopRequested;
};
