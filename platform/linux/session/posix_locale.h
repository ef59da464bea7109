// The POSIX locale as a Windows language id: the first non-empty of LC_ALL,
// LC_MESSAGES and LANG, where "C", "POSIX", an unset or an unknown locale
// give 1033 (English, US).
#pragma once

#include <cstdint>
#include <string_view>

// "zh_CN.UTF-8" → 2052, "de_AT@euro" → 3079, "pt" → 1046 …
uint16_t LanguageIdFromLocale(std::string_view locale);
