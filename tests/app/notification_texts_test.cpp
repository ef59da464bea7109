#include "app/notification_texts.h"

#include <gtest/gtest.h>

#include "platform/message.h"

namespace {

struct RecipeCase {
  uint32_t message;
  uint32_t value;
  bool shown;
  HintPopup popup = HintPopup::LTKey;
  uint32_t rtMode = 0;
  const char16_t* titleKey = u"";
  HintSection textSection = HintSection::Default;
  const char16_t* textKey = u"";
};

TEST(HintRecipeTest, TableOfKeysSectionsAndPopups) {
  const RecipeCase cases[] = {
      {UM_LT_KEY, 0, true, HintPopup::LTKey, 0, u"LT_Title", HintSection::Default, u"LT1"},
      {UM_LT_KEY, 5, true, HintPopup::LTKey, 0, u"LT_Title", HintSection::Default, u"LT6"},
      {UM_LT_KEY, 6, false},
      {UM_LT_KEY, 7, false},
      {UM_RT_MODE, 0, true, HintPopup::RTMode, 1, u"RT_Title", HintSection::Language, u"RT1"},
      {UM_RT_MODE, 1, true, HintPopup::RTMode, 2, u"RT_Title", HintSection::Default, u"RT2"},
      {UM_RT_MODE, 2, true, HintPopup::RTMode, 3, u"RT_Title", HintSection::Default, u"RT3"},
      {UM_RT_MODE, 3, false},
      {UM_CPI_LEVEL, 0, true, HintPopup::LTKey, 0, u"CPI_Title", HintSection::Default, u"CPI1"},
      {UM_CPI_LEVEL, 5, true, HintPopup::LTKey, 0, u"CPI_Title", HintSection::Default, u"CPI6"},
      {UM_CPI_LEVEL_ALT, 2, true, HintPopup::LTKey, 0, u"CPI_Title", HintSection::Default, u"CPI3"},
      {UM_CPI_LEVEL, 6, false},
      {UM_CPI_LEVEL, 200, false},
      {UM_CPI_LEVEL, 0xFFFFFFFFu, false},
      {UM_APPBAR, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << "message " << c.message << " value " << c.value);
    const auto recipe = HintRecipeFor(c.message, c.value);
    ASSERT_EQ(recipe.has_value(), c.shown);
    if (!c.shown) continue;
    EXPECT_EQ(recipe->popup, c.popup);
    EXPECT_EQ(recipe->rtMode, c.rtMode);
    EXPECT_EQ(recipe->titleKey, c.titleKey);
    EXPECT_EQ(recipe->textSection, c.textSection);
    EXPECT_EQ(recipe->textKey, c.textKey);
  }
}

}  // namespace
