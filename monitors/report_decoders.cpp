#include "monitors/report_decoders.h"

#include "monitors/input_report_layout.h"
#include "platform/message.h"

Id7mKind Id7mKindFromText(std::string_view deviceKind) {
  if (deviceKind == "Keyboard") return Id7mKind::Keyboard;
  if (deviceKind == "Mouse") return Id7mKind::Mouse;
  return Id7mKind::Other;
}

DecodedEvents DecodeId7mReport(Id7mKind kind, std::span<const uint8_t> report) {
  DecodedEvents decoded;
  const Id7mInputReport parsed = Id7mInputReport::Parse(report);
  if (kind == Id7mKind::Mouse && parsed.eventClass == Id7mInputReport::kMouseEventClass) {
    if (parsed.cpiLevel) decoded.Add(PostedMessage(UM_CPI_LEVEL, *parsed.cpiLevel, 0));
  } else if (kind == Id7mKind::Keyboard &&
             parsed.eventClass == Id7mInputReport::kKeyboardEventClass) {
    if (parsed.rtMode)
      decoded.Add(PostedMessage(UM_RT_MODE, *parsed.rtMode, parsed.rtFlag ? 1 : 0));
    if (parsed.ltKeyState) decoded.Add(PostedMessage(UM_LT_KEY, *parsed.ltKeyState, 0));
  }
  return decoded;
}

DecodedEvents DecodeEs2862Report(std::span<const uint8_t> report) {
  DecodedEvents decoded;
  const Es2862InputReport parsed = Es2862InputReport::Parse(report);
  if (parsed.cpiLevel) decoded.Add(PostedMessage(UM_CPI_LEVEL, *parsed.cpiLevel, 0));
  return decoded;
}
