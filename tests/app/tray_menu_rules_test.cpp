// The tray menu's language items and the language each stands for.
#include "app/tray_menu_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(TrayMenuLanguages, EachTagStandsForOneLanguageAndBack) {
  const struct {
    int tag;
    std::u16string language;
  } items[] = {{0, u"English"}, {1, u"ChineseS"}, {2, u"ChineseT"}};
  for (const auto& item : items) {
    EXPECT_EQ(LanguageOfMenuTag(item.tag), item.language) << item.tag;
    EXPECT_EQ(MenuTagOfLanguage(item.language), item.tag) << item.tag;
  }
}

TEST(TrayMenuLanguages, WhatTheMenuDoesNotListIsEnglish) {
  for (const int tag : {-1, 3, 99}) EXPECT_EQ(LanguageOfMenuTag(tag), u"English") << tag;
  // Languages of the table without an item, another letter case, nothing.
  for (const std::u16string_view language : {u"German", u"chineses", u""}) {
    EXPECT_EQ(MenuTagOfLanguage(language), 0);
  }
}

}  // namespace
