#include "app/device_discovery.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <optional>

#include "hid/IO_HID.h"
#include "monitors/IOM_HidThreadId7M.h"
#include "monitors/IOM_HidThreadIdEs2862.h"
#include "platform/utf8_text.h"
#include "protocol/DeviceLists.h"
#include "protocol/Hid_pellamid7.h"
#include "skin/Utils_mathcarry.h"
#include "skin/Utils_splitstring.h"
#include "skin/settings_file.h"
#include "skin/text_helpers.h"

namespace {

// A stopped monitor's read is woken at once; this only bounds a stuck one.
constexpr std::chrono::seconds kMonitorEndWait{2};

// Whether `modelId` is an item of a comma-separated list. Characters 3 to 6
// of an item are the identifier in hexadecimal (a "0x" fits before them);
// the first empty item ends the list.
bool ListHoldsModel(std::u16string_view list, uint16_t modelId) {
  for (int32_t n = 0;; ++n) {
    const std::u16string item = GetDelimitedField(list, u',', n);
    if (item.empty()) {
      return false;
    }
    if (HexTextToValue(SubText(item, 3, 4)) == modelId) {
      return true;
    }
  }
}

std::string MonitorLine(const std::string& kind, const std::string& path, bool entered) {
  return "monitor " + kind + " " + path +
         (entered ? " (notification mode on)" : " (notification mode refused)");
}

}  // namespace

DeviceDiscovery::DeviceDiscovery(MonitorSlots& slots, MessagePoster& mainWindow,
                                 std::string modelTablePath)
    : m_Slots(slots), m_MainWindow(mainWindow), m_ModelTablePath(std::move(modelTablePath)) {}

DeviceDiscovery::~DeviceDiscovery() {
  for (const Watch& watch : m_Watches) {
    watch.stop->Terminate();
  }
  for (const std::shared_ptr<MonitorStop>& stop : m_Stopping) {
    stop->Terminate();
  }
  // Without a limit: the monitors hold the slots and the window by
  // reference. A terminated monitor's read is cancelled, so on a loaded
  // machine this takes a little longer, never for ever.
  for (const Watch& watch : m_Watches) {
    watch.stop->WaitUntilEnded();
  }
  for (const std::shared_ptr<MonitorStop>& stop : m_Stopping) {
    stop->WaitUntilEnded();
  }
}

uint16_t DeviceDiscovery::GetModelId(const std::string& path) const { return ReadModelId(path); }

std::u16string DeviceDiscovery::GetDeviceKind(uint16_t modelId) const {
  if (modelId == 0) {
    return {};
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(PathFromUtf8(m_ModelTablePath), error)) {
    return {};
  }
  const SettingsFile modelTable(m_ModelTablePath);
  const std::u16string keyboards = modelTable.ReadString(u"Cafe", u"Keyboard", u"0");
  const std::u16string mice = modelTable.ReadString(u"Cafe", u"Mouse", u"0");
  // The keyboard list is searched first: a model under both keys is a keyboard.
  if (ListHoldsModel(keyboards, modelId)) {
    return u"Keyboard";
  }
  if (ListHoldsModel(mice, modelId)) {
    return u"Mouse";
  }
  return {};
}

// A running monitor whose slot is empty ends at its next report without
// posting it: it no longer watches its device. It is stopped now, so that a
// fresh monitor can take over without the two ever reading side by side.
// An ID7M monitor that ends empties both ID7M slots, which takes the
// permission of the others too: hence the loop until none is left.
std::vector<DeviceDiscovery::Watch> DeviceDiscovery::RetireMonitorsWithoutPermission() {
  std::vector<Watch> retired;
  for (bool again = true; again;) {
    again = false;
    for (auto it = m_Watches.begin(); it != m_Watches.end();) {
      if (it->stop->Ended() || m_Slots.Holds(it->kind)) {
        ++it;
        continue;
      }
      it->stop->Terminate();
      if (!it->stop->WaitUntilEnded(kMonitorEndWait)) {
        m_Stopping.push_back(it->stop);
      }
      retired.push_back(std::move(*it));
      it = m_Watches.erase(it);
      again = true;
    }
  }
  return retired;
}

bool DeviceDiscovery::IsWatched(const std::string& path,
                                std::initializer_list<MonitorKind> kinds) const {
  const std::string key = LowercasePath(path);
  return std::any_of(m_Watches.begin(), m_Watches.end(), [&](const Watch& watch) {
    return watch.key == key && std::find(kinds.begin(), kinds.end(), watch.kind) != kinds.end() &&
           !watch.stop->Ended();
  });
}

void DeviceDiscovery::StartId7mMonitor(const std::string& path, const std::string& deviceKind,
                                       MonitorKind kind) {
  auto* monitor = new TiomHidThreadId7M(m_Slots, m_MainWindow);
  m_Slots.Store(kind, monitor);
  // Set up through the new monitor itself, never through the slot, which
  // a monitor thread may empty at any moment.
  monitor->DevicePath = path;
  monitor->DeviceKind = deviceKind;
  StartMonitor(monitor, {path, LowercasePath(path), kind, deviceKind, monitor->StopHandle()});
}

void DeviceDiscovery::StartEs2862Monitor(const std::string& path) {
  auto* monitor = new TiomHidThreadIdEs2862(m_Slots, m_MainWindow);
  m_Slots.Store(monitor);
  monitor->DevicePath = path;
  StartMonitor(monitor,
               {path, LowercasePath(path), MonitorKind::Es2862, {}, monitor->StopHandle()});
}

void DeviceDiscovery::StartMonitor(MonitorThread* monitor, Watch watch) {
  // The poster outlives the monitor: the destructor waits for its end,
  // which comes after this notice.
  MessagePoster& mainWindow = m_MainWindow;
  monitor->SetEndNotice([&mainWindow] { mainWindow.Post(PostedMessage(UM_MONITOR_ENDED, 0, 0)); });
  m_Watches.push_back(std::move(watch));
  monitor->Start();
}

void DeviceDiscovery::Log(const std::string& line) const {
  if (m_Log) {
    m_Log(line);
  }
}

// Set while a pass or a restore runs: neither starts inside the other (a
// nested event loop could deliver a message meanwhile).
class DeviceDiscovery::PassGuard {
 public:
  explicit PassGuard(bool& inPass) : m_InPass(inPass) { m_InPass = true; }
  ~PassGuard() { m_InPass = false; }
  PassGuard(const PassGuard&) = delete;
  PassGuard& operator=(const PassGuard&) = delete;

 private:
  bool& m_InPass;
};

void DeviceDiscovery::DiscoverDevices() {
  if (m_InPass) return;
  {
    const PassGuard guard(m_InPass);
    RunPass();
  }
  if (m_RestorePending) HandleMonitorEnded(true);
}

void DeviceDiscovery::RunPass() {
  const HidExchangeSession session(m_StopRequested, &m_SilentDevices);
  std::erase_if(m_Watches, [](const Watch& watch) { return watch.stop->Ended(); });
  std::erase_if(m_Stopping, [](const auto& stop) { return stop->Ended(); });
  // Interfaces whose monitor lost its permission: they are in notification
  // mode and recorded already, and only need a monitor again.
  std::vector<Watch> retired = RetireMonitorsWithoutPermission();
  const auto takeRetired = [&](const std::string& path, MonitorKind kind) {
    const auto it = std::find_if(retired.begin(), retired.end(), [&](const Watch& watch) {
      return watch.path == LowercasePath(path) && watch.kind == kind;
    });
    if (it == retired.end()) {
      return false;
    }
    retired.erase(it);
    return true;
  };

  HidPathList candidates;
  CollectNotifyDevices(candidates);
  for (const std::string& path : candidates) {
    if (session.Stopped()) {
      return;
    }
    // Before the model query: an ID7M monitor of either kind means the
    // interface answered one already.
    if (IsWatched(path, {MonitorKind::Keyboard, MonitorKind::Mouse})) {
      continue;
    }
    const uint16_t modelId = GetModelId(path);
    if (modelId == 0) {
      continue;
    }
    const std::string deviceKind = Utf16ToUtf8(GetDeviceKind(modelId));
    const std::optional<MonitorKind> monitorKind = MonitorKindOf(Id7mKindFromText(deviceKind));
    if (!monitorKind) {
      continue;
    }
    StartId7mMonitor(path, deviceKind, *monitorKind);
    if (takeRetired(path, *monitorKind)) {
      Log("monitor " + deviceKind + " " + path + " (again)");
      continue;
    }
    const bool entered = EnterNotifyMode(path);
    m_ModeDevices.push_back(path);
    Log(MonitorLine(deviceKind, path, entered));
  }

  candidates.clear();
  if (session.Stopped()) {
    return;
  }
  HidCollectPathsIn(&candidates, kEs2862VendorIds, nullptr, kEs2862UsagePages, nullptr);
  for (const std::string& path : candidates) {
    if (IsWatched(path, {MonitorKind::Es2862})) {
      continue;
    }
    StartEs2862Monitor(path);
    if (takeRetired(path, MonitorKind::Es2862)) {
      Log("monitor ES2862 " + path + " (again)");
      continue;
    }
    m_Es2862Devices.push_back(path);
    Log("monitor ES2862 " + path);
  }
}

bool DeviceDiscovery::HandleInterfaceArrival(const std::string& path, bool passAllowed) {
  const HidExchangeSession session(m_StopRequested, &m_SilentDevices);
  bool identityRead = false;
  const bool rediscover = ArrivalCallsForDiscovery(path, &identityRead);
  if (identityRead && rediscover && passAllowed) DiscoverDevices();
  return identityRead;
}

void DeviceDiscovery::HandleInterfaceRemoval(const std::string& path) {
  m_SilentDevices.Forget(path);
}

void DeviceDiscovery::HandleMonitorEnded(bool passAllowed) {
  if (!passAllowed) return;
  if (m_InPass) {
    m_RestorePending = true;  // the pass under way restores them at its end
    return;
  }
  const PassGuard guard(m_InPass);
  do {
    m_RestorePending = false;
    std::erase_if(m_Watches, [](const Watch& watch) { return watch.stop->Ended(); });
    std::erase_if(m_Stopping, [](const auto& stop) { return stop->Ended(); });
    // A monitor that returned on its own (its device went or failed) is
    // not restarted here: one that fails at once would end and be
    // restarted for ever. Only a pass gives it another.
    std::erase_if(m_Watches, [this](const Watch& watch) {
      if (!watch.stop->Returned()) return false;
      m_Stopping.push_back(watch.stop);  // it may still be posting its notice
      return true;
    });
    for (Watch& watch : RetireMonitorsWithoutPermission()) {
      // A device that is gone has nothing left to show.
      if (!HidQueryIdentity(watch.path, nullptr, nullptr, nullptr, nullptr, nullptr)) continue;
      if (watch.kind == MonitorKind::Es2862) {
        StartEs2862Monitor(watch.path);
        Log("monitor ES2862 " + watch.path + " (again)");
      } else {
        StartId7mMonitor(watch.path, watch.deviceKind, watch.kind);
        Log("monitor " + watch.deviceKind + " " + watch.path + " (again)");
      }
    }
  } while (m_RestorePending);
}

bool DeviceDiscovery::ArrivalCallsForDiscovery(const std::string& path, bool* identityRead) const {
  const std::string lowered = LowercasePath(path);
  uint16_t vendorId = 0;
  uint16_t usagePage = 0;
  *identityRead = HidQueryIdentity(lowered, &vendorId, nullptr, &usagePage, nullptr, nullptr);
  if (!*identityRead) {
    return false;
  }
  return IsModelInfoDevice(path) || IsFlashInfoDevice(lowered) ||
         (vendorId == kEs2862VendorId && usagePage == kEs2862UsagePage);
}

void DeviceDiscovery::LeaveNotifyModeForRecordedDevices() {
  // Closing is not stopped by a termination request: the devices should be
  // switched back. A silent device costs one timeout, not one per entry.
  const HidExchangeSession session;
  for (const std::string& path : m_ModeDevices) {
    const bool left = LeaveNotifyMode(path);
    Log(std::string(left ? "leave " : "leave failed ") + path);
  }
}

void DeviceDiscovery::ReleaseLists() {
  m_ModeDevices.clear();
  m_Es2862Devices.clear();
}
