#include "app/device_discovery.h"

#include <chrono>
#include <filesystem>

#include "hid/IO_HID.h"
#include "monitors/IOM_HidThreadId7M.h"
#include "monitors/IOM_HidThreadIdEs2862.h"
#include "protocol/DeviceLists.h"
#include "protocol/Hid_pellamid7.h"
#include "skin/Utils_mathcarry.h"
#include "skin/Utils_splitstring.h"
#include "skin/settings_file.h"
#include "skin/text_helpers.h"

namespace {

constexpr uint16_t kEs2862Vendor = 0x1956;
constexpr uint16_t kEs2862UsagePage = 0xFF01;

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

std::string MonitorLine(const std::u16string& kind, const std::string& path, bool entered) {
  return "monitor " + Utf16ToUtf8(kind) + " " + path +
         (entered ? " (notification mode on)" : " (notification mode refused)");
}

}  // namespace

DeviceDiscovery::DeviceDiscovery(MonitorSlots& slots, MessagePoster& mainWindow,
                                 std::string modelTablePath)
    : m_Slots(slots), m_MainWindow(mainWindow), m_ModelTablePath(std::move(modelTablePath)) {}

DeviceDiscovery::~DeviceDiscovery() {
  for (const auto& stop : m_Started) {
    stop->Terminate();
  }
  WaitForLiveMonitorThreadsAtMost(0, std::chrono::seconds(2));
}

uint16_t DeviceDiscovery::GetModelId(const std::string& path) const {
  return ReadModelId(path);
}

std::u16string DeviceDiscovery::GetDeviceKind(uint16_t modelId) const {
  if (modelId == 0) {
    return {};
  }
  std::error_code error;
  if (!std::filesystem::is_regular_file(m_ModelTablePath, error)) {
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

void DeviceDiscovery::DiscoverDevices() {
  // A stop handle held here alone belongs to a monitor that has ended and
  // freed itself: forget it, so that the list does not grow with every pass.
  std::erase_if(m_Started, [](const auto& stop) { return stop.use_count() == 1; });

  HidPathList candidates;
  CollectNotifyDevices(candidates);
  for (const std::string& path : candidates) {
    const uint16_t modelId = GetModelId(path);
    if (modelId == 0) {
      continue;
    }
    const std::u16string kind = GetDeviceKind(modelId);
    if (kind != u"Keyboard" && kind != u"Mouse") {
      continue;
    }
    auto* monitor = new TiomHidThreadId7M(m_Slots, m_MainWindow);
    (kind == u"Keyboard" ? m_Slots.m_KeyboardMonitor : m_Slots.m_MouseMonitor).store(monitor);
    // Set up through the new monitor itself, never through the slot, which
    // a monitor thread may empty at any moment.
    monitor->DevicePath = path;
    monitor->DeviceKind = Utf16ToUtf8(kind);
    m_Started.push_back(monitor->StopHandle());
    monitor->Start();
    const bool entered = EnterNotifyMode(path);
    m_ModeDevices.push_back(path);
    if (m_Log) {
      m_Log(MonitorLine(kind, path, entered));
    }
  }

  candidates.clear();
  HidCollectPathsIn(&candidates, kEs2862VendorIds, nullptr, kEs2862UsagePages, nullptr);
  for (const std::string& path : candidates) {
    auto* monitor = new TiomHidThreadIdEs2862(m_Slots, m_MainWindow);
    m_Slots.m_Es2862Monitor.store(monitor);
    monitor->DevicePath = path;
    m_Started.push_back(monitor->StopHandle());
    monitor->Start();
    m_Es2862Devices.push_back(path);
    if (m_Log) {
      m_Log("monitor ES2862 " + path);
    }
  }
}

bool DeviceDiscovery::ArrivalCallsForDiscovery(const std::string& path,
                                               bool* identityRead) const {
  const std::string lowered = LowercasePath(path);
  uint16_t vendorId = 0;
  uint16_t usagePage = 0;
  *identityRead = HidQueryIdentity(lowered, &vendorId, nullptr, &usagePage, nullptr, nullptr);
  if (!*identityRead) {
    return false;
  }
  return IsModelInfoDevice(path) || IsFlashInfoDevice(lowered) ||
         (vendorId == kEs2862Vendor && usagePage == kEs2862UsagePage);
}

void DeviceDiscovery::LeaveNotifyModeForRecordedDevices() {
  for (const std::string& path : m_ModeDevices) {
    const bool left = LeaveNotifyMode(path);
    if (m_Log) {
      m_Log(std::string(left ? "leave " : "leave failed ") + path);
    }
  }
}

void DeviceDiscovery::ReleaseLists() {
  m_ModeDevices.clear();
  m_Es2862Devices.clear();
}
