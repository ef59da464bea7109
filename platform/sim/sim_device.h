// Descriptions of simulated HID devices: what a device looks like from the
// host (identity, strings, top-level collections) and which command family
// its firmware speaks. The factories build the kinds the simulator and the
// tests plug in; every field stays public so a test can bend one value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The report ID of the ID7M family's commands and of its input reports.
inline constexpr uint8_t kSimId7mReportId = 0x07;
// The report ID of the ES2862 family's vendor input reports.
inline constexpr uint8_t kSimEs2862ReportId = 0x05;

// Vendor ids of the simulated makers, written out as the devices state them
// rather than taken from the lists that qualify devices, so that the tests
// check those lists against an identity of their own.
inline constexpr uint16_t kSimId7mVendorId = 0x3A5C;
inline constexpr uint16_t kSimEs2862VendorId = 0x1956;
inline constexpr uint16_t kSimForeignVendorId = 0x6B21;

// One top-level collection of a device's report descriptor.
struct SimCollection {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  // Longest report of each kind, report-ID byte included (0 = none).
  uint16_t inputReportLength = 0;
  uint16_t featureReportLength = 0;
  // The report IDs this collection's reports carry. Empty means the
  // reports are unnumbered and reach the host with a 0 in front.
  std::vector<uint8_t> reportIds;
  // Whether the firmware answers feature reports sent to this collection.
  bool answersFeatures = false;
  // False models a collection whose capabilities cannot be parsed: it is
  // listed and opens, but reports no identity or report lengths.
  bool capabilitiesReadable = true;
};

enum class SimFamily {
  Id7m,     // answers report-ID 0x07 commands 0x09, 0x1F and 0x2D
  Es2862,   // sends vendor input reports, answers no commands
  Foreign,  // another maker's device: answers nothing
};

struct SimDeviceSpec {
  std::string name;  // the simulator's handle for the device, e.g. "kb1"
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t versionNumber = 0;
  // String index 1 and 2; nullopt models a string the host cannot read.
  std::optional<std::u16string> manufacturer;
  std::optional<std::u16string> product;
  std::vector<SimCollection> collections;  // in descriptor order

  SimFamily family = SimFamily::Foreign;
  // ID7M firmware values: the model word (payload bytes 2-3 of the model
  // information), the qualification byte (payload byte 8) and the flash
  // word (payload bytes 0-3 of the flash information).
  uint16_t modelWord = 0;
  uint8_t qualificationByte = 0;
  uint32_t flashWord = 0;
  // Bytes a feature read gets back, report ID included; 0 for the whole
  // report. A device may send fewer bytes than its report length.
  size_t featureAnswerBytes = 0;
  // The user may not open the device's node (no udev rule gave it to the
  // seat): it enumerates and describes itself, but every open is refused.
  bool accessDenied = false;
};

// A keyboard of the ID7M family: boot keyboard, consumer control, system
// control and the vendor collection that carries commands and events. Its
// strings differ from the expected ones only in letter case.
SimDeviceSpec SimKeyboard(std::string name = "kb1");
// A mouse of the ID7M family: boot mouse and the vendor collection.
SimDeviceSpec SimMouse(std::string name = "mouse1");
// An ID7M keyboard identified by its flash information: its product string
// ends in two spaces.
SimDeviceSpec SimFlashKeyboard(std::string name = "flashkb1");
// An ES2862-family mouse: boot mouse and a vendor collection on page 0xFF01.
SimDeviceSpec SimEs2862(std::string name = "es1");
// Another maker's plain keyboard.
SimDeviceSpec SimForeign(std::string name = "foreign1");

// The vendor collection of an ID7M or ES2862 device (the first collection on
// a page from 0xFF00 up), or nullptr.
SimCollection* SimVendorCollection(SimDeviceSpec& spec);
