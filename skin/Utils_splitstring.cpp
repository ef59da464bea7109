#include "skin/Utils_splitstring.h"

#include "skin/text_helpers.h"

std::u16string GetDelimitedField(std::u16string_view text, char16_t separator, int32_t n) {
  if (n < 0) return {};

  // Walk the characters as the list readers always have: the last character
  // closes the last field and is kept in it even when it is the separator,
  // so "a,b," has the field "b," and no third field.
  const size_t length = text.size();
  size_t fieldStart = 0;
  int32_t fieldNumber = 0;
  for (size_t i = 0; i < length; ++i) {
    const bool isLast = (i + 1 == length);
    if (text[i] != separator && !isLast) continue;
    const size_t fieldEnd = isLast ? length : i;
    if (fieldNumber == n)
      return std::u16string(TrimControlAndBlanks(text.substr(fieldStart, fieldEnd - fieldStart)));
    ++fieldNumber;
    fieldStart = i + 1;
  }
  return {};
}
