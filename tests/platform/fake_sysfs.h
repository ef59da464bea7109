// A throw-away sysfs and /dev tree in a temporary folder, laid out as the
// kernel lays out hidraw nodes: class/hidraw/hidrawN/device links to the HID
// device, which sits under a USB interface and a USB device (or, for a
// uhid-style device, under no USB device at all).
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/hidraw_backend.h"
#include "tests/support/temp_dir.h"

// The USB device's attributes as the kernel writes them.
struct FakeUsbStrings {
  std::optional<std::string> manufacturer = "Company \n";
  std::optional<std::string> product = "USB Device \n";
  std::string bcdDevice = "0102\n";
};

class FakeSysfs {
 public:
  using UsbStrings = FakeUsbStrings;

  FakeSysfs() {
    std::filesystem::create_directories(SysRoot() + "/class/hidraw");
    std::filesystem::create_directories(DevRoot());
  }
  FakeSysfs(const FakeSysfs&) = delete;
  FakeSysfs& operator=(const FakeSysfs&) = delete;

  std::string SysRoot() const { return m_Root + "/sys"; }
  std::string DevRoot() const { return m_Root + "/dev"; }
  std::string NodePath(int number) const { return DevRoot() + "/hidraw" + std::to_string(number); }

  // Adds hidraw<number> for a HID device 0003:1A2B:3C4D; with `usb` unset
  // the device hangs from no USB device. `makeNode` also creates the /dev
  // entry as a FIFO, which opens like a character device. Every call is a
  // new connection: its HID device gets the next instance number, as the
  // kernel's do.
  void AddNode(int number, const std::vector<uint8_t>& descriptor,
               std::optional<UsbStrings> usb = UsbStrings{},
               const std::string& hidId = "0003:00001A2B:00003C4D", bool makeNode = false) {
    const std::string n = std::to_string(number);
    char hidName[32];
    std::snprintf(hidName, sizeof hidName, "0003:1A2B:3C4D.%04X", ++m_Connections);
    m_Instances[number] = hidName;
    std::string hidDevice;
    if (usb) {
      const std::string usbDevice = "devices/pci0000:00/usb1/1-" + n;
      const std::string usbInterface = usbDevice + "/1-" + n + ":1.0";
      std::filesystem::create_directories(SysRoot() + "/" + usbInterface);
      Write(usbDevice + "/uevent", "DEVTYPE=usb_device\nPRODUCT=1a2b/3c4d/102\n");
      Write(usbInterface + "/uevent", "DEVTYPE=usb_interface\n");
      if (usb->manufacturer) Write(usbDevice + "/manufacturer", *usb->manufacturer);
      if (usb->product) Write(usbDevice + "/product", *usb->product);
      Write(usbDevice + "/bcdDevice", usb->bcdDevice);
      hidDevice = usbInterface + "/" + hidName;
    } else {
      hidDevice = std::string("devices/virtual/misc/uhid/") + hidName;
    }
    std::filesystem::create_directories(SysRoot() + "/" + hidDevice + "/hidraw/hidraw" + n);
    Write(hidDevice + "/uevent", "DRIVER=hid-generic\nHID_ID=" + hidId + "\nHID_NAME=Fake\n");
    Write(hidDevice + "/report_descriptor", std::string(descriptor.begin(), descriptor.end()));
    const std::string classEntry = SysRoot() + "/class/hidraw/hidraw" + n;
    std::filesystem::create_directories(classEntry);
    std::filesystem::create_directory_symlink("../../../" + hidDevice, classEntry + "/device");
    if (makeNode) ::mkfifo(NodePath(number).c_str(), 0600);
    m_Devpaths[number] = "/" + hidDevice + "/hidraw/hidraw" + n;
  }

  // The sysfs name of the HID device that hidraw<number> was last added
  // for; a made-up one for a number never added.
  std::string Instance(int number) const {
    const auto it = m_Instances.find(number);
    return it != m_Instances.end() ? it->second : "0003:1A2B:3C4D.FFFF";
  }
  // The node's devpath as its uevents carry it.
  std::string DevPath(int number) const {
    const auto it = m_Devpaths.find(number);
    return it != m_Devpaths.end() ? it->second
                                  : "/devices/virtual/misc/uhid/" + Instance(number) +
                                        "/hidraw/hidraw" + std::to_string(number);
  }
  // An interface path as the backend hands it out.
  std::string InterfacePath(int number, const std::string& suffix = "") const {
    return NodePath(number) + suffix + "#" + Instance(number);
  }

  void RemoveDescriptor(int number) {
    std::filesystem::remove(SysRoot() + "/class/hidraw/hidraw" + std::to_string(number) +
                            "/device/report_descriptor");
  }

  void RemoveNode(int number) {
    std::filesystem::remove_all(SysRoot() + "/class/hidraw/hidraw" + std::to_string(number));
    std::filesystem::remove(NodePath(number));
  }

 private:
  void Write(const std::string& relative, const std::string& content) {
    std::ofstream(SysRoot() + "/" + relative, std::ios::binary) << content;
  }

  TempDir m_Temp{"corvane-sysfs"};
  const std::string m_Root = m_Temp.Folder();
  unsigned m_Connections = 0;
  std::map<int, std::string> m_Instances;
  std::map<int, std::string> m_Devpaths;
};

// The hidraw backend with the FIFOs of a FakeSysfs as its nodes: what an
// open node tells about itself is read from the sysfs entry of the node the
// descriptor was opened on, as it stands at that moment.
class HidrawBackendOnFakeNodes : public HidrawBackend {
 public:
  using HidrawBackend::HidrawBackend;

 protected:
  std::optional<OpenNodeFacts> DescribeOpenNode(int fd) const override {
    std::error_code error;
    const auto node = std::filesystem::read_symlink("/proc/self/fd/" + std::to_string(fd), error);
    if (error) return std::nullopt;
    const std::string device = SysRoot() + "/class/hidraw/" + node.filename().string() + "/device";
    const auto hidDevice = std::filesystem::canonical(device, error);
    if (error) return std::nullopt;
    std::ifstream descriptor(device + "/report_descriptor", std::ios::binary);
    if (!descriptor) return std::nullopt;
    OpenNodeFacts facts;
    facts.instance = hidDevice.filename().string();
    facts.descriptor.assign(std::istreambuf_iterator<char>(descriptor), {});
    return facts;
  }
};
