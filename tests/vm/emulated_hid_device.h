// A USB HID device as the device side sees it: its descriptors, its answers
// to control requests, and the feature commands of report ID 0x07 that the
// keyboards and mice of the family understand. Every feature report the
// host writes or reads is recorded, so that a test can tell which interface
// and which report saw traffic. No sockets here: the USB/IP server feeds it.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "tests/vm/usbip_wire.h"

struct HidInterfaceSpec {
  uint8_t subclass = 0;  // 1 = boot interface
  uint8_t protocol = 0;  // boot protocol: 1 keyboard, 2 mouse
  uint8_t endpoint = 0;  // interrupt IN endpoint number (1-15)
  uint16_t maxPacket = 64;
  std::vector<uint8_t> reportDescriptor;
};

// What answers the feature commands of report ID 0x07; none for a device
// that takes no commands.
struct FeatureCommandSpec {
  uint8_t reportId = 0x07;
  uint16_t reportBytes = 64;     // feature report length, report ID included
  uint8_t commandInterface = 1;  // the interface whose collection takes them
  uint16_t modelWord = 0;        // model information, answer bytes 10-11
  uint8_t qualification = 0;     // model information, answer byte 16
  uint32_t flashWord = 0;        // flash information, answer bytes 8-11
};

struct DeviceSpec {
  std::string name;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t bcdDevice = 0x0100;
  std::string manufacturer;
  std::string product;
  std::vector<HidInterfaceSpec> interfaces;
  std::optional<FeatureCommandSpec> commands;
};

// One feature report that crossed the control pipe.
struct FeatureTraffic {
  bool hostWrote = false;  // SET_REPORT; false: GET_REPORT
  uint8_t interface = 0;
  uint8_t reportId = 0;
  std::vector<uint8_t> data;  // as on the wire, report ID first
};

struct ControlAnswer {
  int32_t status = usbip::kStatusOk;
  std::vector<uint8_t> data;  // IN data; for OUT, only its size counts
  uint32_t outLength = 0;
};

class EmulatedHidDevice {
 public:
  explicit EmulatedHidDevice(DeviceSpec spec);

  const DeviceSpec& Spec() const { return m_Spec; }

  // One control transfer; `outData` is the data stage of an OUT request.
  ControlAnswer Control(const usbip::SetupPacket& setup, const std::vector<uint8_t>& outData);

  std::vector<FeatureTraffic> FeatureLog() const;

  std::vector<uint8_t> DeviceDescriptor() const;
  std::vector<uint8_t> ConfigurationDescriptor() const;
  std::vector<uint8_t> StringDescriptor(uint8_t index) const;

 private:
  ControlAnswer Standard(const usbip::SetupPacket& setup);
  ControlAnswer HidClass(const usbip::SetupPacket& setup, const std::vector<uint8_t>& outData);
  std::vector<uint8_t> FeatureAnswer(uint8_t reportId, uint16_t length);

  const DeviceSpec m_Spec;
  mutable std::mutex m_Mutex;
  std::vector<FeatureTraffic> m_Log;
  std::vector<uint8_t> m_LastCommand;  // the last feature report written, ID first
};

// The devices of the test: a keyboard and a mouse of the family, and an
// ES2862-family mouse.
DeviceSpec FamilyKeyboardSpec();
DeviceSpec FamilyMouseSpec();
DeviceSpec Es2862Spec();

// Interrupt IN reports of the vendor collections, report ID first and padded
// to the collection's report length.
std::vector<uint8_t> FamilyReport(std::initializer_list<std::pair<size_t, uint8_t>> bytes);
std::vector<uint8_t> Es2862Report(uint8_t eventCode, uint8_t cpiLevel);
