#include "app/scenario.h"

#include <charconv>

#include "platform/sim/sim_device.h"

namespace {

constexpr size_t kReportLength = 64;

std::vector<std::string_view> Words(std::string_view line) {
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

ScenarioLine Refuse(std::string reason) { return ScenarioLine{std::nullopt, std::move(reason)}; }
ScenarioLine Accept(ScenarioCommand command) { return ScenarioLine{std::move(command), {}}; }

std::vector<uint8_t> Id7mReport(uint8_t eventClass) {
  std::vector<uint8_t> report(kReportLength, 0);
  report[0] = kSimId7mReportId;
  report[1] = eventClass;
  return report;
}

bool IsId7mKeyboard(SimDeviceKind kind) {
  return kind == SimDeviceKind::Keyboard || kind == SimDeviceKind::FlashKeyboard;
}

}  // namespace

ScenarioLine ParseScenarioLine(std::string_view line) {
  const auto words = Words(line);
  if (words.empty() || words[0].front() == '#') {
    return {};
  }
  const std::string_view verb = words[0];
  const size_t args = words.size() - 1;
  ScenarioCommand command;
  auto needs = [&](size_t least, size_t most) { return args >= least && args <= most; };

  if (verb == "plug") {
    if (!needs(2, 2)) return Refuse("usage: plug NAME KIND");
    const auto kind = ParseKind(words[2]);
    if (!kind) return Refuse("unknown device kind '" + std::string(words[2]) + "'");
    command.verb = ScenarioCommand::Verb::Plug;
    command.device = words[1];
    command.kind = *kind;
    return Accept(command);
  }
  if (verb == "unplug") {
    if (!needs(1, 1)) return Refuse("usage: unplug NAME");
    command.verb = ScenarioCommand::Verb::Unplug;
    command.device = words[1];
    return Accept(command);
  }
  if (verb == "lt" || verb == "cpi") {
    if (!needs(2, 2)) return Refuse("usage: " + std::string(verb) + " NAME VALUE");
    if (!ParseNumber(words[2], 255, &command.value)) return Refuse("value must be 0-255");
    command.verb = verb == "lt" ? ScenarioCommand::Verb::LtKey : ScenarioCommand::Verb::Cpi;
    command.device = words[1];
    return Accept(command);
  }
  if (verb == "rt") {
    if (!needs(2, 3)) return Refuse("usage: rt NAME MODE [FLAG]");
    uint32_t flag = 0;
    if (!ParseNumber(words[2], 7, &command.value)) return Refuse("mode must be 0-7");
    if (args == 3 && !ParseNumber(words[3], 1, &flag)) return Refuse("flag must be 0 or 1");
    command.verb = ScenarioCommand::Verb::RtMode;
    command.device = words[1];
    command.flag = flag != 0;
    return Accept(command);
  }
  if (verb == "report") {
    if (args < 2) return Refuse("usage: report NAME HEX...");
    for (size_t i = 2; i < words.size(); ++i) {
      uint32_t byte = 0;
      if (!ParseNumber(words[i], 0xFF, &byte, 16)) {
        return Refuse("'" + std::string(words[i]) + "' is not a hex byte");
      }
      command.bytes.push_back(static_cast<uint8_t>(byte));
    }
    command.verb = ScenarioCommand::Verb::Report;
    command.device = words[1];
    return Accept(command);
  }
  if (verb == "fullscreen") {
    if (!needs(1, 1) || (words[1] != "on" && words[1] != "off")) {
      return Refuse("usage: fullscreen on|off");
    }
    command.verb = ScenarioCommand::Verb::FullScreen;
    command.value = words[1] == "on" ? 1 : 0;
    return Accept(command);
  }
  if (verb == "language") {
    if (!needs(1, 1) ||
        (words[1] != "English" && words[1] != "ChineseS" && words[1] != "ChineseT")) {
      return Refuse("usage: language English|ChineseS|ChineseT");
    }
    command.verb = ScenarioCommand::Verb::Language;
    command.language = words[1];
    return Accept(command);
  }
  if (verb == "wait") {
    if (!needs(1, 1) || !ParseNumber(words[1], 3'600'000, &command.value)) {
      return Refuse("usage: wait MS (0-3600000)");
    }
    command.verb = ScenarioCommand::Verb::Wait;
    return Accept(command);
  }
  if (verb == "close") {
    if (!needs(0, 0)) return Refuse("usage: close");
    command.verb = ScenarioCommand::Verb::Close;
    return Accept(command);
  }
  return Refuse("unknown command '" + std::string(verb) + "'");
}

std::vector<uint8_t> LtKeyReport(SimDeviceKind kind, uint8_t state) {
  if (!IsId7mKeyboard(kind)) return {};
  auto report = Id7mReport(0x20);
  report[4] = static_cast<uint8_t>(0x80 | (state & 0x07));  // bit 7: changed
  return report;
}

std::vector<uint8_t> RtModeReport(SimDeviceKind kind, uint8_t mode, bool flag) {
  if (!IsId7mKeyboard(kind)) return {};
  auto report = Id7mReport(0x20);
  report[6] = static_cast<uint8_t>(0x80 | (flag ? 0x40 : 0) | (mode & 0x07));
  return report;
}

std::vector<uint8_t> CpiReport(SimDeviceKind kind, uint8_t level) {
  if (kind == SimDeviceKind::Mouse) {
    auto report = Id7mReport(0x01);
    report[12] = static_cast<uint8_t>(0x08 | (level & 0x07));  // bit 3: changed
    return report;
  }
  if (kind == SimDeviceKind::Es2862) {
    std::vector<uint8_t> report(kReportLength, 0);
    report[0] = kSimEs2862ReportId;
    report[1] = 0x87;  // CPI level changed
    report[7] = level;
    return report;
  }
  return {};
}
