// The simulated backend in the HID backend contract: its devices are
// described by the values the real backends read from a descriptor.
#include "platform/sim/sim_backend.h"
#include "tests/platform/hid_backend_contract.h"

namespace {

class SimUnderTest : public HidBackendUnderTest {
 public:
  HidBackend& Backend() override { return m_Sim; }

  std::vector<std::string> Plug(const std::string& name, ContractShape shape) override {
    SimDeviceSpec spec;
    spec.name = name;
    spec.vendorId = kContractVendorId;
    spec.productId = kContractProductId;
    if (shape != ContractShape::KeyboardOffTheUsb) {
      spec.versionNumber = kContractVersion;
      spec.manufacturer = kContractManufacturer;
      spec.product = kContractProduct;
    }
    for (const ContractCollection& c : CollectionsOf(shape)) {
      SimCollection collection;
      collection.usagePage = c.usagePage;
      collection.usage = c.usage;
      collection.inputReportLength = c.inputReportBytes;
      collection.featureReportLength = c.featureReportBytes;
      collection.reportIds = c.reportIds;
      spec.collections.push_back(collection);
    }
    return m_Sim.Plug(spec);
  }

  void Unplug(const std::string& name) override { m_Sim.Unplug(name); }
  std::vector<HidDeviceChange> Changes() override { return m_Sim.TakeChanges(); }

 private:
  SimBackend m_Sim;
};

}  // namespace

ContractBackend SimulatedContractBackend() {
  return {"Simulated", [] { return std::make_unique<SimUnderTest>(); }};
}
