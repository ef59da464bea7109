#include "hid/IO_HID.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <utility>

struct HidExchangeSession::State {
  bool StopRequested() {
    if (!stopped && stopRequested) stopped = stopRequested();
    return stopped;
  }

  std::function<bool()> stopRequested;
  bool stopped = false;  // a requested stop stays requested
  HidSilentDevices ownSilentDevices;
  HidSilentDevices* silentDevices = &ownSilentDevices;
};

namespace {

// Caller errors stop the program in every build, naming the parameter and
// this file as the assertion report of the original unit did.
[[noreturn]] void AssertionFailed(const char* condition, int line) {
  std::fprintf(stderr, "Assertion failed: %s, file IO_HID.cpp, line %d\n", condition, line);
  std::fflush(stderr);
  std::abort();
}

#define IO_HID_ASSERT(condition) \
  ((condition) ? static_cast<void>(0) : AssertionFailed(#condition, __LINE__))

// Stands in until a backend is set: no interfaces, nothing to open.
class AbsentBackend : public HidBackend {
 public:
  std::vector<std::string> EnumeratePaths() override { return {}; }
  std::optional<HidInterfaceInfo> QueryInterface(const std::string&) override {
    return std::nullopt;
  }
  std::optional<std::u16string> ReadIndexedString(const std::string&, int) override {
    return std::nullopt;
  }
  std::unique_ptr<HidOpenDevice> Open(const std::string&) override { return nullptr; }
  std::string DeviceKeyOf(const std::string& path) const override { return path; }
  WaitHandle ChangeHandle() override { return kNoWaitHandle; }
  std::vector<HidDeviceChange> TakeChanges() override { return {}; }
};

std::mutex g_backendMutex;
std::shared_ptr<HidBackend> g_backend;

// Each operation holds its own reference, so a backend replaced meanwhile
// stays alive until the operation returns.
std::shared_ptr<HidBackend> CurrentBackend() {
  std::lock_guard lock(g_backendMutex);
  if (!g_backend) g_backend = std::make_shared<AbsentBackend>();
  return g_backend;
}

bool PassesFilter(int32_t filter, uint16_t field) {
  // Comparing with the zero-extended field keeps values outside 0-65535
  // from ever matching.
  return filter == -1 || filter == static_cast<int32_t>(field);
}

bool PassesList(const int32_t* list, uint16_t field) {
  return list == nullptr || HidListContains(field, list);
}

// Appends the paths of the present interfaces that `passes` accepts.
template <typename Filter>
int32_t CollectMatching(HidPathList& list, Filter passes) {
  HidBackend& backend = *CurrentBackend();
  const HidEnumerationSet set{backend.EnumeratePaths()};
  int32_t count = 0;
  for (uint32_t index = 0;; ++index) {
    const std::string path = HidInterfacePathAt(set, index);
    if (path.empty()) break;
    const std::optional<HidInterfaceInfo> info = backend.QueryInterface(path);
    if (!info) continue;
    if (passes(*info)) {
      list.push_back(path);
      ++count;
    }
  }
  return count;
}

thread_local HidExchangeSession::State* t_session = nullptr;

std::mutex g_accessDeniedMutex;
std::function<void(const std::string&)> g_accessDenied;

// Opens `path`; a refusal for lack of permission is reported to the handler.
std::unique_ptr<HidOpenDevice> OpenReportingDenial(HidBackend& backend, const std::string& path) {
  std::unique_ptr<HidOpenDevice> open = backend.Open(path);
  if (open || !backend.AccessDenied(path)) return open;
  std::function<void(const std::string&)> handler;
  {
    std::lock_guard lock(g_accessDeniedMutex);
    handler = g_accessDenied;
  }
  if (handler) handler(path);
  return nullptr;
}

// Opens the path and transfers exactly its feature report length, as the
// opened node gives it, when that fits `capacity`.
template <typename Transfer>
bool FeatureExchange(const std::string& path, uint8_t* buffer, size_t capacity, Transfer transfer) {
  const std::shared_ptr<HidBackend> backend = CurrentBackend();
  HidExchangeSession::State* const session = t_session;
  if (session != nullptr) {
    if (session->StopRequested()) return false;
    if (session->silentDevices->Holds(path)) return false;
  }
  std::unique_ptr<HidOpenDevice> open = OpenReportingDenial(*backend, path);
  if (!open) return false;
  const std::optional<HidInterfaceInfo> caps = open->Capabilities();
  if (!caps || caps->featureReportByteLength == 0 || buffer == nullptr ||
      caps->featureReportByteLength > capacity) {
    return false;
  }
  const HidOpenDevice::FeatureTransfer result = transfer(*open, caps->featureReportByteLength);
  if (result.status == HidOpenDevice::FeatureStatus::TimedOut && session != nullptr) {
    session->silentDevices->GiveUp(path);
  }
  return static_cast<bool>(result);
}

}  // namespace

void HidSetBackend(std::shared_ptr<HidBackend> backend) {
  std::lock_guard lock(g_backendMutex);
  g_backend = std::move(backend);
}

void HidSetAccessDeniedHandler(std::function<void(const std::string& path)> handler) {
  std::lock_guard lock(g_accessDeniedMutex);
  g_accessDenied = std::move(handler);
}

std::string HidInterfacePathAt(const HidEnumerationSet& set, uint32_t index) {
  if (index >= set.paths.size()) return "";
  return set.paths[index];
}

int32_t HidCollectPaths(HidPathList* pList, int32_t vendorId, int32_t productId, int32_t usagePage,
                        int32_t usage) {
  IO_HID_ASSERT(pList != NULL);
  return CollectMatching(*pList, [&](const HidInterfaceInfo& info) {
    return PassesFilter(vendorId, info.vendorId) && PassesFilter(productId, info.productId) &&
           PassesFilter(usagePage, info.usagePage) && PassesFilter(usage, info.usage);
  });
}

int32_t HidCollectPathsIn(HidPathList* pList, const int32_t* vendorIds, const int32_t* productIds,
                          const int32_t* usagePages, const int32_t* usages) {
  IO_HID_ASSERT(pList != NULL);
  return CollectMatching(*pList, [&](const HidInterfaceInfo& info) {
    return PassesList(vendorIds, info.vendorId) && PassesList(productIds, info.productId) &&
           PassesList(usagePages, info.usagePage) && PassesList(usages, info.usage);
  });
}

bool HidListContains(uint16_t value, const int32_t* list) {
  if (list == nullptr) return false;
  for (const int32_t* entry = list; *entry != -1; ++entry) {
    if ((static_cast<uint32_t>(*entry) & 0xFFFFu) == value) return true;
  }
  return false;
}

bool HidQueryIdentity(const std::string& path, uint16_t* vendorId, uint16_t* productId,
                      uint16_t* usagePage, uint16_t* usage, uint16_t* versionNumber) {
  const std::optional<HidInterfaceInfo> info = CurrentBackend()->QueryInterface(path);
  if (!info) return false;
  if (vendorId != nullptr) *vendorId = info->vendorId;
  if (productId != nullptr) *productId = info->productId;
  if (usagePage != nullptr) *usagePage = info->usagePage;
  if (usage != nullptr) *usage = info->usage;
  if (versionNumber != nullptr) *versionNumber = info->versionNumber;
  return true;
}

bool HidWriteFeature(const std::string& path, uint8_t* buffer) {
  return HidWriteFeature(path, buffer, SIZE_MAX);
}

bool HidReadFeature(const std::string& path, uint8_t* buffer) {
  size_t received = 0;
  return HidReadFeature(path, buffer, SIZE_MAX, &received);
}

bool HidWriteFeature(const std::string& path, uint8_t* buffer, size_t capacity) {
  return FeatureExchange(path, buffer, capacity, [buffer](HidOpenDevice& device, size_t length) {
    return device.SetFeature(buffer, length);
  });
}

bool HidReadFeature(const std::string& path, uint8_t* buffer, size_t capacity, size_t* received) {
  if (received != nullptr) *received = 0;
  return FeatureExchange(path, buffer, capacity, [&](HidOpenDevice& device, size_t length) {
    const HidOpenDevice::FeatureTransfer transfer = device.GetFeature(buffer, length);
    if (transfer && received != nullptr) *received = transfer.bytes;
    return transfer;
  });
}

bool HidSilentDevices::Holds(const std::string& path) const {
  return m_Devices.contains(CurrentBackend()->DeviceKeyOf(path));
}

void HidSilentDevices::GiveUp(const std::string& path) {
  m_Devices.insert(CurrentBackend()->DeviceKeyOf(path));
}

void HidSilentDevices::Forget(const std::string& path) {
  m_Devices.erase(CurrentBackend()->DeviceKeyOf(path));
}

HidExchangeSession::HidExchangeSession(std::function<bool()> stopRequested,
                                       HidSilentDevices* silentDevices) {
  if (t_session != nullptr) return;
  m_Owned = std::make_unique<State>();
  m_Owned->stopRequested = std::move(stopRequested);
  if (silentDevices != nullptr) m_Owned->silentDevices = silentDevices;
  t_session = m_Owned.get();
}

HidExchangeSession::~HidExchangeSession() {
  if (m_Owned && t_session == m_Owned.get()) t_session = nullptr;
}

bool HidExchangeSession::Stopped() const {
  return t_session != nullptr && t_session->StopRequested();
}

bool HidReadIndexedString(const std::string& path, int32_t index, void* pReportBuffer,
                          uint32_t bufferLength) {
  IO_HID_ASSERT(pReportBuffer != NULL);
  const std::optional<std::u16string> text = CurrentBackend()->ReadIndexedString(path, index);
  if (!text) return false;

  // Whole UTF-16 code units only; the terminator is written when it fits.
  const size_t capacityUnits = bufferLength / sizeof(char16_t);
  const size_t copiedUnits = std::min(text->size(), capacityUnits);
  std::memcpy(pReportBuffer, text->data(), copiedUnits * sizeof(char16_t));
  if (copiedUnits < capacityUnits) {
    const char16_t terminator = 0;
    std::memcpy(static_cast<char*>(pReportBuffer) + copiedUnits * sizeof(char16_t), &terminator,
                sizeof terminator);
  }
  return true;
}

std::unique_ptr<HidOpenDevice> HidOpenForReports(const std::string& path) {
  return OpenReportingDenial(*CurrentBackend(), path);
}

uint32_t HidInputReportLength(const HidOpenDevice& device) {
  const std::optional<HidInterfaceInfo> caps = device.Capabilities();
  return caps ? caps->inputReportByteLength : 0;
}

WaitHandle HidRegisterArrival() { return CurrentBackend()->ChangeHandle(); }

void HidPostDeviceChanges(MessagePoster& window) {
  for (HidDeviceChange& change : CurrentBackend()->TakeChanges()) {
    auto broadcast = std::make_shared<const DeviceBroadcast>(
        DeviceBroadcast{DBT_DEVTYP_DEVICEINTERFACE, std::move(change.path)});
    Message message;
    message.msg = WM_DEVICECHANGE;
    message.wParam = change.arrived ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
    message.lParam = reinterpret_cast<intptr_t>(broadcast.get());
    message.broadcast = std::move(broadcast);
    window.Post(std::move(message));
  }
}
