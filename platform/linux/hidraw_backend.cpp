#include "platform/linux/hidraw_backend.h"

#include <dirent.h>
#include <fcntl.h>
#include <libudev.h>
#include <linux/hidraw.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <span>

#include "platform/ascii_text.h"
#include "platform/device_log_sink.h"
#include "platform/interface_path.h"
#include "platform/report_descriptor.h"
#include "platform/utf8_text.h"

namespace {

// Sysfs attributes and report descriptors are at most a page; anything far
// larger is not what we asked for.
constexpr size_t kMaxSysfsFileBytes = 64 * 1024;
// hidraw never hands out a report longer than the HID core's buffer.
constexpr size_t kMaxRawReportBytes = 16 * 1024;
// The ioctl request encodes the length in 14 bits.
constexpr size_t kMaxIoctlLength = (1u << 14) - 1;
// How far up from the HID device a USB device may sit (interface, device).
constexpr int kMaxAncestorSteps = 64;

constexpr std::string_view kNodePrefix = "hidraw";
constexpr uint32_t kBusUsb = 0x0003;

int CloseKeepingErrno(int fd) {
  const int saved = errno;
  const int result = ::close(fd);
  errno = saved;
  return result;
}

std::optional<std::string> ReadSmallFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    // A missing attribute is an answer (no USB parent, no such string).
    if (errno != ENOENT) LogDeviceFailure("open", path, errno);
    return std::nullopt;
  }
  std::string content;
  char chunk[4096];
  for (;;) {
    const ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0) {
      if (errno == EINTR) continue;
      LogDeviceFailure("read", path, errno);
      CloseKeepingErrno(fd);
      return std::nullopt;
    }
    if (n == 0) break;
    if (content.size() + static_cast<size_t>(n) > kMaxSysfsFileBytes) {
      CloseKeepingErrno(fd);
      return std::nullopt;
    }
    content.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return content;
}

bool IsDigits(std::string_view text) {
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "hidraw" followed by a decimal number; nothing else names a node, which
// also keeps sysfs paths built from it inside class/hidraw.
bool IsNodeName(std::string_view name) {
  if (!name.starts_with(kNodePrefix)) return false;
  const std::string_view number = name.substr(kNodePrefix.size());
  return IsDigits(number) && number.size() <= 9;
}

unsigned long NodeNumber(std::string_view name) {
  return std::strtoul(std::string(name.substr(kNodePrefix.size())).c_str(), nullptr, 10);
}

std::optional<uint32_t> ParseHex32(std::string_view text) {
  if (text.empty() || text.size() > 8) return std::nullopt;
  uint32_t value = 0;
  for (char c : text) {
    const int digit = HexDigitValue(static_cast<unsigned char>(c));
    if (digit < 0) return std::nullopt;
    value = value << 4 | static_cast<uint32_t>(digit);
  }
  return value;
}

std::string_view StripFinalNewline(std::string_view text) {
  if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
  return text;
}

std::optional<std::string_view> UeventValue(std::string_view uevent, std::string_view key) {
  while (!uevent.empty()) {
    const size_t end = uevent.find('\n');
    const std::string_view line = uevent.substr(0, end);
    if (line.size() > key.size() && line.starts_with(key) && line[key.size()] == '=') {
      return line.substr(key.size() + 1);
    }
    if (end == std::string_view::npos) break;
    uevent.remove_prefix(end + 1);
  }
  return std::nullopt;
}

std::string ParentDirectory(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos || slash == 0) return "/";
  return path.substr(0, slash);
}

std::optional<std::string> RealPath(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) == nullptr) return std::nullopt;
  return std::string(resolved);
}

// A path as the backend hands it out, taken apart again.
struct InterfacePath {
  std::string nodeName;   // "hidrawN"
  size_t collection = 0;  // 1-based; 0 for a plain node path
  std::string instance;   // the HID device the node belonged to
};

// Only paths that carry the HID device instance are accepted: without it a
// node number could name whichever device holds it now.
std::optional<InterfacePath> ParseInterfacePath(std::string_view path, std::string_view devRoot) {
  const auto parts = SplitInterfacePath(path);
  if (!parts || parts->instance.empty()) return std::nullopt;
  const std::string_view node = parts->node;
  if (!node.starts_with(devRoot) || node.size() == devRoot.size() || node[devRoot.size()] != '/') {
    return std::nullopt;
  }
  // Node names are lower case; accept a caller's upper-cased copy.
  std::string name = AsciiLower(node.substr(devRoot.size() + 1));
  if (!IsNodeName(name)) return std::nullopt;
  return InterfacePath{std::move(name), parts->collection, parts->instance};
}

std::string_view BaseName(std::string_view path) { return path.substr(path.find_last_of('/') + 1); }

// What sysfs tells about one hidraw node.
struct NodeDescription {
  ReportDescriptorSummary descriptor;
  uint32_t bus = 0;  // HID_ID's bus: 0003 USB, 0005 Bluetooth, 0018 I2C …
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t versionNumber = 0;
  // The USB device the strings and version are read from; none off USB.
  std::optional<std::string> usbDevice;
};

class SysfsNode {
 public:
  SysfsNode(const std::string& sysRoot, const std::string& nodeName)
      : m_SysRoot(sysRoot), m_HidDevice(sysRoot + "/class/hidraw/" + nodeName + "/device") {}

  // The sysfs name of the node's HID device ("0003:1A2C:1A20.0007").
  std::optional<std::string> Instance() const {
    const auto directory = RealPath(m_HidDevice);
    if (!directory) return std::nullopt;
    return std::string(BaseName(*directory));
  }

  std::optional<std::string> ReportDescriptorBytes() const {
    return ReadSmallFile(m_HidDevice + "/report_descriptor");
  }

  std::optional<NodeDescription> Describe() const {
    const auto bytes = ReportDescriptorBytes();
    const auto uevent = ReadSmallFile(m_HidDevice + "/uevent");
    if (!bytes || !uevent) return std::nullopt;
    // HID_ID=bus:vendor:product, each in hex (8 digits for vendor/product).
    const auto hidId = UeventValue(*uevent, "HID_ID");
    if (!hidId) return std::nullopt;
    const size_t first = hidId->find(':');
    const size_t second = hidId->find(':', first == std::string_view::npos ? 0 : first + 1);
    if (first == std::string_view::npos || second == std::string_view::npos) return std::nullopt;
    const auto bus = ParseHex32(hidId->substr(0, first));
    const auto vendor = ParseHex32(hidId->substr(first + 1, second - first - 1));
    const auto product = ParseHex32(hidId->substr(second + 1));
    if (!bus || !vendor || !product) return std::nullopt;

    NodeDescription description;
    description.descriptor = ParseReportDescriptor(
        std::span(reinterpret_cast<const uint8_t*>(bytes->data()), bytes->size()));
    description.vendorId = static_cast<uint16_t>(*vendor);
    description.productId = static_cast<uint16_t>(*product);
    description.bus = *bus;
    description.usbDevice = UsbDeviceDirectory(description.bus);
    if (const auto& usb = description.usbDevice) {
      if (const auto bcd = ReadSmallFile(*usb + "/bcdDevice")) {
        if (const auto value = ParseHex32(StripFinalNewline(*bcd))) {
          description.versionNumber = static_cast<uint16_t>(*value);
        }
      }
    }
    return description;
  }

  // The USB device (not the interface) the HID device hangs from. Only a
  // HID device on the USB bus has one of its own: a Bluetooth device behind
  // a USB adapter hangs from the adapter, whose strings are not its own.
  std::optional<std::string> UsbDeviceDirectory(uint32_t bus) const {
    if (bus != kBusUsb) return std::nullopt;
    const auto root = RealPath(m_SysRoot);
    auto directory = RealPath(m_HidDevice);
    if (!root || !directory) return std::nullopt;
    for (int step = 0; step < kMaxAncestorSteps; ++step) {
      *directory = ParentDirectory(*directory);
      if (directory->size() <= root->size() || !directory->starts_with(*root)) break;
      const auto uevent = ReadSmallFile(*directory + "/uevent");
      if (!uevent) continue;
      const auto type = UeventValue(*uevent, "DEVTYPE");
      if (type && *type == "usb_device") return directory;
    }
    return std::nullopt;
  }

 private:
  const std::string& m_SysRoot;
  const std::string m_HidDevice;
};

HidInterfaceInfo InfoOf(const NodeDescription& node, const HidCollectionSummary& collection) {
  HidInterfaceInfo info;
  info.vendorId = node.vendorId;
  info.productId = node.productId;
  info.versionNumber = node.versionNumber;
  info.usagePage = collection.usagePage;
  info.usage = collection.usage;
  info.inputReportByteLength = collection.inputReportByteLength;
  info.featureReportByteLength = collection.featureReportByteLength;
  return info;
}

// The collection a path names, or nullptr when the path does not fit the
// node: a plain path needs a node with exactly one collection, a suffixed
// path a node with at least that many.
const HidCollectionSummary* CollectionOf(const ReportDescriptorSummary& descriptor,
                                         size_t collection) {
  const size_t count = descriptor.collections.size();
  if (collection == 0) return count == 1 ? &descriptor.collections[0] : nullptr;
  if (count < 2 || collection > count) return nullptr;
  return &descriptor.collections[collection - 1];
}

}  // namespace

// ---------------------------------------------------------------------------
// HidrawOpenDevice

std::unique_ptr<HidrawOpenDevice> HidrawOpenDevice::Adopt(
    int fd, std::optional<HidInterfaceInfo> capabilities, ReportRouting routing) {
  if (fd < 0) return nullptr;
  const int wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd < 0) {
    LogDeviceFailure("eventfd", "", errno);
    ::close(fd);
    return nullptr;
  }
  return std::unique_ptr<HidrawOpenDevice>(
      new HidrawOpenDevice(fd, wakeFd, std::move(capabilities), routing));
}

HidrawOpenDevice::HidrawOpenDevice(int fd, int wakeFd, std::optional<HidInterfaceInfo> capabilities,
                                   ReportRouting routing)
    : m_Fd(fd),
      m_WakeFd(wakeFd),
      m_Capabilities(std::move(capabilities)),
      m_Routing(routing),
      m_Scratch(kMaxRawReportBytes) {}

HidrawOpenDevice::~HidrawOpenDevice() {
  ::close(m_Fd);
  ::close(m_WakeFd);
}

std::optional<HidInterfaceInfo> HidrawOpenDevice::Capabilities() const { return m_Capabilities; }

namespace {

// The kernel's reasons, sorted into what the layers above act on.
HidOpenDevice::FeatureStatus FeatureFailure(int error) {
  switch (error) {
    case ETIMEDOUT:
      return HidOpenDevice::FeatureStatus::TimedOut;
    case ENODEV:
    case EBADF:
    case ESHUTDOWN:
      return HidOpenDevice::FeatureStatus::Gone;
    default:  // EPIPE (a stall), EIO, EINVAL …
      return HidOpenDevice::FeatureStatus::Refused;
  }
}

// `request` is HIDIOCSFEATURE(length) or HIDIOCGFEATURE(length): both give
// the number of bytes the device took or sent.
HidOpenDevice::FeatureTransfer FeatureIoctl(int fd, unsigned long request, uint8_t* buffer,
                                            std::string_view name) {
  int result;
  do {
    result = ::ioctl(fd, request, buffer);
  } while (result < 0 && errno == EINTR);
  if (result < 0) {
    LogDeviceFailure(name, "", errno);
    return {FeatureFailure(errno), 0};
  }
  return {HidOpenDevice::FeatureStatus::Done, static_cast<size_t>(result)};
}

}  // namespace

// hidraw's feature ioctls already take and give byte 0 as the report number,
// 0 for a device without numbered reports, so the buffer passes unchanged.
HidOpenDevice::FeatureTransfer HidrawOpenDevice::SetFeature(const uint8_t* buffer, size_t length) {
  if (buffer == nullptr || length == 0 || length > kMaxIoctlLength) return {};
  return FeatureIoctl(m_Fd, HIDIOCSFEATURE(length), const_cast<uint8_t*>(buffer),
                      "ioctl (SFEATURE)");
}

HidOpenDevice::FeatureTransfer HidrawOpenDevice::GetFeature(uint8_t* buffer, size_t length) {
  if (buffer == nullptr || length == 0 || length > kMaxIoctlLength) return {};
  HidOpenDevice::FeatureTransfer transfer =
      FeatureIoctl(m_Fd, HIDIOCGFEATURE(length), buffer, "ioctl (GFEATURE)");
  transfer.bytes = std::min(transfer.bytes, length);
  return transfer;
}

HidOpenDevice::ReadStatus HidrawOpenDevice::ReadInputReport(uint8_t* buffer, size_t capacity,
                                                            size_t* received) {
  if (received != nullptr) *received = 0;
  if (buffer == nullptr && capacity != 0) return ReadStatus::Failed;
  for (;;) {
    if (m_Cancelled.load()) return ReadStatus::Cancelled;
    pollfd fds[2] = {{m_Fd, POLLIN, 0}, {m_WakeFd, POLLIN, 0}};
    const int ready = ::poll(fds, 2, -1);
    if (ready < 0) {
      if (errno == EINTR) continue;
      LogDeviceFailure("poll", "", errno);
      return ReadStatus::Failed;
    }
    if (fds[1].revents != 0 || m_Cancelled.load()) return ReadStatus::Cancelled;
    const short events = fds[0].revents;
    if (events & POLLNVAL) return ReadStatus::Gone;
    if (!(events & POLLIN)) {
      if (events & (POLLERR | POLLHUP)) return ReadStatus::Gone;
      continue;
    }

    const ssize_t n = ::read(m_Fd, m_Scratch.data(), m_Scratch.size());
    if (n < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      LogDeviceFailure("read", "", errno);
      if (errno == EIO || errno == ENODEV || errno == EBADF) return ReadStatus::Gone;
      return ReadStatus::Failed;
    }
    // End of file: nothing will ever come from this descriptor again.
    if (n == 0) return ReadStatus::Gone;

    const std::span<const uint8_t> raw(m_Scratch.data(), static_cast<size_t>(n));
    const uint8_t reportId = m_Routing.numbered ? raw[0] : 0;
    if (m_Routing.onlyListedIds && !m_Routing.ids.test(reportId)) continue;

    size_t written = 0;
    if (!m_Routing.numbered && capacity > 0) buffer[written++] = 0;
    const size_t bodyBytes = std::min(raw.size(), capacity - written);
    std::memcpy(buffer + written, raw.data(), bodyBytes);
    written += bodyBytes;
    if (received != nullptr) *received = written;
    return ReadStatus::Report;
  }
}

void HidrawOpenDevice::Cancel() {
  m_Cancelled.store(true);
  const uint64_t one = 1;
  // The counter only has to become nonzero; a full counter is already awake.
  [[maybe_unused]] const ssize_t n = ::write(m_WakeFd, &one, sizeof one);
}

// ---------------------------------------------------------------------------
// HidrawBackend

HidrawBackend::HidrawBackend(std::string sysRoot, std::string devRoot, bool useUdev)
    : m_SysRoot(std::move(sysRoot)), m_DevRoot(std::move(devRoot)) {
  if (!useUdev) return;
  m_Udev = udev_new();
  if (m_Udev == nullptr) {
    LogDeviceFailure("udev_new", "", errno);
    return;
  }
  // Without udevd nothing is sent on the "udev" group; the kernel's own
  // uevents are all there is (containers, minimal systems).
  const bool udevdRuns = ::access("/run/udev/control", F_OK) == 0;
  m_Monitor = udev_monitor_new_from_netlink(m_Udev, udevdRuns ? "udev" : "kernel");
  if (m_Monitor == nullptr) {
    LogDeviceFailure("udev monitor", udevdRuns ? "udev" : "kernel", errno);
    return;
  }
  if (udev_monitor_filter_add_match_subsystem_devtype(m_Monitor, "hidraw", nullptr) < 0 ||
      udev_monitor_enable_receiving(m_Monitor) < 0) {
    LogDeviceFailure("udev monitor", "hidraw", errno);
    udev_monitor_unref(m_Monitor);
    m_Monitor = nullptr;
  }
}

HidrawBackend::~HidrawBackend() {
  if (m_Monitor != nullptr) udev_monitor_unref(m_Monitor);
  if (m_Udev != nullptr) udev_unref(m_Udev);
}

std::vector<std::string> HidrawBackend::ListNodeNames() {
  std::vector<std::string> names;
  if (m_Udev != nullptr) {
    udev_enumerate* enumerate = udev_enumerate_new(m_Udev);
    if (enumerate == nullptr) return names;
    if (udev_enumerate_add_match_subsystem(enumerate, "hidraw") >= 0 &&
        udev_enumerate_scan_devices(enumerate) >= 0) {
      udev_list_entry* entry;
      udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate)) {
        const std::string_view syspath = udev_list_entry_get_name(entry);
        const std::string_view name = syspath.substr(syspath.find_last_of('/') + 1);
        if (IsNodeName(name)) names.emplace_back(name);
      }
    }
    udev_enumerate_unref(enumerate);
    return names;
  }

  DIR* directory = ::opendir((m_SysRoot + "/class/hidraw").c_str());
  if (directory == nullptr) return names;
  while (const dirent* entry = ::readdir(directory)) {
    if (IsNodeName(entry->d_name)) names.emplace_back(entry->d_name);
  }
  ::closedir(directory);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return NodeNumber(a) < NodeNumber(b);
  });
  return names;
}

std::vector<std::string> HidrawBackend::PathsOfNode(const std::string& nodeName, size_t collections,
                                                    const std::string& instance) const {
  const std::string node = m_DevRoot + "/" + nodeName;
  if (collections <= 1) return {FormatInterfacePath(node, 0, instance)};
  std::vector<std::string> paths;
  paths.reserve(collections);
  for (size_t i = 1; i <= collections; ++i) {
    paths.push_back(FormatInterfacePath(node, i, instance));
  }
  return paths;
}

void HidrawBackend::RememberCollectionCount(const std::string& nodeName, size_t collections) {
  std::lock_guard lock(m_CountsMutex);
  m_CollectionCounts[nodeName] = collections;
}

std::vector<std::string> HidrawBackend::EnumeratePaths() {
  std::vector<std::string> paths;
  for (const std::string& name : ListNodeNames()) {
    const SysfsNode node(m_SysRoot, name);
    const auto description = node.Describe();
    const auto instance = node.Instance();
    // A node we cannot describe has no collection to offer.
    if (!description || !instance || description->descriptor.collections.empty()) continue;
    const size_t count = description->descriptor.collections.size();
    RememberCollectionCount(name, count);
    for (std::string& path : PathsOfNode(name, count, *instance)) paths.push_back(std::move(path));
  }
  return paths;
}

std::optional<HidrawBackend::NodeOfPath> HidrawBackend::Resolve(const std::string& path) const {
  const auto parsed = ParseInterfacePath(path, m_DevRoot);
  if (!parsed) return std::nullopt;
  const SysfsNode node(m_SysRoot, parsed->nodeName);
  // The node number may have been handed to another device since.
  const auto instance = node.Instance();
  if (!instance || !SameInstance(*instance, parsed->instance)) return std::nullopt;
  auto description = node.Describe();
  if (!description) return std::nullopt;
  const HidCollectionSummary* collection =
      CollectionOf(description->descriptor, parsed->collection);
  if (collection == nullptr) return std::nullopt;
  NodeOfPath resolved{parsed->nodeName, parsed->collection, parsed->instance,
                      InfoOf(*description, *collection), description->usbDevice};
  return resolved;
}

std::optional<HidInterfaceInfo> HidrawBackend::QueryInterface(const std::string& path) {
  const auto resolved = Resolve(path);
  if (!resolved) return std::nullopt;
  return resolved->info;
}

std::optional<std::u16string> HidrawBackend::ReadIndexedString(const std::string& path, int index) {
  const char* attribute = index == 1 ? "manufacturer" : index == 2 ? "product" : nullptr;
  if (attribute == nullptr) return std::nullopt;
  // Only a path that names an interface of the device it was found on has
  // strings.
  const auto resolved = Resolve(path);
  if (!resolved) return std::nullopt;
  if (!resolved->usbDevice) return std::nullopt;
  const auto text = ReadSmallFile(*resolved->usbDevice + "/" + attribute);
  if (!text) return std::nullopt;
  // The kernel ends the attribute with a newline; blanks before it belong to
  // the device's string.
  std::u16string decoded;
  AppendUtf8AsUtf16(StripFinalNewline(*text), decoded, StrayUtf8Byte::AsReplacementCharacter);
  return decoded;
}

std::optional<HidrawBackend::OpenNodeFacts> HidrawBackend::DescribeOpenNode(int fd) const {
  struct stat status {};
  if (::fstat(fd, &status) != 0) {
    LogDeviceFailure("fstat", "", errno);
    return std::nullopt;
  }
  if (!S_ISCHR(status.st_mode)) return std::nullopt;
  OpenNodeFacts facts;
  const std::string entry = m_SysRoot + "/dev/char/" + std::to_string(major(status.st_rdev)) + ":" +
                            std::to_string(minor(status.st_rdev)) + "/device";
  const auto hidDevice = RealPath(entry);
  if (!hidDevice) return std::nullopt;
  facts.instance = std::string(BaseName(*hidDevice));

  int size = 0;
  if (::ioctl(fd, HIDIOCGRDESCSIZE, &size) < 0) {
    LogDeviceFailure("ioctl (GRDESCSIZE)", "", errno);
    return std::nullopt;
  }
  if (size < 0 || size > HID_MAX_DESCRIPTOR_SIZE) return std::nullopt;
  hidraw_report_descriptor descriptor{};
  descriptor.size = static_cast<uint32_t>(size);
  if (::ioctl(fd, HIDIOCGRDESC, &descriptor) < 0) {
    LogDeviceFailure("ioctl (GRDESC)", "", errno);
    return std::nullopt;
  }
  facts.descriptor.assign(descriptor.value, descriptor.value + descriptor.size);
  return facts;
}

std::unique_ptr<HidOpenDevice> HidrawBackend::Open(const std::string& path) {
  const auto resolved = Resolve(path);
  if (!resolved) return nullptr;

  const std::string node = m_DevRoot + "/" + resolved->nodeName;
  const int fd = ::open(node.c_str(), O_RDWR | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    LogDeviceFailure("open", node, errno);
    return nullptr;
  }

  // What the opened node itself says, not what sysfs said a moment ago: the
  // node may have changed hands in between, and the report lengths bound
  // every transfer on this descriptor.
  const auto facts = DescribeOpenNode(fd);
  if (!facts || !SameInstance(facts->instance, resolved->instance)) {
    ::close(fd);
    return nullptr;
  }
  const ReportDescriptorSummary descriptor = ParseReportDescriptor(facts->descriptor);
  const HidCollectionSummary* collection = CollectionOf(descriptor, resolved->collection);
  if (collection == nullptr) {
    ::close(fd);
    return nullptr;
  }
  HidInterfaceInfo info = resolved->info;
  info.usagePage = collection->usagePage;
  info.usage = collection->usage;
  info.inputReportByteLength = collection->inputReportByteLength;
  info.featureReportByteLength = collection->featureReportByteLength;

  HidrawOpenDevice::ReportRouting routing;
  routing.numbered = descriptor.usesReportIds;
  routing.onlyListedIds = resolved->collection != 0;
  routing.ids = collection->reportIds;
  return HidrawOpenDevice::Adopt(fd, info, routing);
}

bool HidrawBackend::AccessDenied(const std::string& path) {
  const auto resolved = Resolve(path);
  if (!resolved) return false;
  const std::string node = m_DevRoot + "/" + resolved->nodeName;
  // As open() judges it: the effective user, read and write.
  return ::faccessat(AT_FDCWD, node.c_str(), R_OK | W_OK, AT_EACCESS) != 0 && errno == EACCES;
}

std::string HidrawBackend::DeviceKeyOf(const std::string& path) const {
  return DeviceKeyOfPath(path);
}

WaitHandle HidrawBackend::ChangeHandle() {
  return m_Monitor != nullptr ? udev_monitor_get_fd(m_Monitor) : kNoWaitHandle;
}

std::vector<HidDeviceChange> HidrawBackend::TakeChanges() {
  std::vector<HidDeviceChange> changes;
  if (m_Monitor == nullptr) return changes;
  // The monitor socket is non-blocking: this drains what is pending.
  while (udev_device* device = udev_monitor_receive_device(m_Monitor)) {
    const char* action = udev_device_get_action(device);
    const char* name = udev_device_get_sysname(device);
    const char* devpath = udev_device_get_devpath(device);
    if (action != nullptr && name != nullptr && devpath != nullptr) {
      for (HidDeviceChange& change : ChangesForUevent(action, name, devpath)) {
        changes.push_back(std::move(change));
      }
    }
    udev_device_unref(device);
  }
  return changes;
}

std::vector<HidDeviceChange> HidrawBackend::ChangesForUevent(std::string_view action,
                                                             std::string_view nodeName,
                                                             std::string_view devpath) {
  std::vector<HidDeviceChange> changes;
  if (!IsNodeName(nodeName)) return changes;
  const std::string name(nodeName);
  // ".../0003:1A2C:1A20.0007/hidraw/hidraw3": the HID device is two levels
  // up, and the devpath still names it when the node is already gone.
  const std::string instance(BaseName(ParentDirectory(ParentDirectory(std::string(devpath)))));
  if (instance.empty()) return changes;

  size_t collections = 1;
  bool arrived;
  if (action == "add") {
    arrived = true;
    const auto description = SysfsNode(m_SysRoot, name).Describe();
    // Announce even a node we cannot describe yet: whoever listens looks
    // at it again and skips what it cannot read.
    if (description && !description->descriptor.collections.empty()) {
      collections = description->descriptor.collections.size();
    }
    RememberCollectionCount(name, collections);
  } else if (action == "remove") {
    arrived = false;
    std::lock_guard lock(m_CountsMutex);
    if (const auto known = m_CollectionCounts.find(name); known != m_CollectionCounts.end()) {
      collections = known->second;
      m_CollectionCounts.erase(known);
    }
  } else {
    return changes;
  }
  for (std::string& path : PathsOfNode(name, collections, instance)) {
    changes.push_back(HidDeviceChange{arrived, std::move(path)});
  }
  return changes;
}
