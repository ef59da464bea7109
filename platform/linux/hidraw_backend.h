// The Linux HID backend: hidraw nodes found through udev (or a scan of
// sysfs), described from sysfs without opening them, and opened for feature
// ioctls and input reads.
//
// Paths: a node whose report descriptor has one top-level collection is
// "<dev>/hidrawN#<instance>"; a node with several gives one path per
// collection, "<dev>/hidrawN&col01#<instance>", "&col02", … in descriptor
// order. <instance> is the sysfs name of the node's HID device
// ("0003:1A2C:1A20.0007"); a path whose node now belongs to another HID
// device names nothing (platform/interface_path.h). Byte 0 of every
// report is its report ID; a device that does not number its reports reads
// with a 0 there.
//
// Removal: the node's sysfs entry is gone when its "remove" arrives, so the
// backend remembers how many collections each node had when it was listed or
// arrived and reports one removal per collection path; a node it never saw
// is reported by its plain node path.
#pragma once

#include <atomic>
#include <bitset>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid_backend.h"

struct udev;
struct udev_monitor;

// An open hidraw node seen through one of its collections.
class HidrawOpenDevice : public HidOpenDevice {
 public:
  // Which input reports the collection receives and how they are framed.
  struct ReportRouting {
    bool numbered = false;       // the device puts a report ID in byte 0
    bool onlyListedIds = false;  // deliver only reports whose ID is listed
    std::bitset<256> ids;
  };

  // Takes ownership of `fd` (closed on every path, also when this fails).
  // nullptr when the wake-up eventfd cannot be made.
  static std::unique_ptr<HidrawOpenDevice> Adopt(int fd,
                                                 std::optional<HidInterfaceInfo> capabilities,
                                                 ReportRouting routing);
  ~HidrawOpenDevice() override;

  HidrawOpenDevice(const HidrawOpenDevice&) = delete;
  HidrawOpenDevice& operator=(const HidrawOpenDevice&) = delete;

  std::optional<HidInterfaceInfo> Capabilities() const override;
  FeatureTransfer SetFeature(const uint8_t* buffer, size_t length) override;
  FeatureTransfer GetFeature(uint8_t* buffer, size_t length) override;
  ReadStatus ReadInputReport(uint8_t* buffer, size_t capacity, size_t* received) override;
  void Cancel() override;

 private:
  HidrawOpenDevice(int fd, int wakeFd, std::optional<HidInterfaceInfo> capabilities,
                   ReportRouting routing);

  const int m_Fd;
  const int m_WakeFd;
  const std::optional<HidInterfaceInfo> m_Capabilities;
  const ReportRouting m_Routing;
  std::atomic<bool> m_Cancelled{false};
  std::vector<uint8_t> m_Scratch;  // one raw report, allocated once
};

class HidrawBackend : public HidBackend {
 public:
  explicit HidrawBackend(std::string sysRoot = "/sys", std::string devRoot = "/dev",
                         bool useUdev = true);
  ~HidrawBackend() override;

  HidrawBackend(const HidrawBackend&) = delete;
  HidrawBackend& operator=(const HidrawBackend&) = delete;

  std::vector<std::string> EnumeratePaths() override;
  std::optional<HidInterfaceInfo> QueryInterface(const std::string& path) override;
  std::optional<std::u16string> ReadIndexedString(const std::string& path, int index) override;
  std::unique_ptr<HidOpenDevice> Open(const std::string& path) override;
  bool AccessDenied(const std::string& path) override;
  std::string DeviceKeyOf(const std::string& path) const override;
  WaitHandle ChangeHandle() override;
  std::vector<HidDeviceChange> TakeChanges() override;

  // The interface changes that one hidraw uevent ("add" or "remove" of node
  // `nodeName`, e.g. "hidraw3", whose devpath ends in
  // ".../<HID device>/hidraw/hidraw3") stands for. TakeChanges() feeds every
  // received uevent through here.
  std::vector<HidDeviceChange> ChangesForUevent(std::string_view action, std::string_view nodeName,
                                                std::string_view devpath);

 protected:
  // What an open node itself tells: the sysfs name of its HID device and
  // its report descriptor. nullopt when the descriptor is not a hidraw node.
  struct OpenNodeFacts {
    std::string instance;
    std::vector<uint8_t> descriptor;
  };
  virtual std::optional<OpenNodeFacts> DescribeOpenNode(int fd) const;

  const std::string& SysRoot() const { return m_SysRoot; }

 private:
  // An interface path checked against sysfs: its node still belongs to the
  // HID device the path names, and the collection exists.
  struct NodeOfPath {
    std::string nodeName;
    size_t collection = 0;
    std::string instance;
    HidInterfaceInfo info;
    std::optional<std::string> usbDevice;  // where its strings are read
  };
  std::optional<NodeOfPath> Resolve(const std::string& path) const;

  std::vector<std::string> ListNodeNames();
  std::vector<std::string> PathsOfNode(const std::string& nodeName, size_t collections,
                                       const std::string& instance) const;
  void RememberCollectionCount(const std::string& nodeName, size_t collections);

  const std::string m_SysRoot;
  const std::string m_DevRoot;
  struct udev* m_Udev = nullptr;
  struct udev_monitor* m_Monitor = nullptr;

  std::mutex m_CountsMutex;
  std::map<std::string, size_t> m_CollectionCounts;  // node name → collections
};
