#include "monitors/input_report_layout.h"

namespace {

constexpr size_t kId7mEventClassOffset = 1;
constexpr size_t kId7mCpiOffset = 12;
constexpr uint8_t kId7mCpiChangedBit = 0x08;
constexpr size_t kId7mRtModeOffset = 6;
constexpr uint8_t kId7mRtFlagBit = 0x40;
constexpr size_t kId7mLtKeyOffset = 4;
// The RT mode and LT key bytes share their change bit.
constexpr uint8_t kId7mKeyboardChangedBit = 0x80;
constexpr uint8_t kId7mValueBits = 0x07;

constexpr size_t kEs2862CodeOffset = 1;
constexpr size_t kEs2862LevelOffset = 7;

uint8_t ByteAt(std::span<const uint8_t> report, size_t offset) {
  return offset < report.size() ? report[offset] : 0;
}

}  // namespace

Id7mInputReport Id7mInputReport::Parse(std::span<const uint8_t> report) {
  Id7mInputReport parsed;
  parsed.eventClass = ByteAt(report, kId7mEventClassOffset);
  if (parsed.eventClass == kMouseEventClass) {
    const uint8_t cpi = ByteAt(report, kId7mCpiOffset);
    if (cpi & kId7mCpiChangedBit) parsed.cpiLevel = cpi & kId7mValueBits;
  } else if (parsed.eventClass == kKeyboardEventClass) {
    const uint8_t rtMode = ByteAt(report, kId7mRtModeOffset);
    if (rtMode & kId7mKeyboardChangedBit) {
      parsed.rtMode = rtMode & kId7mValueBits;
      parsed.rtFlag = (rtMode & kId7mRtFlagBit) != 0;
    }
    const uint8_t ltKey = ByteAt(report, kId7mLtKeyOffset);
    if (ltKey & kId7mKeyboardChangedBit) parsed.ltKeyState = ltKey & kId7mValueBits;
  }
  return parsed;
}

std::vector<uint8_t> Id7mInputReport::Serialize() const {
  std::vector<uint8_t> report(kLength, 0);
  report[0] = kReportId;
  report[kId7mEventClassOffset] = eventClass;
  if (cpiLevel) {
    report[kId7mCpiOffset] =
        static_cast<uint8_t>(kId7mCpiChangedBit | (*cpiLevel & kId7mValueBits));
  }
  if (rtMode) {
    report[kId7mRtModeOffset] = static_cast<uint8_t>(
        kId7mKeyboardChangedBit | (rtFlag ? kId7mRtFlagBit : 0) | (*rtMode & kId7mValueBits));
  }
  if (ltKeyState) {
    report[kId7mLtKeyOffset] =
        static_cast<uint8_t>(kId7mKeyboardChangedBit | (*ltKeyState & kId7mValueBits));
  }
  return report;
}

Es2862InputReport Es2862InputReport::Parse(std::span<const uint8_t> report) {
  Es2862InputReport parsed;
  if (report.size() > kEs2862LevelOffset && report[kEs2862CodeOffset] == kCpiChanged) {
    parsed.cpiLevel = report[kEs2862LevelOffset];
  }
  return parsed;
}

std::vector<uint8_t> Es2862InputReport::Serialize() const {
  std::vector<uint8_t> report(kLength, 0);
  report[0] = kReportId;
  if (cpiLevel) {
    report[kEs2862CodeOffset] = kCpiChanged;
    report[kEs2862LevelOffset] = *cpiLevel;
  }
  return report;
}
