#include "popups/text_size_setting.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct SizeCase {
  std::u16string text;
  std::optional<int32_t> expected;
};

TEST(TextSizeSetting, OnlyPositiveWholeNumbersAreSizes) {
  const SizeCase cases[] = {
      {u"14", 14},
      {u"+20", 20},
      {u"007", 7},
      {u"1000", 1000},
      {u"@@", std::nullopt},  // the lookup's default for a missing key
      {u"", std::nullopt},
      {u"+", std::nullopt},
      {u"14pt", std::nullopt},
      {u"14.5", std::nullopt},
      {u" 14", std::nullopt},
      {u"0", std::nullopt},
      {u"-12", std::nullopt},
      {u"1001", std::nullopt},
      {u"99999999999999999999", std::nullopt},
      {u"\uFF11\uFF14", std::nullopt},  // full-width digits are no digits
  };
  for (const SizeCase& c : cases) {
    EXPECT_EQ(ParseTextSizeSetting(c.text), c.expected)
        << std::string(c.text.begin(), c.text.end());
  }
}

}  // namespace
