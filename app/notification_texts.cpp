#include "app/notification_texts.h"

#include "platform/message.h"
#include "skin/text_helpers.h"

namespace {

// The key number is the event value plus one: value 0 reads LT1, RT1, CPI1.
std::u16string NumberedKey(std::u16string_view stem, uint32_t value) {
  return std::u16string(stem) + UInt16ToText(static_cast<uint16_t>(value + 1));
}

}  // namespace

std::optional<HintRecipe> HintRecipeFor(uint32_t message, uint32_t value) {
  switch (message) {
    case UM_RT_MODE:
      if (value > 2) {
        return std::nullopt;
      }
      // RT1 is worded per language; RT2 and RT3 are the same in all.
      return HintRecipe{HintPopup::RTMode, value + 1, u"RT_Title",
                        value == 0 ? HintSection::Language : HintSection::Default,
                        NumberedKey(u"RT", value)};
    case UM_LT_KEY:
      if (value > 5) {
        return std::nullopt;
      }
      return HintRecipe{HintPopup::LTKey, 0, u"LT_Title", HintSection::Default,
                        NumberedKey(u"LT", value)};
    case UM_CPI_LEVEL:
    case UM_CPI_LEVEL_ALT:
      if (value > 5) {
        return std::nullopt;
      }
      return HintRecipe{HintPopup::LTKey, 0, u"CPI_Title", HintSection::Default,
                        NumberedKey(u"CPI", value)};
    default:
      return std::nullopt;
  }
}
