#include "platform/session/system_locale.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <string>

#include "platform/linux/session/posix_locale.h"

namespace {

struct LocaleCase {
  const char* locale;
  uint16_t id;
};

class LanguageIdFromLocaleTest : public testing::TestWithParam<LocaleCase> {};

TEST_P(LanguageIdFromLocaleTest, MapsLanguageAndRegion) {
  EXPECT_EQ(LanguageIdFromLocale(GetParam().locale), GetParam().id) << GetParam().locale;
}

INSTANTIATE_TEST_SUITE_P(
    Locales, LanguageIdFromLocaleTest,
    testing::Values(LocaleCase{"zh_CN.UTF-8", 2052}, LocaleCase{"zh_TW.UTF-8", 1028},
                    LocaleCase{"zh_HK", 3076}, LocaleCase{"zh_SG.GB2312", 4100},
                    LocaleCase{"de_DE.UTF-8", 1031}, LocaleCase{"de_AT@euro", 3079},
                    LocaleCase{"es_ES.UTF-8", 3082}, LocaleCase{"es_AR", 11274},
                    LocaleCase{"en_US.UTF-8", 1033}, LocaleCase{"en_GB", 2057},
                    LocaleCase{"fr_BE", 2060},
                    // a region the table does not list falls back to the language
                    LocaleCase{"de_BE.UTF-8", 1031}, LocaleCase{"pt", 1046}, LocaleCase{"zh", 2052},
                    // no language, or one the program has no name for
                    LocaleCase{"C", 1033}, LocaleCase{"C.UTF-8", 1033}, LocaleCase{"POSIX", 1033},
                    LocaleCase{"", 1033}, LocaleCase{"tlh_QO", 1033}, LocaleCase{"_", 1033}));

class SystemLanguageIdTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
      const char* value = getenv(name);
      m_Saved.push_back({name, value != nullptr, value != nullptr ? value : ""});
      unsetenv(name);
    }
  }
  void TearDown() override {
    for (const auto& s : m_Saved) {
      if (s.set) {
        setenv(s.name, s.value.c_str(), 1);
      } else {
        unsetenv(s.name);
      }
    }
  }
  struct Saved {
    const char* name;
    bool set;
    std::string value;
  };
  std::vector<Saved> m_Saved;
};

TEST_F(SystemLanguageIdTest, FirstNonEmptyOfLcAllLcMessagesLang) {
  EXPECT_EQ(SystemDefaultLanguageId(), 1033) << "nothing set";
  setenv("LANG", "de_DE.UTF-8", 1);
  EXPECT_EQ(SystemDefaultLanguageId(), 1031);
  setenv("LC_MESSAGES", "zh_TW.UTF-8", 1);
  EXPECT_EQ(SystemDefaultLanguageId(), 1028);
  setenv("LC_ALL", "", 1);  // empty counts as unset
  EXPECT_EQ(SystemDefaultLanguageId(), 1028);
  setenv("LC_ALL", "zh_CN.UTF-8", 1);
  EXPECT_EQ(SystemDefaultLanguageId(), 2052);
}

}  // namespace
