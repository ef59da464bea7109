// The tray menu's rules, apart from any window: which language each item of
// the language submenu stands for, and what the autostart item does.
#pragma once

#include <string>
#include <string_view>

// The language items' tags: 0 English, 1 Simplified Chinese, 2 Traditional
// Chinese.
inline constexpr int kMenuLanguageCount = 3;

// The language a tag stands for; "English" for any other tag.
std::u16string LanguageOfMenuTag(int tag);
// The tag of the item that shows `language`; English's (0) for a language
// the menu does not list, which the window then takes as its language.
int MenuTagOfLanguage(std::u16string_view language);

// Removes the autostart entry `name` when one is set, else writes one for
// `executable`; returns whether it is set now. Throws as WriteAutostartEntry
// does when it cannot be written, and as RemoveAutostartEntry when it cannot
// be removed: the caller's mark then stays as it was.
bool ToggleAutostart(std::string_view name, std::string_view executable);
