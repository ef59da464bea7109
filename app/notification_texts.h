// Which settings keys answer a device event: the title from the current
// language's section, the text mostly from "Default", and the popup that
// shows them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

enum class HintPopup { LTKey, RTMode };
enum class HintSection { Language, Default };

struct HintRecipe {
  HintPopup popup;
  uint32_t rtMode;  // the RT-mode popup's mode 1-3; 0 for the LT-key popup
  std::u16string titleKey;
  HintSection textSection;
  std::u16string textKey;
};

// For UM_RT_MODE, UM_LT_KEY, UM_CPI_LEVEL and UM_CPI_LEVEL_ALT with the
// event's value; nullopt for a value that shows nothing (RT mode 3 or more,
// LT key state or CPI level 6 or more) or another message.
std::optional<HintRecipe> HintRecipeFor(uint32_t message, uint32_t value);
