// The language table: Windows language ids and the program's language names
// ("English", "ChineseS", "ChineseT", ...), and localized files in data folders.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

// The system's default language id is handed in from outside: the platform
// layer asks Windows (GetSystemDefaultLangID) or derives it from the POSIX
// locale. Until a source is set it reads as 1033.
using SystemLanguageIdSource = std::function<uint16_t()>;
void SetSystemLanguageIdSource(SystemLanguageIdSource source);
uint16_t SystemDefaultLangId();

// A non-empty setting comes back unchanged; an empty one gives the name of
// the system's default language.
std::u16string GetLanguageName(std::u16string_view setting);

// The id of a language name (letter case counts); 1033 for every other text.
uint16_t GetLanguageId(std::u16string_view name);

// The name of a language id; 0 stands for the system's default language.
// Every id the table does not list gives "English".
std::u16string GetLanguageNameById(uint16_t id);

// The full path of a localized file: `folder` (ending with '/') + language +
// '/' + fileName, else the same in the "English" sub-folder; a ".bmp" asked
// for is preferred as ".png". Empty when none exists. `fileExists` is the
// file-exists test (a regular file, links followed, by default).
using FileExistsTest = std::function<bool(const std::string& path)>;
std::string FindLocalizedFile(const std::string& folder, std::u16string_view language,
                              const std::string& fileName, const FileExistsTest& fileExists = {});
