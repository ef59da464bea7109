// What every HID backend promises above the seam, checked the same way on
// each: a backend under test plugs and unplugs devices of a few known shapes
// its own way (simulated devices, nodes in a fake sysfs, …) and hands out
// the changes it reports. Backends that cannot plug devices or watch for
// changes say why, and the behaviours that need it are skipped there.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/hid_backend.h"

// One top-level collection as a report descriptor declares it.
struct ContractCollection {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  // Longest report of each kind, report-ID byte included; an unnumbered
  // collection's reports reach the host with a 0 in front.
  uint16_t inputReportBytes = 0;
  uint16_t featureReportBytes = 0;
  std::vector<uint8_t> reportIds;  // empty: unnumbered
};

enum class ContractShape {
  Keyboard,           // one unnumbered collection: 8 bytes in
  ThreeCollections,   // consumer (ID 1), system control (ID 2), vendor (IDs 7, 8)
  KeyboardOffTheUsb,  // the keyboard on no USB device: no strings, no version
};

// The collections of a shape, in descriptor order.
std::vector<ContractCollection> CollectionsOf(ContractShape shape);

// The device's attributes wherever its shape hangs from a USB device.
inline constexpr uint16_t kContractVendorId = 0x1A2B;
inline constexpr uint16_t kContractProductId = 0x3C4D;
inline constexpr uint16_t kContractVersion = 0x0102;
inline const std::u16string kContractManufacturer = u"Company ";
inline const std::u16string kContractProduct = u"USB Device ";

class HidBackendUnderTest {
 public:
  virtual ~HidBackendUnderTest() = default;
  virtual HidBackend& Backend() = 0;

  // Why this backend cannot plug a device in (nullopt: it can).
  virtual std::optional<std::string> CannotPlug() const { return std::nullopt; }
  // Why this backend reports no arrivals and removals (nullopt: it does).
  virtual std::optional<std::string> CannotWatch() const { return std::nullopt; }

  // Connects a device under `name` and returns its interface paths in
  // descriptor order, as the system would number it.
  virtual std::vector<std::string> Plug(const std::string& name, ContractShape shape) = 0;
  virtual void Unplug(const std::string& name) = 0;
  // The changes the backend has reported since the last call.
  virtual std::vector<HidDeviceChange> Changes() = 0;
};

struct ContractBackend {
  std::string name;
  std::function<std::unique_ptr<HidBackendUnderTest>()> make;
};
inline void PrintTo(const ContractBackend& backend, std::ostream* out) { *out << backend.name; }

// The simulated backend, and the real backends this platform has.
ContractBackend SimulatedContractBackend();
std::vector<ContractBackend> PlatformContractBackends();
