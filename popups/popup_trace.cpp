#include "popups/popup_trace.h"

#include <utility>

#include "skin/text_helpers.h"

namespace {

PopupTraceSink& TraceSink() {
  static PopupTraceSink sink;
  return sink;
}

}  // namespace

void SetPopupTrace(PopupTraceSink trace) { TraceSink() = std::move(trace); }

bool IsPopupTraceOn() { return static_cast<bool>(TraceSink()); }

void WritePopupTrace(const std::string& line) {
  if (const PopupTraceSink& sink = TraceSink()) sink(line);
}

std::string EscapeTraceText(std::u16string_view text) {
  const std::string utf8 = Utf16ToUtf8(text);
  std::string escaped;
  escaped.reserve(utf8.size());
  for (const char c : utf8) {
    switch (c) {
      case '"':
        escaped += "\\\"";
        break;
      case '\\':
        escaped += "\\\\";
        break;
      case '\n':
        escaped += "\\n";
        break;
      case '\r':
        escaped += "\\r";
        break;
      default:
        escaped += c;
        break;
    }
  }
  return escaped;
}

std::string FormatPopupShowLine(const PopupShowRecord& record) {
  std::string line = "popup " + record.popupName + " show";
  line += " title=\"" + EscapeTraceText(record.title) + "\"";
  line += " text=\"" + EscapeTraceText(record.text) + "\"";
  line += " x=" + std::to_string(record.x);
  line += " y=" + std::to_string(record.y);
  line += " w=" + std::to_string(record.width);
  line += " h=" + std::to_string(record.height);
  line += record.alignment == PopupTextAlignment::Left ? " align=left" : " align=center";
  line += " size=" + std::to_string(record.pointSize);
  return line;
}

std::string FormatPopupHideLine(std::string_view popupName) {
  return "popup " + std::string(popupName) + " hide";
}
