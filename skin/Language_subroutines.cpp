#include "skin/Language_subroutines.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <system_error>

#include "platform/utf8_text.h"
#include "skin/text_helpers.h"

namespace {

constexpr uint16_t kEnglishId = 0x0409;

// One row per language name: the ids that select the name when a name is
// derived from an id, and the single id that stands for the name. Unused
// slots of `selectingIds` are 0, which is never a language id.
struct LanguageRow {
  std::u16string_view name;
  uint16_t id;
  std::array<uint16_t, 19> selectingIds;
};

// clang-format off
constexpr LanguageRow kLanguageTable[] = {
    {u"Arabic",     0x0401, {0x0401, 0x0801, 0x0C01, 0x1001, 0x1401, 0x1801, 0x1C01, 0x2001,
                             0x2401, 0x2801, 0x2C01, 0x3001, 0x3401, 0x3801, 0x3C01, 0x4001}},
    {u"Bulgarian",  0x0402, {0x0402}},
    // 4100 (Chinese, Singapore) reads as ChineseT and 5124 (Chinese, Macao)
    // as English: existing language folders and settings sections rely on it.
    {u"ChineseT",   0x0404, {0x0404, 0x0C04, 0x1004}},
    {u"Czech",      0x0405, {0x0405}},
    {u"Danish",     0x0406, {0x0406}},
    {u"German",     0x0C07, {0x0407, 0x0807, 0x0C07, 0x1007, 0x1407}},
    {u"Greek",      0x0408, {0x0408}},
    {u"Finnish",    0x040B, {0x040B}},
    {u"French",     0x080C, {0x040C, 0x080C, 0x0C0C, 0x100C, 0x140C, 0x180C}},
    {u"Hungarian",  0x040E, {0x040E}},
    {u"Italian",    0x0410, {0x0410, 0x0810}},
    {u"Japanese",   0x0411, {0x0411}},
    {u"Korean",     0x0412, {0x0412}},
    {u"Dutch",      0x0813, {0x0413, 0x0813}},
    {u"Norwegian",  0x0414, {0x0414, 0x0814}},
    {u"Polish",     0x0415, {0x0415}},
    {u"Portuguese", 0x0416, {0x0416, 0x0816}},
    {u"Romanian",   0x0418, {0x0418, 0x0818}},
    {u"Russian",    0x0419, {0x0419}},
    {u"Croatian",   0x041A, {0x041A}},
    {u"Slovak",     0x041B, {0x041B}},
    {u"Swedish",    0x041D, {0x041D, 0x081D}},
    {u"Thai",       0x041E, {0x041E}},
    {u"Turkish",    0x041F, {0x041F}},
    {u"Indonesian", 0x0421, {0x0421}},
    {u"Estonian",   0x0425, {0x0425}},
    {u"Persian",    0x0429, {0x0429}},
    {u"Vietnamese", 0x042A, {0x042A}},
    {u"Azerbaijan", 0x042C, {0x042C, 0x082C}},
    {u"Macedonian", 0x042F, {0x042F}},
    {u"Malay",      0x043E, {0x043E, 0x083E}},
    {u"ChineseS",   0x0804, {0x0804}},
    // Spanish with traditional sort (0x040A) is deliberately absent and
    // falls back to English.
    {u"Spanish",    0x2C0A, {0x080A, 0x0C0A, 0x100A, 0x140A, 0x180A, 0x1C0A, 0x200A, 0x240A,
                             0x280A, 0x2C0A, 0x300A, 0x340A, 0x380A, 0x3C0A, 0x400A, 0x440A,
                             0x480A, 0x4C0A, 0x500A}},
    // English is what every id not listed above selects.
    {u"English",    kEnglishId, {}},
};
// clang-format on

std::u16string_view LanguageNameOfId(uint16_t id) {
  if (id != 0) {
    for (const LanguageRow& row : kLanguageTable) {
      if (std::ranges::find(row.selectingIds, id) != row.selectingIds.end()) return row.name;
    }
  }
  return u"English";
}

SystemLanguageIdSource& SystemLanguageSource() {
  static SystemLanguageIdSource source;
  return source;
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_regular_file(PathFromUtf8(path), error);
}

std::string ReplaceAll(std::string text, std::string_view from, std::string_view to) {
  size_t pos = 0;
  while ((pos = text.find(from, pos)) != std::string::npos) {
    text.replace(pos, from.size(), to);
    pos += to.size();
  }
  return text;
}

// The text from the last '.' after the last '/', empty when there is none.
std::string_view ExtensionOf(std::string_view path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos) return {};
  const size_t slash = path.rfind('/');
  if (slash != std::string_view::npos && slash > dot) return {};
  return path.substr(dot);
}

}  // namespace

void SetSystemLanguageIdSource(SystemLanguageIdSource source) {
  SystemLanguageSource() = std::move(source);
}

uint16_t SystemDefaultLangId() {
  const SystemLanguageIdSource& source = SystemLanguageSource();
  return source ? source() : kEnglishId;
}

std::u16string GetLanguageName(std::u16string_view setting) {
  if (!setting.empty()) return std::u16string(setting);
  return std::u16string(LanguageNameOfId(SystemDefaultLangId()));
}

uint16_t GetLanguageId(std::u16string_view name) {
  for (const LanguageRow& row : kLanguageTable) {
    if (row.name == name) return row.id;
  }
  return kEnglishId;
}

std::u16string GetLanguageNameById(uint16_t id) {
  if (id == 0) id = SystemDefaultLangId();
  return std::u16string(LanguageNameOfId(id));
}

std::string FindLocalizedFile(const std::string& folder, std::u16string_view language,
                              const std::string& fileName, const FileExistsTest& fileExists) {
  const auto exists = [&](const std::string& path) {
    return fileExists ? fileExists(path) : IsRegularFile(path);
  };

  const std::string primary = folder + Utf16ToUtf8(language) + "/" + fileName;
  const std::string fallback = folder + "English/" + fileName;

  std::string candidates[4];
  size_t candidateCount = 0;
  if (ExtensionOf(primary) == ".bmp") {
    // The replacement is a plain text substitution over the whole path,
    // folder names included; a candidate in a folder that does not exist
    // simply fails the test and the next one is tried.
    candidates[candidateCount++] = ReplaceAll(primary, ".bmp", ".png");
    candidates[candidateCount++] = primary;
    candidates[candidateCount++] = ReplaceAll(fallback, ".bmp", ".png");
    candidates[candidateCount++] = fallback;
  } else {
    candidates[candidateCount++] = primary;
    candidates[candidateCount++] = fallback;
  }

  for (size_t i = 0; i < candidateCount; ++i) {
    if (exists(candidates[i])) return candidates[i];
  }
  return {};
}
