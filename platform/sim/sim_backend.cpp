#include "platform/sim/sim_backend.h"

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

#include "platform/ascii_text.h"
#include "platform/interface_path.h"
#include "platform/sim/sim_firmware.h"

namespace {

class SimOpenDevice;

uint32_t FaultBit(SimFault fault) { return 1u << static_cast<unsigned>(fault); }

constexpr const char* kNodeFolder = "/dev/hidraw-sim/";

std::string InterfacePath(int nodeNumber, const std::string& instance, size_t collectionIndex,
                          size_t collectionCount) {
  return FormatInterfacePath(kNodeFolder + std::to_string(nodeNumber),
                             collectionCount > 1 ? collectionIndex + 1 : 0, instance);
}

// As the kernel names a HID device: bus, vendor, product and a number that
// grows with every connection.
std::string InstanceName(const SimDeviceSpec& spec, unsigned connection) {
  char name[32];
  std::snprintf(name, sizeof name, "0003:%04X:%04X.%04X", spec.vendorId, spec.productId,
                connection);
  return name;
}

bool Carries(const SimCollection& collection, uint8_t reportId) {
  if (collection.reportIds.empty()) return reportId == 0;
  return std::find(collection.reportIds.begin(), collection.reportIds.end(), reportId) !=
         collection.reportIds.end();
}

struct Device {
  explicit Device(const SimDeviceSpec& s) : spec(s), firmware(s) {}

  bool HasFault(SimFault fault) const { return (faults & FaultBit(fault)) != 0; }

  SimDeviceSpec spec;
  SimFirmware firmware;
  int nodeNumber = 0;
  std::vector<std::string> paths;  // one per collection, same order
  bool present = true;
  uint32_t faults = 0;
  std::vector<SimOpenDevice*> handles;
};

}  // namespace

struct SimBackend::Core {
  // Everything below is guarded by `mutex`.
  std::shared_ptr<Device> FindDevice(const std::string& name) const {
    for (const auto& device : devices) {
      if (device->spec.name == name) return device;
    }
    return nullptr;
  }

  // The present device and collection index behind an interface path, in
  // any letter case.
  std::pair<std::shared_ptr<Device>, size_t> FindPath(const std::string& path) const {
    const std::string wanted = AsciiLower(path);
    for (const auto& device : devices) {
      for (size_t i = 0; i < device->paths.size(); ++i) {
        if (AsciiLower(device->paths[i]) == wanted) return {device, i};
      }
    }
    return {nullptr, 0};
  }

  // The lowest node number no present device holds, as the kernel hands
  // them out.
  int FreeNodeNumber() const {
    for (int number = 0;; ++number) {
      if (std::none_of(devices.begin(), devices.end(),
                       [&](const auto& d) { return d->nodeNumber == number; })) {
        return number;
      }
    }
  }

  void QueueChange(bool arrived, const std::string& path) {
    changes.push_back({arrived, path});
    changeSignal.Raise();
  }

  // Takes the device by value: callers may pass an element of `devices`.
  void UnplugLocked(std::shared_ptr<Device> device, bool queueChanges);

  SimFeatureRecord Record(SimFeatureRecord::Kind kind, const Device& device, size_t collection,
                          const uint8_t* bytes, size_t length) {
    SimFeatureRecord record{kind, device.spec.name, device.paths[collection],
                            std::vector<uint8_t>(bytes, bytes + length)};
    featureLog.push_back(record);
    return record;
  }

  mutable std::mutex mutex;
  // Signalled whenever a handle starts or stops waiting for a report.
  mutable std::condition_variable readersChanged;
  ChangeSignal changeSignal;
  std::deque<HidDeviceChange> changes;
  std::vector<std::shared_ptr<Device>> devices;  // present ones, in plug order
  unsigned connections = 0;
  std::vector<SimFeatureRecord> featureLog;
  std::function<void(const SimFeatureRecord&)> observer;
  std::map<std::string, uint64_t> dropped;
  size_t openHandles = 0;
};

namespace {

class SimOpenDevice : public HidOpenDevice {
 public:
  SimOpenDevice(std::shared_ptr<SimBackend::Core> core, std::shared_ptr<Device> device,
                size_t collection)
      : m_Core(std::move(core)), m_Device(std::move(device)), m_Collection(collection) {
    const SimCollection& c = m_Device->spec.collections[m_Collection];
    if (c.capabilitiesReadable) {
      m_Capabilities = HidInterfaceInfo{m_Device->spec.vendorId,
                                        m_Device->spec.productId,
                                        m_Device->spec.versionNumber,
                                        c.usagePage,
                                        c.usage,
                                        c.inputReportLength,
                                        c.featureReportLength};
    }
    // Registered by the caller, which holds the lock.
    m_Device->handles.push_back(this);
    ++m_Core->openHandles;
  }

  // Whether the handle holds a descriptor, as an open node does.
  bool valid() const { return m_Node.Handle() != kNoWaitHandle; }

  ~SimOpenDevice() override {
    std::lock_guard lock(m_Core->mutex);
    auto& handles = m_Device->handles;
    handles.erase(std::remove(handles.begin(), handles.end(), this), handles.end());
    --m_Core->openHandles;
  }

  std::optional<HidInterfaceInfo> Capabilities() const override { return m_Capabilities; }

  FeatureTransfer SetFeature(const uint8_t* buffer, size_t length) override {
    return Exchange(buffer, nullptr, length);
  }

  FeatureTransfer GetFeature(uint8_t* buffer, size_t length) override {
    return Exchange(buffer, buffer, length);
  }

  ReadStatus ReadInputReport(uint8_t* buffer, size_t capacity, size_t* received) override {
    if (received != nullptr) *received = 0;
    std::unique_lock lock(m_Core->mutex);
    if (!m_Cancelled && m_Device->present && m_Device->HasFault(SimFault::UnplugOnNextRead)) {
      m_Core->UnplugLocked(m_Device, true);
      m_Queue.clear();  // this read is the one that finds the device gone
    }
    m_Reading = true;
    m_Core->readersChanged.notify_all();
    m_Wake.wait(lock, [this] { return m_Cancelled || m_Gone || !m_Queue.empty(); });
    m_Reading = false;
    m_Core->readersChanged.notify_all();
    if (m_Cancelled) return ReadStatus::Cancelled;
    // Reports queued before the device went are read first, as from hidraw.
    if (m_Queue.empty()) return ReadStatus::Gone;
    if (buffer == nullptr) return ReadStatus::Failed;

    const std::vector<uint8_t>& report = m_Queue.front();
    const size_t n = std::min(capacity, report.size());
    std::memcpy(buffer, report.data(), n);
    m_Queue.pop_front();
    if (received != nullptr) *received = n;
    return ReadStatus::Report;
  }

  void Cancel() override {
    std::lock_guard lock(m_Core->mutex);
    m_Cancelled = true;
    m_Wake.notify_all();
  }

  // Called with the lock held.
  void Deliver(const std::vector<uint8_t>& report, uint64_t& dropped) {
    if (m_Queue.size() >= SimBackend::kReportQueueDepth) {
      m_Queue.pop_front();
      ++dropped;
    }
    m_Queue.push_back(report);
    m_Wake.notify_all();
  }

  void MarkGone() {
    m_Gone = true;
    m_Wake.notify_all();
  }

  size_t collection() const { return m_Collection; }
  bool reading() const { return m_Reading; }
  // Blocked with nothing to pick up: the next report is the one it gets.
  bool waitingForReport() const { return m_Reading && m_Queue.empty() && !m_Cancelled && !m_Gone; }

 private:
  // A write when `answer` is null, else a read into `answer` (== request).
  FeatureTransfer Exchange(const uint8_t* request, uint8_t* answer, size_t length) {
    if (request == nullptr || length == 0) return {};
    std::unique_lock lock(m_Core->mutex);
    if (m_Gone || !m_Device->present) return {FeatureStatus::Gone, 0};
    if (m_Device->HasFault(SimFault::UnplugOnNextFeature)) {
      m_Core->UnplugLocked(m_Device, true);
      return {FeatureStatus::Gone, 0};
    }

    const bool isSet = answer == nullptr;
    SimFeatureRecord record =
        m_Core->Record(isSet ? SimFeatureRecord::Kind::Set : SimFeatureRecord::Kind::Get, *m_Device,
                       m_Collection, request, isSet ? length : 1);

    const SimCollection& c = m_Device->spec.collections[m_Collection];
    FeatureTransfer transfer{FeatureStatus::Refused, 0};
    const bool taken = c.answersFeatures && !m_Device->HasFault(SimFault::RefuseFeatures) &&
                       length == c.featureReportLength;
    if (taken && m_Device->HasFault(SimFault::NoFeatureAnswer)) {
      transfer.status = FeatureStatus::TimedOut;
    } else if (taken && isSet) {
      if (m_Device->firmware.Receive(request, length)) transfer = {FeatureStatus::Done, length};
    } else if (taken) {
      // Byte 0 selects the report to read; the bytes the device sends
      // overwrite the start of the buffer and leave the rest as it was.
      std::vector<uint8_t> report(length);
      if (m_Device->firmware.Answer(request[0], report.data(), length)) {
        if (length > 1 && m_Device->HasFault(SimFault::WrongCommandEcho)) report[1] ^= 0x01;
        if (length > 2 && m_Device->HasFault(SimFault::WrongArgumentEcho)) report[2] ^= 0x5A;
        const size_t sent = m_Device->spec.featureAnswerBytes;
        transfer = {FeatureStatus::Done, sent != 0 && sent < length ? sent : length};
        std::memcpy(answer, report.data(), transfer.bytes);
      }
    }

    auto observer = m_Core->observer;
    lock.unlock();
    if (observer) observer(record);
    return transfer;
  }

  std::shared_ptr<SimBackend::Core> m_Core;
  std::shared_ptr<Device> m_Device;
  size_t m_Collection;
  // Stands for the node's descriptor, so that a handle that is never
  // released shows in the process's descriptor (or handle) table.
  const ChangeSignal m_Node;
  std::optional<HidInterfaceInfo> m_Capabilities;
  // Guarded by m_Core->mutex.
  std::condition_variable m_Wake;
  std::deque<std::vector<uint8_t>> m_Queue;
  bool m_Cancelled = false;
  bool m_Gone = false;
  bool m_Reading = false;
};

}  // namespace

void SimBackend::Core::UnplugLocked(std::shared_ptr<Device> device, bool queueChanges) {
  device->present = false;
  device->faults = 0;
  for (SimOpenDevice* handle : device->handles) handle->MarkGone();
  devices.erase(std::remove(devices.begin(), devices.end(), device), devices.end());
  if (queueChanges) {
    for (const std::string& path : device->paths) QueueChange(false, path);
  }
}

SimBackend::SimBackend() : m_Core(std::make_shared<Core>()) {}

SimBackend::~SimBackend() {
  std::lock_guard lock(m_Core->mutex);
  while (!m_Core->devices.empty()) m_Core->UnplugLocked(m_Core->devices.front(), false);
}

std::vector<std::string> SimBackend::Plug(const SimDeviceSpec& spec) {
  std::lock_guard lock(m_Core->mutex);
  if (spec.collections.empty() || m_Core->FindDevice(spec.name)) return {};
  auto device = std::make_shared<Device>(spec);
  device->nodeNumber = m_Core->FreeNodeNumber();
  const std::string instance = InstanceName(spec, ++m_Core->connections);
  for (size_t i = 0; i < spec.collections.size(); ++i) {
    device->paths.push_back(
        InterfacePath(device->nodeNumber, instance, i, spec.collections.size()));
  }
  m_Core->devices.push_back(device);
  m_Core->dropped.try_emplace(spec.name, 0);
  for (const std::string& path : device->paths) m_Core->QueueChange(true, path);
  return device->paths;
}

bool SimBackend::Unplug(const std::string& name) {
  std::lock_guard lock(m_Core->mutex);
  auto device = m_Core->FindDevice(name);
  if (!device) return false;
  m_Core->UnplugLocked(device, true);
  return true;
}

bool SimBackend::IsPresent(const std::string& name) const {
  std::lock_guard lock(m_Core->mutex);
  return m_Core->FindDevice(name) != nullptr;
}

std::vector<std::string> SimBackend::PathsOf(const std::string& name) const {
  std::lock_guard lock(m_Core->mutex);
  auto device = m_Core->FindDevice(name);
  return device ? device->paths : std::vector<std::string>{};
}

int SimBackend::SendInputReport(const std::string& name, const std::vector<uint8_t>& report) {
  if (report.empty()) return -1;
  std::lock_guard lock(m_Core->mutex);
  auto device = m_Core->FindDevice(name);
  if (!device) return -1;
  bool routed = false;
  for (const SimCollection& c : device->spec.collections) routed |= Carries(c, report[0]);
  if (!routed) return -1;

  int reached = 0;
  uint64_t& dropped = m_Core->dropped[name];
  for (SimOpenDevice* handle : device->handles) {
    if (Carries(device->spec.collections[handle->collection()], report[0])) {
      handle->Deliver(report, dropped);
      ++reached;
    }
  }
  return reached;
}

uint64_t SimBackend::DroppedReports(const std::string& name) const {
  std::lock_guard lock(m_Core->mutex);
  auto it = m_Core->dropped.find(name);
  return it == m_Core->dropped.end() ? 0 : it->second;
}

bool SimBackend::WaitForReaders(const std::string& name, size_t readers,
                                std::chrono::milliseconds timeout) const {
  std::unique_lock lock(m_Core->mutex);
  return m_Core->readersChanged.wait_for(lock, timeout, [&] {
    auto device = m_Core->FindDevice(name);
    if (!device) return false;
    size_t blocked = 0;
    for (const SimOpenDevice* handle : device->handles) {
      blocked += handle->waitingForReport() ? 1 : 0;
    }
    return blocked >= readers;
  });
}

void SimBackend::InjectFault(const std::string& name, SimFault fault) {
  std::lock_guard lock(m_Core->mutex);
  auto device = m_Core->FindDevice(name);
  if (!device) return;
  if (fault == SimFault::UnplugOnNextRead) {
    const bool readPending = std::any_of(device->handles.begin(), device->handles.end(),
                                         [](const SimOpenDevice* h) { return h->reading(); });
    if (readPending) {
      m_Core->UnplugLocked(device, true);
      return;
    }
  }
  device->faults |= FaultBit(fault);
}

void SimBackend::ClearFaults(const std::string& name) {
  std::lock_guard lock(m_Core->mutex);
  if (auto device = m_Core->FindDevice(name)) device->faults = 0;
}

bool SimBackend::InNotificationMode(const std::string& name) const {
  std::lock_guard lock(m_Core->mutex);
  auto device = m_Core->FindDevice(name);
  return device && device->firmware.notificationMode();
}

std::vector<SimFeatureRecord> SimBackend::FeatureLog() const {
  std::lock_guard lock(m_Core->mutex);
  return m_Core->featureLog;
}

std::vector<SimFeatureRecord> SimBackend::FeatureLog(const std::string& name) const {
  std::lock_guard lock(m_Core->mutex);
  std::vector<SimFeatureRecord> records;
  for (const SimFeatureRecord& r : m_Core->featureLog) {
    if (r.device == name) records.push_back(r);
  }
  return records;
}

void SimBackend::ClearFeatureLog() {
  std::lock_guard lock(m_Core->mutex);
  m_Core->featureLog.clear();
}

void SimBackend::SetFeatureObserver(std::function<void(const SimFeatureRecord&)> observer) {
  std::lock_guard lock(m_Core->mutex);
  m_Core->observer = std::move(observer);
}

size_t SimBackend::OpenHandleCount() const {
  std::lock_guard lock(m_Core->mutex);
  return m_Core->openHandles;
}

std::vector<std::string> SimBackend::EnumeratePaths() {
  std::lock_guard lock(m_Core->mutex);
  // In node number order, as hidraw lists its nodes: a device plugged in
  // after another left takes the lower free number and comes first.
  std::vector<std::shared_ptr<Device>> byNode = m_Core->devices;
  std::sort(byNode.begin(), byNode.end(),
            [](const auto& a, const auto& b) { return a->nodeNumber < b->nodeNumber; });
  std::vector<std::string> paths;
  for (const auto& device : byNode) {
    paths.insert(paths.end(), device->paths.begin(), device->paths.end());
  }
  return paths;
}

std::optional<HidInterfaceInfo> SimBackend::QueryInterface(const std::string& path) {
  std::lock_guard lock(m_Core->mutex);
  auto [device, index] = m_Core->FindPath(path);
  if (!device) return std::nullopt;
  const SimCollection& c = device->spec.collections[index];
  if (!c.capabilitiesReadable) return std::nullopt;
  return HidInterfaceInfo{device->spec.vendorId,
                          device->spec.productId,
                          device->spec.versionNumber,
                          c.usagePage,
                          c.usage,
                          c.inputReportLength,
                          c.featureReportLength};
}

std::optional<std::u16string> SimBackend::ReadIndexedString(const std::string& path, int index) {
  std::lock_guard lock(m_Core->mutex);
  auto [device, collection] = m_Core->FindPath(path);
  if (!device) return std::nullopt;
  if (index == 1) return device->spec.manufacturer;
  if (index == 2) return device->spec.product;
  return std::nullopt;
}

std::unique_ptr<HidOpenDevice> SimBackend::Open(const std::string& path) {
  std::unique_ptr<SimOpenDevice> handle;
  {
    std::lock_guard lock(m_Core->mutex);
    auto [device, collection] = m_Core->FindPath(path);
    if (!device || device->spec.accessDenied) return nullptr;
    handle = std::make_unique<SimOpenDevice>(m_Core, device, collection);
  }
  if (!handle->valid()) return nullptr;  // out of descriptors, as open() would fail
  return handle;
}

bool SimBackend::AccessDenied(const std::string& path) {
  std::lock_guard lock(m_Core->mutex);
  auto [device, collection] = m_Core->FindPath(path);
  return device != nullptr && device->spec.accessDenied;
}

std::string SimBackend::DeviceKeyOf(const std::string& path) const { return DeviceKeyOfPath(path); }

WaitHandle SimBackend::ChangeHandle() { return m_Core->changeSignal.Handle(); }

std::vector<HidDeviceChange> SimBackend::TakeChanges() {
  std::lock_guard lock(m_Core->mutex);
  // Cleared together with the queue, so it is raised exactly while changes
  // are pending.
  m_Core->changeSignal.Clear();
  std::vector<HidDeviceChange> taken(m_Core->changes.begin(), m_Core->changes.end());
  m_Core->changes.clear();
  return taken;
}
