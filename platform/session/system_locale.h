// The system's default language as a Windows language id: on Windows the
// system's own (GetSystemDefaultLangID); on Linux taken from the POSIX
// locale (platform/linux/session/posix_locale.h).
#pragma once

#include <cstdint>

uint16_t SystemDefaultLanguageId();
