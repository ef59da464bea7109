#include "app/notification_texts.h"

#include <gtest/gtest.h>

namespace {

using RecipeFor = std::optional<HintRecipe> (*)(uint32_t);

struct RecipeCase {
  const char* operation;
  RecipeFor recipeFor;
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
      {"LT", LTKeyHintRecipe, 0, true, HintPopup::LTKey, 0, u"LT_Title", HintSection::Default,
       u"LT1"},
      {"LT", LTKeyHintRecipe, 5, true, HintPopup::LTKey, 0, u"LT_Title", HintSection::Default,
       u"LT6"},
      {"LT", LTKeyHintRecipe, 6, false},
      {"LT", LTKeyHintRecipe, 7, false},
      {"RT", RTModeHintRecipe, 0, true, HintPopup::RTMode, 1, u"RT_Title", HintSection::Language,
       u"RT1"},
      {"RT", RTModeHintRecipe, 1, true, HintPopup::RTMode, 2, u"RT_Title", HintSection::Default,
       u"RT2"},
      {"RT", RTModeHintRecipe, 2, true, HintPopup::RTMode, 3, u"RT_Title", HintSection::Default,
       u"RT3"},
      {"RT", RTModeHintRecipe, 3, false},
      {"CPI", CPIHintRecipe, 0, true, HintPopup::LTKey, 0, u"CPI_Title", HintSection::Default,
       u"CPI1"},
      {"CPI", CPIHintRecipe, 5, true, HintPopup::LTKey, 0, u"CPI_Title", HintSection::Default,
       u"CPI6"},
      {"CPI", CPIHintRecipe, 2, true, HintPopup::LTKey, 0, u"CPI_Title", HintSection::Default,
       u"CPI3"},
      {"RT", RTModeHintRecipe, 0xFFFFFFFFu, false},
      {"CPI", CPIHintRecipe, 6, false},
      {"CPI", CPIHintRecipe, 200, false},
      {"CPI", CPIHintRecipe, 0xFFFFFFFFu, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.operation << " value " << c.value);
    const auto recipe = c.recipeFor(c.value);
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
