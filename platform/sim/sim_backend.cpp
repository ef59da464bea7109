#include "platform/sim/sim_backend.h"

#include <sys/eventfd.h>
#include <unistd.h>

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
  Core() : changeFd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~Core() {
    if (changeFd >= 0) close(changeFd);
  }

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
    const uint64_t one = 1;
    // The counter only has to be non-zero; a full counter is still readable.
    [[maybe_unused]] ssize_t n = write(changeFd, &one, sizeof one);
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
  int changeFd;
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
      : core_(std::move(core)), device_(std::move(device)), collection_(collection) {
    const SimCollection& c = device_->spec.collections[collection_];
    if (c.capabilitiesReadable) {
      capabilities_ = HidInterfaceInfo{device_->spec.vendorId, device_->spec.productId,
                                       device_->spec.versionNumber, c.usagePage, c.usage,
                                       c.inputReportLength, c.featureReportLength};
    }
    // Registered by the caller, which holds the lock.
    device_->handles.push_back(this);
    ++core_->openHandles;
  }

  // Whether the handle holds a descriptor, as an open node does.
  bool valid() const { return node_ >= 0; }

  ~SimOpenDevice() override {
    if (node_ >= 0) close(node_);
    std::lock_guard lock(core_->mutex);
    auto& handles = device_->handles;
    handles.erase(std::remove(handles.begin(), handles.end(), this), handles.end());
    --core_->openHandles;
  }

  std::optional<HidInterfaceInfo> Capabilities() const override { return capabilities_; }

  FeatureTransfer SetFeature(const uint8_t* buffer, size_t length) override {
    return Exchange(buffer, nullptr, length);
  }

  FeatureTransfer GetFeature(uint8_t* buffer, size_t length) override {
    return Exchange(buffer, buffer, length);
  }

  ReadStatus ReadInputReport(uint8_t* buffer, size_t capacity, size_t* received) override {
    if (received != nullptr) *received = 0;
    std::unique_lock lock(core_->mutex);
    if (!cancelled_ && device_->present && device_->HasFault(SimFault::UnplugOnNextRead)) {
      core_->UnplugLocked(device_, true);
      queue_.clear();  // this read is the one that finds the device gone
    }
    reading_ = true;
    core_->readersChanged.notify_all();
    wake_.wait(lock, [this] { return cancelled_ || gone_ || !queue_.empty(); });
    reading_ = false;
    core_->readersChanged.notify_all();
    if (cancelled_) return ReadStatus::Cancelled;
    // Reports queued before the device went are read first, as from hidraw.
    if (queue_.empty()) return ReadStatus::Gone;
    if (buffer == nullptr) return ReadStatus::Failed;

    const std::vector<uint8_t>& report = queue_.front();
    const size_t n = std::min(capacity, report.size());
    std::memcpy(buffer, report.data(), n);
    queue_.pop_front();
    if (received != nullptr) *received = n;
    return ReadStatus::Report;
  }

  void Cancel() override {
    std::lock_guard lock(core_->mutex);
    cancelled_ = true;
    wake_.notify_all();
  }

  // Called with the lock held.
  void Deliver(const std::vector<uint8_t>& report, uint64_t& dropped) {
    if (queue_.size() >= SimBackend::kReportQueueDepth) {
      queue_.pop_front();
      ++dropped;
    }
    queue_.push_back(report);
    wake_.notify_all();
  }

  void MarkGone() {
    gone_ = true;
    wake_.notify_all();
  }

  size_t collection() const { return collection_; }
  bool reading() const { return reading_; }
  // Blocked with nothing to pick up: the next report is the one it gets.
  bool waitingForReport() const { return reading_ && queue_.empty() && !cancelled_ && !gone_; }

 private:
  // A write when `answer` is null, else a read into `answer` (== request).
  FeatureTransfer Exchange(const uint8_t* request, uint8_t* answer, size_t length) {
    if (request == nullptr || length == 0) return {};
    std::unique_lock lock(core_->mutex);
    if (gone_ || !device_->present) return {FeatureStatus::Gone, 0};
    if (device_->HasFault(SimFault::UnplugOnNextFeature)) {
      core_->UnplugLocked(device_, true);
      return {FeatureStatus::Gone, 0};
    }

    const bool isSet = answer == nullptr;
    SimFeatureRecord record =
        core_->Record(isSet ? SimFeatureRecord::Kind::Set : SimFeatureRecord::Kind::Get,
                      *device_, collection_, request, isSet ? length : 1);

    const SimCollection& c = device_->spec.collections[collection_];
    FeatureTransfer transfer{FeatureStatus::Refused, 0};
    const bool taken = c.answersFeatures && !device_->HasFault(SimFault::RefuseFeatures) &&
                       length == c.featureReportLength;
    if (taken && device_->HasFault(SimFault::NoFeatureAnswer)) {
      transfer.status = FeatureStatus::TimedOut;
    } else if (taken && isSet) {
      if (device_->firmware.Receive(request, length)) transfer = {FeatureStatus::Done, length};
    } else if (taken) {
      // Byte 0 selects the report to read; the bytes the device sends
      // overwrite the start of the buffer and leave the rest as it was.
      std::vector<uint8_t> report(length);
      if (device_->firmware.Answer(request[0], report.data(), length)) {
        if (length > 1 && device_->HasFault(SimFault::WrongCommandEcho)) report[1] ^= 0x01;
        if (length > 2 && device_->HasFault(SimFault::WrongArgumentEcho)) report[2] ^= 0x5A;
        const size_t sent = device_->spec.featureAnswerBytes;
        transfer = {FeatureStatus::Done, sent != 0 && sent < length ? sent : length};
        std::memcpy(answer, report.data(), transfer.bytes);
      }
    }

    auto observer = core_->observer;
    lock.unlock();
    if (observer) observer(record);
    return transfer;
  }

  std::shared_ptr<SimBackend::Core> core_;
  std::shared_ptr<Device> device_;
  size_t collection_;
  // Stands for the node's descriptor, so that a handle that is never
  // released shows in the process's descriptor table.
  const int node_ = eventfd(0, EFD_CLOEXEC);
  std::optional<HidInterfaceInfo> capabilities_;
  // Guarded by core_->mutex.
  std::condition_variable wake_;
  std::deque<std::vector<uint8_t>> queue_;
  bool cancelled_ = false;
  bool gone_ = false;
  bool reading_ = false;
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

SimBackend::SimBackend() : core_(std::make_shared<Core>()) {}

SimBackend::~SimBackend() {
  std::lock_guard lock(core_->mutex);
  while (!core_->devices.empty()) core_->UnplugLocked(core_->devices.front(), false);
}

std::vector<std::string> SimBackend::Plug(const SimDeviceSpec& spec) {
  std::lock_guard lock(core_->mutex);
  if (spec.collections.empty() || core_->FindDevice(spec.name)) return {};
  auto device = std::make_shared<Device>(spec);
  device->nodeNumber = core_->FreeNodeNumber();
  const std::string instance = InstanceName(spec, ++core_->connections);
  for (size_t i = 0; i < spec.collections.size(); ++i) {
    device->paths.push_back(
        InterfacePath(device->nodeNumber, instance, i, spec.collections.size()));
  }
  core_->devices.push_back(device);
  core_->dropped.try_emplace(spec.name, 0);
  for (const std::string& path : device->paths) core_->QueueChange(true, path);
  return device->paths;
}

bool SimBackend::Unplug(const std::string& name) {
  std::lock_guard lock(core_->mutex);
  auto device = core_->FindDevice(name);
  if (!device) return false;
  core_->UnplugLocked(device, true);
  return true;
}

bool SimBackend::IsPresent(const std::string& name) const {
  std::lock_guard lock(core_->mutex);
  return core_->FindDevice(name) != nullptr;
}

std::vector<std::string> SimBackend::PathsOf(const std::string& name) const {
  std::lock_guard lock(core_->mutex);
  auto device = core_->FindDevice(name);
  return device ? device->paths : std::vector<std::string>{};
}

int SimBackend::SendInputReport(const std::string& name, const std::vector<uint8_t>& report) {
  if (report.empty()) return -1;
  std::lock_guard lock(core_->mutex);
  auto device = core_->FindDevice(name);
  if (!device) return -1;
  bool routed = false;
  for (const SimCollection& c : device->spec.collections) routed |= Carries(c, report[0]);
  if (!routed) return -1;

  int reached = 0;
  uint64_t& dropped = core_->dropped[name];
  for (SimOpenDevice* handle : device->handles) {
    if (Carries(device->spec.collections[handle->collection()], report[0])) {
      handle->Deliver(report, dropped);
      ++reached;
    }
  }
  return reached;
}

uint64_t SimBackend::DroppedReports(const std::string& name) const {
  std::lock_guard lock(core_->mutex);
  auto it = core_->dropped.find(name);
  return it == core_->dropped.end() ? 0 : it->second;
}

bool SimBackend::WaitForReaders(const std::string& name, size_t readers,
                                std::chrono::milliseconds timeout) const {
  std::unique_lock lock(core_->mutex);
  return core_->readersChanged.wait_for(lock, timeout, [&] {
    auto device = core_->FindDevice(name);
    if (!device) return false;
    size_t blocked = 0;
    for (const SimOpenDevice* handle : device->handles) {
      blocked += handle->waitingForReport() ? 1 : 0;
    }
    return blocked >= readers;
  });
}

void SimBackend::InjectFault(const std::string& name, SimFault fault) {
  std::lock_guard lock(core_->mutex);
  auto device = core_->FindDevice(name);
  if (!device) return;
  if (fault == SimFault::UnplugOnNextRead) {
    const bool readPending = std::any_of(device->handles.begin(), device->handles.end(),
                                         [](const SimOpenDevice* h) { return h->reading(); });
    if (readPending) {
      core_->UnplugLocked(device, true);
      return;
    }
  }
  device->faults |= FaultBit(fault);
}

void SimBackend::ClearFaults(const std::string& name) {
  std::lock_guard lock(core_->mutex);
  if (auto device = core_->FindDevice(name)) device->faults = 0;
}

bool SimBackend::InNotificationMode(const std::string& name) const {
  std::lock_guard lock(core_->mutex);
  auto device = core_->FindDevice(name);
  return device && device->firmware.notificationMode();
}

std::vector<SimFeatureRecord> SimBackend::FeatureLog() const {
  std::lock_guard lock(core_->mutex);
  return core_->featureLog;
}

std::vector<SimFeatureRecord> SimBackend::FeatureLog(const std::string& name) const {
  std::lock_guard lock(core_->mutex);
  std::vector<SimFeatureRecord> records;
  for (const SimFeatureRecord& r : core_->featureLog) {
    if (r.device == name) records.push_back(r);
  }
  return records;
}

void SimBackend::ClearFeatureLog() {
  std::lock_guard lock(core_->mutex);
  core_->featureLog.clear();
}

void SimBackend::SetFeatureObserver(std::function<void(const SimFeatureRecord&)> observer) {
  std::lock_guard lock(core_->mutex);
  core_->observer = std::move(observer);
}

size_t SimBackend::OpenHandleCount() const {
  std::lock_guard lock(core_->mutex);
  return core_->openHandles;
}

std::vector<std::string> SimBackend::EnumeratePaths() {
  std::lock_guard lock(core_->mutex);
  std::vector<std::string> paths;
  for (const auto& device : core_->devices) {
    paths.insert(paths.end(), device->paths.begin(), device->paths.end());
  }
  return paths;
}

std::optional<HidInterfaceInfo> SimBackend::QueryInterface(const std::string& path) {
  std::lock_guard lock(core_->mutex);
  auto [device, index] = core_->FindPath(path);
  if (!device) return std::nullopt;
  const SimCollection& c = device->spec.collections[index];
  if (!c.capabilitiesReadable) return std::nullopt;
  return HidInterfaceInfo{device->spec.vendorId, device->spec.productId,
                          device->spec.versionNumber, c.usagePage, c.usage,
                          c.inputReportLength, c.featureReportLength};
}

std::optional<std::u16string> SimBackend::ReadIndexedString(const std::string& path, int index) {
  std::lock_guard lock(core_->mutex);
  auto [device, collection] = core_->FindPath(path);
  if (!device) return std::nullopt;
  if (index == 1) return device->spec.manufacturer;
  if (index == 2) return device->spec.product;
  return std::nullopt;
}

std::unique_ptr<HidOpenDevice> SimBackend::Open(const std::string& path) {
  std::unique_ptr<SimOpenDevice> handle;
  {
    std::lock_guard lock(core_->mutex);
    auto [device, collection] = core_->FindPath(path);
    if (!device) return nullptr;
    handle = std::make_unique<SimOpenDevice>(core_, device, collection);
  }
  if (!handle->valid()) return nullptr;  // out of descriptors, as open() would fail
  return handle;
}

std::string SimBackend::DeviceKeyOf(const std::string& path) const {
  return DeviceKeyOfPath(path);
}

int SimBackend::ChangeFd() { return core_->changeFd; }

std::vector<HidDeviceChange> SimBackend::TakeChanges() {
  std::lock_guard lock(core_->mutex);
  uint64_t counter = 0;
  // Reset the descriptor together with the queue, so it is readable exactly
  // while changes are pending.
  [[maybe_unused]] ssize_t n = read(core_->changeFd, &counter, sizeof counter);
  std::vector<HidDeviceChange> taken(core_->changes.begin(), core_->changes.end());
  core_->changes.clear();
  return taken;
}
