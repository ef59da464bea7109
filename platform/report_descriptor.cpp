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
  explicit Parser(std::span<const uint8_t> bytes) : bytes_(bytes) {}

  ReportDescriptorSummary Run() {
    size_t pos = 0;
    while (pos < bytes_.size()) {
      const uint8_t prefix = bytes_[pos];
      if (prefix == kLongItemPrefix) {
        // Long items carry no information we use; skip them whole.
        if (bytes_.size() - pos < 3) return Fail();
        const size_t dataSize = bytes_[pos + 1];
        if (bytes_.size() - pos - 3 < dataSize) return Fail();
        pos += 3 + dataSize;
        continue;
      }
      static constexpr size_t kDataSizes[4] = {0, 1, 2, 4};
      const size_t dataSize = kDataSizes[prefix & 0x3];
      if (bytes_.size() - pos - 1 < dataSize) return Fail();
      uint32_t value = 0;
      for (size_t i = 0; i < dataSize; ++i) {
        value |= static_cast<uint32_t>(bytes_[pos + 1 + i]) << (8 * i);
      }
      pos += 1 + dataSize;

      const uint8_t type = (prefix >> 2) & 0x3;
      const uint8_t tag = prefix >> 4;
      bool ok = true;
      switch (type) {
        case kMain: ok = Main(tag); break;
        case kGlobal: ok = Global(tag, value, dataSize); break;
        case kLocal: Local(tag, value, dataSize); break;
        default: break;  // reserved item type: ignored
      }
      if (!ok) return Fail();
    }
    // A collection left open at the end makes the descriptor unusable for it;
    // what was closed before stands.
    if (depth_ != 0) return Fail();
    return std::move(summary_);
  }

 private:
  ReportDescriptorSummary Fail() {
    summary_.complete = false;
    return std::move(summary_);
  }

  bool Main(uint8_t tag) {
    bool ok = true;
    switch (tag) {
      case kInput: AddReportItem(kInputKind); break;
      case kOutput: AddReportItem(kOutputKind); break;
      case kFeature: AddReportItem(kFeatureKind); break;
      case kCollection: ok = OpenCollection(); break;
      case kEndCollection: ok = CloseCollection(); break;
      default: break;
    }
    local_ = LocalState{};
    return ok;
  }

  bool Global(uint8_t tag, uint32_t value, size_t dataSize) {
    switch (tag) {
      case kUsagePage:
        global_.usagePage = static_cast<uint16_t>(value);
        return true;
      case kReportSize:
        global_.reportSize = value;
        return true;
      case kReportCount:
        global_.reportCount = value;
        return true;
      case kReportId:
        // ID 0 is reserved for "no report IDs" and IDs are one byte long.
        if (dataSize == 0 || value == 0 || value > 0xFF) return false;
        global_.reportId = static_cast<uint8_t>(value);
        return true;
      case kPush:
        if (stackDepth_ == stack_.size()) return false;
        stack_[stackDepth_++] = global_;
        return true;
      case kPop:
        if (stackDepth_ == 0) return false;
        global_ = stack_[--stackDepth_];
        return true;
      default:
        return true;
    }
  }

  void Local(uint8_t tag, uint32_t value, size_t dataSize) {
    // A collection is named by its first usage.
    if (tag != kUsage || local_.hasUsage) return;
    local_.hasUsage = true;
    local_.usage = value;
    local_.usageIsExtended = dataSize == 4;
  }

  void AddReportItem(ReportKind kind) {
    if (depth_ == 0) return;  // belongs to no collection
    const uint64_t itemBits =
        static_cast<uint64_t>(global_.reportSize) * global_.reportCount;
    if (itemBits == 0) return;
    const uint8_t id = global_.reportId;
    uint32_t& total = totals_.bits[kind][id];
    total = static_cast<uint32_t>(std::min<uint64_t>(total + itemBits, kMaxReportBits));
    totals_.ids.set(id);
    if (id != 0) summary_.usesReportIds = true;
  }

  bool OpenCollection() {
    if (depth_ == kMaxCollectionDepth) return false;
    if (depth_ == 0) {
      if (summary_.collections.size() == kMaxTopLevelCollections) return false;
      current_ = HidCollectionSummary{};
      if (local_.usageIsExtended) {
        current_.usagePage = static_cast<uint16_t>(local_.usage >> 16);
      } else {
        current_.usagePage = global_.usagePage;
      }
      current_.usage = static_cast<uint16_t>(local_.usage);
      totals_.Clear();
    }
    ++depth_;
    return true;
  }

  bool CloseCollection() {
    if (depth_ == 0) return false;
    if (--depth_ == 0) {
      current_.inputReportByteLength = LongestReport(kInputKind);
      current_.outputReportByteLength = LongestReport(kOutputKind);
      current_.featureReportByteLength = LongestReport(kFeatureKind);
      current_.reportIds = totals_.ids;
      summary_.collections.push_back(current_);
    }
    return true;
  }

  uint16_t LongestReport(ReportKind kind) const {
    uint32_t longestBits = 0;
    bool any = false;
    for (uint32_t bits : totals_.bits[kind]) {
      if (bits == 0) continue;
      any = true;
      longestBits = std::max(longestBits, bits);
    }
    if (!any) return 0;
    return static_cast<uint16_t>((longestBits + 7) / 8 + 1);
  }

  std::span<const uint8_t> bytes_;
  ReportDescriptorSummary summary_;
  GlobalState global_;
  LocalState local_;
  std::array<GlobalState, kMaxGlobalStackDepth> stack_{};
  size_t stackDepth_ = 0;
  size_t depth_ = 0;
  HidCollectionSummary current_;
  CollectionTotals totals_;
};

}  // namespace

ReportDescriptorSummary ParseReportDescriptor(std::span<const uint8_t> descriptor) {
  // The totals table is 3 KiB; keep it off small thread stacks.
  auto parser = std::make_unique<Parser>(descriptor);
  return parser->Run();
}
