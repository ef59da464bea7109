#include <windows.h>

#include "platform/session/system_locale.h"

uint16_t SystemDefaultLanguageId() { return GetSystemDefaultLangID(); }
