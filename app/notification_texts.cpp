#include "app/notification_texts.h"

#include "skin/text_helpers.h"

namespace {

// Values 0-5 of the LT key state and of the CPI level have a text.
constexpr uint32_t kLastTextedValue = 5;
// RT modes 0-2 have a text.
constexpr uint32_t kLastTextedRtMode = 2;

// The key number is the event value plus one: value 0 reads LT1, RT1, CPI1.
std::u16string NumberedKey(std::u16string_view stem, uint32_t value) {
  return std::u16string(stem) + UInt16ToText(static_cast<uint16_t>(value + 1));
}

}  // namespace

std::optional<HintRecipe> RTModeHintRecipe(uint32_t rtMode) {
  if (rtMode > kLastTextedRtMode) {
    return std::nullopt;
  }
  // RT1 is worded per language; RT2 and RT3 are the same in all.
  return HintRecipe{HintPopup::RTMode, rtMode + 1, u"RT_Title",
                    rtMode == 0 ? HintSection::Language : HintSection::Default,
                    NumberedKey(u"RT", rtMode)};
}

std::optional<HintRecipe> LTKeyHintRecipe(uint32_t ltKeyState) {
  if (ltKeyState > kLastTextedValue) {
    return std::nullopt;
  }
  return HintRecipe{HintPopup::LTKey, 0, u"LT_Title", HintSection::Default,
                    NumberedKey(u"LT", ltKeyState)};
}

std::optional<HintRecipe> CPIHintRecipe(uint32_t cpiLevel) {
  if (cpiLevel > kLastTextedValue) {
    return std::nullopt;
  }
  // CPI changes are shown in the LT-key popup.
  return HintRecipe{HintPopup::LTKey, 0, u"CPI_Title", HintSection::Default,
                    NumberedKey(u"CPI", cpiLevel)};
}

HintTexts ReadHintTexts(const HintRecipe& recipe, const std::u16string& language,
                        const SettingsReader& readString) {
  const std::u16string& textSection =
      recipe.textSection == HintSection::Language ? language : std::u16string(u"Default");
  return {readString(language, recipe.titleKey), readString(textSection, recipe.textKey)};
}
