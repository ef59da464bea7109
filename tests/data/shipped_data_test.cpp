// The Data folder as the build places it beside the executables: every text
// the program reads is there in every menu language, the model lists name
// the supported devices with their kinds, and every entry of both popups'
// UI descriptions converts and names an element that its popup has.
#include <gtest/gtest.h>

#include <QWidget>
#include <algorithm>
#include <map>
#include <memory>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/device_access_notices.h"
#include "app/device_discovery.h"
#include "app/notification_texts.h"
#include "monitors/monitor_slots.h"
#include "platform/message.h"
#include "platform/sim/sim_device.h"
#include "popups/qt/FORM_LTKeyHintDialog.h"
#include "popups/qt/FORM_RTModeHintDialog.h"
#include "popups/text_size_setting.h"
#include "skin/Language_elementsproperty.h"
#include "skin/Utils_mathcarry.h"
#include "skin/Utils_splitstring.h"
#include "skin/settings_file.h"
#include "skin/text_helpers.h"
#include "skin/ui_description.h"
#include "skin/ui_integer.h"
#include "tests/support/qt_test_app.h"

namespace {

const std::string kData = std::string(CORVANE_BINARY_DIR) + "/bin/Data/";
constexpr const char16_t* kMissing = u"@@";

std::string Narrow(std::u16string_view text) { return Utf16ToUtf8(text); }

// ---- Settings.ini ----------------------------------------------------------

struct SettingsKey {
  std::u16string section;
  std::u16string key;
};

// Every key the program reads for a language: the menu captions and the
// tooltip, and whatever any device event asks for, as the notification
// operations themselves name it.
std::vector<SettingsKey> KeysReadFor(const std::u16string& language) {
  std::vector<SettingsKey> keys;
  for (const char16_t* menuKey : {u"PopMenu1", u"PopMenu2", u"PopMenu3", u"Hint"}) {
    keys.push_back({language, menuKey});
  }
  for (const std::u16string_view noticeKey : {kNoAccessKey, kNoAccessFixKey}) {
    keys.push_back({language, std::u16string(noticeKey)});
  }
  for (const auto recipeFor : {RTModeHintRecipe, LTKeyHintRecipe, CPIHintRecipe}) {
    for (uint32_t value = 0; value < 16; ++value) {
      const std::optional<HintRecipe> recipe = recipeFor(value);
      if (!recipe) continue;
      keys.push_back({language, recipe->titleKey});
      keys.push_back(
          {recipe->textSection == HintSection::Language ? language : u"Default", recipe->textKey});
    }
  }
  return keys;
}

TEST(ShippedSettings, EveryKeyTheProgramReadsIsThereInEveryMenuLanguage) {
  const SettingsFile settings(kData + "Settings.ini");
  for (const std::u16string language : {u"English", u"ChineseS", u"ChineseT"}) {
    const std::vector<SettingsKey> keys = KeysReadFor(language);
    // LT1-LT6, CPI1-CPI6, RT1-RT3 with their titles, the menu, the tooltip
    // and the two texts about a device the user may not open.
    std::set<std::u16string> distinct;
    for (const SettingsKey& k : keys) distinct.insert(k.section + u"/" + k.key);
    ASSERT_EQ(distinct.size(), 24u) << Narrow(language);
    for (const SettingsKey& k : keys) {
      const std::u16string value = settings.ReadString(k.section, k.key, kMissing);
      EXPECT_NE(value, kMissing) << "[" << Narrow(k.section) << "] " << Narrow(k.key)
                                 << " is missing";
      EXPECT_FALSE(value.empty()) << "[" << Narrow(k.section) << "] " << Narrow(k.key)
                                  << " is empty";
    }
  }
}

// The shipped texts about a device the user may not open are the built-in
// ones, so an edited or missing file changes nothing unexpected.
TEST(ShippedSettings, DeviceAccessTextsAreTheBuiltInOnes) {
  const SettingsFile settings(kData + "Settings.ini");
  const SettingsReader shipped = [&settings](std::u16string_view section, std::u16string_view key) {
    return settings.ReadString(section, key, u"");
  };
  const SettingsReader none = [](std::u16string_view, std::u16string_view) {
    return std::u16string();
  };
  const DeniedDevice device{u"USB Device ", "/dev/hidraw3"};
  for (const std::u16string language : {u"English", u"ChineseS", u"ChineseT"}) {
    const DeviceAccessTexts fromFile = ReadDeviceAccessTexts(device, language, shipped);
    const DeviceAccessTexts builtIn = ReadDeviceAccessTexts(device, language, none);
    EXPECT_EQ(fromFile.line, builtIn.line) << Narrow(language);
    EXPECT_EQ(fromFile.fix, builtIn.fix) << Narrow(language);
  }
}

// The other way round: every key the file holds is one the program reads,
// so that a misspelt key cannot hide behind a default. The file is listed
// with the UI description reader, which splits lines as the settings reader
// does and names sections and keys in lower case.
TEST(ShippedSettings, EverySectionHoldsOnlyKeysTheProgramReads) {
  std::map<std::u16string, std::set<std::u16string>> read;
  for (const std::u16string language : {u"English", u"ChineseS", u"ChineseT"}) {
    for (const SettingsKey& k : KeysReadFor(language))
      read[AsciiLower(k.section)].insert(AsciiLower(k.key));
  }
  const std::unique_ptr<UiDescription> file = UiDescription::LoadFile(kData + "Settings.ini");
  ASSERT_NE(file, nullptr);
  std::set<std::u16string> sections;
  for (const std::u16string& section : file->SectionNames()) {
    sections.insert(section);
    std::set<std::u16string> held;
    for (const auto& [key, value] : file->EntriesOf(section)) held.insert(key);
    for (const std::u16string& key : held) {
      EXPECT_TRUE(read[section].contains(key))
          << "[" << Narrow(section) << "] " << Narrow(key) << " is never read";
    }
  }
  EXPECT_EQ(sections, (std::set<std::u16string>{u"english", u"chineses", u"chineset", u"default"}));
}

// ---- Product/Model.txt ----------------------------------------------------

class NoPoster : public MessagePoster {
 public:
  void Post(Message) override {}
};

struct ModelCase {
  uint16_t modelId;
  const char16_t* kind;
};

TEST(ShippedModelTable, BothListsParseToTheSupportedModels) {
  MonitorSlots monitorSlots;  // not "slots": Qt defines that word
  NoPoster poster;
  const std::string path = kData + "Product/Model.txt";
  const DeviceDiscovery discovery(monitorSlots, poster, path);

  const ModelCase cases[] = {
      {SimKeyboard().modelWord, u"Keyboard"},
      {SimFlashKeyboard().modelWord, u"Keyboard"},
      {SimMouse().modelWord, u"Mouse"},
      {0x1A20, u"Keyboard"},
      {0x1A24, u"Keyboard"},
      {0x2B30, u"Mouse"},
      {0x0000, u""},
      {0x1234, u""},
  };
  for (const ModelCase& c : cases) {
    EXPECT_EQ(Narrow(discovery.GetDeviceKind(c.modelId)), Narrow(c.kind)) << std::hex << c.modelId;
  }

  // Every item of each list is a model of that list's kind: no item is
  // malformed, and none is shadowed by the keyboard list.
  const SettingsFile table(path);
  for (const std::u16string kind : {u"Keyboard", u"Mouse"}) {
    const std::u16string list = table.ReadString(u"Cafe", kind, u"");
    ASSERT_FALSE(list.empty()) << Narrow(kind);
    std::vector<uint16_t> ids;
    for (int32_t n = 0;; ++n) {
      const std::u16string item = GetDelimitedField(list, u',', n);
      if (item.empty()) break;
      ids.push_back(static_cast<uint16_t>(HexTextToValue(SubText(item, 3, 4))));
      EXPECT_EQ(Narrow(discovery.GetDeviceKind(ids.back())), Narrow(kind)) << Narrow(item);
    }
    const std::vector<uint16_t> expected =
        kind == u"Keyboard" ? std::vector<uint16_t>{0x1A20, 0x1A24} : std::vector<uint16_t>{0x2B30};
    EXPECT_EQ(ids, expected) << Narrow(kind);
  }
}

// ---- LTKeyHint/UI.txt and RTModeHint/UI.txt --------------------------------

enum class ValueKind { Rectangle, Colour, Integer, FaceName, Flag };

struct PropertyKind {
  const char16_t* suffix;  // after the element name, "->" included
  ValueKind kind;
};

// "->font->color" before "->color": the first suffix that fits is taken.
constexpr PropertyKind kElementProperties[] = {
    {u"->position", ValueKind::Rectangle},  {u"->font->color", ValueKind::Colour},
    {u"->color", ValueKind::Colour},        {u"->font->size", ValueKind::Integer},
    {u"->font->name", ValueKind::FaceName}, {u"->fontstyle->bold", ValueKind::Flag},
};

constexpr struct {
  const char16_t* key;
  ValueKind kind;
} kGlobalKeys[] = {
    {u"fontname", ValueKind::FaceName},
    {u"fontstylebold", ValueKind::Flag},
    {u"defaultfontsize", ValueKind::Integer},
    {u"defaultfontcolor", ValueKind::Colour},
};

// Empty when `value` is a sound value of `kind`, else what is wrong with it.
std::string CheckValue(ValueKind kind, const std::u16string& value) {
  const std::u16string tag = AsciiLower(GetDelimitedField(value, u',', 0));
  try {
    switch (kind) {
      case ValueKind::Rectangle: {
        // Any other tag would silently collapse the element to nothing.
        if (tag != u"rectp" && tag != u"rectwh") return "no rectangle tag";
        const Rect rect = ParseUiRectUnscaled(value);
        if (rect.right <= rect.left || rect.bottom <= rect.top) return "an empty rectangle";
        return {};
      }
      case ValueKind::Colour:
        // Any other tag would silently paint black.
        if (tag != u"rgb") return "no rgb tag";
        ParseUiColor(value);
        return {};
      case ValueKind::Integer: {
        const int32_t size = UiTextToInt(value);
        if (size < 1 || size > kLargestTextPointSize) return "a size no font takes";
        return {};
      }
      case ValueKind::FaceName:
        return value.empty() ? "an empty face name" : "";
      case ValueKind::Flag:
        return value == u"0" || value == u"1" ? "" : "neither 0 nor 1";
    }
  } catch (const EConvertError& error) {
    return error.what();
  }
  return "an unknown kind";
}

struct DescribedPopup {
  const char* folder;
  std::unique_ptr<QWidget> (*create)(const std::string& dataFolder);
  friend void PrintTo(const DescribedPopup& p, std::ostream* os) { *os << p.folder; }
};

const DescribedPopup kPopups[] = {
    {"LTKeyHint",
     [](const std::string& folder) -> std::unique_ptr<QWidget> {
       return std::make_unique<TformLTKeyHintDialog>(folder);
     }},
    {"RTModeHint",
     [](const std::string& folder) -> std::unique_ptr<QWidget> {
       return std::make_unique<TformRTModeHintDialog>(folder);
     }},
};

class ShippedUiDescription : public testing::TestWithParam<DescribedPopup> {
 protected:
  static void SetUpTestSuite() { TestApplication(); }
};

TEST_P(ShippedUiDescription, EveryEntryConvertsAndNamesAnElementOfItsPopup) {
  const std::string folder = kData + GetParam().folder + "/";
  // Skinning from the shipped folder applies every entry the engine reads.
  std::unique_ptr<QWidget> popup;
  ASSERT_NO_THROW(popup = GetParam().create(folder));
  const auto* frame = dynamic_cast<const HintPopupFrame*>(popup.get());
  ASSERT_NE(frame, nullptr);
  EXPECT_FALSE(frame->BackgroundPath().empty()) << "no background picture";

  const std::u16string window = AsciiLower(popup->objectName().toStdU16String());
  std::set<std::u16string> elements;
  for (const QObject* child : popup->findChildren<QObject*>()) {
    if (!child->objectName().isEmpty())
      elements.insert(AsciiLower(child->objectName().toStdU16String()));
  }

  const std::unique_ptr<UiDescription> description = UiDescription::LoadFile(folder + "UI.txt");
  ASSERT_NE(description, nullptr);
  const std::vector<std::u16string> sections = description->SectionNames();
  ASSERT_FALSE(sections.empty());
  size_t checked = 0;
  for (const std::u16string& section : sections) {
    for (const auto& [key, value] : description->EntriesOf(section)) {
      const std::string where = "[" + Narrow(section) + "] " + Narrow(key) + "=" + Narrow(value);
      ++checked;
      const auto global = std::find_if(std::begin(kGlobalKeys), std::end(kGlobalKeys),
                                       [&key](const auto& g) { return key == g.key; });
      if (global != std::end(kGlobalKeys)) {
        EXPECT_EQ(CheckValue(global->kind, value), "") << where;
        continue;
      }
      const auto property =
          std::find_if(std::begin(kElementProperties), std::end(kElementProperties),
                       [&key](const PropertyKind& p) { return key.ends_with(p.suffix); });
      if (property == std::end(kElementProperties)) {
        ADD_FAILURE() << where << ": no property the engine reads";
        continue;
      }
      std::u16string element =
          key.substr(0, key.size() - std::u16string_view(property->suffix).size());
      const std::u16string qualifier = window + u"->";
      if (element.starts_with(qualifier)) element = element.substr(qualifier.size());
      EXPECT_TRUE(elements.contains(element))
          << where << ": the popup has no element " << Narrow(element);
      EXPECT_EQ(CheckValue(property->kind, value), "") << where;
    }
  }
  EXPECT_GT(checked, 0u);
}

INSTANTIATE_TEST_SUITE_P(Popups, ShippedUiDescription, testing::ValuesIn(kPopups),
                         [](const testing::TestParamInfo<DescribedPopup>& info) {
                           return std::string(info.param.folder);
                         });

// The LT-key popup reads its text size again at every show; the shipped
// value must be one it takes, or every notification would keep the size
// the label was created with.
TEST(ShippedUiDescriptionLTKey, TextSizeReadAtEveryShowIsAWholeNumberOfPoints) {
  const std::unique_ptr<UiDescription> description =
      UiDescription::LoadFile(kData + "LTKeyHint/UI.txt");
  ASSERT_NE(description, nullptr);
  const std::u16string value =
      description->ReadString(u"Default", u"lb_Text->Font->Size", kMissing);
  EXPECT_TRUE(ParseTextSizeSetting(value).has_value()) << Narrow(value);
}

}  // namespace
