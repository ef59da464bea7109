#include "tests/vm/emulated_hid_device.h"

#include <algorithm>

namespace {

// USB standard requests and descriptor types.
constexpr uint8_t kGetStatus = 0x00;
constexpr uint8_t kClearFeature = 0x01;
constexpr uint8_t kSetFeature = 0x03;
constexpr uint8_t kGetDescriptor = 0x06;
constexpr uint8_t kGetConfiguration = 0x08;
constexpr uint8_t kSetConfiguration = 0x09;
constexpr uint8_t kGetInterface = 0x0A;
constexpr uint8_t kSetInterface = 0x0B;
constexpr uint8_t kDescDevice = 0x01;
constexpr uint8_t kDescConfiguration = 0x02;
constexpr uint8_t kDescString = 0x03;
constexpr uint8_t kDescHid = 0x21;
constexpr uint8_t kDescReport = 0x22;

// HID class requests.
constexpr uint8_t kGetReport = 0x01;
constexpr uint8_t kGetIdle = 0x02;
constexpr uint8_t kGetProtocol = 0x03;
constexpr uint8_t kSetReport = 0x09;
constexpr uint8_t kSetIdle = 0x0A;
constexpr uint8_t kSetProtocol = 0x0B;
constexpr uint8_t kFeatureReportType = 3;

constexpr uint8_t kTypeClass = 0x20;
constexpr uint8_t kTypeMask = 0x60;

// The family's commands (byte 1 of a report-ID-0x07 feature report).
constexpr uint8_t kModelInformation = 0x1F;
constexpr uint8_t kFlashInformation = 0x2D;

constexpr size_t kVendorReportBytes = 64;  // report ID included

void Put16(std::vector<uint8_t>& out, uint16_t value) {
  out.push_back(static_cast<uint8_t>(value));
  out.push_back(static_cast<uint8_t>(value >> 8));
}

std::vector<uint8_t> HidDescriptor(const HidInterfaceSpec& interface) {
  std::vector<uint8_t> d{9, kDescHid, 0x11, 0x01, 0x00, 0x01, kDescReport};
  Put16(d, static_cast<uint16_t>(interface.reportDescriptor.size()));
  return d;
}

ControlAnswer Stall() { return ControlAnswer{usbip::kStatusStall, {}, 0}; }

ControlAnswer In(std::vector<uint8_t> data, uint16_t requested) {
  if (data.size() > requested) data.resize(requested);
  return ControlAnswer{usbip::kStatusOk, std::move(data), 0};
}

ControlAnswer OutDone(size_t length) {
  return ControlAnswer{usbip::kStatusOk, {}, static_cast<uint32_t>(length)};
}

// The standard boot keyboard: modifiers, a reserved byte, six key codes, and
// five LED bits out.
const std::vector<uint8_t> kBootKeyboard = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02, 0x95, 0x01, 0x75, 0x08, 0x81, 0x01, 0x95, 0x05, 0x75, 0x01,
    0x05, 0x08, 0x19, 0x01, 0x29, 0x05, 0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01, 0x95, 0x06,
    0x75, 0x08, 0x15, 0x00, 0x25, 0x65, 0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00, 0xC0};

// The standard boot mouse: three buttons, X, Y and a wheel.
const std::vector<uint8_t> kBootMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00, 0x05, 0x09, 0x19,
    0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01, 0x95, 0x03, 0x75, 0x01, 0x81, 0x02,
    0x95, 0x01, 0x75, 0x05, 0x81, 0x01, 0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x09,
    0x38, 0x15, 0x81, 0x25, 0x7F, 0x75, 0x08, 0x95, 0x03, 0x81, 0x06, 0xC0, 0xC0};

// A vendor collection on page 0xFF00 (or 0xFF01 for the ES2862 family)
// with 63-byte input and, optionally, feature reports under one report ID.
std::vector<uint8_t> VendorCollection(uint8_t pageLow, uint8_t pageHigh, uint8_t reportId,
                                      bool withFeature) {
  std::vector<uint8_t> d = {
      0x06, pageLow, pageHigh, 0x09, 0x01, 0xA1,
      0x01, 0x85,    reportId, 0x15, 0x00, 0x26,
      0xFF, 0x00,    0x75,     0x08, 0x95, static_cast<uint8_t>(kVendorReportBytes - 1),
      0x09, 0x01,    0x81,     0x02};
  if (withFeature) {
    d.insert(d.end(), {0x09, 0x02, 0xB1, 0x02});
  }
  d.push_back(0xC0);
  return d;
}

// Consumer control (report ID 0x02) and system control (report ID 0x03),
// the usual companions of a keyboard's vendor collection.
const std::vector<uint8_t> kConsumerControl = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02, 0x15,
                                               0x00, 0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03,
                                               0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};
const std::vector<uint8_t> kSystemControl = {0x05, 0x01, 0x09, 0x80, 0xA1, 0x01, 0x85, 0x03, 0x19,
                                             0x81, 0x29, 0x83, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01,
                                             0x95, 0x03, 0x81, 0x02, 0x95, 0x05, 0x81, 0x01, 0xC0};

std::vector<uint8_t> Concat(std::initializer_list<std::vector<uint8_t>> parts) {
  std::vector<uint8_t> out;
  for (const auto& part : parts) out.insert(out.end(), part.begin(), part.end());
  return out;
}

}  // namespace

EmulatedHidDevice::EmulatedHidDevice(DeviceSpec spec) : m_Spec(std::move(spec)) {}

std::vector<uint8_t> EmulatedHidDevice::DeviceDescriptor() const {
  // USB 2.0 layout at full speed; bcdUSB 2.00 without a BOS descriptor.
  std::vector<uint8_t> d{18, kDescDevice, 0x00, 0x02, 0x00, 0x00, 0x00, 64};
  Put16(d, m_Spec.vendorId);
  Put16(d, m_Spec.productId);
  Put16(d, m_Spec.bcdDevice);
  d.insert(d.end(), {1, 2, 0, 1});
  return d;
}

std::vector<uint8_t> EmulatedHidDevice::ConfigurationDescriptor() const {
  std::vector<uint8_t> body;
  for (size_t n = 0; n < m_Spec.interfaces.size(); ++n) {
    const HidInterfaceSpec& interface = m_Spec.interfaces[n];
    body.insert(body.end(), {9, 0x04, static_cast<uint8_t>(n), 0, 1, 0x03, interface.subclass,
                             interface.protocol, 0});
    const std::vector<uint8_t> hid = HidDescriptor(interface);
    body.insert(body.end(), hid.begin(), hid.end());
    body.insert(body.end(), {7, 0x05, static_cast<uint8_t>(0x80 | interface.endpoint), 0x03});
    Put16(body, interface.maxPacket);
    body.push_back(1);  // bInterval: 1 ms
  }
  std::vector<uint8_t> d{9, kDescConfiguration};
  Put16(d, static_cast<uint16_t>(9 + body.size()));
  d.insert(d.end(), {static_cast<uint8_t>(m_Spec.interfaces.size()), 1, 0, 0xA0, 50});
  d.insert(d.end(), body.begin(), body.end());
  return d;
}

std::vector<uint8_t> EmulatedHidDevice::StringDescriptor(uint8_t index) const {
  if (index == 0) return {4, kDescString, 0x09, 0x04};  // English (US)
  const std::string* text = index == 1   ? &m_Spec.manufacturer
                            : index == 2 ? &m_Spec.product
                                         : nullptr;
  if (text == nullptr) return {};
  // ASCII only: one UTF-16LE code unit per character.
  std::vector<uint8_t> d{static_cast<uint8_t>(2 + 2 * text->size()), kDescString};
  for (char c : *text) {
    d.push_back(static_cast<uint8_t>(c));
    d.push_back(0);
  }
  return d;
}

ControlAnswer EmulatedHidDevice::Control(const usbip::SetupPacket& setup,
                                         const std::vector<uint8_t>& outData) {
  if ((setup.requestType & kTypeMask) == kTypeClass) return HidClass(setup, outData);
  if ((setup.requestType & kTypeMask) == 0) return Standard(setup);
  return Stall();
}

ControlAnswer EmulatedHidDevice::Standard(const usbip::SetupPacket& setup) {
  const uint8_t recipient = setup.requestType & 0x1F;
  switch (setup.request) {
    case kGetDescriptor: {
      const uint8_t type = static_cast<uint8_t>(setup.value >> 8);
      const uint8_t index = static_cast<uint8_t>(setup.value);
      if (recipient == 0 && type == kDescDevice) return In(DeviceDescriptor(), setup.length);
      if (recipient == 0 && type == kDescConfiguration) {
        return In(ConfigurationDescriptor(), setup.length);
      }
      if (recipient == 0 && type == kDescString) {
        std::vector<uint8_t> text = StringDescriptor(index);
        if (text.empty()) return Stall();
        return In(std::move(text), setup.length);
      }
      if (recipient == 1 && setup.index < m_Spec.interfaces.size()) {
        const HidInterfaceSpec& interface = m_Spec.interfaces[setup.index];
        if (type == kDescReport) return In(interface.reportDescriptor, setup.length);
        if (type == kDescHid) return In(HidDescriptor(interface), setup.length);
      }
      // Device qualifier, BOS and the rest: a full-speed USB 2.0 device
      // without them stalls.
      return Stall();
    }
    case kGetStatus:
      return In({0, 0}, setup.length);
    case kGetConfiguration:
      return In({1}, setup.length);
    case kGetInterface:
      return In({0}, setup.length);
    case kSetConfiguration:
    case kSetInterface:
    case kClearFeature:
    case kSetFeature:
      return OutDone(0);
    default:
      return Stall();
  }
}

ControlAnswer EmulatedHidDevice::HidClass(const usbip::SetupPacket& setup,
                                          const std::vector<uint8_t>& outData) {
  const uint8_t interface = static_cast<uint8_t>(setup.index);
  const uint8_t reportType = static_cast<uint8_t>(setup.value >> 8);
  const uint8_t reportId = static_cast<uint8_t>(setup.value);
  switch (setup.request) {
    case kSetIdle:
    case kSetProtocol:
      return OutDone(0);
    case kGetIdle:
    case kGetProtocol:
      return In({static_cast<uint8_t>(setup.request == kGetProtocol ? 1 : 0)}, setup.length);
    case kSetReport: {
      if (reportType != kFeatureReportType) return OutDone(outData.size());  // LEDs and such
      std::lock_guard lock(m_Mutex);
      m_Log.push_back(FeatureTraffic{true, interface, reportId, outData});
      const bool takesCommands = m_Spec.commands &&
                                 interface == m_Spec.commands->commandInterface &&
                                 reportId == m_Spec.commands->reportId;
      if (!takesCommands) return Stall();
      m_LastCommand = outData;
      return OutDone(outData.size());
    }
    case kGetReport: {
      if (reportType != kFeatureReportType) return Stall();
      std::lock_guard lock(m_Mutex);
      const bool takesCommands = m_Spec.commands &&
                                 interface == m_Spec.commands->commandInterface &&
                                 reportId == m_Spec.commands->reportId;
      if (!takesCommands) {
        m_Log.push_back(FeatureTraffic{false, interface, reportId, {}});
        return Stall();
      }
      std::vector<uint8_t> answer = FeatureAnswer(reportId, setup.length);
      m_Log.push_back(FeatureTraffic{false, interface, reportId, answer});
      return In(std::move(answer), setup.length);
    }
    default:
      return Stall();
  }
}

// The answer to a query is the query's first eight bytes echoed, then the
// command's payload.
std::vector<uint8_t> EmulatedHidDevice::FeatureAnswer(uint8_t reportId, uint16_t length) {
  const FeatureCommandSpec& commands = *m_Spec.commands;
  std::vector<uint8_t> answer(std::min<size_t>(length, commands.reportBytes), 0);
  if (answer.empty()) return answer;
  answer[0] = reportId;
  for (size_t i = 1; i < 8 && i < answer.size() && i < m_LastCommand.size(); ++i) {
    answer[i] = m_LastCommand[i];
  }
  const uint8_t command = m_LastCommand.size() > 1 ? m_LastCommand[1] : 0;
  auto put = [&answer](size_t offset, uint8_t value) {
    if (offset < answer.size()) answer[offset] = value;
  };
  if (command == kModelInformation) {
    put(10, static_cast<uint8_t>(commands.modelWord));
    put(11, static_cast<uint8_t>(commands.modelWord >> 8));
    put(16, commands.qualification);
  } else if (command == kFlashInformation) {
    for (size_t i = 0; i < 4; ++i) put(8 + i, static_cast<uint8_t>(commands.flashWord >> (8 * i)));
  }
  return answer;
}

std::vector<FeatureTraffic> EmulatedHidDevice::FeatureLog() const {
  std::lock_guard lock(m_Mutex);
  return m_Log;
}

DeviceSpec FamilyKeyboardSpec() {
  DeviceSpec spec;
  spec.name = "keyboard";
  spec.vendorId = 0xC0DE;
  spec.productId = 0x1A20;
  // The family's strings, in a letter case of their own and with the
  // trailing blank that belongs to them.
  spec.manufacturer = "COMPANY ";
  spec.product = "Usb Device ";
  spec.interfaces.push_back(HidInterfaceSpec{1, 1, 1, 8, kBootKeyboard});
  spec.interfaces.push_back(HidInterfaceSpec{
      0, 0, 2, 64,
      Concat({kConsumerControl, kSystemControl, VendorCollection(0x00, 0xFF, 0x07, true)})});
  spec.commands = FeatureCommandSpec{0x07, kVendorReportBytes, 1, 0x1A20, 0x20, 0};
  return spec;
}

DeviceSpec FamilyMouseSpec() {
  DeviceSpec spec;
  spec.name = "mouse";
  spec.vendorId = 0xC0DE;
  spec.productId = 0x2B30;
  spec.manufacturer = "Company ";
  spec.product = "USB DEVICE ";
  spec.interfaces.push_back(HidInterfaceSpec{1, 2, 1, 4, kBootMouse});
  spec.interfaces.push_back(
      HidInterfaceSpec{0, 0, 2, 64, VendorCollection(0x00, 0xFF, 0x07, true)});
  // Model word 0x2B31: the low two bits are not part of the model id.
  spec.commands = FeatureCommandSpec{0x07, kVendorReportBytes, 1, 0x2B31, 0x20, 0};
  return spec;
}

DeviceSpec Es2862Spec() {
  DeviceSpec spec;
  spec.name = "es2862";
  spec.vendorId = 0x1956;
  spec.productId = 0x2862;
  spec.manufacturer = "ES Tech";
  spec.product = "Gaming Mouse";
  spec.interfaces.push_back(
      HidInterfaceSpec{0, 0, 1, 64, VendorCollection(0x01, 0xFF, 0x05, false)});
  return spec;
}

std::vector<uint8_t> FamilyReport(std::initializer_list<std::pair<size_t, uint8_t>> bytes) {
  std::vector<uint8_t> report(kVendorReportBytes, 0);
  report[0] = 0x07;
  for (const auto& [offset, value] : bytes) {
    if (offset < report.size()) report[offset] = value;
  }
  return report;
}

std::vector<uint8_t> Es2862Report(uint8_t eventCode, uint8_t cpiLevel) {
  std::vector<uint8_t> report(kVendorReportBytes, 0);
  report[0] = 0x05;
  report[1] = eventCode;
  report[7] = cpiLevel;
  return report;
}
