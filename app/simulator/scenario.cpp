#include "app/simulator/scenario.h"

#include <array>
#include <charconv>
#include <span>

#include "monitors/input_report_layout.h"

namespace {

using Verb = ScenarioCommand::Verb;
using Words = std::span<const std::string_view>;

std::vector<std::string_view> SplitWords(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    const size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    if (i > start) words.push_back(line.substr(start, i - start));
  }
  return words;
}

bool ParseNumber(std::string_view word, uint32_t max, uint32_t* value, int base = 10) {
  if (word.empty()) return false;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), *value, base);
  return error == std::errc() && end == word.data() + word.size() && *value <= max;
}

std::optional<SimDeviceKind> ParseKind(std::string_view word) {
  if (word == "keyboard") return SimDeviceKind::Keyboard;
  if (word == "mouse") return SimDeviceKind::Mouse;
  if (word == "flash-keyboard") return SimDeviceKind::FlashKeyboard;
  if (word == "es2862") return SimDeviceKind::Es2862;
  if (word == "foreign") return SimDeviceKind::Foreign;
  return std::nullopt;
}

// Reads a verb's arguments (the words after it) into `command`. An empty
// string accepts the line; kUsage refuses it with the verb's usage line;
// any other text is the reason for refusing it.
constexpr std::string_view kUsage = "usage";
using ReadArguments = std::string (*)(Words args, ScenarioCommand& command);

struct VerbRule {
  std::string_view word;
  Verb verb;
  size_t leastArguments;
  size_t mostArguments;
  std::string_view usage;
  ReadArguments read;
};

constexpr size_t kAnyNumber = SIZE_MAX;

std::string ReadPlug(Words args, ScenarioCommand& command) {
  const auto kind = ParseKind(args[1]);
  if (!kind) return "unknown device kind '" + std::string(args[1]) + "'";
  command.device = args[0];
  command.kind = *kind;
  if (args.size() == 3) {
    if (args[2] != "denied") return "unknown plug option '" + std::string(args[2]) + "'";
    command.accessDenied = true;
  }
  return {};
}

std::string ReadDeviceOnly(Words args, ScenarioCommand& command) {
  command.device = args[0];
  return {};
}

std::string ReadByteValue(Words args, ScenarioCommand& command) {
  if (!ParseNumber(args[1], 255, &command.value)) return "value must be 0-255";
  command.device = args[0];
  return {};
}

std::string ReadRtMode(Words args, ScenarioCommand& command) {
  uint32_t flag = 0;
  if (!ParseNumber(args[1], 7, &command.value)) return "mode must be 0-7";
  if (args.size() == 3 && !ParseNumber(args[2], 1, &flag)) return "flag must be 0 or 1";
  command.device = args[0];
  command.flag = flag != 0;
  return {};
}

std::string ReadReport(Words args, ScenarioCommand& command) {
  for (const std::string_view word : args.subspan(1)) {
    uint32_t byte = 0;
    if (!ParseNumber(word, 0xFF, &byte, 16)) return "'" + std::string(word) + "' is not a hex byte";
    command.bytes.push_back(static_cast<uint8_t>(byte));
  }
  command.device = args[0];
  return {};
}

std::string ReadFullScreen(Words args, ScenarioCommand& command) {
  if (args[0] != "on" && args[0] != "off") return std::string(kUsage);
  command.value = args[0] == "on" ? 1 : 0;
  return {};
}

std::string ReadLanguage(Words args, ScenarioCommand& command) {
  if (args[0] != "English" && args[0] != "ChineseS" && args[0] != "ChineseT") {
    return std::string(kUsage);
  }
  command.language = args[0];
  return {};
}

std::string ReadWait(Words args, ScenarioCommand& command) {
  return ParseNumber(args[0], 3'600'000, &command.value) ? "" : std::string(kUsage);
}

std::string ReadNothing(Words, ScenarioCommand&) { return {}; }

constexpr std::array kVerbs = {
    VerbRule{"plug", Verb::Plug, 2, 3, "usage: plug NAME KIND [denied]", ReadPlug},
    VerbRule{"unplug", Verb::Unplug, 1, 1, "usage: unplug NAME", ReadDeviceOnly},
    VerbRule{"lt", Verb::LtKey, 2, 2, "usage: lt NAME VALUE", ReadByteValue},
    VerbRule{"cpi", Verb::Cpi, 2, 2, "usage: cpi NAME VALUE", ReadByteValue},
    VerbRule{"rt", Verb::RtMode, 2, 3, "usage: rt NAME MODE [FLAG]", ReadRtMode},
    VerbRule{"report", Verb::Report, 2, kAnyNumber, "usage: report NAME HEX...", ReadReport},
    VerbRule{"fullscreen", Verb::FullScreen, 1, 1, "usage: fullscreen on|off", ReadFullScreen},
    VerbRule{"language", Verb::Language, 1, 1, "usage: language English|ChineseS|ChineseT",
             ReadLanguage},
    VerbRule{"wait", Verb::Wait, 1, 1, "usage: wait MS (0-3600000)", ReadWait},
    VerbRule{"close", Verb::Close, 0, 0, "usage: close", ReadNothing},
};

ScenarioLine Refuse(std::string reason) { return ScenarioLine{std::nullopt, std::move(reason)}; }

bool IsId7mKeyboard(SimDeviceKind kind) {
  return kind == SimDeviceKind::Keyboard || kind == SimDeviceKind::FlashKeyboard;
}

}  // namespace

ScenarioLine ParseScenarioLine(std::string_view line) {
  const auto words = SplitWords(line);
  if (words.empty() || words[0].front() == '#') return {};
  const Words args = Words(words).subspan(1);
  for (const VerbRule& rule : kVerbs) {
    if (rule.word != words[0]) continue;
    if (args.size() < rule.leastArguments || args.size() > rule.mostArguments) {
      return Refuse(std::string(rule.usage));
    }
    ScenarioCommand command;
    command.verb = rule.verb;
    const std::string refusal = rule.read(args, command);
    if (refusal == kUsage) return Refuse(std::string(rule.usage));
    if (!refusal.empty()) return Refuse(refusal);
    return ScenarioLine{std::move(command), {}};
  }
  return Refuse("unknown command '" + std::string(words[0]) + "'");
}

std::vector<uint8_t> LtKeyReport(SimDeviceKind kind, uint8_t state) {
  if (!IsId7mKeyboard(kind)) return {};
  Id7mInputReport report;
  report.eventClass = Id7mInputReport::kKeyboardEventClass;
  report.ltKeyState = state;
  return report.Serialize();
}

std::vector<uint8_t> RtModeReport(SimDeviceKind kind, uint8_t mode, bool flag) {
  if (!IsId7mKeyboard(kind)) return {};
  Id7mInputReport report;
  report.eventClass = Id7mInputReport::kKeyboardEventClass;
  report.rtMode = mode;
  report.rtFlag = flag;
  return report.Serialize();
}

std::vector<uint8_t> CpiReport(SimDeviceKind kind, uint8_t level) {
  if (kind == SimDeviceKind::Mouse) {
    Id7mInputReport report;
    report.eventClass = Id7mInputReport::kMouseEventClass;
    report.cpiLevel = level;
    return report.Serialize();
  }
  if (kind == SimDeviceKind::Es2862) {
    Es2862InputReport report;
    report.cpiLevel = level;
    return report.Serialize();
  }
  return {};
}
