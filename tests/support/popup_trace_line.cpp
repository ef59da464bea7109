#include "tests/support/popup_trace_line.h"

#include <regex>

namespace {

// Undoes the trace's escapes: \" \\ \n \r.
std::string Unescape(const std::string& text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\' && i + 1 < text.size()) {
      const char next = text[++i];
      plain += next == 'n' ? '\n' : next == 'r' ? '\r' : next;
    } else {
      plain += text[i];
    }
  }
  return plain;
}

}  // namespace

std::optional<PopupShowLine> ParsePopupShow(const std::string& line) {
  static const std::regex pattern(
      R"re(^popup (\S+) show title="((?:[^"\\]|\\.)*)" text="((?:[^"\\]|\\.)*)" x=(-?\d+) y=(-?\d+) w=(\d+) h=(\d+)(\s.*)?$)re");
  std::smatch m;
  if (!std::regex_match(line, m, pattern)) return std::nullopt;
  return PopupShowLine{m[1],
                       Unescape(m[2]),
                       Unescape(m[3]),
                       std::stoi(m[4]),
                       std::stoi(m[5]),
                       std::stoi(m[6]),
                       std::stoi(m[7])};
}

bool IsPopupShow(const std::string& line) {
  return line.starts_with("popup ") && line.find(" show ") != std::string::npos;
}

bool IsPopupHide(const std::string& line, const std::string& popup) {
  return line == "popup " + popup + " hide";
}
