// The system's default language as a Windows language id: on Windows the
// system's own (GetSystemDefaultLangID); on Linux taken from the POSIX
// locale, the first non-empty of LC_ALL, LC_MESSAGES and LANG, where "C",
// "POSIX", an unset or an unknown locale give 1033 (English, US).
#pragma once

#include <cstdint>
#include <string_view>

// Linux only: "zh_CN.UTF-8" → 2052, "de_AT@euro" → 3079, "pt" → 1046 …
uint16_t LanguageIdFromLocale(std::string_view locale);

uint16_t SystemDefaultLanguageId();
