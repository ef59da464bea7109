#include "monitors/report_decoders.h"

#include "platform/message.h"

namespace {

constexpr uint8_t kMouseEventClass = 0x01;
constexpr uint8_t kKeyboardEventClass = 0x20;
constexpr uint8_t kEs2862CpiChanged = 0x87;

uint8_t ByteAt(std::span<const uint8_t> report, size_t offset) {
  return offset < report.size() ? report[offset] : 0;
}

}  // namespace

Id7mKind Id7mKindFromText(std::string_view deviceKind) {
  if (deviceKind == "Keyboard") return Id7mKind::Keyboard;
  if (deviceKind == "Mouse") return Id7mKind::Mouse;
  return Id7mKind::Other;
}

DecodedEvents DecodeId7mReport(Id7mKind kind, std::span<const uint8_t> report) {
  DecodedEvents decoded;
  const uint8_t eventClass = ByteAt(report, 1);
  if (kind == Id7mKind::Mouse && eventClass == kMouseEventClass) {
    const uint8_t cpi = ByteAt(report, 12);
    if (cpi & 0x08) decoded.Add({UM_CPI_LEVEL, cpi & 0x07u, 0});
  } else if (kind == Id7mKind::Keyboard && eventClass == kKeyboardEventClass) {
    const uint8_t rtMode = ByteAt(report, 6);
    if (rtMode & 0x80) decoded.Add({UM_RT_MODE, rtMode & 0x07u, (rtMode & 0x40) ? 1 : 0});
    const uint8_t ltKey = ByteAt(report, 4);
    if (ltKey & 0x80) decoded.Add({UM_LT_KEY, ltKey & 0x07u, 0});
  }
  return decoded;
}

DecodedEvents DecodeEs2862Report(std::span<const uint8_t> report) {
  DecodedEvents decoded;
  // The level is the whole of byte 7; a report that ends before it has none.
  constexpr size_t kLevelOffset = 7;
  if (report.size() > kLevelOffset && report[1] == kEs2862CpiChanged) {
    decoded.Add({UM_CPI_LEVEL, report[kLevelOffset], 0});
  }
  return decoded;
}
