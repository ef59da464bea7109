// Taking one field out of a separated list.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Field n (counted from 0) of `text` split at `separator`, trimmed of
// characters with codes 32 and below at both ends; empty when there is none.
// A separator at the very end stays in the last field ("a,b," gives "b," for
// n = 1), and the fields between two adjacent separators are empty.
std::u16string GetDelimitedField(std::u16string_view text, char16_t separator, int32_t n);
