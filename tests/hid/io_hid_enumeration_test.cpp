// Enumeration, filtering and identity of IO_HID over simulated devices.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/hid/hid_sim_fixture.h"

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::IsEmpty;

namespace {

// Plugs one device of every kind; `Path(name, i)` gives collection i's path.
class HidEnumeration : public HidOnSim {
 protected:
  void SetUp() override {
    HidOnSim::SetUp();
    for (const SimDeviceSpec& spec :
         {SimKeyboard("kb"), SimMouse("mouse"), SimEs2862("es"), SimForeign("foreign")}) {
      ASSERT_FALSE(sim().Plug(spec).empty());
    }
  }

  std::string Path(const std::string& name, size_t collection) {
    return sim().PathsOf(name).at(collection);
  }

  // "name:index" of every collection, in enumeration order.
  std::vector<std::string> Labels(const std::vector<std::string>& paths) {
    std::vector<std::string> labels;
    for (const std::string& path : paths) {
      for (const char* name : {"kb", "mouse", "es", "foreign", "es2", "broken"}) {
        const std::vector<std::string> own = sim().PathsOf(name);
        for (size_t i = 0; i < own.size(); ++i) {
          if (own[i] == path) labels.push_back(std::string(name) + ":" + std::to_string(i));
        }
      }
    }
    return labels;
  }
};

TEST_F(HidOnSim, NoInterfacePresentLeavesTheListUnchanged) {
  HidPathList list{"earlier entry"};
  const int32_t vendors[] = {0x1956, -1};

  EXPECT_EQ(HidCollectPaths(&list, -1, -1, -1, -1), 0);
  EXPECT_EQ(HidCollectPathsIn(&list, vendors, nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(HidCollectPathsIn(&list, nullptr, nullptr, nullptr, nullptr), 0);
  EXPECT_THAT(list, ElementsAre("earlier entry"));
}

TEST_F(HidEnumeration, AnyFilterAppendsEveryInterfaceInEnumerationOrder) {
  HidPathList list{"earlier entry"};
  EXPECT_EQ(HidCollectPaths(&list, -1, -1, -1, -1), 9);

  std::vector<std::string> expected{"earlier entry"};
  const std::vector<std::string> present = sim().EnumeratePaths();
  expected.insert(expected.end(), present.begin(), present.end());
  EXPECT_THAT(list, ElementsAreArray(expected));
}

TEST_F(HidEnumeration, InterfacesWithUnreadableCapabilitiesAreSkipped) {
  SimDeviceSpec broken = SimMouse("broken");
  broken.collections[0].capabilitiesReadable = false;
  sim().Plug(broken);

  HidPathList list;
  HidCollectPaths(&list, -1, -1, -1, -1);
  std::vector<std::string> labels = Labels(list);
  EXPECT_EQ(std::count(labels.begin(), labels.end(), "broken:0"), 0);
  EXPECT_EQ(std::count(labels.begin(), labels.end(), "broken:1"), 1);
}

struct SingleFilterCase {
  const char* what;
  int32_t vendorId, productId, usagePage, usage;
  std::vector<std::string> expected;
};

void PrintTo(const SingleFilterCase& c, std::ostream* os) { *os << c.what; }

class HidSingleFilter : public HidEnumeration,
                        public ::testing::WithParamInterface<SingleFilterCase> {};

TEST_P(HidSingleFilter, SelectsExactlyTheMatchingInterfaces) {
  const SingleFilterCase& c = GetParam();
  HidPathList list;
  const int32_t count = HidCollectPaths(&list, c.vendorId, c.productId, c.usagePage, c.usage);
  EXPECT_EQ(count, static_cast<int32_t>(c.expected.size()));
  EXPECT_THAT(Labels(list), ElementsAreArray(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Filters, HidSingleFilter,
    ::testing::Values(SingleFilterCase{"vendor", 0x1956, -1, -1, -1, {"es:0", "es:1"}},
                      SingleFilterCase{"vendor and page", 0x1956, -1, 0xFF01, -1, {"es:1"}},
                      SingleFilterCase{"vendor page", -1, -1, 0xFF00, -1, {"kb:3", "mouse:1"}},
                      SingleFilterCase{
                          "mouse collections", -1, -1, 0x01, 0x02, {"mouse:0", "es:0"}},
                      SingleFilterCase{"product", -1, 0x2862, -1, -1, {"es:0", "es:1"}},
                      SingleFilterCase{"consumer control", -1, -1, 0x0C, 0x01, {"kb:1"}},
                      // Only the 16-bit value itself matches: higher bits never fold away.
                      SingleFilterCase{"vendor above 16 bits", 0x11956, -1, -1, -1, {}},
                      SingleFilterCase{"page above 16 bits", -1, -1, 0x1FF01, -1, {}},
                      SingleFilterCase{"negative other than -1", -1, -1, -1, -2, {}},
                      SingleFilterCase{"no such vendor", 0x0001, -1, -1, -1, {}}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

struct ListFilterCase {
  const char* what;
  std::vector<int32_t> vendors, products, pages, usages;  // empty = null list
  std::vector<std::string> expected;
};

void PrintTo(const ListFilterCase& c, std::ostream* os) { *os << c.what; }

class HidListFilter : public HidEnumeration,
                      public ::testing::WithParamInterface<ListFilterCase> {};

TEST_P(HidListFilter, SelectsExactlyTheMatchingInterfaces) {
  // A second ES2862-family device with another product id and usage must be
  // selected by vendor and page alone.
  SimDeviceSpec other = SimEs2862("es2");
  other.productId = 0x7777;
  other.collections[1].usage = 0x42;
  sim().Plug(other);

  const ListFilterCase& c = GetParam();
  auto list = [](const std::vector<int32_t>& v) { return v.empty() ? nullptr : v.data(); };
  HidPathList paths;
  const int32_t count =
      HidCollectPathsIn(&paths, list(c.vendors), list(c.products), list(c.pages), list(c.usages));
  EXPECT_EQ(count, static_cast<int32_t>(c.expected.size()));
  EXPECT_THAT(Labels(paths), ElementsAreArray(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Lists, HidListFilter,
    ::testing::Values(
        ListFilterCase{"es2862 selection", {0x1956, -1}, {}, {0xFF01, -1}, {}, {"es:1", "es2:1"}},
        ListFilterCase{
            "low 16 bits of an entry", {0x11956, -1}, {}, {0x2FF01, -1}, {}, {"es:1", "es2:1"}},
        ListFilterCase{"two vendors",
                       {0x1956, kSimForeignVendorId, -1},
                       {},
                       {},
                       {},
                       {"es:0", "es:1", "foreign:0", "es2:0", "es2:1"}},
        ListFilterCase{"terminator only", {-1}, {}, {}, {}, {}},
        ListFilterCase{"entries after the terminator", {-1, 0x1956, -1}, {}, {}, {}, {}},
        ListFilterCase{"usage list", {}, {}, {}, {0x80, 0x42, -1}, {"kb:2", "es2:1"}},
        ListFilterCase{"null lists",
                       {},
                       {},
                       {},
                       {},
                       {"kb:0", "kb:1", "kb:2", "kb:3", "mouse:0", "mouse:1", "es:0", "es:1",
                        "foreign:0", "es2:0", "es2:1"}}),
    [](const auto& info) {
      std::string name = info.param.what;
      for (char& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
      return name;
    });

TEST(HidListContains, ComparesLowBitsUpToTheTerminator) {
  struct Case {
    uint16_t value;
    std::vector<int32_t> list;
    bool expected;
  } cases[] = {
      {0x1956, {0x1956, -1}, true},
      {0x1956, {0x11956, -1}, true},
      {0x1956, {0x0001, 0x1956, -1}, true},
      {0x1956, {-1}, false},
      {0x1956, {-1, 0x1956, -1}, false},
      // 0x0000FFFF is an entry, not the terminator (not all 32 bits set).
      {0xFFFF, {0x0000FFFF, -1}, true},
      // -2 is an entry whose low 16 bits are 0xFFFE.
      {0xFFFE, {-2, -1}, true},
      {0x0000, {0x10000, -1}, true},
      {0x0001, {0x0002, 0x0003, -1}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(HidListContains(c.value, c.list.data()), c.expected)
        << "value " << c.value << " list starting " << c.list[0];
  }
  EXPECT_FALSE(HidListContains(0x1956, nullptr));
}

// Delegates to the simulator but lets a test change what the enumeration
// returns and what happens right after it.
class ScriptedEnumeration : public HidBackend {
 public:
  explicit ScriptedEnumeration(std::shared_ptr<SimBackend> sim) : m_Sim(std::move(sim)) {}

  std::vector<std::string> EnumeratePaths() override {
    std::vector<std::string> paths = m_Sim->EnumeratePaths();
    if (m_GapAt && *m_GapAt <= paths.size()) paths.insert(paths.begin() + *m_GapAt, "");
    if (m_AfterEnumeration) m_AfterEnumeration();
    return paths;
  }
  std::optional<HidInterfaceInfo> QueryInterface(const std::string& path) override {
    return m_Sim->QueryInterface(path);
  }
  std::optional<std::u16string> ReadIndexedString(const std::string& path, int index) override {
    return m_Sim->ReadIndexedString(path, index);
  }
  std::unique_ptr<HidOpenDevice> Open(const std::string& path) override {
    return m_Sim->Open(path);
  }
  std::string DeviceKeyOf(const std::string& path) const override {
    return m_Sim->DeviceKeyOf(path);
  }
  WaitHandle ChangeHandle() override { return m_Sim->ChangeHandle(); }
  std::vector<HidDeviceChange> TakeChanges() override { return m_Sim->TakeChanges(); }

  std::optional<size_t> m_GapAt;
  std::function<void()> m_AfterEnumeration;

 private:
  std::shared_ptr<SimBackend> m_Sim;
};

TEST_F(HidEnumeration, EnumerationStopsAtTheFirstMissingPath) {
  auto scripted = std::make_shared<ScriptedEnumeration>(m_Sim);
  scripted->m_GapAt = 2;
  HidSetBackend(scripted);

  HidPathList list;
  EXPECT_EQ(HidCollectPaths(&list, -1, -1, -1, -1), 2);
  EXPECT_THAT(Labels(list), ElementsAre("kb:0", "kb:1"));
}

TEST_F(HidEnumeration, InterfaceGoneBetweenEnumerationAndQueryIsSkipped) {
  auto scripted = std::make_shared<ScriptedEnumeration>(m_Sim);
  scripted->m_AfterEnumeration = [this] { sim().Unplug("mouse"); };
  HidSetBackend(scripted);

  HidPathList list;
  EXPECT_EQ(HidCollectPaths(&list, -1, -1, -1, -1), 7);
  EXPECT_THAT(Labels(list),
              ElementsAre("kb:0", "kb:1", "kb:2", "kb:3", "es:0", "es:1", "foreign:0"));
}

TEST_F(HidEnumeration, InterfacePathAtEndsWithAnEmptyPath) {
  const HidEnumerationSet set{{"a", "b"}};
  EXPECT_EQ(HidInterfacePathAt(set, 0), "a");
  EXPECT_EQ(HidInterfacePathAt(set, 1), "b");
  EXPECT_EQ(HidInterfacePathAt(set, 2), "");
  EXPECT_EQ(HidInterfacePathAt(set, 0xFFFFFFFFu), "");
}

TEST_F(HidEnumeration, QueryIdentityWritesEveryRequestedValue) {
  uint16_t vendor = 0, product = 0, page = 0, usage = 0, version = 0;
  ASSERT_TRUE(HidQueryIdentity(Path("kb", 3), &vendor, &product, &page, &usage, &version));
  const SimDeviceSpec kb = SimKeyboard();
  EXPECT_EQ(vendor, kb.vendorId);
  EXPECT_EQ(product, kb.productId);
  EXPECT_EQ(page, 0xFF00);
  EXPECT_EQ(usage, 0x01);
  EXPECT_EQ(version, kb.versionNumber);

  // Every output may be left out.
  uint16_t onlyPage = 0;
  EXPECT_TRUE(HidQueryIdentity(Path("es", 1), nullptr, nullptr, &onlyPage, nullptr, nullptr));
  EXPECT_EQ(onlyPage, 0xFF01);
}

TEST_F(HidEnumeration, QueryIdentityOfAVanishedPathWritesNothing) {
  const std::string path = Path("kb", 3);
  sim().Unplug("kb");

  uint16_t values[5] = {0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD, 0xEEEE};
  EXPECT_FALSE(HidQueryIdentity(path, &values[0], &values[1], &values[2], &values[3], &values[4]));
  EXPECT_THAT(values, ElementsAre(0xAAAA, 0xBBBB, 0xCCCC, 0xDDDD, 0xEEEE));
}

TEST_F(HidEnumeration, QueryIdentityWithUnreadableCapabilitiesWritesNothing) {
  SimDeviceSpec broken = SimMouse("broken");
  broken.collections[1].capabilitiesReadable = false;
  sim().Plug(broken);

  uint16_t vendor = 0x5555;
  EXPECT_FALSE(
      HidQueryIdentity(sim().PathsOf("broken")[1], &vendor, nullptr, nullptr, nullptr, nullptr));
  EXPECT_EQ(vendor, 0x5555);
}

TEST(HidWithoutBackend, ListsNothingAndCannotWatchChanges) {
  HidSetBackend(nullptr);
  HidPathList list;
  EXPECT_EQ(HidCollectPaths(&list, -1, -1, -1, -1), 0);
  EXPECT_EQ(HidRegisterArrival(), kNoWaitHandle);
  EXPECT_EQ(HidOpenForReports("/dev/hidraw0"), nullptr);
}

using HidAssertionDeathTest = HidOnSim;

TEST_F(HidAssertionDeathTest, NullListStopsTheProgram) {
  const int32_t vendors[] = {0x1956, -1};
  EXPECT_DEATH(HidCollectPaths(nullptr, -1, -1, -1, -1),
               "Assertion failed: pList != NULL, file IO_HID.cpp, line ");
  EXPECT_DEATH(HidCollectPathsIn(nullptr, vendors, nullptr, nullptr, nullptr),
               "Assertion failed: pList != NULL, file IO_HID.cpp, line ");
}

}  // namespace
