// The hidraw backend in the HID backend contract, on a fake sysfs whose
// nodes are FIFOs: a plug adds a node under the lowest free number, as the
// kernel hands them out, and the backend is told of it by the uevent the
// kernel would send.
#include <map>
#include <set>
#include <utility>

#include "tests/platform/fake_sysfs.h"
#include "tests/platform/hid_backend_contract.h"
#include "tests/platform/sample_descriptors.h"

namespace {

class HidrawUnderTest : public HidBackendUnderTest {
 public:
  HidBackend& Backend() override { return m_Backend; }

  std::vector<std::string> Plug(const std::string& name, ContractShape shape) override {
    int number = 0;
    while (m_Taken.contains(number)) ++number;
    m_Taken.insert(number);
    m_Nodes[name] = number;
    std::optional<FakeUsbStrings> usb;
    if (shape != ContractShape::KeyboardOffTheUsb) usb = FakeUsbStrings{};
    m_Sysfs.AddNode(number,
                    shape == ContractShape::ThreeCollections ? kThreeCollectionsDescriptor
                                                             : kKeyboardDescriptor,
                    usb, "0003:00001A2B:00003C4D", true);
    const auto arrived = Uevent("add", number);
    std::vector<std::string> paths;
    for (const HidDeviceChange& change : arrived) paths.push_back(change.path);
    return paths;
  }

  void Unplug(const std::string& name) override {
    const int number = m_Nodes.at(name);
    m_Nodes.erase(name);
    m_Taken.erase(number);
    m_Sysfs.RemoveNode(number);
    Uevent("remove", number);
  }

  std::vector<HidDeviceChange> Changes() override { return std::exchange(m_Changes, {}); }

 private:
  std::vector<HidDeviceChange> Uevent(const char* action, int number) {
    const auto changes = m_Backend.ChangesForUevent(action, "hidraw" + std::to_string(number),
                                                    m_Sysfs.DevPath(number));
    m_Changes.insert(m_Changes.end(), changes.begin(), changes.end());
    return changes;
  }

  FakeSysfs m_Sysfs;
  HidrawBackendOnFakeNodes m_Backend{m_Sysfs.SysRoot(), m_Sysfs.DevRoot(), false};
  std::set<int> m_Taken;
  std::map<std::string, int> m_Nodes;
  std::vector<HidDeviceChange> m_Changes;
};

}  // namespace

std::vector<ContractBackend> PlatformContractBackends() {
  return {{"Hidraw", [] { return std::make_unique<HidrawUnderTest>(); }}};
}
