// The shipped udev rule against the device trees udev sees for the hidraw
// nodes of real devices: which nodes get the uaccess tag. The rule is read
// from the file and run by a small interpreter of the rule language, as far
// as the file uses it: match keys on the device (ACTION, SUBSYSTEM) and on
// one of its ancestors (SUBSYSTEMS, KERNELS, ATTRS{}), with == and != and
// shell patterns with |-alternatives; TAG+=, GOTO and LABEL.
#include <fnmatch.h>
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct Device {
  std::string subsystem;
  std::string kernel;
  std::map<std::string, std::string> attributes;
};

// The node first, then its ancestors up to the USB device.
struct Event {
  std::string action;
  std::vector<Device> chain;
};

struct Key {
  std::string name;       // ACTION, SUBSYSTEMS, ATTRS{idVendor} …
  std::string operation;  // ==, !=, +=, =
  std::string value;
};

using Rule = std::vector<Key>;

std::vector<Rule> ReadRules(const std::string& path) {
  std::ifstream file(path);
  EXPECT_TRUE(file) << path;
  std::vector<Rule> rules;
  const std::regex keyPattern(
      R"re(\s*([A-Z_]+(\{[^}]*\})?)\s*(==|!=|\+=|-=|:=|=)\s*"([^"]*)"\s*(,|$))re");
  for (std::string line; std::getline(file, line);) {
    while (!line.empty() && line.back() == '\\') {
      std::string next;
      std::getline(file, next);
      line.pop_back();
      line += next;
    }
    if (line.find_first_not_of(" \t") == std::string::npos ||
        line[line.find_first_not_of(" \t")] == '#') {
      continue;
    }
    Rule rule;
    auto position = line.cbegin();
    std::smatch match;
    while (position != line.cend() && std::regex_search(position, line.cend(), match, keyPattern,
                                                        std::regex_constants::match_continuous)) {
      rule.push_back({match[1], match[3], match[4]});
      position = match[0].second;
    }
    EXPECT_EQ(position, line.cend()) << "a key the interpreter does not know: " << line;
    rules.push_back(rule);
  }
  return rules;
}

// A pattern with |-alternatives, each a shell glob.
bool Matches(const std::string& pattern, std::string value) {
  // Trailing blanks of a value count only where the pattern has some.
  if (pattern.empty() || (pattern.back() != ' ' && pattern.back() != '\t')) {
    value.erase(value.find_last_not_of(" \t\n") + 1);
  }
  std::stringstream alternatives(pattern);
  for (std::string alternative; std::getline(alternatives, alternative, '|');) {
    if (fnmatch(alternative.c_str(), value.c_str(), 0) == 0) return true;
  }
  return false;
}

bool KeyMatches(const Key& key, const std::optional<std::string>& value) {
  if (!value) return false;  // a missing attribute matches neither way
  const bool matches = Matches(key.value, *value);
  return key.operation == "==" ? matches : !matches;
}

bool IsParentKey(const Key& key) {
  return key.name == "SUBSYSTEMS" || key.name == "KERNELS" || key.name.rfind("ATTRS{", 0) == 0;
}

std::optional<std::string> ParentValue(const Key& key, const Device& device) {
  if (key.name == "SUBSYSTEMS") return device.subsystem;
  if (key.name == "KERNELS") return device.kernel;
  const std::string attribute = key.name.substr(6, key.name.size() - 7);
  const auto found = device.attributes.find(attribute);
  if (found == device.attributes.end()) return std::nullopt;
  return found->second;
}

// The tags the rules give the event's node.
std::set<std::string> Tags(const std::vector<Rule>& rules, const Event& event) {
  std::set<std::string> tags;
  std::string skipTo;
  for (const Rule& rule : rules) {
    if (!skipTo.empty()) {
      if (rule.size() == 1 && rule[0].name == "LABEL" && rule[0].value == skipTo) skipTo.clear();
      continue;
    }
    bool matches = true;
    std::vector<const Key*> parentKeys;
    for (const Key& key : rule) {
      if (key.operation != "==" && key.operation != "!=") continue;
      if (IsParentKey(key)) {
        parentKeys.push_back(&key);
      } else if (key.name == "ACTION") {
        matches = matches && KeyMatches(key, event.action);
      } else if (key.name == "SUBSYSTEM") {
        matches = matches && KeyMatches(key, event.chain.front().subsystem);
      } else {
        ADD_FAILURE() << "a match key the interpreter does not know: " << key.name;
      }
    }
    if (!parentKeys.empty()) {
      // All parent keys of a rule must hold on one device of the chain.
      bool someDevice = false;
      for (const Device& device : event.chain) {
        bool all = true;
        for (const Key* key : parentKeys) all = all && KeyMatches(*key, ParentValue(*key, device));
        someDevice = someDevice || all;
      }
      matches = matches && someDevice;
    }
    if (!matches) continue;
    for (const Key& key : rule) {
      if (key.name == "TAG" && key.operation == "+=") tags.insert(key.value);
      if (key.name == "GOTO") skipTo = key.value;
    }
  }
  return tags;
}

// A hidraw node on a HID interface of a USB device.
Event UsbNode(const std::string& manufacturer, const std::string& product,
              const std::string& vendor, const std::string& subClass, const std::string& protocol,
              const std::string& bus = "0003") {
  return {"add",
          {{"hidraw", "hidraw3", {}},
           {"hid", bus + ":0000" + vendor + ":00000001.0007", {}},
           {"usb",
            "1-2:1.0",
            {{"bInterfaceClass", "03"},
             {"bInterfaceSubClass", subClass},
             {"bInterfaceProtocol", protocol}}},
           {"usb",
            "1-2",
            {{"idVendor", vendor},
             {"idProduct", "0001"},
             {"manufacturer", manufacturer},
             {"product", product}}}}};
}

TEST(UdevRuleTest, TagsOnlyTheInterfacesTheProgramOpens) {
  const std::vector<Rule> rules =
      ReadRules(std::string(CORVANE_SOURCE_DIR) + "/packaging/70-corvane-notification.rules");
  ASSERT_FALSE(rules.empty());
  // A Bluetooth HID device: its ancestors are the adapter's wireless
  // interface (class e0) and the adapter's USB device.
  Event bluetooth = UsbNode("Company ", "USB Device ", "1956", "01", "01", "0005");
  bluetooth.chain[2].attributes["bInterfaceClass"] = "e0";
  Event inputNode = UsbNode("Company ", "USB Device ", "1956", "00", "00");
  inputNode.chain.front() = {"input", "event5", {}};
  Event removal = UsbNode("Company ", "USB Device ", "1956", "00", "00");
  removal.action = "remove";
  struct Case {
    const char* what;
    Event event;
    bool tagged;
  } cases[] = {
      {"family keyboard, vendor interface", UsbNode("Company ", "USB Device ", "3151", "00", "00"),
       true},
      {"family keyboard, boot keyboard interface",
       UsbNode("Company ", "USB Device ", "3151", "01", "01"), false},
      {"family mouse, boot mouse interface", UsbNode("Company ", "USB Device ", "3151", "01", "02"),
       false},
      {"family, strings in other letter case",
       UsbNode("COMPANY ", "usb device ", "3151", "00", "00"), true},
      {"flash-information device", UsbNode("Company ", "USB Device  ", "3151", "00", "00"), true},
      {"product without the trailing blank", UsbNode("Company ", "USB Device", "3151", "00", "00"),
       false},
      {"another maker's keyboard", UsbNode("Other Maker", "Keyboard", "046d", "00", "00"), false},
      {"ES2862 vendor interface", UsbNode("ACME", "Gaming Mouse", "1956", "00", "00"), true},
      {"ES2862 boot keyboard interface", UsbNode("ACME", "Gaming Keyboard", "1956", "01", "01"),
       false},
      {"ES2862 boot mouse interface", UsbNode("ACME", "Gaming Mouse", "1956", "01", "02"), false},
      {"a Bluetooth device below an adapter that looks like the family", bluetooth, false},
      {"the input node of a family device", inputNode, false},
      {"a node going away", removal, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Tags(rules, c.event).count("uaccess") == 1, c.tagged) << c.what;
  }
}

}  // namespace
