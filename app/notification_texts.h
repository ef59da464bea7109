// Which settings keys answer a device event: the title from the current
// language's section, the text mostly from "Default", and the popup that
// shows them. One recipe per notification operation of the main window.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

enum class HintPopup { LTKey, RTMode };
enum class HintSection { Language, Default };

struct HintRecipe {
  HintPopup popup;
  uint32_t rtMode;  // the RT-mode popup's mode 1-3; 0 for the LT-key popup
  std::u16string titleKey;
  HintSection textSection;
  std::u16string textKey;
};

// The recipe for an event value; nullopt for a value that shows nothing
// (RT mode 3 or more, LT key state or CPI level 6 or more).
std::optional<HintRecipe> RTModeHintRecipe(uint32_t rtMode);
std::optional<HintRecipe> LTKeyHintRecipe(uint32_t ltKeyState);
std::optional<HintRecipe> CPIHintRecipe(uint32_t cpiLevel);

// The title and text a recipe names, read with `readString(section, key)`
// (which gives "@@" for what is missing) from the current language's section
// and from "Default".
struct HintTexts {
  std::u16string title;
  std::u16string text;
};
using SettingsReader =
    std::function<std::u16string(std::u16string_view section, std::u16string_view key)>;
HintTexts ReadHintTexts(const HintRecipe& recipe, const std::u16string& language,
                        const SettingsReader& readString);
