#include "platform/report_descriptor.h"

#include <algorithm>
#include <array>
#include <memory>

namespace {

// Item prefix layout: bits 0-1 size code, bits 2-3 type, bits 4-7 tag.
enum ItemType : uint8_t { kMain = 0, kGlobal = 1, kLocal = 2 };

enum MainTag : uint8_t {
  kInput = 0x8,
  kOutput = 0x9,
  kCollection = 0xA,
  kFeature = 0xB,
  kEndCollection = 0xC,
};

enum GlobalTag : uint8_t {
  kUsagePage = 0x0,
  kReportSize = 0x7,
  kReportId = 0x8,
  kReportCount = 0x9,
  kPush = 0xA,
  kPop = 0xB,
};

enum LocalTag : uint8_t { kUsage = 0x0 };

constexpr uint8_t kLongItemPrefix = 0xFE;

enum ReportKind : size_t { kInputKind = 0, kOutputKind = 1, kFeatureKind = 2, kKindCount = 3 };

// A report longer than this cannot be described by a 16-bit length that
// also counts the report-ID byte.
constexpr uint64_t kMaxReportBits = (0xFFFFu - 1u) * 8u;

struct GlobalState {
  uint16_t usagePage = 0;
  uint32_t reportSize = 0;
  uint32_t reportCount = 0;
  uint8_t reportId = 0;
};

struct LocalState {
  bool hasUsage = false;
  uint32_t usage = 0;
  bool usageIsExtended = false;  // a 4-byte usage carries its own page
};

// Bit totals of the top-level collection being parsed, per kind and ID.
// Top-level collections never overlap, so one table is enough.
struct CollectionTotals {
  std::array<std::array<uint32_t, 256>, kKindCount> bits{};
  std::bitset<256> ids;

  void Clear() {
    for (auto& kind : bits) kind.fill(0);
    ids.reset();
  }
};

class Parser {
 public:
  explicit Parser(std::span<const uint8_t> bytes) : m_Bytes(bytes) {}

  ReportDescriptorSummary Run() {
    size_t pos = 0;
    while (pos < m_Bytes.size()) {
      const uint8_t prefix = m_Bytes[pos];
      if (prefix == kLongItemPrefix) {
        // Long items carry no information we use; skip them whole.
        if (m_Bytes.size() - pos < 3) return Fail();
        const size_t dataSize = m_Bytes[pos + 1];
        if (m_Bytes.size() - pos - 3 < dataSize) return Fail();
        pos += 3 + dataSize;
        continue;
      }
      static constexpr size_t kDataSizes[4] = {0, 1, 2, 4};
      const size_t dataSize = kDataSizes[prefix & 0x3];
      if (m_Bytes.size() - pos - 1 < dataSize) return Fail();
      uint32_t value = 0;
      for (size_t i = 0; i < dataSize; ++i) {
        value |= static_cast<uint32_t>(m_Bytes[pos + 1 + i]) << (8 * i);
      }
      pos += 1 + dataSize;

      const uint8_t type = (prefix >> 2) & 0x3;
      const uint8_t tag = prefix >> 4;
      bool ok = true;
      switch (type) {
        case kMain:
          ok = Main(tag);
          break;
        case kGlobal:
          ok = Global(tag, value, dataSize);
          break;
        case kLocal:
          Local(tag, value, dataSize);
          break;
        default:
          break;  // reserved item type: ignored
      }
      if (!ok) return Fail();
    }
    // A collection left open at the end makes the descriptor unusable for it;
    // what was closed before stands.
    if (m_Depth != 0) return Fail();
    return std::move(m_Summary);
  }

 private:
  ReportDescriptorSummary Fail() {
    m_Summary.complete = false;
    return std::move(m_Summary);
  }

  bool Main(uint8_t tag) {
    bool ok = true;
    switch (tag) {
      case kInput:
        AddReportItem(kInputKind);
        break;
      case kOutput:
        AddReportItem(kOutputKind);
        break;
      case kFeature:
        AddReportItem(kFeatureKind);
        break;
      case kCollection:
        ok = OpenCollection();
        break;
      case kEndCollection:
        ok = CloseCollection();
        break;
      default:
        break;
    }
    m_Local = LocalState{};
    return ok;
  }

  bool Global(uint8_t tag, uint32_t value, size_t dataSize) {
    switch (tag) {
      case kUsagePage:
        m_Global.usagePage = static_cast<uint16_t>(value);
        return true;
      case kReportSize:
        m_Global.reportSize = value;
        return true;
      case kReportCount:
        m_Global.reportCount = value;
        return true;
      case kReportId:
        // ID 0 is reserved for "no report IDs" and IDs are one byte long.
        if (dataSize == 0 || value == 0 || value > 0xFF) return false;
        m_Global.reportId = static_cast<uint8_t>(value);
        return true;
      case kPush:
        if (m_StackDepth == m_Stack.size()) return false;
        m_Stack[m_StackDepth++] = m_Global;
        return true;
      case kPop:
        if (m_StackDepth == 0) return false;
        m_Global = m_Stack[--m_StackDepth];
        return true;
      default:
        return true;
    }
  }

  void Local(uint8_t tag, uint32_t value, size_t dataSize) {
    // A collection is named by its first usage.
    if (tag != kUsage || m_Local.hasUsage) return;
    m_Local.hasUsage = true;
    m_Local.usage = value;
    m_Local.usageIsExtended = dataSize == 4;
  }

  void AddReportItem(ReportKind kind) {
    if (m_Depth == 0) return;  // belongs to no collection
    const uint64_t itemBits = static_cast<uint64_t>(m_Global.reportSize) * m_Global.reportCount;
    if (itemBits == 0) return;
    const uint8_t id = m_Global.reportId;
    uint32_t& total = m_Totals.bits[kind][id];
    total = static_cast<uint32_t>(std::min<uint64_t>(total + itemBits, kMaxReportBits));
    m_Totals.ids.set(id);
    if (id != 0) m_Summary.usesReportIds = true;
  }

  bool OpenCollection() {
    if (m_Depth == kMaxCollectionDepth) return false;
    if (m_Depth == 0) {
      if (m_Summary.collections.size() == kMaxTopLevelCollections) return false;
      m_Current = HidCollectionSummary{};
      if (m_Local.usageIsExtended) {
        m_Current.usagePage = static_cast<uint16_t>(m_Local.usage >> 16);
      } else {
        m_Current.usagePage = m_Global.usagePage;
      }
      m_Current.usage = static_cast<uint16_t>(m_Local.usage);
      m_Totals.Clear();
    }
    ++m_Depth;
    return true;
  }

  bool CloseCollection() {
    if (m_Depth == 0) return false;
    if (--m_Depth == 0) {
      m_Current.inputReportByteLength = LongestReport(kInputKind);
      m_Current.outputReportByteLength = LongestReport(kOutputKind);
      m_Current.featureReportByteLength = LongestReport(kFeatureKind);
      m_Current.reportIds = m_Totals.ids;
      m_Summary.collections.push_back(m_Current);
    }
    return true;
  }

  uint16_t LongestReport(ReportKind kind) const {
    uint32_t longestBits = 0;
    bool any = false;
    for (uint32_t bits : m_Totals.bits[kind]) {
      if (bits == 0) continue;
      any = true;
      longestBits = std::max(longestBits, bits);
    }
    if (!any) return 0;
    return static_cast<uint16_t>((longestBits + 7) / 8 + 1);
  }

  std::span<const uint8_t> m_Bytes;
  ReportDescriptorSummary m_Summary;
  GlobalState m_Global;
  LocalState m_Local;
  std::array<GlobalState, kMaxGlobalStackDepth> m_Stack{};
  size_t m_StackDepth = 0;
  size_t m_Depth = 0;
  HidCollectionSummary m_Current;
  CollectionTotals m_Totals;
};

}  // namespace

ReportDescriptorSummary ParseReportDescriptor(std::span<const uint8_t> descriptor) {
  // The totals table is 3 KiB; keep it off small thread stacks.
  auto parser = std::make_unique<Parser>(descriptor);
  return parser->Run();
}
