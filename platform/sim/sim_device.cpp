#include "platform/sim/sim_device.h"

#include <utility>

namespace {

SimCollection Collection(uint16_t page, uint16_t usage, uint16_t inputLength,
                         std::vector<uint8_t> reportIds) {
  SimCollection c;
  c.usagePage = page;
  c.usage = usage;
  c.inputReportLength = inputLength;
  c.reportIds = std::move(reportIds);
  return c;
}

// The ID7M vendor collection: 64-byte input reports for events and 64-byte
// feature reports for commands, both under report ID 0x07.
SimCollection Id7mVendorCollection() {
  SimCollection c = Collection(0xFF00, 0x01, 64, {kSimId7mReportId});
  c.featureReportLength = 64;
  c.answersFeatures = true;
  return c;
}

SimDeviceSpec Id7mDevice(std::string name, uint16_t productId) {
  SimDeviceSpec spec;
  spec.name = std::move(name);
  spec.vendorId = kSimId7mVendorId;
  spec.productId = productId;
  spec.versionNumber = 0x0102;
  spec.manufacturer = u"COMPANY ";
  spec.product = u"Usb Device ";
  spec.family = SimFamily::Id7m;
  spec.qualificationByte = 0x20;
  spec.flashWord = 0x00010203;
  return spec;
}

}  // namespace

SimDeviceSpec SimKeyboard(std::string name) {
  SimDeviceSpec spec = Id7mDevice(std::move(name), 0x4B31);
  spec.collections = {
      Collection(0x01, 0x06, 9, {0x01}),  // boot keyboard
      Collection(0x0C, 0x01, 3, {0x03}),  // consumer control
      Collection(0x01, 0x80, 2, {0x02}),  // system control
      Id7mVendorCollection(),
  };
  spec.modelWord = 0x1A20;
  return spec;
}

SimDeviceSpec SimMouse(std::string name) {
  SimDeviceSpec spec = Id7mDevice(std::move(name), 0x4D31);
  spec.collections = {
      Collection(0x01, 0x02, 8, {0x01}),  // boot mouse
      Id7mVendorCollection(),
  };
  spec.modelWord = 0x2B30;
  return spec;
}

SimDeviceSpec SimFlashKeyboard(std::string name) {
  SimDeviceSpec spec = SimKeyboard(std::move(name));
  spec.productId = 0x4B32;
  spec.product = u"USB Device  ";
  spec.modelWord = 0x1A24;
  spec.flashWord = 0x01FFFFFF;
  return spec;
}

SimDeviceSpec SimEs2862(std::string name) {
  SimDeviceSpec spec;
  spec.name = std::move(name);
  spec.vendorId = kSimEs2862VendorId;
  spec.productId = 0x2862;
  spec.versionNumber = 0x0100;
  spec.manufacturer = u"ES Micro";
  spec.product = u"Gaming Mouse";
  spec.family = SimFamily::Es2862;
  spec.collections = {
      Collection(0x01, 0x02, 8, {0x01}),                   // boot mouse
      Collection(0xFF01, 0x01, 64, {kSimEs2862ReportId}),  // vendor events
  };
  return spec;
}

SimDeviceSpec SimForeign(std::string name) {
  SimDeviceSpec spec;
  spec.name = std::move(name);
  spec.vendorId = kSimForeignVendorId;
  spec.productId = 0x0011;
  spec.versionNumber = 0x0200;
  spec.manufacturer = u"Other Maker Inc.";
  spec.product = u"Office Keyboard";
  spec.family = SimFamily::Foreign;
  spec.collections = {Collection(0x01, 0x06, 9, {})};
  return spec;
}

SimCollection* SimVendorCollection(SimDeviceSpec& spec) {
  for (SimCollection& c : spec.collections) {
    if (c.usagePage >= 0xFF00) return &c;
  }
  return nullptr;
}
